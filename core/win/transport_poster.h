#pragma once
// Answers handed from the Receive threads to the Main window: WM_USER with lParam a wide text
// that the window takes back from the poster.
#include "core/transport.h"
#include "core/win/posted_texts.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace brixtel::win {

// The window a 32-bit handle names, as answers and requests carry it.
HWND window_of_handle(std::uint32_t handle);

class WindowAnswerPoster : public AnswerPoster {
  public:
    explicit WindowAnswerPoster(PostedTexts& texts) : texts_(texts) {}

    // A window of another process counts as no window: nothing is ever posted elsewhere.
    bool is_own_window(std::uint32_t window) override;
    bool post_answer(std::uint32_t window, std::wstring_view text) override;

  private:
    PostedTexts& texts_;
};

} // namespace brixtel::win
