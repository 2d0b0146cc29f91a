#include "shell/win/status_bar.h"

#include <commctrl.h>

#include <string>

namespace brixtel::win {

namespace {
constexpr int kPartRightEdges[] = {165, 240, 390, 540, 615, -1};
constexpr std::size_t kMaxStatusText = 255;
} // namespace

bool StatusBar::create(HWND parent) {
    window_ = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | CCS_TOP | SBARS_TOOLTIPS, L"", parent, 0);
    if (!window_)
        return false;
    SendMessageW(window_, SB_SETPARTS, std::size(kPartRightEdges),
                 reinterpret_cast<LPARAM>(kPartRightEdges));
    return true;
}

void StatusBar::set_text(int part, std::wstring_view text) {
    if (!window_)
        return;
    const std::wstring shown(text.substr(0, kMaxStatusText));
    if (part >= 0 && static_cast<std::size_t>(part) < shown_.size()) {
        if (shown_[part] == shown)
            return;
        shown_[part] = shown;
    }
    SendMessageW(window_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(shown.c_str()));
    SendMessageW(window_, SB_SETTIPTEXTW, part, reinterpret_cast<LPARAM>(shown.c_str()));
    UpdateWindow(window_);
}

std::wstring StatusBar::text(int part) const {
    if (!window_)
        return {};
    const auto length = LOWORD(SendMessageW(window_, SB_GETTEXTLENGTHW, part, 0));
    std::wstring text(length + 1, L'\0');
    SendMessageW(window_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void StatusBar::post_text(HWND main_window, int part, std::wstring_view text) {
    posted_.post(main_window, kStatusTextMessage, static_cast<WPARAM>(part), text);
}

void StatusBar::take_posted_text(WPARAM part, LPARAM text) {
    if (const auto taken = posted_.take(text))
        set_text(static_cast<int>(part), *taken);
}

void StatusBar::forward_size(WPARAM wparam, LPARAM lparam) {
    if (window_)
        SendMessageW(window_, WM_SIZE, wparam, lparam);
}

} // namespace brixtel::win
