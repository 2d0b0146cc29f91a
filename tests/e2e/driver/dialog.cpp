#include "tests/e2e/driver/dialog.h"

#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"

namespace brixtel::e2e {

namespace {

// The message box keeps its text in a static control with this identifier.
constexpr int kMessageBoxTextId = 0xFFFF;

std::wstring without_mnemonics(std::wstring_view text) {
    std::wstring plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

bool select_and_notify(HWND dialog, int id, UINT select, UINT notification, int index) {
    HWND control = dialog_item(dialog, id);
    if (!control)
        return false;
    const auto result = send_bounded(control, select, static_cast<WPARAM>(index));
    if (!result || *result == -1)
        return false;
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, notification),
                        reinterpret_cast<LPARAM>(control)) != 0;
}

} // namespace

HWND dialog_item(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}

std::wstring item_text(HWND dialog, int id) {
    HWND item = dialog_item(dialog, id);
    return item ? window_text(item) : std::wstring();
}

bool set_item_text(HWND dialog, int id, std::wstring_view text) {
    HWND item = dialog_item(dialog, id);
    if (!item)
        return false;
    const std::wstring copy(text);
    const auto result = send_bounded(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
    return result && *result;
}

bool item_enabled(HWND dialog, int id) {
    HWND item = dialog_item(dialog, id);
    return item && IsWindowEnabled(item);
}

bool item_visible(HWND dialog, int id) {
    HWND item = dialog_item(dialog, id);
    return item && IsWindowVisible(item);
}

bool press(HWND button) {
    if (!button || !IsWindowEnabled(button) || !IsWindowVisible(button))
        return false;
    return PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

bool click(HWND dialog, int id) {
    return press(dialog_item(dialog, id));
}

std::optional<int> check_state(HWND dialog, int id) {
    HWND item = dialog_item(dialog, id);
    if (!item)
        return std::nullopt;
    const auto state = send_bounded(item, BM_GETCHECK);
    if (!state)
        return std::nullopt;
    return static_cast<int>(*state);
}

bool set_checked(HWND dialog, int id, bool checked) {
    const int wanted = checked ? BST_CHECKED : BST_UNCHECKED;
    for (int clicks = 0; clicks < 3; ++clicks) {
        const auto state = check_state(dialog, id);
        if (!state)
            return false;
        if (*state == wanted)
            return true;
        if (!click(dialog, id))
            return false;
        // The click is posted and sent messages overtake posted ones: wait for it to land.
        poll_until([&] { return check_state(dialog, id) != state; }, kWaitBound);
    }
    const auto state = check_state(dialog, id);
    return state && *state == wanted;
}

bool select_list_box_item(HWND dialog, int id, int index) {
    return select_and_notify(dialog, id, LB_SETCURSEL, LBN_SELCHANGE, index);
}

bool select_combo_box_item(HWND dialog, int id, int index) {
    return select_and_notify(dialog, id, CB_SETCURSEL, CBN_SELCHANGE, index);
}

std::optional<MessageBoxContent> read_message_box(HWND box) {
    if (!IsWindow(box))
        return std::nullopt;
    MessageBoxContent content;
    content.caption = window_text(box);
    if (HWND text = dialog_item(box, kMessageBoxTextId))
        content.text = window_text(text);
    for (HWND child : child_windows(box)) {
        const std::wstring kind = window_class(child);
        if (same_text(kind, L"Button") && IsWindowVisible(child))
            content.buttons.push_back(window_text(child));
        else if (content.text.empty() && same_text(kind, L"Static"))
            content.text = window_text(child);
    }
    return content;
}

bool press_message_box_button(HWND box, std::wstring_view text) {
    const std::wstring wanted = without_mnemonics(text);
    for (HWND child : child_windows(box))
        if (same_text(window_class(child), L"Button") &&
            same_text(without_mnemonics(window_text(child)), wanted))
            return press(child);
    return false;
}

namespace {

HWND focused_window_of(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

} // namespace

::testing::AssertionResult has_focus(HWND dialog, int id) {
    HWND item = dialog_item(dialog, id);
    if (poll_until([&] { return item && focused_window_of(dialog) == item; }, kWaitBound))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "control " << id << " never took the focus";
}

bool whole_text_selected(HWND dialog, int id) {
    HWND item = dialog_item(dialog, id);
    const auto selection = send_bounded(item, EM_GETSEL);
    if (!selection)
        return false;
    const auto length = window_text(item).size();
    return LOWORD(*selection) == 0 && HIWORD(*selection) == length && length > 0;
}

} // namespace brixtel::e2e
