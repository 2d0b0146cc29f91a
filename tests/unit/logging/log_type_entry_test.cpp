#include "logging/log_type_entry.h"

#include "fake_log_control.h"
#include "platform/memory_registry.h"
#include "settings/registry_values.h"
#include "support/fake_seat.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brixtel {
namespace {

using testing::FakeLogControl;
using testing::FakeSeat;

class FakeQueries : public LogTypeQueries {
  public:
    std::set<std::wstring> folders{L"C:\\Logs",          L"C:\\",
                                   L"D:\\Logs",          L"C:\\Logs\\Daily",
                                   L"\\\\server\\share", L"\\\\server\\share\\logs"};
    bool creation_works = true;
    bool alert_ticked = false;
    std::vector<std::wstring> created;
    int alerts = 0;

    bool folder_exists(std::wstring_view folder) override {
        return folders.contains(std::wstring(folder));
    }
    bool create_log_folder(std::wstring_view folder) override {
        created.emplace_back(folder);
        return creation_works;
    }
    bool show_log_alert() override {
        ++alerts;
        return alert_ticked;
    }
};

LogTypeForm new_data_to(const wchar_t* path) {
    LogTypeForm form;
    form.path = path;
    return form;
}

DialogRefusal path_refusal(StringId text, StringId caption) {
    return {text, caption, mb::IconInformation, IDC_LOG_PATH, true};
}

struct PathCase {
    const char* name;
    const wchar_t* typed;
    bool debug_view;
    // Accepted: the folder and base name stored; refused: the message.
    const wchar_t* folder;
    const wchar_t* base_name;
    StringId refusal;
    bool extension_notice = false; // message 342
};

TEST(LogTypeOk, ChecksRebuildsAndSplitsTheTypedFile) {
    const PathCase cases[] = {
        {"view's extension dropped", L"C:\\Logs\\plant.csv", false, L"C:\\Logs", L"plant", 0},
        {"in any case", L"C:\\Logs\\plant.CsV", false, L"C:\\Logs", L"plant", 0},
        {"debug view's own", L"C:\\Logs\\plant.log", true, L"C:\\Logs", L"plant", 0},
        {"other extension kept", L"C:\\Logs\\plant.txt", false, L"C:\\Logs", L"plant.txt", 0, true},
        {"the other view's extension", L"C:\\Logs\\plant.csv", true, L"C:\\Logs", L"plant.csv", 0,
         true},
        {"only the last dot counts", L"C:\\Logs\\plant.2021.csv", false, L"C:\\Logs", L"plant.2021",
         0},
        {"no extension", L"C:\\Logs\\plant", false, L"C:\\Logs", L"plant", 0},
        {"doubled backslashes made single", L"C:\\\\Logs\\\\\\Daily\\\\plant", false,
         L"C:\\Logs\\Daily", L"plant", 0},
        {"blanks around components", L"  C:\\ Logs \\  Daily\\ plant .csv ", false,
         L"C:\\Logs\\Daily", L"plant", 0},
        {"trailing backslashes of the folder", L"C:\\Logs\\\\\\plant.csv", false, L"C:\\Logs",
         L"plant", 0},
        {"drive root keeps its backslash", L"C:\\plant.csv", false, L"C:\\", L"plant", 0},
        {"drive root typed twice", L"C:\\\\plant", false, L"C:\\", L"plant", 0},
        {"UNC prefix kept", L"\\\\server\\share\\\\logs\\plant", false, L"\\\\server\\share\\logs",
         L"plant", 0},
        {"UNC prefix of three", L"\\\\\\server\\share\\plant", false, L"\\\\server\\share",
         L"plant", 0},
        {"colon second is a drive", L"D:\\Logs\\plant", false, L"D:\\Logs", L"plant", 0},
        {"no folder", L"plant.csv", false, nullptr, nullptr, ids::LogDirectoryRequired},
        {"nothing typed", L"", false, nullptr, nullptr, ids::LogDirectoryRequired},
        {"folder of a backslash alone", L"\\plant.csv", false, nullptr, nullptr,
         ids::LogDirectoryRequired},
        {"drive without backslash", L"C:plant.csv", false, nullptr, nullptr,
         ids::LogDirectoryRequired},
        {"one leading backslash", L"\\Logs\\plant.csv", false, nullptr, nullptr,
         ids::UncPathMalformed},
        {"vertical bar", L"C:\\Lo|gs\\plant", false, nullptr, nullptr, ids::PathIllegalCharacters},
        {"question mark in the file", L"C:\\Logs\\pl?nt", false, nullptr, nullptr,
         ids::PathIllegalCharacters},
        {"slash", L"C:/Logs\\plant", false, nullptr, nullptr, ids::PathIllegalCharacters},
        {"quotes", L"\"C:\\Logs\"\\plant", false, nullptr, nullptr, ids::PathIllegalCharacters},
        {"angle brackets and star", L"C:\\<Logs>\\*", false, nullptr, nullptr,
         ids::PathIllegalCharacters},
        {"colon in the file", L"C:\\Logs\\a:b", false, nullptr, nullptr,
         ids::PathIllegalCharacters},
        {"two colons", L"C::\\Logs\\plant", false, nullptr, nullptr, ids::PathIllegalCharacters},
        {"leading colon", L":\\Logs\\plant", false, nullptr, nullptr, ids::PathIllegalCharacters},
        {"colon third", L"CC:\\Logs\\plant", false, nullptr, nullptr, ids::PathIllegalCharacters},
        {"illegal characters come before a single backslash", L"\\Lo?gs\\plant", false, nullptr,
         nullptr, ids::PathIllegalCharacters},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeQueries queries;
        FakeSeat seat;
        LogTypeForm form = new_data_to(c.typed);
        form.append_date = false;
        const LogTypeOk ok = log_type_ok(form, {c.debug_view, 0, true}, queries, seat);
        if (c.refusal) {
            ASSERT_FALSE(ok.accepted());
            ASSERT_TRUE(ok.refusal);
            EXPECT_EQ(ok.refusal->text, c.refusal);
            EXPECT_EQ(ok.refusal->control, IDC_LOG_PATH);
            EXPECT_TRUE(ok.refusal->select_text);
            EXPECT_EQ(ok.refusal->icon, mb::IconInformation);
            EXPECT_TRUE(seat.boxes.empty());
            continue;
        }
        ASSERT_TRUE(ok.accepted());
        EXPECT_EQ(ok.choice->file, (LogFileSetting{c.folder, c.base_name, false}));
        EXPECT_EQ(ok.choice->type, LoggingType::NewOnly);
        if (c.extension_notice) {
            ASSERT_EQ(seat.boxes.size(), 1u);
            EXPECT_EQ(seat.boxes[0].caption, ids::ExtensionChange);
            EXPECT_EQ(seat.boxes[0].formatted,
                      c.debug_view
                          ? L"The log file will be renamed with the .LOG extension for logging "
                            L"in Debug view."
                          : L"The log file will be renamed with the .CSV extension for logging "
                            L"in Export view.");
        } else {
            EXPECT_TRUE(seat.boxes.empty());
        }
    }
}

TEST(LogTypeOk, RefusalsNameTheirCaptions) {
    struct Case {
        const wchar_t* typed;
        DialogRefusal refusal;
    } const cases[] = {
        {L"plant", path_refusal(ids::LogDirectoryRequired, ids::InvalidFilename)},
        {L"C:\\a|b\\plant",
         path_refusal(ids::PathIllegalCharacters, ids::PathContainsIllegalCharacters)},
        {L"\\a\\plant", path_refusal(ids::UncPathMalformed, ids::IllegalUncPath)},
    };
    for (const Case& c : cases) {
        FakeQueries queries;
        FakeSeat seat;
        EXPECT_EQ(log_type_ok(new_data_to(c.typed), {}, queries, seat).refusal, c.refusal);
    }
}

struct LinesCase {
    const char* name;
    PastLines lines;
    const wchar_t* field;
    // Accepted: all lines or the count written; refused: the message.
    bool all;
    std::size_t count;
    StringId refusal;
    std::optional<std::wstring> notice; // message 67 as shown
};

TEST(LogTypeOk, PastLinesAreCheckedAndHeldToWhatIsStored) {
    const std::wstring reset_to_10 =
        L"The number of lines being written to the file has been reset to the maximum <10>.";
    const LinesCase cases[] = {
        {"all lines ignore the field", PastLines::All, L"x", true, 0, 0, std::nullopt},
        {"a count within the stored", PastLines::MostRecent, L"4", false, 4, 0, std::nullopt},
        {"exactly the stored", PastLines::MostRecent, L"10", false, 10, 0, std::nullopt},
        {"blanks trimmed", PastLines::MostRecent, L" 7 ", false, 7, 0, std::nullopt},
        {"more than stored", PastLines::MostRecent, L"11", false, 10, 0, reset_to_10},
        {"far more than stored", PastLines::MostRecent, L"99999999999", false, 10, 0, reset_to_10},
        {"empty", PastLines::MostRecent, L"", false, 0, ids::PastLineCountRequired, std::nullopt},
        {"blanks only", PastLines::MostRecent, L"  ", false, 0, ids::PastLineCountRequired,
         std::nullopt},
        {"zero", PastLines::MostRecent, L"0", false, 0, ids::PastLineCountRequired, std::nullopt},
        {"zeros", PastLines::MostRecent, L"000", false, 0, ids::PastLineCountRequired,
         std::nullopt},
        {"neither button", PastLines::NotChosen, L"5", false, 0, ids::PastDataOptionMissing,
         std::nullopt},
    };
    for (const LinesCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeQueries queries;
        FakeSeat seat;
        LogTypeForm form = new_data_to(L"C:\\Logs\\plant");
        form.past_data = true;
        form.past_lines = c.lines;
        form.line_count = c.field;
        const LogTypeOk ok = log_type_ok(form, {false, 10, true}, queries, seat);
        if (c.refusal) {
            ASSERT_TRUE(ok.refusal);
            EXPECT_EQ(ok.refusal->text, c.refusal);
            EXPECT_EQ(ok.refusal->caption, c.refusal == ids::PastLineCountRequired
                                               ? ids::LineLimitError
                                               : ids::NoSelections);
            EXPECT_TRUE(seat.boxes.empty());
            continue;
        }
        ASSERT_TRUE(ok.accepted());
        EXPECT_EQ(ok.choice->all_past_data, c.all);
        EXPECT_EQ(ok.choice->past_count, c.count);
        if (c.notice) {
            ASSERT_EQ(seat.boxes.size(), 1u);
            EXPECT_EQ(seat.boxes[0].caption, ids::LineLimitError);
            EXPECT_EQ(seat.boxes[0].formatted, *c.notice);
        } else {
            EXPECT_TRUE(seat.boxes.empty());
        }
    }
}

TEST(LogTypeOk, LineFieldIsNotReadWithoutPastData) {
    FakeQueries queries;
    FakeSeat seat;
    LogTypeForm form = new_data_to(L"C:\\Logs\\plant");
    form.past_lines = PastLines::MostRecent;
    form.line_count = L"0";
    const LogTypeOk ok = log_type_ok(form, {}, queries, seat);
    ASSERT_TRUE(ok.accepted());
    EXPECT_EQ(ok.choice->type, LoggingType::NewOnly);
}

struct TypeCase {
    const char* name;
    bool new_data;
    bool past_data;
    std::vector<int> answers; // to message 308
    std::optional<LoggingType> type;
};

TEST(LogTypeOk, TheTwoChoicesGiveTheLoggingTypeAndNeitherAsks) {
    const TypeCase cases[] = {
        {"new data", true, false, {}, LoggingType::NewOnly},
        {"past data", false, true, {}, LoggingType::PastOnly},
        {"both", true, true, {}, LoggingType::PastThenNew},
        {"neither, go on", false, false, {ButtonYes}, LoggingType::Nothing},
        {"neither, back to the dialog", false, false, {ButtonNo}, std::nullopt},
    };
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeQueries queries;
        FakeSeat seat;
        seat.answers.assign(c.answers.begin(), c.answers.end());
        LogTypeForm form = new_data_to(L"C:\\Logs\\plant");
        form.new_data = c.new_data;
        form.past_data = c.past_data;
        form.past_lines = PastLines::All;
        const LogTypeOk ok = log_type_ok(form, {}, queries, seat);
        const bool asked = !c.new_data && !c.past_data;
        ASSERT_EQ(seat.boxes.size(), asked ? 1u : 0u);
        if (asked) {
            EXPECT_EQ(seat.boxes[0].text, ids::NoLoggingChoiceQuestion);
            EXPECT_EQ(seat.boxes[0].caption, ids::NoSelections);
            EXPECT_EQ(seat.boxes[0].flags, mb::YesNo);
        }
        if (!c.type) {
            // The question was the message; nothing more is shown and nothing is focused.
            EXPECT_EQ(ok.refusal, DialogRefusal{});
            continue;
        }
        ASSERT_TRUE(ok.accepted());
        EXPECT_EQ(ok.choice->type, *c.type);
        EXPECT_EQ(ok.choice->file, (LogFileSetting{L"C:\\Logs", L"plant", true}));
    }
}

TEST(LogTypeOk, GoingOnWithoutAChoiceStillChecksTheFile) {
    FakeQueries queries;
    FakeSeat seat;
    seat.answers = {ButtonYes};
    LogTypeForm form = new_data_to(L"plant");
    form.new_data = false;
    const LogTypeOk ok = log_type_ok(form, {}, queries, seat);
    ASSERT_TRUE(ok.refusal);
    EXPECT_EQ(ok.refusal->text, ids::LogDirectoryRequired);
}

struct FolderCase {
    const char* name;
    std::vector<int> answers; // to message 323
    bool creation_works;
    bool accepted;
    std::vector<StringId> shown;
    bool created;
    StringId refusal;
};

TEST(LogTypeOk, AMissingFolderIsCreatedOnlyWhenTheUserAgrees) {
    const FolderCase cases[] = {
        {"yes, created", {ButtonYes}, true, true, {ids::CreateLogDirectoryQuestion}, true, 0},
        {"yes, creation fails",
         {ButtonYes},
         false,
         false,
         {ids::CreateLogDirectoryQuestion},
         true,
         0},
        {"no",
         {ButtonNo},
         true,
         false,
         {ids::CreateLogDirectoryQuestion},
         false,
         ids::LogDirectoryNotCreated},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeQueries queries;
        queries.creation_works = c.creation_works;
        FakeSeat seat;
        seat.answers.assign(c.answers.begin(), c.answers.end());
        const LogTypeOk ok =
            log_type_ok(new_data_to(L"C:\\Logs\\\\ New \\plant.csv"), {}, queries, seat);
        EXPECT_EQ(seat.shown_texts(), c.shown);
        ASSERT_FALSE(seat.boxes.empty());
        EXPECT_EQ(seat.boxes[0].formatted,
                  L"The directory you have specified for the log <C:\\Logs\\New> does not "
                  L"exist.  Do you want Brixtel to create it for you?");
        EXPECT_EQ(seat.boxes[0].flags, mb::YesNo);
        EXPECT_EQ(queries.created, c.created ? std::vector<std::wstring>{L"C:\\Logs\\New"}
                                             : std::vector<std::wstring>{});
        EXPECT_EQ(ok.accepted(), c.accepted);
        if (!c.accepted) {
            const StringId caption = c.refusal ? ids::DirectoryDoesNotExist : StringId{0};
            EXPECT_EQ(ok.refusal, path_refusal(c.refusal, caption));
        }
    }
}

struct AlertCase {
    const char* name;
    bool new_data;
    bool shown_setting;
    bool ticked;
    int alerts;
    bool hidden;
};

TEST(LogTypeOk, PastDataOnlyShowsTheAlertUntilItIsTurnedOff) {
    const AlertCase cases[] = {
        {"past only", false, true, false, 1, false},
        {"past only, box ticked", false, true, true, 1, true},
        {"turned off before", false, false, true, 0, false},
        {"past and new", true, true, true, 0, false},
    };
    for (const AlertCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeQueries queries;
        queries.alert_ticked = c.ticked;
        FakeSeat seat;
        LogTypeForm form = new_data_to(L"C:\\Logs\\plant");
        form.new_data = c.new_data;
        form.past_data = true;
        form.past_lines = PastLines::All;
        const LogTypeOk ok = log_type_ok(form, {false, 3, c.shown_setting}, queries, seat);
        ASSERT_TRUE(ok.accepted());
        EXPECT_EQ(queries.alerts, c.alerts);
        EXPECT_EQ(ok.choice->hide_log_alert, c.hidden);
    }
}

TEST(LogTypeOk, DeletingExistingDataTurnsAppendModeOff) {
    for (const bool delete_existing : {false, true}) {
        FakeQueries queries;
        FakeSeat seat;
        LogTypeForm form = new_data_to(L"C:\\Logs\\plant");
        form.delete_existing = delete_existing;
        const LogTypeOk ok = log_type_ok(form, {}, queries, seat);
        ASSERT_TRUE(ok.accepted());
        EXPECT_EQ(ok.choice->append_mode, !delete_existing);
    }
}

TEST(TakeLogTypeChoice, ConfirmsTheFileSetsTheModeAndAsksForAHeader) {
    for (const bool hide_alert : {false, true}) {
        SCOPED_TRACE(hide_alert ? "alert turned off" : "alert kept");
        MemoryRegistry registry;
        registry.create(RegistryRoot::CurrentUser, keys::Settings, RegistryAccess::ReadWrite);
        FakeSeat seat;
        FakeLogControl log;
        Settings settings;
        LogTypeChoice choice;
        choice.type = LoggingType::NewOnly;
        choice.file = {L"D:\\Logs", L"run.txt", false};
        choice.append_mode = false;
        choice.hide_log_alert = hide_alert;

        take_log_type_choice(choice, log, settings, registry, seat);

        EXPECT_EQ(log.setting, choice.file);
        EXPECT_EQ(log.saved_setting, choice.file);
        EXPECT_FALSE(log.append);
        EXPECT_EQ(log.calls,
                  (std::vector<std::wstring>{L"confirm_file_setting", L"append_mode(off)",
                                             L"request_header", L"refresh_log_status"}));
        EXPECT_EQ(settings.show_log_alert, !hide_alert);
        const auto stored =
            registry.value(RegistryRoot::CurrentUser, keys::Settings, values::ShowLogAlert);
        EXPECT_EQ(stored.has_value(), hide_alert);
        EXPECT_TRUE(seat.boxes.empty());
    }
}

TEST(LogTypeDialogTexts, OpeningBrowsingAndTyping) {
    FakeLogControl log;
    EXPECT_EQ(log_type_path_text(log), L"C:\\Logs\\Plant.CSV") << "no date in the shown file";
    log.setting.folder.clear();
    EXPECT_EQ(log_type_path_text(log), log.default_location);

    EXPECT_EQ(browse_start_file(L"C:\\Logs\\plant.txt", false), L"C:\\Logs\\plant.CSV");
    EXPECT_EQ(browse_start_file(L"C:\\Logs\\plant.CSV", true), L"C:\\Logs\\plant.LOG");
    EXPECT_EQ(browse_start_file(L"C:\\Lo.gs\\plant", false), L"C:\\Lo.gs\\plant.CSV");

    EXPECT_EQ(cut_at_non_digit(L"123"), std::nullopt);
    EXPECT_EQ(cut_at_non_digit(L""), std::nullopt);
    EXPECT_EQ(cut_at_non_digit(L"12a3"), L"12");
    EXPECT_EQ(cut_at_non_digit(L" 12"), L"");
    EXPECT_EQ(cut_at_non_digit(L"-1"), L"");
}

} // namespace
} // namespace brixtel
