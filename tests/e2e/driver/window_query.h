// Finding and reading windows of another process as a user would see them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

// Cross-process SendMessageW that gives up after kSendBound instead of hanging the suite.
std::optional<LRESULT> send_bounded(HWND window, UINT message, WPARAM wparam = 0,
                                    LPARAM lparam = 0);

DWORD window_process(HWND window);
std::wstring window_class(HWND window);
// Text through WM_GETTEXT (controls of other processes keep their own text).
std::wstring window_text(HWND window);
bool same_text(std::wstring_view a, std::wstring_view b); // case-insensitive

// Top-level windows (visible or not) whose thread belongs to `process_id`, in Z order.
std::vector<HWND> top_windows_of(DWORD process_id);
// All descendants of `parent`, depth first.
std::vector<HWND> child_windows(HWND parent);

// First visible top-level window of the process with this exact title (and class, if given).
HWND find_top_window(DWORD process_id, std::wstring_view title, std::wstring_view class_name = {});
HWND find_child_by_class(HWND parent, std::wstring_view class_name);

// "title" [class] entries of the process's visible top-level windows, for failure messages.
std::string describe_top_windows(DWORD process_id);

std::string narrow(std::wstring_view text);

} // namespace brixtel::e2e
