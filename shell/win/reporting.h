#pragma once
// Message reporting: loading string-table texts and showing them in message boxes, the
// out-of-memory exit, and small window helpers the dialogs share.
#include "shell/message_format.h"
#include "shell/string_table.h"

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brixtel {

// The Main window owns the fallback and out-of-memory boxes. Null until it exists.
void set_main_window(HWND window);
HWND main_window();

// The text of a string-table id as the program's resources hold it; empty for a missing id.
std::wstring load_text(StringId id);

// Shows text and caption by id; returns the button pressed.
int message_box(HWND owner, StringId text, StringId caption, UINT flags);

// As message_box, with the text's %1, %2, ... filled from the inserts by the system message
// formatter. When that fails the user first sees message 141, then the box with an empty text.
int formatted_message_box(HWND owner, StringId text, StringId caption, UINT flags,
                          std::initializer_list<MessageArg> inserts);
int formatted_message_box(HWND owner, StringId text, StringId caption, UINT flags,
                          std::span<const MessageArg> inserts);

// As formatted_message_box, but the caption is formatted with the one insert as %1.
int formatted_caption_box(HWND owner, StringId text, StringId caption, UINT flags,
                          const MessageArg& insert);

// A given text formatted by the system message formatter; on failure message 141 is shown
// and nothing is returned.
std::optional<std::wstring> format_text(std::wstring_view format,
                                        std::initializer_list<MessageArg> inserts);
std::optional<std::wstring> format_text(std::wstring_view format,
                                        std::span<const MessageArg> inserts);

// The system's text for the calling thread's last error, in a box captioned "GetLastError".
void error_text_box();

// Message 138 for a failing system call: its name, the last error code and the system's text.
void api_error_box(std::wstring_view function_name);

// Makes memory exhaustion anywhere end the program after message 139 with exit code 0:
// preloads that box's texts (so showing it needs no memory) and installs the new-handler.
// Call once at start-up, before anything else allocates much.
void install_out_of_memory_handler();

// Shows message 139 once and ends the process with exit code 0.
[[noreturn]] void exit_out_of_memory();

// Memory that is never null: exhaustion ends the program as above.
void* allocate_or_exit(std::size_t bytes);

// A zeroed wide buffer of max(n, 1) characters; exhaustion ends the program.
std::unique_ptr<wchar_t[]> allocate_text(std::size_t characters);

// Centers the window over the reference window, kept inside the screen.
void center_window(HWND window, HWND reference);

// Tree-view items with check boxes drawn as state images: 1 unchecked, 2 checked, 0 none.
HTREEITEM insert_tree_item(HTREEITEM parent, std::wstring_view text, HTREEITEM insert_after,
                           int image, HWND tree, LPARAM data);
void set_check_state(HWND tree, HTREEITEM item, UINT state_image);
// 0 unchecked, 1 checked (the state image less one; -1 for an item without a check box).
int get_check_state(HWND tree, HTREEITEM item);
LPARAM get_item_data(HWND tree, HTREEITEM item);
// Deletes every item of the dialog's tree control and destroys its image list.
void clear_tree(HWND dialog, int control_id, HIMAGELIST& image_list);

} // namespace brixtel
