#include "core/win/transport_poster.h"

namespace brixtel::win {

HWND window_of_handle(std::uint32_t handle) {
    // Window handles keep 32 significant bits and are sign-extended on 64-bit Windows.
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
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
    return texts_.post(window_of_handle(handle), WM_USER, 0, text);
}

} // namespace brixtel::win
