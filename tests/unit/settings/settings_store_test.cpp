#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings_store.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

#include <functional>

namespace brixtel {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { registry.create(kUser, keys::Settings, RegistryAccess::ReadWrite); }

    std::wstring text(std::wstring_view path, std::wstring_view name) {
        const auto value = registry.value(kUser, path, name);
        return value ? text_of_value_bytes(value->data) : L"<missing>";
    }
    std::optional<std::uint32_t> number(std::wstring_view path, std::wstring_view name) {
        std::uint32_t out = 0;
        auto key = registry.open(kUser, path, RegistryAccess::Read);
        if (!key || !read_number(*key, name, out))
            return std::nullopt;
        return out;
    }

    MemoryRegistry registry;
    testing::FakeSeat seat;
};

enum class Fault { KeyWontOpen, ValueWontSet };

struct SaveFailureCase {
    const char* name;
    std::function<bool(Registry&, Seat&)> save;
    std::wstring_view value;
    Fault fault;
    StringId text;
    StringId caption;
    unsigned flags;
    const wchar_t* formatted; // nullptr: not checked
};

TEST_F(SettingsStoreTest, EveryFailedSaveShowsItsOwnMessage) {
    const unsigned plain = mb::Ok;
    const unsigned info = mb::Ok | mb::IconInformation;
    const SaveFailureCase cases[] = {
        {"number, key",
         [](Registry& r, Seat& s) { return save_number_setting(r, s, L"SigDig", 3); }, L"SigDig",
         Fault::KeyWontOpen, ids::NamedValueWriteFailed, ids::RegistryError, plain,
         L"Problems encountered setting <SigDig> value in registry."},
        {"number, value",
         [](Registry& r, Seat& s) { return save_number_setting(r, s, L"Frequency", 500); },
         L"Frequency", Fault::ValueWontSet, ids::NamedValueWriteFailed, ids::RegistryError, plain,
         L"Problems encountered setting <Frequency> value in registry."},
        {"last loaded, key", [](Registry& r, Seat& s) { return save_last_loaded(r, s, L"L"); },
         values::LastLoaded, Fault::KeyWontOpen, ids::LastLoadedWriteFailed, ids::RegistryError,
         plain, nullptr},
        {"last loaded, value", [](Registry& r, Seat& s) { return save_last_loaded(r, s, L"L"); },
         values::LastLoaded, Fault::ValueWontSet, ids::LastLoadedWriteFailed, ids::RegistryError,
         plain, nullptr},
        {"view, key", [](Registry& r, Seat& s) { return save_debug_view(r, s, true); },
         values::DebugView, Fault::KeyWontOpen, ids::ViewKeyOpenFailed, ids::ProblemsStoringView,
         info, nullptr},
        {"view, value", [](Registry& r, Seat& s) { return save_debug_view(r, s, true); },
         values::DebugView, Fault::ValueWontSet, ids::ViewStoreFailed, ids::ProblemsStoringView,
         info, nullptr},
        {"block check, key", [](Registry& r, Seat& s) { return save_show_blk_check(r, s, false); },
         values::ShowBlkCheck, Fault::KeyWontOpen, ids::BlockCheckKeyOpenFailed,
         ids::ProblemsStoringBlockCheck, info, nullptr},
        {"block check, value",
         [](Registry& r, Seat& s) { return save_show_blk_check(r, s, false); },
         values::ShowBlkCheck, Fault::ValueWontSet, ids::BlockCheckStoreFailed,
         ids::ProblemsStoringBlockCheck, info, nullptr},
        {"log alert, key", [](Registry& r, Seat& s) { return save_show_log_alert(r, s, false); },
         values::ShowLogAlert, Fault::KeyWontOpen, ids::LogAlertKeyOpenFailed,
         ids::ProblemsStoringLogAlert, info, nullptr},
        {"log alert, value", [](Registry& r, Seat& s) { return save_show_log_alert(r, s, false); },
         values::ShowLogAlert, Fault::ValueWontSet, ids::LogAlertKeyOpenFailed,
         ids::ProblemsStoringLogAlert, info, nullptr},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        MemoryRegistry faulty;
        faulty.create(kUser, keys::Settings, RegistryAccess::ReadWrite);
        if (test.fault == Fault::KeyWontOpen)
            faulty.fail_key(kUser, keys::Settings, /*write_only=*/true);
        else
            faulty.fail_set(kUser, keys::Settings, test.value);
        testing::FakeSeat boxes;
        EXPECT_FALSE(test.save(faulty, boxes));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, test.text);
        EXPECT_EQ(boxes.boxes[0].caption, test.caption);
        EXPECT_EQ(boxes.boxes[0].flags, test.flags);
        if (test.formatted) {
            EXPECT_EQ(boxes.boxes[0].formatted, test.formatted);
        }
        EXPECT_FALSE(faulty.value(kUser, keys::Settings, test.value));
    }
}

TEST_F(SettingsStoreTest, SavesStoreTheirValuesInTheirTypes) {
    EXPECT_TRUE(save_number_setting(registry, seat, values::PortLowerLimit, 4000));
    EXPECT_TRUE(save_last_loaded(registry, seat, L"Boilers"));
    EXPECT_TRUE(save_debug_view(registry, seat, true));
    EXPECT_TRUE(save_show_blk_check(registry, seat, false));
    EXPECT_TRUE(seat.boxes.empty());
    EXPECT_EQ(number(keys::Settings, values::PortLowerLimit), 4000u);
    EXPECT_EQ(text(keys::Settings, values::LastLoaded), L"Boilers");
    EXPECT_EQ(registry.value(kUser, keys::Settings, values::DebugView)->data,
              std::vector<std::uint8_t>{1});
    EXPECT_EQ(registry.value(kUser, keys::Settings, values::ShowBlkCheck)->data,
              std::vector<std::uint8_t>{0});
}

TEST_F(SettingsStoreTest, ResetOfSuppressedDialogsTurnsBothNoticesBackOn) {
    Settings settings;
    settings.show_blk_check = false;
    settings.show_log_alert = false;
    save_show_blk_check(registry, seat, false);
    save_show_log_alert(registry, seat, false);
    reset_suppressed_dialogs(settings, registry, seat);
    EXPECT_TRUE(settings.show_blk_check);
    EXPECT_TRUE(settings.show_log_alert);
    EXPECT_EQ(registry.value(kUser, keys::Settings, values::ShowBlkCheck)->data,
              std::vector<std::uint8_t>{1});
    EXPECT_EQ(registry.value(kUser, keys::Settings, values::ShowLogAlert)->data,
              std::vector<std::uint8_t>{1});
}

TEST_F(SettingsStoreTest, DatabaseListWithOneLeftOutIsRenumberedWithoutGaps) {
    const std::vector<std::wstring> paths{L"C:\\DB\\ONE.DBF", L"C:\\DB\\Two.csv",
                                          L"C:\\DB\\THREE.DBF"};
    ASSERT_TRUE(save_all_database_files(registry, seat, paths));
    ASSERT_TRUE(save_all_database_files(registry, seat, paths, L"c:\\db\\TWO.CSV"));
    EXPECT_EQ(registry.value_names(kUser, keys::Databases),
              (std::vector<std::wstring>{L"Database1", L"Database2", L"DatabaseFiles"}));
    EXPECT_EQ(text(keys::Databases, L"Database1"), L"C:\\DB\\ONE.DBF");
    EXPECT_EQ(text(keys::Databases, L"Database2"), L"C:\\DB\\THREE.DBF");
    EXPECT_EQ(number(keys::Databases, values::DatabaseFiles), 2u);
}

TEST_F(SettingsStoreTest, DatabaseListThatCannotBeWrittenSays109) {
    registry.fail_key(kUser, keys::Databases);
    const std::vector<std::wstring> paths{L"C:\\A.DBF"};
    EXPECT_FALSE(save_all_database_files(registry, seat, paths));
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::DatabasesWriteFailed});
    EXPECT_EQ(seat.boxes[0].caption, ids::RegistryError);
}

TEST_F(SettingsStoreTest, LoopEntryTextsFollowWhetherTheEntryHasAPcu) {
    const struct {
        StoredLoopEntry entry;
        const wchar_t* text;
    } cases[] = {
        {{1, 2, 5099, L"zandor1"}, L"1.2 5099 zandor1"},
        {{3, -1, 5001, L"10.0.0.7"}, L"3 5001 10.0.0.7"},
        {{0, 0, 1, L"h"}, L"0.0 1 h"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(loop_entry_text(test.entry), test.text);
}

TEST_F(SettingsStoreTest, SavingLoopEntriesSkipsTheOneLeftOutAndSimulations) {
    write_loop_entry(registry, L"LoopEntry9", L"stale"); // no key yet: nothing happens
    const std::vector<StoredLoopEntry> loops{
        {1, 2, 5099, L"a"}, {2, -1, 0, L"simulated"}, {3, -1, 5001, L"b"}, {4, 1, 5002, L"c"}};
    ASSERT_TRUE(save_all_loop_entries(registry, seat, loops));
    ASSERT_TRUE(save_all_loop_entries(registry, seat, loops, 2));
    EXPECT_EQ(registry.value_names(kUser, keys::LoopEntries),
              (std::vector<std::wstring>{L"LoopEntry1", L"LoopEntry2", L"NumberOfLoopEntries"}));
    EXPECT_EQ(text(keys::LoopEntries, L"LoopEntry1"), L"1.2 5099 a");
    EXPECT_EQ(text(keys::LoopEntries, L"LoopEntry2"), L"4.1 5002 c");
    EXPECT_EQ(number(keys::LoopEntries, values::NumberOfLoopEntries), 2u);
}

TEST_F(SettingsStoreTest, LoopEntriesThatCannotBeWrittenSay108) {
    registry.fail_key(kUser, keys::LoopEntries);
    EXPECT_FALSE(save_all_loop_entries(registry, seat, {}));
    EXPECT_EQ(seat.shown_texts(), std::vector<StringId>{ids::LoopSettingsWriteFailed});
}

TEST_F(SettingsStoreTest, LoopEntryReadFallsBackToTheFileThenTheDefault) {
    MemoryProfile profile;
    profile.set(L"Brixtel", L"LoopEntry1", L"9 9 from-file");
    profile.set(L"Brixtel", L"LoopEntry2", L"8 8 from-file");
    registry.create(kUser, keys::LoopEntries, RegistryAccess::ReadWrite);
    write_loop_entry(registry, L"LoopEntry1", L"1 5000 from-registry");
    write_loop_entry(registry, L"LoopEntry3", std::wstring(300, L'x'));

    EXPECT_EQ(read_loop_entry(registry, profile, L"LoopEntry1", L"dflt", 256),
              L"1 5000 from-registry");
    EXPECT_EQ(read_loop_entry(registry, profile, L"LoopEntry2", L"dflt", 256), L"8 8 from-file");
    // Too long for the caller's buffer: read as missing.
    EXPECT_EQ(read_loop_entry(registry, profile, L"LoopEntry3", L"dflt", 256), L"dflt");

    write_loop_entry(registry, L"LoopEntry1", std::nullopt);
    EXPECT_EQ(read_loop_entry(registry, profile, L"LoopEntry1", L"dflt", 256), L"9 9 from-file");
}

} // namespace
} // namespace brixtel
