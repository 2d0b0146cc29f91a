// The Logging menu's dialogs, opened as a user opens them: "Type of Logging" (Log Data...) and
// "Logging Options" (Configure Logging Options...), their first looks, their refusals, and
// what Cancel and OK leave behind in the menu, the status bar and the registry.
//
// LogWriterDialogTest needs the log writer itself (file names with the date, the size check's
// status texts); the other suites need only the dialogs.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/logging.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

constexpr UINT kLogData = kLogDataCommand;
constexpr UINT kConfigureLogging = kConfigureLoggingCommand;
constexpr UINT kResetSuppressedDialogs = 40027;

constexpr const wchar_t* kOptionsTitle = kLoggingOptionsTitle;

// "Type of Logging".
constexpr int kPastData = 1043;
constexpr int kNewData = 1044;
constexpr int kLineCount = 1047;
constexpr int kLinesLabel = 1049;
constexpr int kAllLines = 1123;
constexpr int kRecentLines = 1151;
constexpr int kPath = 1154;
constexpr int kAppendDate = 1155;
constexpr int kBrowse = 1156;
constexpr int kReset = 1157;
constexpr int kDeleteExisting = 1159;
constexpr int kLoggingOptions = 1160;
constexpr int kBufferCount = 1162;

// "Logging Options".
constexpr int kSizeLimit = 1070;
constexpr int kDate = 1108;
constexpr int kFirstTime = 1109;
constexpr int kLastTime = 1110;
constexpr int kIndvTime = 1111;
constexpr int kReqTime = 1114;
constexpr int kReqDate = 1118;
constexpr int kFirstDate = 1119;
constexpr int kLastDate = 1120;
constexpr int kIndvDate = 1121;
constexpr int kColumnsGroup = 1158;
constexpr int kUnlimited = 1165;
constexpr int kCurrentFile = 1167;

// "Log Alert".
constexpr int kDontShowAgain = 1147;

const wchar_t kNoFolderMessage[] =
    L"You must enter a valid log directory; otherwise press Cancel to exit out of the dialog.";
const wchar_t kUncMessage[] = L"The UNC path you have entered is not specified correctly.  "
                              L"Please go back and edit your path.";
const wchar_t kIllegalMessage[] =
    L"The path you have entered contains one or more of the following illegal characters: "
    L"|<>*?/\" (or possibly a colon in the wrong place) .  Please go back and edit your path.";
const wchar_t kDigitMessage[] = L"You must enter a valid numeric character.";
const wchar_t kIntegerMessage[] = L"You may only enter integer values in this field.";
const wchar_t kSizeLimitMessage[] =
    L"You must enter a valid number for the size limit of the current log.  The field cannot be "
    L"blank or set to zero.\nPlease enter a valid number or press Cancel to exit out of the "
    L"dialog.";
const wchar_t kNoChoiceMessage[] =
    L"You have not made a logging choice.\nDo you wish to continue?\n\nPress \"Yes\" to "
    L"continue or \"No\" to return to the dialog.";

// Types the text at the end of the field, one posted character at a time, as the keyboard
// would: a box the field shows on a wrong character does not block the caller.
bool type_text(HWND dialog, int id, std::wstring_view text) {
    HWND item = dialog_item(dialog, id);
    if (!item || !PostMessageW(item, EM_SETSEL, 0x7FFF, 0x7FFF))
        return false;
    for (const wchar_t c : text) {
        if (!PostMessageW(item, WM_CHAR, c, 1))
            return false;
    }
    return true;
}

// Whether the process has loaded a module of this file name.
bool has_module(HANDLE process, std::wstring_view name) {
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!K32EnumProcessModules(process, modules, sizeof(modules), &bytes))
        return false;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
        wchar_t base[MAX_PATH] = {};
        if (K32GetModuleBaseNameW(process, modules[i], base, MAX_PATH) && same_text(base, name))
            return true;
    }
    return false;
}

bool ends_with(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() && same_text(text.substr(text.size() - end.size()), end);
}

class LoggingDialogTest : public BrixtelTest {
  protected:
    void SetUp() override {
        BrixtelTest::SetUp();
        ASSERT_TRUE(documents.redirect());
        ASSERT_TRUE(brixtel.launch());
    }

    ::testing::AssertionResult open(UINT command, std::wstring_view title, HWND* dialog) {
        return open_dialog(brixtel, command, title, dialog);
    }

    ::testing::AssertionResult leave(HWND dialog, int button) {
        return leave_dialog(brixtel, dialog, button);
    }

    // Presses OK, expects a box with this caption and text, answers it with `button`, and
    // checks that the dialog is still open.
    ::testing::AssertionResult ok_is_refused(HWND dialog, std::wstring_view caption,
                                             std::wstring_view text,
                                             std::wstring_view button = L"OK") {
        if (!click(dialog, IDOK))
            return ::testing::AssertionFailure() << "OK cannot be clicked";
        return box_is_answered(dialog, caption, text, button);
    }

    // A box over the dialog with this caption and text, answered with `button`; the dialog
    // stays open.
    ::testing::AssertionResult box_is_answered(HWND dialog, std::wstring_view caption,
                                               std::wstring_view text,
                                               std::wstring_view button = L"OK") {
        HWND box = nullptr;
        if (auto found = brixtel.wait_for_window(caption, &box); !found)
            return found;
        const auto content = read_message_box(box);
        if (!content)
            return ::testing::AssertionFailure() << "the box went away before it was read";
        if (content->text != text)
            return ::testing::AssertionFailure() << "box text \"" << narrow(content->text) << "\"";
        if (GetWindow(box, GW_OWNER) != dialog)
            return ::testing::AssertionFailure() << "the box is not owned by the dialog";
        if (!press_message_box_button(box, button))
            return ::testing::AssertionFailure() << "the box has no " << narrow(button);
        if (auto gone = brixtel.wait_until_gone(box); !gone)
            return gone;
        if (!IsWindowVisible(dialog))
            return ::testing::AssertionFailure() << "the dialog closed after the box";
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult log_data_checked(bool expected) {
        return command_checked(brixtel, kLogData, expected);
    }

    DocumentsFolder documents;
};

using LogTypeDialogTest = LoggingDialogTest;

TEST_F(LogTypeDialogTest, OpensWithNewDataTickedThePastChoicesOffAndTheDefaultFile) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    EXPECT_EQ(check_state(dialog, kNewData), BST_CHECKED);
    EXPECT_EQ(check_state(dialog, kPastData), BST_UNCHECKED);
    for (const int id : {kAllLines, kRecentLines, kLinesLabel, kLineCount}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(item_enabled(dialog, id));
    }
    EXPECT_EQ(item_text(dialog, kBufferCount), L"There are presently 0 lines in the buffer.");
    EXPECT_EQ(check_state(dialog, kAppendDate), BST_CHECKED);
    EXPECT_EQ(check_state(dialog, kDeleteExisting), BST_UNCHECKED);
    const std::wstring file = item_text(dialog, kPath);
    EXPECT_NE(file.find(L"\\Halvo LOGS\\Brixtel"), std::wstring::npos) << narrow(file);
    EXPECT_TRUE(ends_with(file, L".CSV")) << narrow(file);

    // Reset puts the default file back, with the date appended.
    ASSERT_TRUE(set_item_text(dialog, kPath, L"C:\\Elsewhere\\x.csv"));
    ASSERT_TRUE(set_checked(dialog, kAppendDate, false));
    ASSERT_TRUE(click(dialog, kReset));
    EXPECT_TRUE(poll_until([&] { return item_text(dialog, kPath) != L"C:\\Elsewhere\\x.csv"; },
                           kWaitBound));
    const std::wstring reset = item_text(dialog, kPath);
    EXPECT_NE(reset.find(L"\\Halvo LOGS\\Brixtel"), std::wstring::npos) << narrow(reset);
    EXPECT_EQ(check_state(dialog, kAppendDate), BST_CHECKED);
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

TEST_F(LogTypeDialogTest, PastDataChoicesFollowTheirBox) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    ASSERT_TRUE(set_checked(dialog, kPastData, true));
    EXPECT_TRUE(poll_until([&] { return item_enabled(dialog, kAllLines); }, kWaitBound));
    EXPECT_EQ(check_state(dialog, kAllLines), BST_CHECKED) << "All lines is the first choice";
    EXPECT_TRUE(item_enabled(dialog, kRecentLines));
    EXPECT_TRUE(item_enabled(dialog, kLinesLabel));
    EXPECT_FALSE(item_enabled(dialog, kLineCount));

    ASSERT_TRUE(click(dialog, kRecentLines));
    EXPECT_TRUE(poll_until([&] { return item_enabled(dialog, kLineCount); }, kWaitBound));
    EXPECT_EQ(check_state(dialog, kAllLines), BST_UNCHECKED);

    // Typing: the count is cut before the first character that is not a digit.
    ASSERT_TRUE(type_text(dialog, kLineCount, L"12a"));
    ASSERT_TRUE(box_is_answered(dialog, L"Incorrect Format", kDigitMessage));
    EXPECT_EQ(item_text(dialog, kLineCount), L"12");
    EXPECT_TRUE(has_focus(dialog, kLineCount));

    ASSERT_TRUE(set_checked(dialog, kPastData, false));
    EXPECT_TRUE(poll_until([&] { return !item_enabled(dialog, kLineCount); }, kWaitBound));
    for (const int id : {kAllLines, kRecentLines, kLinesLabel}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(item_enabled(dialog, id));
    }
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

TEST_F(LogTypeDialogTest, RefusesBadFilesAndKeepsTheFileSelected) {
    struct Case {
        const wchar_t* typed;
        const wchar_t* caption;
        const wchar_t* text;
    } const cases[] = {
        {L"plant.csv", L"Invalid Filename", kNoFolderMessage},
        {L"\\Logs\\plant.csv", L"Illegal UNC Path", kUncMessage},
        {L"C:\\Lo|gs\\plant.csv", L"Path Contains Illegal Characters", kIllegalMessage},
        {L"C:\\Logs\\a:b.csv", L"Path Contains Illegal Characters", kIllegalMessage},
    };
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.typed));
        ASSERT_TRUE(set_item_text(dialog, kPath, c.typed));
        ASSERT_TRUE(ok_is_refused(dialog, c.caption, c.text));
        EXPECT_TRUE(has_focus(dialog, kPath));
        EXPECT_TRUE(whole_text_selected(dialog, kPath));
    }
    EXPECT_TRUE(leave(dialog, IDCANCEL));
    EXPECT_TRUE(log_data_checked(false));
}

TEST_F(LogTypeDialogTest, NeitherChoiceAsksAndNoGoesBackToTheDialog) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    ASSERT_TRUE(set_checked(dialog, kNewData, false));
    ASSERT_TRUE(ok_is_refused(dialog, L"No Selections", kNoChoiceMessage, L"No"));
    // Yes goes on without logging; the file is still taken over.
    ASSERT_TRUE(click(dialog, IDOK));
    HWND box = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"No Selections", &box));
    ASSERT_TRUE(press_message_box_button(box, L"Yes"));
    EXPECT_TRUE(brixtel.wait_until_gone(dialog));
    EXPECT_TRUE(log_data_checked(false));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
}

TEST_F(LogTypeDialogTest, CancelChangesNothing) {
    std::optional<std::wstring> status_before;
    ASSERT_TRUE(poll_until(
        [&] {
            status_before = brixtel.status_text(kStatusLogFile);
            return status_before && !status_before->empty();
        },
        kWaitBound));
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    const std::wstring file = item_text(dialog, kPath);
    ASSERT_TRUE(set_item_text(dialog, kPath, L"C:\\Other\\run.csv"));
    ASSERT_TRUE(set_checked(dialog, kAppendDate, false));
    ASSERT_TRUE(set_checked(dialog, kDeleteExisting, true));
    ASSERT_TRUE(leave(dialog, IDCANCEL));
    EXPECT_TRUE(log_data_checked(false));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    EXPECT_EQ(brixtel.status_text(kStatusLogFile), status_before);

    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    EXPECT_EQ(item_text(dialog, kPath), file);
    EXPECT_EQ(check_state(dialog, kAppendDate), BST_CHECKED);
    EXPECT_EQ(check_state(dialog, kDeleteExisting), BST_UNCHECKED);
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

TEST_F(LogTypeDialogTest, AMissingFolderIsCreatedWhenTheUserAgrees) {
    const std::wstring folder = L"C:\\e2e-logs-" + std::to_wstring(GetTickCount());
    const std::wstring daily = folder + L"\\Daily";
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    ASSERT_TRUE(set_item_text(dialog, kPath, folder + L"\\ Daily \\plant.csv"));
    const std::wstring question = L"The directory you have specified for the log <" + daily +
                                  L"> does not exist.  Do you want Brixtel to create it for you?";
    ASSERT_TRUE(ok_is_refused(dialog, L"Directory does not exist", question, L"No"));
    ASSERT_TRUE(box_is_answered(
        dialog, L"Directory does not exist",
        L"You have chosen not to create the directory for the log file.  You will need to "
        L"respecify the log file location or press \"Cancel\" to continue on."));
    EXPECT_EQ(GetFileAttributesW(daily.c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(click(dialog, IDOK));
    HWND box = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"Directory does not exist", &box));
    ASSERT_TRUE(press_message_box_button(box, L"Yes"));
    ASSERT_TRUE(brixtel.wait_until_gone(dialog));
    const DWORD attributes = GetFileAttributesW(daily.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(log_data_checked(true));

    // Log Data again switches logging off without a dialog.
    ASSERT_TRUE(brixtel.post_command(kLogData));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    EXPECT_TRUE(log_data_checked(false));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();

    // The file was taken over rebuilt, without the view's extension in its name.
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    EXPECT_EQ(item_text(dialog, kPath), daily + L"\\plant.CSV");
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

// Browse offers the system's save-file dialog; the file chosen there goes into the file box.
TEST_F(LogTypeDialogTest, BrowsePutsTheChosenFileIntoTheFileBox) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    ASSERT_TRUE(click(dialog, kBrowse));
    HWND chooser = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"Save As", &chooser));
    constexpr int kFileNameBox = 0x47C; // the file name combo box of the system's dialog
    // It starts from the file in the box, with the view's extension.
    const std::wstring offered = item_text(chooser, kFileNameBox);
    EXPECT_NE(offered.find(L"Brixtel"), std::wstring::npos) << narrow(offered);
    EXPECT_TRUE(ends_with(offered, L".CSV")) << narrow(offered);
    ASSERT_TRUE(set_item_text(chooser, kFileNameBox, L"C:\\windows\\temp\\chosen.csv"));
    ASSERT_TRUE(leave(chooser, IDOK));
    EXPECT_TRUE(poll_until(
        [&] { return same_text(item_text(dialog, kPath), L"C:\\windows\\temp\\chosen.csv"); },
        kWaitBound))
        << narrow(item_text(dialog, kPath));
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

// F1 on a control asks for its help text: the HTML Help library is loaded then, not before.
TEST_F(LogTypeDialogTest, HelpLoadsHtmlHelpOnFirstUse) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    ASSERT_FALSE(has_module(brixtel.process(), L"hhctrl.ocx"));
    constexpr UINT kKeyF1 = 0x004D; // what the keyboard turns F1 into for the focused window
    ASSERT_TRUE(PostMessageW(dialog_item(dialog, kPath), kKeyF1, 0, 0));
    EXPECT_TRUE(
        poll_until([&] { return has_module(brixtel.process(), L"hhctrl.ocx"); }, kWaitBound));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

using LoggingOptionsDialogTest = LoggingDialogTest;

TEST_F(LoggingOptionsDialogTest, OpensWithTheColumnsAndTheLimitInUse) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kConfigureLogging, kOptionsTitle, &dialog));
    struct Box {
        int id;
        int state;
        bool enabled;
    } const boxes[] = {
        {kDate, BST_CHECKED, true},         {kReqTime, BST_CHECKED, true},
        {kReqDate, BST_UNCHECKED, true},    {kFirstTime, BST_UNCHECKED, true},
        {kFirstDate, BST_UNCHECKED, false}, {kLastTime, BST_UNCHECKED, true},
        {kLastDate, BST_UNCHECKED, false},  {kIndvTime, BST_UNCHECKED, true},
        {kIndvDate, BST_UNCHECKED, false},  {kUnlimited, BST_UNCHECKED, true},
    };
    for (const Box& box : boxes) {
        SCOPED_TRACE(box.id);
        EXPECT_EQ(check_state(dialog, box.id), box.state);
        EXPECT_EQ(item_enabled(dialog, box.id), box.enabled);
    }
    EXPECT_TRUE(item_enabled(dialog, kColumnsGroup));
    EXPECT_EQ(item_text(dialog, kSizeLimit), L"5");
    EXPECT_TRUE(item_enabled(dialog, kSizeLimit));
    const std::wstring file = item_text(dialog, kCurrentFile);
    EXPECT_NE(file.find(L"\\Halvo LOGS\\Brixtel"), std::wstring::npos) << narrow(file);
    EXPECT_TRUE(ends_with(file, L".CSV")) << narrow(file);

    // A date box follows its time box; unticking the time box clears the date.
    ASSERT_TRUE(set_checked(dialog, kFirstTime, true));
    EXPECT_TRUE(poll_until([&] { return item_enabled(dialog, kFirstDate); }, kWaitBound));
    ASSERT_TRUE(set_checked(dialog, kFirstDate, true));
    ASSERT_TRUE(set_checked(dialog, kFirstTime, false));
    EXPECT_TRUE(poll_until([&] { return !item_enabled(dialog, kFirstDate); }, kWaitBound));
    EXPECT_EQ(check_state(dialog, kFirstDate), BST_UNCHECKED);

    ASSERT_TRUE(set_checked(dialog, kUnlimited, true));
    EXPECT_TRUE(poll_until([&] { return !item_enabled(dialog, kSizeLimit); }, kWaitBound));
    ASSERT_TRUE(set_checked(dialog, kUnlimited, false));
    EXPECT_TRUE(poll_until([&] { return item_enabled(dialog, kSizeLimit); }, kWaitBound));
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

TEST_F(LoggingOptionsDialogTest, RefusesAZeroLimitAndCutsWhatIsNotADigit) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kConfigureLogging, kOptionsTitle, &dialog));
    ASSERT_TRUE(set_item_text(dialog, kSizeLimit, L""));
    ASSERT_TRUE(type_text(dialog, kSizeLimit, L" 7x"));
    ASSERT_TRUE(box_is_answered(dialog, L"Incorrect Format", kIntegerMessage));
    EXPECT_EQ(item_text(dialog, kSizeLimit), L"7");
    EXPECT_TRUE(has_focus(dialog, kSizeLimit));

    for (const wchar_t* field : {L"0", L"", L" 00 "}) {
        SCOPED_TRACE("field \"" + narrow(field) + "\"");
        ASSERT_TRUE(set_item_text(dialog, kSizeLimit, field));
        ASSERT_TRUE(ok_is_refused(dialog, L"Invalid Size", kSizeLimitMessage));
        EXPECT_TRUE(has_focus(dialog, kSizeLimit));
        if (*field != L'\0') {
            EXPECT_TRUE(whole_text_selected(dialog, kSizeLimit));
        }
    }
    EXPECT_TRUE(leave(dialog, IDCANCEL));
    EXPECT_FALSE(raw_value(HKEY_CURRENT_USER, kSettingsKey, L"LogSize").has_value());
}

TEST_F(LoggingOptionsDialogTest, CancelChangesNothing) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kConfigureLogging, kOptionsTitle, &dialog));
    ASSERT_TRUE(set_item_text(dialog, kSizeLimit, L"9"));
    ASSERT_TRUE(set_checked(dialog, kLastTime, true));
    ASSERT_TRUE(set_checked(dialog, kDate, false));
    ASSERT_TRUE(leave(dialog, IDCANCEL));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: 0 MB (of 5 MB)"));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    EXPECT_FALSE(raw_value(HKEY_CURRENT_USER, kSettingsKey, L"LogSize").has_value());

    ASSERT_TRUE(open(kConfigureLogging, kOptionsTitle, &dialog));
    EXPECT_EQ(item_text(dialog, kSizeLimit), L"5");
    EXPECT_EQ(check_state(dialog, kLastTime), BST_UNCHECKED);
    EXPECT_EQ(check_state(dialog, kDate), BST_CHECKED);
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

TEST_F(LoggingOptionsDialogTest, OkKeepsTheColumnsAndStoresAndShowsTheLimit) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kConfigureLogging, kOptionsTitle, &dialog));
    ASSERT_TRUE(set_item_text(dialog, kSizeLimit, L"12"));
    ASSERT_TRUE(set_checked(dialog, kIndvTime, true));
    ASSERT_TRUE(set_checked(dialog, kIndvDate, true));
    ASSERT_TRUE(set_checked(dialog, kDate, false));
    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: 0 MB (of 12 MB)"));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    EXPECT_TRUE(is_number(kSettingsKey, L"LogSize", 12));

    ASSERT_TRUE(open(kConfigureLogging, kOptionsTitle, &dialog));
    EXPECT_EQ(item_text(dialog, kSizeLimit), L"12");
    EXPECT_EQ(check_state(dialog, kIndvTime), BST_CHECKED);
    EXPECT_EQ(check_state(dialog, kIndvDate), BST_CHECKED);
    EXPECT_EQ(check_state(dialog, kDate), BST_UNCHECKED);
    ASSERT_TRUE(set_checked(dialog, kUnlimited, true));
    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(
        brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: 0 MB (of unlimited size)"));
    EXPECT_TRUE(is_number(kSettingsKey, L"LogSize", 0));
}

TEST_F(LoggingOptionsDialogTest, OpensOverTheLogTypeDialogAndLeavesItsFileAlone) {
    HWND log_type = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &log_type));
    const std::wstring file = item_text(log_type, kPath);
    ASSERT_TRUE(click(log_type, kLoggingOptions));
    HWND options = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(kOptionsTitle, &options));
    EXPECT_EQ(GetWindow(options, GW_OWNER), log_type);
    ASSERT_TRUE(leave(options, IDCANCEL));
    EXPECT_TRUE(IsWindowVisible(log_type));
    EXPECT_EQ(item_text(log_type, kPath), file);
    EXPECT_TRUE(leave(log_type, IDCANCEL));
}

// ---- With the log writer ------------------------------------------------------------------------

using LogWriterDialogTest = LoggingDialogTest;

// The options dialog opened from the Logging type dialog shows the file being chosen there,
// with the date the writer puts into its name.
TEST_F(LogWriterDialogTest, OptionsShowTheChosenFileWithTheDate) {
    const std::wstring date = file_date_text();
    ASSERT_FALSE(date.empty());
    HWND log_type = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &log_type));
    ASSERT_TRUE(set_item_text(log_type, kPath, L"C:\\windows\\temp\\plant.csv"));
    ASSERT_TRUE(click(log_type, kLoggingOptions));
    HWND options = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(kOptionsTitle, &options));
    EXPECT_EQ(item_text(options, kCurrentFile), L"C:\\windows\\temp\\plant_" + date + L".CSV");
    ASSERT_TRUE(leave(options, IDCANCEL));
    ASSERT_TRUE(set_checked(log_type, kAppendDate, false));
    ASSERT_TRUE(click(log_type, kLoggingOptions));
    ASSERT_TRUE(brixtel.wait_for_window(kOptionsTitle, &options));
    EXPECT_EQ(item_text(options, kCurrentFile), L"C:\\windows\\temp\\plant.CSV");
    ASSERT_TRUE(leave(options, IDCANCEL));
    EXPECT_TRUE(leave(log_type, IDCANCEL));
}

// New data only: logging starts on the chosen file, shown in the status bar; Log Data again
// stops it without a dialog.
TEST_F(LogWriterDialogTest, LogDataStartsAndStopsLogging) {
    const std::wstring date = file_date_text();
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    ASSERT_TRUE(set_item_text(dialog, kPath, L"C:\\\\windows\\\\temp\\ run.csv"));
    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(log_data_checked(true));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: ON"));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogFile, L"Log File: C:\\windows\\temp\\run_" +
                                                                 date + L".CSV"));

    // With logging on in the Export View the columns cannot change; the limit can.
    ASSERT_TRUE(open(kConfigureLogging, kOptionsTitle, &dialog));
    for (const int id : {kColumnsGroup, kDate, kReqTime, kReqDate, kFirstTime, kIndvDate}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(item_enabled(dialog, id));
    }
    EXPECT_TRUE(item_enabled(dialog, kSizeLimit));
    ASSERT_TRUE(set_item_text(dialog, kSizeLimit, L"3"));
    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: 0 MB (of 3 MB)"));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: ON"));

    ASSERT_TRUE(brixtel.post_command(kLogData));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    EXPECT_TRUE(log_data_checked(false));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

// Past data only: the alert says logging stays off; ticking its box turns it off for good,
// until "Reset all suppressed dialogs".
TEST_F(LogWriterDialogTest, PastDataOnlyAlertCanBeTurnedOffAndReset) {
    const std::wstring date = file_date_text();
    const auto log_past_data = [&](bool alert_expected, bool tick) -> ::testing::AssertionResult {
        HWND dialog = nullptr;
        if (auto opened = open(kLogData, kLogTypeTitle, &dialog); !opened)
            return opened;
        if (!set_checked(dialog, kNewData, false) || !set_checked(dialog, kPastData, true) ||
            !set_item_text(dialog, kPath, L"C:\\windows\\temp\\past.csv") || !click(dialog, IDOK))
            return ::testing::AssertionFailure() << "the dialog cannot be filled in";
        if (alert_expected) {
            HWND alert = nullptr;
            if (auto shown = brixtel.wait_for_window(L"Log Alert", &alert); !shown)
                return shown;
            if (tick && !set_checked(alert, kDontShowAgain, true))
                return ::testing::AssertionFailure() << "the alert's box cannot be ticked";
            if (auto left = leave(alert, IDOK); !left)
                return left;
        }
        return brixtel.wait_until_gone(dialog);
    };
    ASSERT_TRUE(log_past_data(true, false));
    EXPECT_TRUE(is_flag(kSettingsKey, L"ShowLogAlert", 1));
    ASSERT_TRUE(log_past_data(true, true));
    EXPECT_TRUE(poll_until([] { return is_flag(kSettingsKey, L"ShowLogAlert", 0); }, kWaitBound));
    ASSERT_TRUE(log_past_data(false, false));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();

    ASSERT_TRUE(brixtel.post_command(kResetSuppressedDialogs));
    EXPECT_TRUE(poll_until([] { return is_flag(kSettingsKey, L"ShowLogAlert", 1); }, kWaitBound));
    ASSERT_TRUE(log_past_data(true, false));

    // Past data only never switches logging on; the file holds what was written.
    EXPECT_TRUE(log_data_checked(false));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    const std::wstring file = L"C:\\windows\\temp\\past_" + date + L".CSV";
    EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << narrow(file);
}

// ---- With monitoring ----------------------------------------------------------------------------

std::string file_text(const std::wstring& path) {
    std::string text;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[65536];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

std::size_t answers_in(const std::string& log) {
    std::size_t count = 0;
    for (std::size_t at = log.find(" read output "); at != std::string::npos;
         at = log.find(" read output ", at + 1))
        ++count;
    return count;
}

using LogWriterMonitoringTest = BrixtelTest;

// At the fastest interval the Debug View log holds every answer with all its lines under the
// answer's date and time (the records of a turn of the message loop are written together),
// and the file is read-only once logging stops.
TEST_F(LogWriterMonitoringTest, DebugViewLogHoldsWholeAnswersAndEndsReadOnly) {
    ZandorSim zandor;
    int port = 0;
    ASSERT_TRUE(zandor.start_on_free_port(&port));
    ASSERT_TRUE(store_loop_entries({L"1.2 " + std::to_wstring(port) + L" 127.0.0.1"}));
    std::vector<std::wstring> points;
    for (int block = 1; block <= 10; ++block)
        points.push_back(L"Module 1,2,5 Block " + std::to_wstring(block) +
                         L" -- NO_TAG -- NO_DATABASE");
    ASSERT_TRUE(store_startup_tag_list(L"Plant", points));
    ASSERT_TRUE(store_update_interval(10));
    ASSERT_TRUE(write_binary(HKEY_CURRENT_USER, kSettingsKey, L"DebugView", {1}));
    const std::wstring file = L"C:\\windows\\temp\\answers.LOG";
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file.c_str());
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(brixtel.wait_for_status_text(5, L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " +
                                                    std::to_wstring(port) + L" connstat=OK"));

    HWND dialog = nullptr;
    ASSERT_TRUE(brixtel.post_command(kLogData));
    ASSERT_TRUE(brixtel.wait_for_window(kLogTypeTitle, &dialog));
    ASSERT_TRUE(set_item_text(dialog, kPath, L"C:\\windows\\temp\\answers"));
    ASSERT_TRUE(set_checked(dialog, kAppendDate, false));
    ASSERT_TRUE(click(dialog, IDOK));
    ASSERT_TRUE(brixtel.wait_until_gone(dialog));
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: ON"));
    ASSERT_TRUE(brixtel.post_command(40012)); // Monitoring
    EXPECT_TRUE(poll_until([&] { return answers_in(file_text(file)) >= 500; }, kWaitBound, 200ms))
        << answers_in(file_text(file)) << " answers logged";
    ASSERT_TRUE(brixtel.post_command(kLogData));
    ASSERT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);

    // Each answer starts with the line that echoes its request; its other lines follow with
    // the same date and time.
    std::istringstream lines(file_text(file));
    std::string line, stamp;
    std::size_t answers = 0, lines_read = 0;
    while (std::getline(lines, line)) {
        ++lines_read;
        ASSERT_TRUE(!line.empty() && line.back() == '\r') << "line " << lines_read;
        const std::size_t second_tab = line.find('\t', line.find('\t') + 1);
        ASSERT_NE(second_tab, std::string::npos) << line;
        if (line.find(" read output 1 02 05 ", second_tab) != std::string::npos) {
            ++answers;
            stamp = line.substr(0, second_tab);
        } else {
            ASSERT_GT(answers, 0u) << "a log that starts inside an answer";
            EXPECT_EQ(line.substr(0, second_tab), stamp) << "line " << lines_read;
        }
    }
    EXPECT_GE(answers, 500u);
    EXPECT_GT(lines_read, answers);
}

// ---- Pictures, for a reader to look at (run with --gtest_also_run_disabled_tests) ------------

TEST_F(LoggingDialogTest, DISABLED_Screenshots) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogData, kLogTypeTitle, &dialog));
    ASSERT_TRUE(set_checked(dialog, kPastData, true));
    ASSERT_TRUE(click(dialog, kRecentLines));
    pause_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(save_artifact_screenshot(L"log_type_dialog"));
    ASSERT_TRUE(click(dialog, kLoggingOptions));
    HWND options = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(kOptionsTitle, &options));
    pause_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(save_artifact_screenshot(L"logging_options_dialog"));
    ASSERT_TRUE(leave(options, IDCANCEL));
    // The past-data-only alert.
    ASSERT_TRUE(set_checked(dialog, kNewData, false));
    ASSERT_TRUE(click(dialog, kAllLines));
    ASSERT_TRUE(set_item_text(dialog, kPath, L"C:\\windows\\temp\\past.csv"));
    ASSERT_TRUE(click(dialog, IDOK));
    HWND alert = nullptr;
    ASSERT_TRUE(brixtel.wait_for_window(L"Log Alert", &alert));
    pause_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(save_artifact_screenshot(L"log_alert_dialog"));
    EXPECT_TRUE(leave(alert, IDOK));
}

} // namespace
} // namespace brixtel::e2e
