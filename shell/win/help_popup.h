#pragma once
// Context help of the dialogs: a control's help text in an HTML Help text pop-up.
#include "shell/string_table.h"

#include <windows.h>

#include <span>
#include <string_view>

namespace brixtel::win {

// Shows the text in a pop-up at the given screen position. The HTML Help library is loaded on
// the first request; when it or its entry cannot be had, nothing is shown, now or later.
void show_help_popup(HWND owner, std::wstring_view text, POINT where);

struct ControlHelp {
    int control;
    StringId text;
};

// The help text of a control from a dialog's table; 0 when the control has none.
StringId help_text_of(std::span<const ControlHelp> table, int control);

// WM_HELP of a dialog: the text of the control asked about, at the mouse position. False when
// the table has nothing for it.
bool show_control_help(HWND dialog, const HELPINFO& info, std::span<const ControlHelp> table);

} // namespace brixtel::win
