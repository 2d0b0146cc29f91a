#pragma once
// The hyperdocument title named on the command line: resolving a shortcut or a wildcard to
// the title's path, opening it with the title library, and handing its loop configuration on.
#include "core/loop_configuration.h"
#include "platform/private_profile.h"
#include "shell/command_line.h" // title_path_of_command_line, which start-up calls
#include "shell/seat.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace brixtel::win {

// The title library, loaded by name at run time. Without it no title can be opened.
//   void* WINAPI hMVTitleOpenEx(const char* oem_path, void* reserved, void* reserved2)
//       -> the title, or null when it cannot be opened;
//   LONG WINAPI lMVTitleGetInfo(void* title, UINT info_type, LONG buffer_size, char* buffer)
//       -> the characters copied (the text is terminated), or -1 when the title cannot tell;
//   void WINAPI MVTitleClose(void* title).
inline constexpr wchar_t kTitleLibrary[] = L"MVCL14N.dll";
inline constexpr UINT kTitleInfoConfiguration = 10;
inline constexpr LONG kTitleInfoBufferBytes = 1024;

// A shortcut's command-line arguments (not its target), unquoted; empty on any failure.
std::wstring shortcut_arguments(HWND owner, const std::wstring& shortcut_path);

// The path to open: a shortcut's arguments replace it, a wildcard becomes its newest match.
std::wstring resolve_title_path(HWND owner, std::wstring title_path);

// The title's configuration information; nothing when the title or the library cannot be
// opened or the title cannot tell.
std::optional<std::string> read_title_information(HWND owner, const std::wstring& title_path);

// Start-up's step: loads the configuration from the title, else from the registry, and shows
// text 227 in status part 5 when no configuration results.
void open_title_and_load_configuration(HWND owner, const std::wstring& title_path,
                                       LoopConfiguration& loops, PrivateProfile& profile,
                                       Seat& seat);

} // namespace brixtel::win
