#include "core/win/transport_poster.h"

#include <cstring>

namespace brixtel::win {

HWND window_of_handle(std::uint32_t handle) {
    // Window handles keep 32 significant bits and are sign-extended on 64-bit Windows.
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

wchar_t* new_answer_text(std::wstring_view text) {
    auto* copy = new wchar_t[text.size() + 1];
    std::memcpy(copy, text.data(), text.size() * sizeof(wchar_t));
    copy[text.size()] = L'\0';
    return copy;
}

std::wstring take_answer_text(LPARAM text) {
    auto* owned = reinterpret_cast<wchar_t*>(text);
    if (!owned)
        return {};
    std::wstring taken(owned);
    delete[] owned;
    return taken;
}

bool WindowAnswerPoster::is_own_window(std::uint32_t handle) {
    const HWND window = window_of_handle(handle);
    if (!handle || !IsWindow(window))
        return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

bool WindowAnswerPoster::post_answer(std::uint32_t handle, std::wstring_view text) {
    wchar_t* copy = new_answer_text(text);
    if (PostMessageW(window_of_handle(handle), WM_USER, 0, reinterpret_cast<LPARAM>(copy)))
        return true;
    delete[] copy;
    return false;
}

} // namespace brixtel::win
