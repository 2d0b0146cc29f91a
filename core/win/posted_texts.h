#pragma once
// Texts handed to a window with PostMessageW: lParam carries a wide text that the window
// takes back. A text whose message never arrives (the window went first) is freed with the
// set, and an lParam that is not one of ours, whoever posted it, is ignored.
#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace brixtel::win {

class PostedTexts {
  public:
    // Posts a copy of the text as `message` with `wparam`; false when it could not be posted.
    bool post(HWND window, UINT message, WPARAM wparam, std::wstring_view text);
    // The text an lParam carries, taken back; nothing for 0 or an lParam not handed out here.
    std::optional<std::wstring> take(LPARAM text);
    std::size_t outstanding() const;

  private:
    mutable std::mutex lock_;
    std::map<LPARAM, std::unique_ptr<wchar_t[]>> out_;
};

} // namespace brixtel::win
