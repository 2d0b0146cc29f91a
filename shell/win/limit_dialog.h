#pragma once
// A dialog of one whole-number field and a "no limit" box (the number 0): ticking the box
// disables the field; OK checks the entry and hands the accepted number on, or shows the
// refusal, focuses the field and stays open. Cancel changes nothing.
#include "shell/number_entry.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string_view>

namespace brixtel::win {

struct LimitDialog {
    const wchar_t* resource = nullptr;
    int field_id = 0;
    int no_limit_id = 0;
    int field_chars = 256;
    std::uint32_t current = 0; // 0: no limit
    // Opens with the number selected in the field; otherwise OK has the focus.
    bool focus_number = false;
    std::function<NumberEntry(bool no_limit, std::wstring_view field)> check;
    std::function<void(std::uint32_t number)> accept;
};

// Modal over `owner`; true when a number was accepted.
bool run_limit_dialog(HINSTANCE instance, HWND owner, const LimitDialog& dialog);

} // namespace brixtel::win
