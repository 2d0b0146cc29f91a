// Working the controls of a dialog or message box of the program as a user would.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

inline constexpr wchar_t kDialogClass[] = L"#32770";

HWND dialog_item(HWND dialog, int id);
std::wstring item_text(HWND dialog, int id);
bool set_item_text(HWND dialog, int id, std::wstring_view text);
bool item_enabled(HWND dialog, int id);
bool item_visible(HWND dialog, int id);
// Whether the control takes the keyboard focus within the usual bound.
::testing::AssertionResult has_focus(HWND dialog, int id);
// Whether the edit control's whole (non-empty) text is selected.
bool whole_text_selected(HWND dialog, int id);

// Clicks a button (posted, so a dialog the click opens does not block the caller). A disabled
// or hidden button cannot be clicked, as for a user: the call then returns false.
bool press(HWND button);
bool click(HWND dialog, int id);
// Check box or radio button state (BST_*), std::nullopt when the control is missing.
std::optional<int> check_state(HWND dialog, int id);
// Clicks the check box until it shows the wanted state (at most three clicks for 3-state).
bool set_checked(HWND dialog, int id, bool checked);

// Selects an entry and tells the dialog, as a click in the list would.
bool select_list_box_item(HWND dialog, int id, int index);
bool select_combo_box_item(HWND dialog, int id, int index);

struct MessageBoxContent {
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons; // visible buttons' texts, left to right as created
};
std::optional<MessageBoxContent> read_message_box(HWND box);
// Presses the message box button whose text matches (mnemonic '&' ignored, any case).
bool press_message_box_button(HWND box, std::wstring_view text);

} // namespace brixtel::e2e
