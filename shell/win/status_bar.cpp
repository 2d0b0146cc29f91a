#include "shell/win/status_bar.h"

#include <commctrl.h>

#include <string>

namespace brixtel::win {

namespace {
constexpr int kPartRightEdges[] = {165, 240, 390, 540, 615, -1};
constexpr std::size_t kMaxStatusText = 255;
} // namespace

bool StatusBar::create(HWND parent) {
    parent_ = parent;
    window_ = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | CCS_TOP | SBARS_TOOLTIPS, L"", parent, 0);
    if (!window_)
        return false;
    SendMessageW(window_, SB_SETPARTS, std::size(kPartRightEdges),
                 reinterpret_cast<LPARAM>(kPartRightEdges));
    return true;
}

void StatusBar::set_text(int part, std::wstring_view text) {
    if (!window_ || part < 0 || static_cast<std::size_t>(part) >= texts_.size())
        return;
    const std::wstring_view shown = text.substr(0, kMaxStatusText);
    if (texts_[part] == shown)
        return;
    texts_[part] = std::wstring(shown);
    changed_ |= 1u << part;
    if (!show_scheduled_)
        show_scheduled_ = SetTimer(parent_, kStatusShowTimer, kStatusShowDelayMs, nullptr) != 0;
    if (!show_scheduled_)
        show_texts();
}

void StatusBar::show_texts() {
    if (show_scheduled_)
        KillTimer(parent_, kStatusShowTimer);
    show_scheduled_ = false;
    if (!window_ || changed_ == 0)
        return;
    for (std::size_t part = 0; part < texts_.size(); ++part) {
        if (!(changed_ & (1u << part)))
            continue;
        const wchar_t* shown = texts_[part].c_str();
        SendMessageW(window_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(shown));
        SendMessageW(window_, SB_SETTIPTEXTW, part, reinterpret_cast<LPARAM>(shown));
    }
    changed_ = 0;
    UpdateWindow(window_);
}

std::wstring StatusBar::text(int part) const {
    if (part < 0 || static_cast<std::size_t>(part) >= texts_.size())
        return {};
    return texts_[part];
}

void StatusBar::hand_over(int part, std::wstring_view text) {
    if (part < 0 || static_cast<std::size_t>(part) >= handed_.size())
        return;
    std::lock_guard hold(handed_lock_);
    handed_[part] = std::wstring(text);
    handed_parts_ |= 1u << part;
    if (!take_posted_)
        take_posted_ = PostMessageW(parent_, kStatusTextMessage, 0, 0) != FALSE;
}

void StatusBar::take_handed_over() {
    std::array<std::wstring, 6> texts;
    unsigned parts = 0;
    {
        std::lock_guard hold(handed_lock_);
        parts = handed_parts_;
        for (std::size_t part = 0; part < texts.size(); ++part) {
            if (parts & (1u << part))
                texts[part] = std::move(handed_[part]);
        }
        handed_parts_ = 0;
        take_posted_ = false;
    }
    for (std::size_t part = 0; part < texts.size(); ++part) {
        if (parts & (1u << part))
            set_text(static_cast<int>(part), texts[part]);
    }
}

void StatusBar::forward_size(WPARAM wparam, LPARAM lparam) {
    if (window_)
        SendMessageW(window_, WM_SIZE, wparam, lparam);
}

} // namespace brixtel::win
