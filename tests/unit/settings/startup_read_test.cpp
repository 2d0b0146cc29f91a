#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "settings/startup_read.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const std::wstring kList1 = std::wstring(keys::Tags) + L"\\List1";

// Records the calls in order; plays the loop configuration, databases and tag lists.
class RecordingTargets : public StartupReadTargets {
  public:
    std::vector<std::wstring> calls;
    std::vector<StoredLoopEntry> loops;
    std::vector<std::wstring> databases;
    std::vector<std::wstring> seeded;
    bool seed_called = false;

    void read_first_start_loop_entries() override { calls.push_back(L"loops"); }
    std::vector<StoredLoopEntry> loop_entries() override { return loops; }
    void add_database_file(std::uint32_t index, const std::wstring& path) override {
        calls.push_back(L"db" + std::to_wstring(index) + L"=" + path);
        databases.push_back(path);
    }
    std::vector<std::wstring> database_paths() override { return databases; }
    std::vector<std::wstring> current_tag_entries() override { return {}; }
    void read_all_tag_lists() override { calls.push_back(L"lists"); }
    void seed_first_tag_list(const std::vector<std::wstring>& stored) override {
        calls.push_back(L"seed");
        seeded = stored;
        seed_called = true;
    }
};

class StartupReadTest : public ::testing::Test {
  protected:
    void read(bool nt4 = false) {
        read_settings_at_startup(registry, profile, seat, targets, nt4, settings, logging);
    }
    void ini(std::wstring_view key, std::wstring_view text) { profile.set(L"Brixtel", key, text); }

    std::optional<RegistryValue> value(std::wstring_view path, std::wstring_view name) {
        return registry.value(kUser, path, name);
    }
    ::testing::AssertionResult has_number(std::wstring_view path, std::wstring_view name,
                                          std::uint32_t expected) {
        const auto v = value(path, name);
        if (!v || v->type != RegistryTypeNumber)
            return ::testing::AssertionFailure() << "no REG_DWORD";
        std::uint32_t n = v->data[0] | v->data[1] << 8 | v->data[2] << 16 | v->data[3] << 24;
        if (n != expected)
            return ::testing::AssertionFailure() << "is " << n;
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult has_flag(std::wstring_view path, std::wstring_view name,
                                        std::uint8_t expected) {
        const auto v = value(path, name);
        if (!v || v->type != RegistryTypeBinary || v->data != std::vector<std::uint8_t>{expected})
            return ::testing::AssertionFailure() << "not a one-byte binary " << int(expected);
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult has_text(std::wstring_view path, std::wstring_view name,
                                        std::wstring_view expected) {
        const auto v = value(path, name);
        if (!v || v->type != RegistryTypeText || text_of_value_bytes(v->data) != expected)
            return ::testing::AssertionFailure() << "not the text";
        return ::testing::AssertionSuccess();
    }

    MemoryRegistry registry;
    MemoryProfile profile;
    testing::FakeSeat seat;
    RecordingTargets targets;
    Settings settings;
    LoggingOptions logging;
};

TEST_F(StartupReadTest, FirstStartWithoutFileCreatesTheDefaultLayout) {
    read();
    EXPECT_TRUE(seat.boxes.empty());
    EXPECT_TRUE(has_number(keys::Settings, values::PortLowerLimit, 5100));
    EXPECT_TRUE(has_number(keys::Settings, values::PortUpperLimit, 5200));
    EXPECT_TRUE(has_number(keys::Settings, values::Frequency, 1000));
    EXPECT_TRUE(has_number(keys::Settings, values::SigDig, 0));
    EXPECT_TRUE(has_flag(keys::Settings, values::DebugView, 0));
    EXPECT_TRUE(has_flag(keys::Settings, values::ShowBlkCheck, 1));
    EXPECT_TRUE(has_flag(keys::Settings, values::ShowLogAlert, 1));
    EXPECT_TRUE(has_number(keys::Databases, values::DatabaseFiles, 0));
    EXPECT_TRUE(has_number(keys::LoopEntries, values::NumberOfLoopEntries, 0));
    EXPECT_TRUE(has_text(kList1, values::ListName, L"List1"));
    EXPECT_TRUE(has_number(kList1, values::NumberofTags, 0));
    EXPECT_TRUE(has_flag(kList1, values::LogDate, 1));
    EXPECT_TRUE(has_flag(kList1, values::LogReqTime, 1));
    EXPECT_TRUE(has_flag(kList1, values::LogFirstTime, 0));
    EXPECT_TRUE(has_flag(kList1, values::LogReqDate, 0));
    EXPECT_TRUE(has_flag(kList1, values::SyncLog, 1));
    EXPECT_TRUE(has_number(kList1, values::StartHour, 0));
    EXPECT_EQ(registry.subkey_names(kUser, keys::Tags), std::vector<std::wstring>{L"List1"});
    EXPECT_EQ(seat.enabled[Command::Monitoring], false);
    EXPECT_EQ(targets.calls, (std::vector<std::wstring>{L"loops", L"lists", L"seed"}));
    EXPECT_TRUE(targets.seeded.empty());
    EXPECT_EQ(settings.ports.lower, 5100);
    EXPECT_FALSE(settings.debug_view);
}

TEST_F(StartupReadTest, WindowsNt4DefaultsToLowerPorts) {
    read(/*nt4=*/true);
    EXPECT_TRUE(has_number(keys::Settings, values::PortLowerLimit, 3100));
    EXPECT_TRUE(has_number(keys::Settings, values::PortUpperLimit, 3200));
    EXPECT_EQ(default_port_range(true).lower, 3100);
    EXPECT_EQ(default_port_range(false).upper, 5200);
}

TEST_F(StartupReadTest, ProfileSwitchesFollowTheirTwoRules) {
    // "CHECKED" switches are on only for that word; date switches are on unless "UNCHECKED".
    const struct {
        const wchar_t* text;
        bool checked_rule;
        bool not_unchecked_rule;
    } cases[] = {
        {L"CHECKED", true, true}, {L"checked", true, true},     {L"Checked", true, true},
        {L"yes", false, true},    {L"UNCHECKED", false, false}, {L"unchecked", false, false},
        {L"", false, true},       {L"CHECKED ", false, true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(test.text)));
        MemoryProfile file;
        for (const auto key : {values::LogDate, values::LogLastTime, values::StartTime,
                               values::SyncLog, values::LogReqDate, values::LogIndvDate})
            file.set(L"Brixtel", key, test.text);
        const LoggingOptions options = read_profile_logging_options(file, {});
        EXPECT_EQ(options.log_date, test.checked_rule);
        EXPECT_EQ(options.log_last_time, test.checked_rule);
        EXPECT_EQ(options.start_time, test.checked_rule);
        EXPECT_EQ(options.sync_log, test.checked_rule);
        EXPECT_EQ(options.log_req_date, test.not_unchecked_rule);
        EXPECT_EQ(options.log_indv_date, test.not_unchecked_rule);
    }
}

TEST_F(StartupReadTest, FirstStartWritesWhatTheFileSays) {
    ini(L"PortLowerLimit", L"4000");
    ini(L"PortUpperLimit", L"4050");
    ini(L"Frequency", L"250");
    ini(L"LogSize", L"12");
    ini(L"SigDig", L"4");
    ini(L"LogDate", L"UNCHECKED");
    ini(L"LogFirstTime", L"checked");
    ini(L"LogReqDate", L"yes");
    ini(L"StartHour", L"7");
    ini(L"StartMinute", L"30");
    ini(L"StartTime", L"CHECKED");
    ini(L"SyncLog", L"no");
    ini(L"DatabaseFiles", L"2");
    ini(L"Database1", L"C:\\DB\\UNIT1.DBF");
    ini(L"Database2", L"C:\\DB\\unit2.csv");
    ini(L"NumberofTags", L"3");
    ini(L"TagLookUp1", L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\DB\\UNIT1.DBF");
    ini(L"TagLookUp3", L"Module 1,2,3 Block 101 -- NO_TAG -- NO_DATABASE");
    targets.loops = {{1, 2, 5099, L"zandor"}, {4, -1, 0, L"simulated"}};
    read();

    EXPECT_TRUE(seat.boxes.empty());
    EXPECT_TRUE(has_number(keys::Settings, values::PortLowerLimit, 4000));
    EXPECT_TRUE(has_number(keys::Settings, values::PortUpperLimit, 4050));
    EXPECT_TRUE(has_number(keys::Settings, values::Frequency, 250));
    EXPECT_TRUE(has_number(keys::Settings, values::SigDig, 4));
    EXPECT_TRUE(has_text(keys::LoopEntries, L"LoopEntry1", L"1.2 5099 zandor"));
    EXPECT_TRUE(has_number(keys::LoopEntries, values::NumberOfLoopEntries, 1));
    EXPECT_TRUE(has_text(keys::Databases, L"Database2", L"C:\\DB\\unit2.csv"));
    EXPECT_TRUE(has_number(keys::Databases, values::DatabaseFiles, 2));
    EXPECT_TRUE(has_flag(kList1, values::LogDate, 0));
    EXPECT_TRUE(has_flag(kList1, values::LogFirstTime, 1));
    EXPECT_TRUE(has_flag(kList1, values::LogReqDate, 1));
    EXPECT_TRUE(has_flag(kList1, values::StartTime, 1));
    EXPECT_TRUE(has_number(kList1, values::StartMinute, 30));
    EXPECT_TRUE(has_flag(kList1, values::SyncLog, 0));
    EXPECT_EQ(seat.enabled[Command::Monitoring], true);

    EXPECT_EQ(settings.frequency_ms, 250u);
    EXPECT_EQ(settings.log_size_mb, 12u);
    EXPECT_EQ(logging.start_hour, 7u);
    EXPECT_EQ(logging.log_size, 12u);
    EXPECT_EQ(targets.calls,
              (std::vector<std::wstring>{L"loops", L"db1=C:\\DB\\UNIT1.DBF",
                                         L"db2=C:\\DB\\unit2.csv", L"lists", L"seed"}));
    EXPECT_EQ(targets.seeded,
              (std::vector<std::wstring>{L"Module 1,2,3 Block 100 -- FIC-101 -- C:\\DB\\UNIT1.DBF",
                                         L"", L"Module 1,2,3 Block 101 -- NO_TAG -- NO_DATABASE"}));
}

TEST_F(StartupReadTest, SecondStartReadsTheRegistryAloneWithDefaultsForMissingValues) {
    read();
    ini(L"Frequency", L"250"); // too late: the file only seeds a first start
    registry.put(kUser, keys::Settings, values::LastLoaded,
                 {RegistryTypeText, text_value_bytes(L"Boilers")});
    registry.put(kUser, keys::Settings, values::DebugView, {RegistryTypeBinary, {2}});
    registry.put(kUser, keys::Settings, values::ShowBlkCheck, {RegistryTypeBinary, {0}});
    registry.put(kUser, keys::Databases, values::DatabaseFiles, {RegistryTypeNumber, {2, 0, 0, 0}});
    registry.put(kUser, keys::Databases, L"Database1",
                 {RegistryTypeText, text_value_bytes(L"C:\\A.DBF")});
    targets = RecordingTargets{};
    settings = Settings{};
    settings.log_size_mb = 99;
    read();
    EXPECT_EQ(settings.last_loaded, L"Boilers");
    EXPECT_TRUE(settings.debug_view);
    EXPECT_FALSE(settings.show_blk_check);
    EXPECT_TRUE(settings.show_log_alert);
    EXPECT_EQ(settings.frequency_ms, 1000u);
    EXPECT_EQ(settings.log_size_mb, 5u); // not written at first start: the default applies
    EXPECT_EQ(settings.ports.upper, 5200);
    EXPECT_EQ(targets.calls, (std::vector<std::wstring>{L"db1=C:\\A.DBF", L"db2=", L"lists"}));
}

TEST_F(StartupReadTest, PortsAreHeldInSixteenBits) {
    registry.put(kUser, keys::Settings, values::PortLowerLimit,
                 {RegistryTypeNumber, {0x10, 0x27, 0x01, 0x00}}); // 65536 + 10000
    read();
    EXPECT_EQ(settings.ports.lower, 10000);
}

struct FirstStartFailure {
    const char* name;
    std::wstring_view failing_key;
    std::vector<StringId> expected;
};

TEST_F(StartupReadTest, FirstStartFailuresAreToldAndTheStartGoesOn) {
    const FirstStartFailure cases[] = {
        {"settings key",
         keys::Settings,
         {ids::SettingsKeyCreateFailed, ids::LoopSettingsWriteFailed,
          ids::DatabaseSettingsWriteFailed, ids::TagSettingsWriteFailed}},
        {"loop entries", keys::LoopEntries, {ids::LoopSettingsWriteFailed}},
        {"databases", keys::Databases, {ids::DatabaseSettingsWriteFailed}},
        {"tags", keys::Tags, {ids::TagSettingsWriteFailed}},
        {"first list",
         L"Software\\Quorrel\\Halvo Brixtel\\Tags\\List1",
         {ids::TagSettingsWriteFailed}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        MemoryRegistry faulty;
        faulty.fail_key(kUser, test.failing_key);
        testing::FakeSeat boxes;
        RecordingTargets calls;
        Settings read_settings;
        LoggingOptions options;
        read_settings_at_startup(faulty, profile, boxes, calls, false, read_settings, options);
        EXPECT_EQ(boxes.shown_texts(), test.expected);
        for (const auto& box : boxes.boxes)
            EXPECT_EQ(box.caption, ids::RegistryError);
        EXPECT_EQ(calls.calls.back(), L"seed");
    }
}

TEST_F(StartupReadTest, FirstStartValueFailuresNameTheirValue) {
    registry.fail_set(kUser, keys::Settings, values::Frequency);
    registry.fail_set(kUser, keys::Settings, values::ShowLogAlert);
    read();
    ASSERT_EQ(seat.boxes.size(), 2u);
    EXPECT_EQ(seat.boxes[0].formatted,
              L"Problems encountered setting <Frequency> value in registry.");
    EXPECT_EQ(seat.boxes[1].text, ids::LogAlertKeyOpenFailed);
    EXPECT_EQ(seat.boxes[1].flags, mb::Ok | mb::IconInformation);
}

// Counts past what the program holds (50 points a list, 28 database files) are damage: reading
// them in full would offer thousands of files, each refused with a message box.
TEST_F(StartupReadTest, FirstStartCountsAreHeldToWhatTheProgramHolds) {
    const struct {
        const wchar_t* tags;
        const wchar_t* databases;
        std::size_t seeded, offered;
    } cases[] = {
        {L"4000000000", L"-5", 50, 0},
        {L"51", L"29", 50, 28},
        {L"50", L"28", 50, 28},
        {L"2", L"2", 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tags);
        MemoryRegistry fresh;
        MemoryProfile file;
        file.set(L"Brixtel", values::NumberofTags, c.tags);
        file.set(L"Brixtel", values::DatabaseFiles, c.databases);
        testing::FakeSeat boxes;
        RecordingTargets calls;
        Settings read_settings;
        LoggingOptions options;
        read_settings_at_startup(fresh, file, boxes, calls, false, read_settings, options);
        EXPECT_EQ(calls.seeded.size(), c.seeded);
        EXPECT_EQ(calls.databases.size(), c.offered);
    }
}

TEST_F(StartupReadTest, NormalStartOffersAtMostTwentyEightDatabaseFiles) {
    registry.create(kUser, keys::Settings, RegistryAccess::ReadWrite);
    auto databases = registry.create(kUser, keys::Databases, RegistryAccess::ReadWrite).key;
    ASSERT_TRUE(databases);
    write_number(*databases, values::DatabaseFiles, 0xFFFFFFFF);
    write_text(*databases, L"Database1", L"C:\\plant.csv");
    databases.reset();
    read();
    ASSERT_EQ(targets.databases.size(), 28u);
    EXPECT_EQ(targets.databases.front(), L"C:\\plant.csv");
    EXPECT_EQ(targets.databases.back(), L"");
}

} // namespace
} // namespace brixtel
