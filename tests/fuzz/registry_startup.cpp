// The registry as start-up finds it, damaged or written by hand: the input builds the
// program's keys and values (names, types, counts and texts of any length), then a start
// reads them all: settings, database files, loop entries, every saved list, and the load of
// the list saved last. Each value is also read in every typed form the program uses.
#include "fuzz_support.h"
#include "logging/current_logging.h"
#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings_store.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace brixtel;

namespace {

const std::wstring kKeys[] = {
    std::wstring(keys::Settings),          std::wstring(keys::Databases),
    std::wstring(keys::LoopEntries),       std::wstring(keys::Tags),
    std::wstring(keys::Tags) + L"\\List1", std::wstring(keys::Tags) + L"\\List2",
    std::wstring(keys::Tags) + L"\\List3",
};

const std::wstring_view kNames[] = {
    values::LastLoaded,     values::PortLowerLimit,
    values::PortUpperLimit, values::DebugView,
    values::Frequency,      values::LogSize,
    values::SigDig,         values::ShowBlkCheck,
    values::ShowLogAlert,   values::NumberOfLoopEntries,
    values::DatabaseFiles,  values::NumberofTags,
    values::ListName,       values::LogDate,
    values::StartHour,      values::SyncLog,
    values::SaveLocale,     values::AppendDate,
};

const std::wstring_view kNumbered[] = {values::LoopEntryPrefix, values::DatabasePrefix,
                                       values::TagLookUpPrefix};

std::wstring value_name(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return std::wstring(input.PickValueInArray(kNames));
    case 1:
    case 2:
        return std::wstring(input.PickValueInArray(kNumbered)) +
               std::to_wstring(input.ConsumeIntegralInRange(0, 60));
    default:
        return to_wide(input.ConsumeRandomLengthString(16));
    }
}

RegistryValue value_of(FuzzedDataProvider& input) {
    RegistryValue value;
    switch (input.ConsumeIntegralInRange(0, 4)) {
    case 0:
        value.type = RegistryTypeNumber;
        break;
    case 1:
        value.type = RegistryTypeBinary;
        break;
    case 2:
    case 3:
        value.type = RegistryTypeText;
        break;
    default:
        value.type = input.ConsumeIntegral<std::uint32_t>();
    }
    // Texts are held to a buffer of 1024 bytes when read; longer ones must be refused whole.
    const std::string bytes = input.ConsumeRandomLengthString(1200);
    value.data.assign(bytes.begin(), bytes.end());
    return value;
}

void read_every_form(MemoryRegistry& registry, const std::wstring& key_path,
                     const std::wstring& name) {
    const auto key = registry.open(RegistryRoot::CurrentUser, key_path, RegistryAccess::Read);
    if (!key)
        return;
    bool flag = false;
    read_flag(*key, name, flag, true);
    std::uint32_t number = 0;
    read_number(*key, name, number);
    const std::wstring text = read_text(*key, name, L"fallback");
    fuzz::check(text.size() < kTextValueBytes / 2 || text == L"fallback",
                "a text fits the buffer it is read through");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool windows_nt4 = input.ConsumeBool();
    MemoryRegistry registry;
    std::vector<std::pair<std::wstring, std::wstring>> written;
    for (int i = 0; i < 64 && input.remaining_bytes() > 0; ++i) {
        const std::wstring& key = input.PickValueInArray(kKeys);
        const std::wstring name = value_name(input);
        registry.put(RegistryRoot::CurrentUser, key, name, value_of(input));
        written.emplace_back(key, name);
    }
    for (const auto& [key, name] : written)
        read_every_form(registry, key, name);

    MemoryProfile no_file;
    fuzz::ScriptedSeat seat;
    fuzz::StartupTargets targets(registry, no_file, seat);
    Settings settings;
    LoggingOptions logging;
    read_settings_at_startup(registry, no_file, seat, targets, windows_nt4, settings, logging);
    targets.read_first_start_loop_entries();

    fuzz::check(targets.loops.size() <= kMaxStoredLoopEntries, "loop entries are bounded");
    fuzz::check(targets.databases_offered <= kMaxStoredDatabaseFiles, "database files are bounded");
    for (const TagListRecord& list : targets.lists.lists)
        fuzz::check(list.entries.size() <= kMaxStoredListEntries, "a saved list is bounded");

    // Step 7 of start-up: the list saved last.
    fuzz::NoPrompts prompts;
    CurrentLogging current;
    targets.lists.current_name = settings.last_loaded;
    TagListContext load{registry,        seat,          prompts, targets.names,
                        targets.folders, targets.lists, current, [](std::wstring_view) {}};
    (void)load_current_list_by_name(load);
    fuzz::check(targets.lists.points.size() <= kMaxStoredListEntries, "the loaded list is bounded");
    fuzz::check(seat.boxes <= 2 * kMaxStoredDatabaseFiles + 8, "a start shows few boxes");
    return 0;
}
