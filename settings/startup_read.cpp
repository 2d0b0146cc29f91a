#include "settings/startup_read.h"

#include "platform/case_fold.h"
#include "settings/registry_values.h"

#include <algorithm>

namespace brixtel {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
// Texts of the initialisation file are read through a buffer of this many characters.
constexpr std::size_t kProfileTextCharacters = 1024;
constexpr std::wstring_view kChecked = L"checked";
constexpr std::wstring_view kUnchecked = L"unchecked";

std::wstring numbered(std::wstring_view prefix, std::uint32_t number) {
    return std::wstring(prefix) + std::to_wstring(number);
}

std::uint32_t bounded_count(std::int64_t count, std::uint32_t most) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(count, 0, most));
}

class ProfileReader {
  public:
    explicit ProfileReader(PrivateProfile& profile) : profile_(profile) {}

    std::wstring text(std::wstring_view key, std::wstring_view fallback = L"") {
        return profile_.read_text(kProfileSection, key, fallback, kProfileTextCharacters);
    }
    std::uint32_t number(std::wstring_view key, std::uint32_t fallback) {
        return static_cast<std::uint32_t>(
            profile_.read_integer(kProfileSection, key, static_cast<std::int32_t>(fallback)));
    }
    // Most switches are on only when the file says so.
    bool checked(std::wstring_view key, bool on_by_default) {
        return equal_ignoring_case(text(key, on_by_default ? L"CHECKED" : L"UNCHECKED"), kChecked);
    }
    // The date switches are on unless the file says they are off.
    bool not_unchecked(std::wstring_view key) {
        return !equal_ignoring_case(text(key, L"UNCHECKED"), kUnchecked);
    }
    std::vector<std::wstring> numbered_texts(std::wstring_view count_key, std::wstring_view prefix,
                                             std::uint32_t most) {
        std::vector<std::wstring> texts;
        const std::uint32_t count =
            bounded_count(profile_.read_integer(kProfileSection, count_key, 0), most);
        for (std::uint32_t i = 1; i <= count; ++i)
            texts.push_back(text(numbered(prefix, i)));
        return texts;
    }

  private:
    PrivateProfile& profile_;
};

void write_logging_options(RegistryKey& key, const LoggingOptions& options) {
    write_flag(key, values::LogDate, options.log_date);
    write_flag(key, values::LogReqTime, options.log_req_time);
    write_flag(key, values::LogFirstTime, options.log_first_time);
    write_flag(key, values::LogLastTime, options.log_last_time);
    write_flag(key, values::LogIndvTime, options.log_indv_time);
    write_flag(key, values::LogReqDate, options.log_req_date);
    write_flag(key, values::LogFirstDate, options.log_first_date);
    write_flag(key, values::LogLastDate, options.log_last_date);
    write_flag(key, values::LogIndvDate, options.log_indv_date);
    write_number(key, values::StartHour, options.start_hour);
    write_number(key, values::StartMinute, options.start_minute);
    write_flag(key, values::StartTime, options.start_time);
    write_number(key, values::StopHour, options.stop_hour);
    write_number(key, values::StopMinute, options.stop_minute);
    write_flag(key, values::StopTime, options.stop_time);
    write_flag(key, values::SyncLog, options.sync_log);
}

void set_number(RegistryKey& key, Seat& seat, std::wstring_view name, std::uint32_t value) {
    if (!write_number(key, name, value))
        seat.message_box(ids::NamedValueWriteFailed, ids::RegistryError, mb::Ok, {name});
}

void set_flag(RegistryKey& key, Seat& seat, std::wstring_view name, bool on, StringId failed,
              StringId caption) {
    if (!write_flag(key, name, on))
        seat.message_box(failed, caption, mb::Ok | mb::IconInformation);
}

void read_first_start_profile(PrivateProfile& profile, Seat& seat, StartupReadTargets& targets,
                              bool windows_nt4, Settings& settings, LoggingOptions& logging) {
    ProfileReader file(profile);
    const PortRange defaults = default_port_range(windows_nt4);
    settings.ports.lower =
        static_cast<std::uint16_t>(file.number(values::PortLowerLimit, defaults.lower));
    settings.ports.upper =
        static_cast<std::uint16_t>(file.number(values::PortUpperLimit, defaults.upper));
    targets.read_first_start_loop_entries();
    seat.enable_command(Command::Monitoring, !targets.loop_entries().empty());
    settings.frequency_ms = file.number(values::Frequency, 1000);
    settings.log_size_mb = file.number(values::LogSize, 5);
    logging = read_profile_logging_options(profile, logging);
    logging.log_size = settings.log_size_mb;
    const std::vector<std::wstring> databases =
        file.numbered_texts(values::DatabaseFiles, values::DatabasePrefix, kMaxStoredDatabaseFiles);
    for (std::uint32_t i = 0; i < databases.size(); ++i)
        targets.add_database_file(i + 1, databases[i]);
    settings.sig_dig = file.number(values::SigDig, 0);
}

void write_first_start_settings(Registry& registry, Seat& seat, StartupReadTargets& targets,
                                Settings& settings) {
    auto created = registry.create(kUser, keys::Settings, RegistryAccess::ReadWrite);
    if (!created.key)
        seat.message_box(ids::SettingsKeyCreateFailed, ids::RegistryError, mb::Ok);
    settings.debug_view = false;
    if (created.key) {
        set_number(*created.key, seat, values::PortLowerLimit, settings.ports.lower);
        set_number(*created.key, seat, values::PortUpperLimit, settings.ports.upper);
        set_flag(*created.key, seat, values::DebugView, settings.debug_view, ids::ViewStoreFailed,
                 ids::ProblemsStoringView);
    }
    const std::vector<StoredLoopEntry> loops = targets.loop_entries();
    save_all_loop_entries(registry, seat, loops);
    if (created.key) {
        set_number(*created.key, seat, values::Frequency, settings.frequency_ms);
        set_number(*created.key, seat, values::SigDig, settings.sig_dig);
        set_flag(*created.key, seat, values::ShowBlkCheck, settings.show_blk_check,
                 ids::BlockCheckStoreFailed, ids::ProblemsStoringBlockCheck);
        set_flag(*created.key, seat, values::ShowLogAlert, settings.show_log_alert,
                 ids::LogAlertKeyOpenFailed, ids::ProblemsStoringLogAlert);
    }
}

void write_first_start_databases(Registry& registry, Seat& seat, StartupReadTargets& targets) {
    const std::vector<std::wstring> paths = targets.database_paths();
    if (!rewrite_value_list(registry, kUser, keys::Databases, values::DatabasePrefix,
                            values::DatabaseFiles, paths))
        seat.message_box(ids::DatabaseSettingsWriteFailed, ids::RegistryError, mb::Ok);
}

void write_first_start_tag_list(Registry& registry, Seat& seat, StartupReadTargets& targets,
                                const LoggingOptions& logging) {
    const std::wstring first_list = numbered(values::ListPrefix, 1);
    auto tags = registry.create(kUser, keys::Tags, RegistryAccess::ReadWrite);
    auto list = tags.key ? registry.create(kUser, std::wstring(keys::Tags) + L"\\" + first_list,
                                           RegistryAccess::ReadWrite)
                         : Registry::Created{};
    if (!list.key) {
        seat.message_box(ids::TagSettingsWriteFailed, ids::RegistryError, mb::Ok);
        return;
    }
    if (list.existed)
        delete_all_values(*list.key);
    const std::vector<std::wstring> entries = targets.current_tag_entries();
    write_number(*list.key, values::NumberofTags, static_cast<std::uint32_t>(entries.size()));
    write_text(*list.key, values::ListName, first_list);
    write_numbered_texts(*list.key, values::TagLookUpPrefix, entries);
    write_logging_options(*list.key, logging);
}

void first_start(Registry& registry, PrivateProfile& profile, Seat& seat,
                 StartupReadTargets& targets, bool windows_nt4, Settings& settings,
                 LoggingOptions& logging) {
    settings = Settings{};
    read_first_start_profile(profile, seat, targets, windows_nt4, settings, logging);
    write_first_start_settings(registry, seat, targets, settings);
    write_first_start_databases(registry, seat, targets);
    write_first_start_tag_list(registry, seat, targets, logging);
    targets.read_all_tag_lists();
    ProfileReader file(profile);
    targets.seed_first_tag_list(
        file.numbered_texts(values::NumberofTags, values::TagLookUpPrefix, kMaxStoredListEntries));
}

void normal_start(Registry& registry, std::unique_ptr<RegistryKey> settings_key,
                  StartupReadTargets& targets, bool windows_nt4, Settings& settings) {
    const RegistryKey& key = *settings_key;
    settings.last_loaded = read_text(key, values::LastLoaded, L"");
    const PortRange defaults = default_port_range(windows_nt4);
    std::uint32_t lower = defaults.lower, upper = defaults.upper;
    read_number(key, values::PortLowerLimit, lower);
    read_number(key, values::PortUpperLimit, upper);
    settings.ports = {static_cast<std::uint16_t>(lower), static_cast<std::uint16_t>(upper)};
    read_flag(key, values::DebugView, settings.debug_view, false);
    settings.frequency_ms = 1000;
    read_number(key, values::Frequency, settings.frequency_ms);
    settings.log_size_mb = 5;
    read_number(key, values::LogSize, settings.log_size_mb);
    settings.sig_dig = 0;
    read_number(key, values::SigDig, settings.sig_dig);
    read_flag(key, values::ShowBlkCheck, settings.show_blk_check, true);
    read_flag(key, values::ShowLogAlert, settings.show_log_alert, true);

    if (auto databases = registry.open(kUser, keys::Databases, RegistryAccess::Read)) {
        std::uint32_t count = 0;
        read_number(*databases, values::DatabaseFiles, count);
        count = bounded_count(count, kMaxStoredDatabaseFiles);
        for (std::uint32_t i = 1; i <= count; ++i)
            targets.add_database_file(
                i, read_text(*databases, numbered(values::DatabasePrefix, i), L""));
    }
    settings_key.reset();
    targets.read_all_tag_lists();
}

} // namespace

LoggingOptions read_profile_logging_options(PrivateProfile& profile, LoggingOptions options) {
    ProfileReader file(profile);
    options.log_date = file.checked(values::LogDate, true);
    options.log_req_time = file.checked(values::LogReqTime, true);
    options.log_first_time = file.checked(values::LogFirstTime, false);
    options.log_last_time = file.checked(values::LogLastTime, false);
    options.log_indv_time = file.checked(values::LogIndvTime, false);
    options.log_req_date = file.not_unchecked(values::LogReqDate);
    options.log_first_date = file.not_unchecked(values::LogFirstDate);
    options.log_last_date = file.not_unchecked(values::LogLastDate);
    options.log_indv_date = file.not_unchecked(values::LogIndvDate);
    options.start_hour = file.number(values::StartHour, 0);
    options.start_minute = file.number(values::StartMinute, 0);
    options.start_time = file.checked(values::StartTime, false);
    options.stop_hour = file.number(values::StopHour, 0);
    options.stop_minute = file.number(values::StopMinute, 0);
    options.stop_time = file.checked(values::StopTime, false);
    options.sync_log = file.checked(values::SyncLog, true);
    return options;
}

void read_settings_at_startup(Registry& registry, PrivateProfile& profile, Seat& seat,
                              StartupReadTargets& targets, bool windows_nt4, Settings& settings,
                              LoggingOptions& logging) {
    if (auto key = registry.open(kUser, keys::Settings, RegistryAccess::Read)) {
        normal_start(registry, std::move(key), targets, windows_nt4, settings);
        return;
    }
    first_start(registry, profile, seat, targets, windows_nt4, settings, logging);
}

} // namespace brixtel
