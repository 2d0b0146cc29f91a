#include "logging/logging_options_entry.h"

#include "fake_log_control.h"
#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::FakeLogControl;
using testing::FakeSeat;

LogColumns every_box_ticked() {
    return {true, true, true, true, true, true, true, true, true};
}

struct LimitCase {
    const char* name;
    bool unlimited;
    const wchar_t* field;
    std::optional<std::uint32_t> limit; // nullopt: refused with message 71
};

TEST(LoggingOptionsOk, TheSizeLimitIsANumberOtherThanZeroOrUnlimited) {
    const LimitCase cases[] = {
        {"a limit", false, L"12", 12u},
        {"blanks trimmed", false, L" 3 ", 3u},
        {"unlimited is 0", true, L"", 0u},
        {"unlimited ignores a zero", true, L"0", 0u},
        {"zero", false, L"0", std::nullopt},
        {"empty", false, L"", std::nullopt},
        {"not a number", false, L"5MB", std::nullopt},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LoggingOptionsOk ok = logging_options_ok({LogColumns{}, c.unlimited, c.field});
        if (!c.limit) {
            ASSERT_TRUE(ok.refusal);
            EXPECT_EQ(*ok.refusal, (EntryRefusal{ids::SizeLimitRequired, ids::InvalidSize, true}));
            EXPECT_FALSE(ok.accepted());
            continue;
        }
        ASSERT_TRUE(ok.accepted());
        EXPECT_EQ(ok.choice->limit_mb, *c.limit);
    }
}

TEST(LoggingOptionsOk, ADateBoxCountsOnlyWithItsTimeBox) {
    struct Case {
        const char* name;
        LogColumns boxes;
        LogColumns counted;
    } const cases[] = {
        {"every box", every_box_ticked(), every_box_ticked()},
        {"date boxes without time boxes",
         {false, false, true, false, true, false, true, false, true},
         {false, false, false, false, false, false, false, false, false}},
        {"one pair each way",
         {true, true, true, false, true, true, false, false, true},
         {true, true, true, false, false, true, false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LoggingOptionsOk ok = logging_options_ok({c.boxes, true, L""});
        ASSERT_TRUE(ok.accepted());
        EXPECT_EQ(ok.choice->columns, c.counted);
    }
}

TEST(LoggingOptionsDialog, ColumnsAreLockedWhileAnExportViewLogIsWritten) {
    EXPECT_TRUE(column_boxes_locked(true, false));
    EXPECT_FALSE(column_boxes_locked(true, true));
    EXPECT_FALSE(column_boxes_locked(false, false));
    EXPECT_FALSE(column_boxes_locked(false, true));
}

TEST(LoggingOptionsDialog, CurrentFileIsTheDatedPathOrTheDefault) {
    FakeLogControl log;
    EXPECT_EQ(current_log_file_text(log), L"C:\\Logs\\Plant_3_4_21.CSV");
    log.setting.append_date = false;
    EXPECT_EQ(current_log_file_text(log), L"C:\\Logs\\Plant.CSV");
    log.setting.folder.clear();
    EXPECT_EQ(current_log_file_text(log), log.default_location);
    EXPECT_FALSE(log.has_current_log_path()) << "showing the file does not make it current";
}

TEST(LoggingOptionsDialog, SizeFieldIsCutAtTheFirstCharacterThatIsNotADigit) {
    EXPECT_EQ(size_field_after_typing(L"12"), std::nullopt);
    EXPECT_EQ(size_field_after_typing(L" 12 "), std::nullopt);
    EXPECT_EQ(size_field_after_typing(L""), std::nullopt);
    EXPECT_EQ(size_field_after_typing(L"1.5"), L"1");
    EXPECT_EQ(size_field_after_typing(L" 1 2"), L"1");
    EXPECT_EQ(size_field_after_typing(L"x"), L"");
}

struct TakeCase {
    const char* name;
    std::uint32_t in_use;
    std::uint32_t chosen;
    std::vector<std::wstring> calls;
    std::optional<std::uint32_t> saved; // LogSize afterwards
};

TEST(TakeLoggingOptions, ColumnsAlwaysTheLimitOnlyWhenItChanged) {
    const TakeCase cases[] = {
        {"same limit", 5, 5, {L"set_columns", L"clear_size_exceeded"}, std::nullopt},
        {"new limit",
         5,
         9,
         {L"set_columns", L"set_size_limit_mb(9)", L"refresh_log_status", L"clear_size_exceeded"},
         9u},
        {"unlimited",
         5,
         0,
         {L"set_columns", L"set_size_limit_mb(0)", L"refresh_log_status", L"clear_size_exceeded"},
         0u},
    };
    for (const TakeCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry registry;
        registry.create(RegistryRoot::CurrentUser, keys::Settings, RegistryAccess::ReadWrite);
        FakeSeat seat;
        FakeLogControl log;
        log.limit_mb = c.in_use;
        Settings settings;
        settings.log_size_mb = c.in_use;
        const LogColumns columns{false, true, true, true, false, false, false, true, true};

        take_logging_options({columns, c.chosen}, log, settings, registry, seat);

        EXPECT_EQ(log.calls, c.calls);
        EXPECT_EQ(log.log_columns, columns);
        EXPECT_EQ(log.limit_mb, c.chosen);
        EXPECT_EQ(settings.log_size_mb, c.chosen);
        std::optional<std::uint32_t> saved;
        if (auto key =
                registry.open(RegistryRoot::CurrentUser, keys::Settings, RegistryAccess::Read)) {
            std::uint32_t value = 0;
            if (read_number(*key, values::LogSize, value))
                saved = value;
        }
        EXPECT_EQ(saved, c.saved);
    }
}

TEST(AfterLoggingOptions, WithoutACurrentFileOnlyTheLimitInPartTwoChanges) {
    struct Case {
        const char* name;
        const wchar_t* shown;
        std::uint32_t limit;
        const wchar_t* expected;
    } const cases[] = {
        {"limit after a limit", L"Log Size: 0 MB (of 5 MB)", 12, L"Log Size: 0 MB (of 12 MB)"},
        {"unlimited after a limit", L"Log Size: 2.5 MB (of 5 MB)", 0,
         L"Log Size: 2.5 MB (of unlimited size)"},
        {"limit after unlimited", L"Log Size: 0 MB (of unlimited size)", 7,
         L"Log Size: 0 MB (of 7 MB)"},
        {"an exceeded text has no \" (of \"", L"Log Size: <Exceeded limit of 5 MB>", 9,
         L"Log Size: 0 MB (of 9 MB)"},
        {"nothing shown yet, unlimited", L"", 0, L"Log Size: 0 MB (of unlimited size)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeLogControl log;
        log.limit_mb = c.limit;
        FakeSeat seat;
        refresh_status_after_logging_options(log, seat, c.shown);
        EXPECT_EQ(seat.status[kLogSizeStatusPart], c.expected);
        EXPECT_TRUE(log.calls.empty());
    }
}

TEST(AfterLoggingOptions, WithACurrentFileTheSizeIsCheckedAgain) {
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on ? "logging on" : "logging off");
        FakeLogControl log;
        log.current_path_built = true;
        log.on = on;
        FakeSeat seat;
        refresh_status_after_logging_options(log, seat, L"Log Size: 0 MB (of 5 MB)");
        const std::vector<std::wstring> expected =
            on ? std::vector<std::wstring>{L"check_size"}
               : std::vector<std::wstring>{L"check_size", L"show_logging_off"};
        EXPECT_EQ(log.calls, expected);
        EXPECT_TRUE(seat.status.empty());
    }
}

} // namespace
} // namespace brixtel
