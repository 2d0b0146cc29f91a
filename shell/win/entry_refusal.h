#pragma once
// Showing a refused dialog entry: the message over the dialog, then the field focused (and its
// text selected where the refusal asks for it) so the user can correct it at once.
#include "shell/number_entry.h"
#include "shell/win/reporting.h"

#include <windows.h>

namespace brixtel::win {

inline void show_entry_refusal(HWND dialog, int field_id, const EntryRefusal& refusal) {
    message_box(dialog, refusal.text, refusal.caption, MB_ICONEXCLAMATION);
    HWND field = GetDlgItem(dialog, field_id);
    SetFocus(field);
    if (refusal.select_text)
        SendMessageW(field, EM_SETSEL, 0, -1);
}

} // namespace brixtel::win
