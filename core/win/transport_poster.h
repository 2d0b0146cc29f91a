#pragma once
// Answers handed from the Receive threads to the Main window: WM_USER with lParam a newly
// allocated wide text that the window takes over.
#include "core/transport.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace brixtel::win {

// The window a 32-bit handle names, as answers and requests carry it.
HWND window_of_handle(std::uint32_t handle);

// The allocation WM_USER carries; the receiver takes it back with take_answer_text.
wchar_t* new_answer_text(std::wstring_view text);
// The text of a WM_USER lParam, freeing it; empty for 0.
std::wstring take_answer_text(LPARAM text);

class WindowAnswerPoster : public AnswerPoster {
  public:
    // A window of another process counts as no window: nothing is ever posted elsewhere.
    bool is_own_window(std::uint32_t window) override;
    bool post_answer(std::uint32_t window, std::wstring_view text) override;
};

} // namespace brixtel::win
