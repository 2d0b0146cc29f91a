#include "logging/win/log_folder_explorer.h"

#include "logging/log_path.h"

#include <shellapi.h>

namespace brixtel::win {

void launch_log_folder_explorer(HWND window, const std::wstring& folder, Seat& seat) {
    const auto result = reinterpret_cast<std::intptr_t>(
        ShellExecuteW(window, L"explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    const auto failure = explorer_failure(result);
    if (!failure)
        return;
    if (failure->with_result)
        seat.message_box(failure->text, failure->caption, mb::IconHand,
                         {static_cast<std::int64_t>(result)});
    else
        seat.message_box(failure->text, failure->caption, mb::IconHand);
}

} // namespace brixtel::win
