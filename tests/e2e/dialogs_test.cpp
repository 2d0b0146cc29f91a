// The small dialogs of the main window: About, Set Significant Digits and Log File Size,
// worked as a user would, with what they leave in the registry and the status bar.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/window_query.h"

#include <gtest/gtest.h>

#include <string>

namespace brixtel::e2e {
namespace {

constexpr UINT kAbout = 40016;
constexpr UINT kLogFileSize = 40017;
constexpr UINT kSignificantDigits = 40021;

// Control ids of the three dialogs.
constexpr int kAboutBuild = 1201;
constexpr int kAboutVersion = 1202;
constexpr int kAboutNotice = 1203;
constexpr int kSigDigNumber = 1211;
constexpr int kSigDigNoLimit = 1212;
constexpr int kLogSizeLimit = 1221;
constexpr int kLogSizeNoLimit = 1222;

constexpr int kStatusLogging = 1;
constexpr int kStatusLogSize = 2;

const wchar_t kEmptyMessage[] = L"You have not entered a valid number.  Please enter a\nnumber or "
                                L"press Cancel to exit out of the dialog.";
const wchar_t kNonNumericMessage[] =
    L"You have entered a non-numeric character.  Please enter a\nvalid number or press Cancel "
    L"to exit out of the dialog.";
const wchar_t kZeroDigitsMessage[] =
    L"You must enter a valid number for the significant digit limit.  The field cannot be blank "
    L"or set to zero.\nPlease enter a valid number or press Cancel to exit out of the dialog.";
const wchar_t kSizeLimitMessage[] =
    L"You must enter a valid number for the size limit of the current log.  The field cannot be "
    L"blank or set to zero.\nPlease enter a valid number or press Cancel to exit out of the "
    L"dialog.";

class DialogTest : public BrixtelTest {
  protected:
    void SetUp() override {
        BrixtelTest::SetUp();
        ASSERT_TRUE(brixtel.launch());
    }

    ::testing::AssertionResult open(UINT command, std::wstring_view title, HWND* dialog) {
        if (!brixtel.post_command(command))
            return ::testing::AssertionFailure() << "command " << command << " not posted";
        return brixtel.wait_for_window(title, dialog);
    }

    // Presses the button and waits for the dialog to close.
    ::testing::AssertionResult leave(HWND dialog, int button) {
        if (!click(dialog, button))
            return ::testing::AssertionFailure() << "button " << button << " cannot be clicked";
        return brixtel.wait_until_gone(dialog);
    }

    // Presses OK, expects the refusal box with this caption and text, and closes it with OK;
    // the dialog must stay open.
    ::testing::AssertionResult ok_is_refused(HWND dialog, std::wstring_view caption,
                                             std::wstring_view text) {
        if (!click(dialog, IDOK))
            return ::testing::AssertionFailure() << "OK cannot be clicked";
        HWND box = nullptr;
        if (auto found = brixtel.wait_for_window(caption, &box); !found)
            return found;
        const auto content = read_message_box(box);
        if (!content)
            return ::testing::AssertionFailure() << "the box went away before it was read";
        if (content->text != text)
            return ::testing::AssertionFailure() << "box text \"" << narrow(content->text) << "\"";
        if (!press_message_box_button(box, L"OK"))
            return ::testing::AssertionFailure() << "the box has no OK button";
        if (auto gone = brixtel.wait_until_gone(box); !gone)
            return gone;
        if (!IsWindowVisible(dialog))
            return ::testing::AssertionFailure() << "the dialog closed after the refusal";
        return ::testing::AssertionSuccess();
    }
};

using DialogAboutTest = DialogTest;

TEST_F(DialogAboutTest, ShowsBuildVersionAndNoticeAndClosesWithOk) {
    HWND about = nullptr;
    ASSERT_TRUE(open(kAbout, L"About Brixtel", &about));
    const std::wstring build = item_text(about, kAboutBuild);
    const std::wstring version = item_text(about, kAboutVersion);
    const std::wstring notice = item_text(about, kAboutNotice);
    EXPECT_EQ(build.rfind(L"Build ", 0), 0u) << narrow(build);
    EXPECT_GT(build.size(), 6u) << "no build identifier";
    EXPECT_EQ(version.rfind(L"Version ", 0), 0u) << narrow(version);
    EXPECT_NE(version.find_first_of(L"0123456789", 8), std::wstring::npos) << narrow(version);
    EXPECT_NE(notice.find(L"Brixtel developers"), std::wstring::npos) << narrow(notice);
    EXPECT_NE(notice.find(L"\r\n"), std::wstring::npos) << "one line only";
    EXPECT_TRUE(has_focus(about, IDOK));
    EXPECT_TRUE(leave(about, IDOK));
}

using DialogSignificantDigitsTest = DialogTest;

TEST_F(DialogSignificantDigitsTest, WithoutALimitTheBoxIsTickedAndTheFieldDisabled) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kSignificantDigits, L"Set Significant Digits", &dialog));
    EXPECT_EQ(check_state(dialog, kSigDigNoLimit), BST_CHECKED);
    EXPECT_FALSE(item_enabled(dialog, kSigDigNumber));
    EXPECT_TRUE(has_focus(dialog, IDOK));
    ASSERT_TRUE(set_checked(dialog, kSigDigNoLimit, false));
    EXPECT_TRUE(poll_until([&] { return item_enabled(dialog, kSigDigNumber); }, kWaitBound));
    ASSERT_TRUE(set_checked(dialog, kSigDigNoLimit, true));
    EXPECT_TRUE(poll_until([&] { return !item_enabled(dialog, kSigDigNumber); }, kWaitBound));
}

struct RefusalCase {
    const wchar_t* field;
    const wchar_t* caption;
    const wchar_t* text;
    bool selected; // the field's text is selected after the box
};

TEST_F(DialogSignificantDigitsTest, RefusesEmptyNonNumericAndZeroAndKeepsTheSetting) {
    const RefusalCase cases[] = {
        {L"", L"Invalid Number", kEmptyMessage, false},
        {L"  ", L"Invalid Number", kEmptyMessage, false},
        {L"1a", L"Invalid Number", kNonNumericMessage, false},
        {L"0", L"Invalid Entry", kZeroDigitsMessage, true},
    };
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kSignificantDigits, L"Set Significant Digits", &dialog));
    ASSERT_TRUE(set_checked(dialog, kSigDigNoLimit, false));
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE("field \"" + narrow(c.field) + "\"");
        ASSERT_TRUE(set_item_text(dialog, kSigDigNumber, c.field));
        ASSERT_TRUE(ok_is_refused(dialog, c.caption, c.text));
        EXPECT_TRUE(has_focus(dialog, kSigDigNumber));
        if (c.selected) {
            EXPECT_TRUE(whole_text_selected(dialog, kSigDigNumber));
        }
    }
    EXPECT_TRUE(is_number(kSettingsKey, L"SigDig", 0));
    EXPECT_TRUE(leave(dialog, IDCANCEL));
    EXPECT_TRUE(is_number(kSettingsKey, L"SigDig", 0));
}

TEST_F(DialogSignificantDigitsTest, AcceptedNumberIsSavedAndShownAgainCancelKeepsIt) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kSignificantDigits, L"Set Significant Digits", &dialog));
    ASSERT_TRUE(set_checked(dialog, kSigDigNoLimit, false));
    ASSERT_TRUE(set_item_text(dialog, kSigDigNumber, L"4"));
    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(poll_until([] { return is_number(kSettingsKey, L"SigDig", 4); }, kWaitBound));

    ASSERT_TRUE(open(kSignificantDigits, L"Set Significant Digits", &dialog));
    EXPECT_EQ(item_text(dialog, kSigDigNumber), L"4");
    EXPECT_EQ(check_state(dialog, kSigDigNoLimit), BST_UNCHECKED);
    EXPECT_TRUE(item_enabled(dialog, kSigDigNumber));
    ASSERT_TRUE(set_item_text(dialog, kSigDigNumber, L"9"));
    ASSERT_TRUE(leave(dialog, IDCANCEL));
    EXPECT_TRUE(is_number(kSettingsKey, L"SigDig", 4));

    // Neither the registry nor the setting in use took the cancelled 9; the box lifts the limit.
    ASSERT_TRUE(open(kSignificantDigits, L"Set Significant Digits", &dialog));
    EXPECT_EQ(item_text(dialog, kSigDigNumber), L"4");
    ASSERT_TRUE(set_checked(dialog, kSigDigNoLimit, true));
    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(poll_until([] { return is_number(kSettingsKey, L"SigDig", 0); }, kWaitBound));
}

class DialogLogSizeTest : public DialogTest {
  protected:
    bool log_size_stored() const {
        return raw_value(HKEY_CURRENT_USER, kSettingsKey, L"LogSize").has_value();
    }
};

TEST_F(DialogLogSizeTest, RefusesBlankZeroAndNonDigitsWithTheSizeMessage) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogFileSize, L"Log File Size", &dialog));
    EXPECT_EQ(item_text(dialog, kLogSizeLimit), L"5");
    EXPECT_EQ(check_state(dialog, kLogSizeNoLimit), BST_UNCHECKED);
    for (const wchar_t* field : {L"0", L"", L" 000 ", L"7a", L"-3"}) {
        SCOPED_TRACE("field \"" + narrow(field) + "\"");
        ASSERT_TRUE(set_item_text(dialog, kLogSizeLimit, field));
        ASSERT_TRUE(ok_is_refused(dialog, L"Invalid Size", kSizeLimitMessage));
        EXPECT_TRUE(has_focus(dialog, kLogSizeLimit));
        if (*field != L'\0') {
            EXPECT_TRUE(whole_text_selected(dialog, kLogSizeLimit));
        }
    }
    ASSERT_TRUE(leave(dialog, IDCANCEL));
    EXPECT_FALSE(log_size_stored());
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: 0 MB (of 5 MB)"));
}

TEST_F(DialogLogSizeTest, AcceptedLimitIsStoredAndShownInTheStatusBar) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogFileSize, L"Log File Size", &dialog));
    ASSERT_TRUE(set_item_text(dialog, kLogSizeLimit, L"7"));
    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: 0 MB (of 7 MB)"));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogging, L"Logging: OFF"));
    EXPECT_TRUE(is_number(kSettingsKey, L"LogSize", 7));

    ASSERT_TRUE(open(kLogFileSize, L"Log File Size", &dialog));
    EXPECT_EQ(item_text(dialog, kLogSizeLimit), L"7");
    ASSERT_TRUE(set_item_text(dialog, kLogSizeLimit, L"12"));
    ASSERT_TRUE(leave(dialog, IDCANCEL));
    EXPECT_TRUE(is_number(kSettingsKey, L"LogSize", 7));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: 0 MB (of 7 MB)"));
}

TEST_F(DialogLogSizeTest, NoLimitBoxStoresZeroAndShowsUnlimitedSize) {
    HWND dialog = nullptr;
    ASSERT_TRUE(open(kLogFileSize, L"Log File Size", &dialog));
    ASSERT_TRUE(set_checked(dialog, kLogSizeNoLimit, true));
    EXPECT_TRUE(poll_until([&] { return !item_enabled(dialog, kLogSizeLimit); }, kWaitBound));
    ASSERT_TRUE(leave(dialog, IDOK));
    EXPECT_TRUE(
        brixtel.wait_for_status_text(kStatusLogSize, L"Log Size: 0 MB (of unlimited size)"));
    EXPECT_TRUE(is_number(kSettingsKey, L"LogSize", 0));

    ASSERT_TRUE(open(kLogFileSize, L"Log File Size", &dialog));
    EXPECT_EQ(check_state(dialog, kLogSizeNoLimit), BST_CHECKED);
    EXPECT_FALSE(item_enabled(dialog, kLogSizeLimit));
    EXPECT_TRUE(leave(dialog, IDCANCEL));
}

} // namespace
} // namespace brixtel::e2e
