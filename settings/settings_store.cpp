#include "settings/settings_store.h"

#include "platform/case_fold.h"

#include "platform/memory_registry.h"
#include "settings/registry_values.h"

#include <vector>

namespace brixtel {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

// A flag whose failures are told with an information icon: one text when the key does not
// open, another when the value does not take.
struct FlagMessages {
    StringId open_failed;
    StringId set_failed;
    StringId caption;
};

bool save_flag(Registry& registry, Seat& seat, std::wstring_view name, bool on,
               const FlagMessages& messages) {
    auto key = registry.open(kUser, keys::Settings, RegistryAccess::ReadWrite);
    if (!key) {
        seat.message_box(messages.open_failed, messages.caption, mb::Ok | mb::IconInformation);
        return false;
    }
    if (!write_flag(*key, name, on)) {
        seat.message_box(messages.set_failed, messages.caption, mb::Ok | mb::IconInformation);
        return false;
    }
    return true;
}

} // namespace

bool save_number_setting(Registry& registry, Seat& seat, std::wstring_view name,
                         std::uint32_t value) {
    auto key = registry.open(kUser, keys::Settings, RegistryAccess::ReadWrite);
    if (!key || !write_number(*key, name, value)) {
        seat.message_box(ids::NamedValueWriteFailed, ids::RegistryError, mb::Ok, {name});
        return false;
    }
    return true;
}

bool save_last_loaded(Registry& registry, Seat& seat, std::wstring_view list_name) {
    auto key = registry.open(kUser, keys::Settings, RegistryAccess::ReadWrite);
    if (!key || !write_text(*key, values::LastLoaded, list_name)) {
        seat.message_box(ids::LastLoadedWriteFailed, ids::RegistryError, mb::Ok);
        return false;
    }
    return true;
}

bool save_debug_view(Registry& registry, Seat& seat, bool debug_view) {
    return save_flag(registry, seat, values::DebugView, debug_view,
                     {ids::ViewKeyOpenFailed, ids::ViewStoreFailed, ids::ProblemsStoringView});
}

bool save_show_blk_check(Registry& registry, Seat& seat, bool show) {
    return save_flag(
        registry, seat, values::ShowBlkCheck, show,
        {ids::BlockCheckKeyOpenFailed, ids::BlockCheckStoreFailed, ids::ProblemsStoringBlockCheck});
}

bool save_show_log_alert(Registry& registry, Seat& seat, bool show) {
    // One text for both failures: the notice only says that the choice was not kept.
    return save_flag(
        registry, seat, values::ShowLogAlert, show,
        {ids::LogAlertKeyOpenFailed, ids::LogAlertKeyOpenFailed, ids::ProblemsStoringLogAlert});
}

void reset_suppressed_dialogs(Settings& settings, Registry& registry, Seat& seat) {
    settings.show_blk_check = true;
    settings.show_log_alert = true;
    save_show_blk_check(registry, seat, settings.show_blk_check);
    save_show_log_alert(registry, seat, settings.show_log_alert);
}

std::wstring loop_entry_text(const StoredLoopEntry& entry) {
    std::wstring text = std::to_wstring(entry.loop);
    if (entry.pcu != -1)
        text += L"." + std::to_wstring(entry.pcu);
    return text + L" " + std::to_wstring(entry.remote_port) + L" " + entry.host;
}

bool save_all_loop_entries(Registry& registry, Seat& seat, std::span<const StoredLoopEntry> entries,
                           std::optional<std::size_t> leave_out) {
    auto created = registry.create(kUser, keys::LoopEntries, RegistryAccess::ReadWrite);
    if (!created.key) {
        seat.message_box(ids::LoopSettingsWriteFailed, ids::RegistryError, mb::Ok);
        return false;
    }
    if (created.existed)
        delete_all_values(*created.key);
    std::vector<std::wstring> texts;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i != leave_out && entries[i].remote_port != 0)
            texts.push_back(loop_entry_text(entries[i]));
    }
    const std::uint32_t written =
        write_numbered_texts(*created.key, values::LoopEntryPrefix, texts);
    created.key.reset();
    write_loop_entry_count(registry, written);
    return true;
}

bool save_all_database_files(Registry& registry, Seat& seat, std::span<const std::wstring> paths,
                             std::optional<std::wstring_view> leave_out) {
    std::vector<std::wstring> kept;
    for (const std::wstring& path : paths) {
        if (!leave_out || !equal_ignoring_case(path, *leave_out))
            kept.push_back(path);
    }
    if (!rewrite_value_list(registry, kUser, keys::Databases, values::DatabasePrefix,
                            values::DatabaseFiles, kept)) {
        seat.message_box(ids::DatabasesWriteFailed, ids::RegistryError, mb::Ok);
        return false;
    }
    return true;
}

std::wstring read_loop_entry(Registry& registry, PrivateProfile& profile, std::wstring_view name,
                             std::wstring_view fallback, std::size_t max_characters) {
    if (auto key = registry.open(kUser, keys::LoopEntries, RegistryAccess::Read)) {
        if (auto text = query_text(*key, name, max_characters * 2))
            return *text;
    }
    return profile.read_text(kProfileSection, name, fallback, max_characters);
}

void write_loop_entry(Registry& registry, std::wstring_view name,
                      std::optional<std::wstring_view> text) {
    auto key = registry.open(kUser, keys::LoopEntries, RegistryAccess::Write);
    if (!key)
        return;
    if (text)
        write_text(*key, name, *text);
    else
        key->delete_value(name);
}

void write_loop_entry_count(Registry& registry, std::uint32_t count) {
    if (auto key = registry.open(kUser, keys::LoopEntries, RegistryAccess::Write))
        write_number(*key, values::NumberOfLoopEntries, count);
}

} // namespace brixtel
