#include "tags/tag_list_registry.h"

#include "core/add_point_check.h"
#include "settings/registry_values.h"
#include "settings/settings.h"
#include "tags/tag_list_entry.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

namespace brixtel {
namespace {

static_assert(kMaxStoredListEntries == kMaxListedPoints, "a saved list holds what a list may");

// Bounds the delete-index-0 loop should a key refuse to give up a subkey.
constexpr std::uint32_t kMaxDeletions = 1u << 20;

bool flag_or(const RegistryKey& key, std::wstring_view name, bool fallback) {
    bool flag = fallback;
    read_flag(key, name, flag, fallback);
    return flag;
}

std::optional<std::uint32_t> number_of(const RegistryKey& key, std::wstring_view name) {
    std::uint32_t number = 0;
    if (!read_number(key, name, number))
        return std::nullopt;
    return number;
}

std::wstring tag_value_name(std::size_t number) {
    return L"TagLookUp" + std::to_wstring(number);
}

constexpr std::uint32_t kFallbackLogSize = 5;

LoggingOptions read_logging(const RegistryKey& key, std::uint32_t settings_log_size) {
    const LoggingOptions defaults;
    LoggingOptions o;
    o.log_date = flag_or(key, L"LogDate", defaults.log_date);
    o.log_req_time = flag_or(key, L"LogReqTime", defaults.log_req_time);
    o.log_first_time = flag_or(key, L"LogFirstTime", defaults.log_first_time);
    o.log_last_time = flag_or(key, L"LogLastTime", defaults.log_last_time);
    o.log_indv_time = flag_or(key, L"LogIndvTime", defaults.log_indv_time);
    o.log_req_date = flag_or(key, L"LogReqDate", defaults.log_req_date);
    o.log_first_date = flag_or(key, L"LogFirstDate", defaults.log_first_date);
    o.log_last_date = flag_or(key, L"LogLastDate", defaults.log_last_date);
    o.log_indv_date = flag_or(key, L"LogIndvDate", defaults.log_indv_date);
    o.start_hour = number_of(key, L"StartHour").value_or(defaults.start_hour);
    o.start_minute = number_of(key, L"StartMinute").value_or(defaults.start_minute);
    o.start_time = flag_or(key, L"StartTime", defaults.start_time);
    o.stop_hour = number_of(key, L"StopHour").value_or(defaults.stop_hour);
    o.stop_minute = number_of(key, L"StopMinute").value_or(defaults.stop_minute);
    o.stop_time = flag_or(key, L"StopTime", defaults.stop_time);
    o.sync_log = flag_or(key, L"SyncLog", defaults.sync_log);
    o.log_size = number_of(key, L"LogSize").value_or(settings_log_size);
    o.append_date = flag_or(key, L"AppendDate", defaults.append_date);
    return o;
}

void write_logging(RegistryKey& key, const LoggingOptions& o) {
    write_flag(key, L"LogDate", o.log_date);
    write_flag(key, L"LogReqTime", o.log_req_time);
    write_flag(key, L"LogFirstTime", o.log_first_time);
    write_flag(key, L"LogLastTime", o.log_last_time);
    write_flag(key, L"LogIndvTime", o.log_indv_time);
    write_flag(key, L"LogReqDate", o.log_req_date);
    write_flag(key, L"LogFirstDate", o.log_first_date);
    write_flag(key, L"LogLastDate", o.log_last_date);
    write_flag(key, L"LogIndvDate", o.log_indv_date);
    write_number(key, L"StartHour", o.start_hour);
    write_number(key, L"StartMinute", o.start_minute);
    write_flag(key, L"StartTime", o.start_time);
    write_number(key, L"StopHour", o.stop_hour);
    write_number(key, L"StopMinute", o.stop_minute);
    write_flag(key, L"StopTime", o.stop_time);
    write_flag(key, L"SyncLog", o.sync_log);
    write_number(key, L"LogSize", o.log_size);
    if (!o.save_locale.empty())
        write_text(key, L"SaveLocale", o.save_locale);
    write_flag(key, L"AppendDate", o.append_date);
}

std::wstring subkey_path(std::wstring_view subkey_name) {
    return std::wstring(kTagsKeyPath) + L'\\' + std::wstring(subkey_name);
}

} // namespace

ListOfLists read_all_lists(Registry& registry, Seat& seat, LogFolderSystem& folders) {
    ListOfLists lists;
    const auto settings =
        registry.open(RegistryRoot::CurrentUser, kSettingsKeyPath, RegistryAccess::Read);
    if (!settings) {
        seat.message_box(ids::MasterListReadFailed, ids::RegistryError, mb::Ok);
        return lists;
    }
    if (!registry.open(RegistryRoot::CurrentUser, kTagsKeyPath, RegistryAccess::Read))
        return lists;
    const std::uint32_t settings_log_size =
        number_of(*settings, L"LogSize").value_or(kFallbackLogSize);
    const std::wstring log_folder = default_log_folder(registry, folders);

    for (std::uint32_t number = 1;; ++number) {
        const std::wstring subkey_name = list_subkey_name(number);
        const auto key = registry.open(RegistryRoot::CurrentUser, subkey_path(subkey_name),
                                       RegistryAccess::Read);
        if (!key)
            break;
        TagListRecord record;
        record.count_as_read = number_of(*key, L"NumberofTags").value_or(0);
        record.name = read_text(*key, L"name", subkey_name);
        record.logging = read_logging(*key, settings_log_size);
        record.logging.save_locale =
            read_text(*key, L"SaveLocale", list_log_file(log_folder, record.name));
        record.entries = read_list_entries(registry, seat, subkey_name, true);
        lists.push_back(std::move(record));
    }
    return lists;
}

std::vector<std::wstring> read_list_entries(Registry& registry, Seat& seat,
                                            std::wstring_view subkey_name, bool report_errors) {
    std::vector<std::wstring> entries;
    const bool tags_open =
        registry.open(RegistryRoot::CurrentUser, kTagsKeyPath, RegistryAccess::Read) != nullptr;
    const auto key = tags_open ? registry.open(RegistryRoot::CurrentUser, subkey_path(subkey_name),
                                               RegistryAccess::Read)
                               : nullptr;
    if (!key) {
        if (report_errors)
            seat.message_box(ids::TagsReadFailed, ids::RegistryError, mb::Ok);
        return entries;
    }
    const std::uint32_t count =
        std::min(number_of(*key, L"NumberofTags").value_or(0), kMaxStoredListEntries);
    for (std::uint32_t i = 1; i <= count; ++i)
        entries.push_back(to_display_form(read_text(*key, tag_value_name(i), L"")));
    return entries;
}

bool save_list(Registry& registry, Seat& seat, std::wstring_view subkey_name,
               const TagListRecord& record) {
    const auto tags =
        registry.create(RegistryRoot::CurrentUser, kTagsKeyPath, RegistryAccess::ReadWrite);
    auto list = tags.key ? registry.create(RegistryRoot::CurrentUser, subkey_path(subkey_name),
                                           RegistryAccess::ReadWrite)
                         : Registry::Created{};
    if (!list.key) {
        seat.message_box(ids::TagsWriteFailed, ids::RegistryError, mb::Ok);
        return false;
    }
    RegistryKey& key = *list.key;
    if (list.existed)
        delete_all_values(key);
    for (std::size_t i = 0; i < record.entries.size(); ++i)
        write_text(key, tag_value_name(i + 1), to_stored_form(record.entries[i]));
    write_number(key, L"NumberofTags", static_cast<std::uint32_t>(record.entries.size()));
    write_text(key, L"name", record.name);
    write_logging(key, record.logging);
    return true;
}

bool rewrite_all_lists(Registry& registry, Seat& seat, TagListState& state) {
    const auto tags =
        registry.create(RegistryRoot::CurrentUser, kTagsKeyPath, RegistryAccess::ReadWrite);
    if (!tags.key) {
        seat.message_box(ids::TagsKeyOpenFailed, ids::RegistryError, mb::Ok);
        return false;
    }
    for (std::uint32_t round = 0; round < kMaxDeletions; ++round) {
        const auto name = tags.key->subkey_name_at(0);
        if (!name || !tags.key->delete_subkey(*name))
            break;
    }
    bool all_saved = true;
    std::uint32_t number = 1;
    for (TagListRecord& record : state.lists) {
        all_saved = save_list(registry, seat, list_subkey_name(number), record) && all_saved;
        if (&record == state.loaded)
            state.loaded_number = number;
        ++number;
    }
    if (!state.loaded)
        state.loaded_number = 0;
    return all_saved;
}

} // namespace brixtel
