#include "shell/win/help_popup.h"

#include "shell/win/reporting.h"

#include <htmlhelp.h>

#include <string>

namespace brixtel::win {
namespace {

using HtmlHelpEntry = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// The library's wide entry point, exported by ordinal only on some systems.
constexpr WORD kHtmlHelpWOrdinal = 15;

HtmlHelpEntry html_help() {
    static bool tried = false;
    static HtmlHelpEntry entry = nullptr;
    if (tried)
        return entry;
    tried = true;
    HMODULE library = LoadLibraryW(L"hhctrl.ocx");
    if (!library)
        return nullptr;
    entry = reinterpret_cast<HtmlHelpEntry>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, MAKEINTRESOURCEA(kHtmlHelpWOrdinal))));
    if (!entry)
        FreeLibrary(library);
    return entry;
}

} // namespace

void show_help_popup(HWND owner, std::wstring_view text, POINT where) {
    const HtmlHelpEntry entry = html_help();
    if (!entry)
        return;
    const std::wstring shown(text);
    HH_POPUP popup{};
    popup.cbStruct = sizeof(popup);
    popup.pszText = shown.c_str();
    popup.pt = where;
    popup.clrForeground = static_cast<COLORREF>(-1); // the system's colours
    popup.clrBackground = static_cast<COLORREF>(-1);
    popup.rcMargins = RECT{5, 5, 5, 5};
    popup.pszFont = L"MS Sans Serif,8,,,";
    entry(owner, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
}

StringId help_text_of(std::span<const ControlHelp> table, int control) {
    for (const ControlHelp& help : table) {
        if (help.control == control)
            return help.text;
    }
    return 0;
}

bool show_control_help(HWND dialog, const HELPINFO& info, std::span<const ControlHelp> table) {
    const StringId text = help_text_of(table, info.iCtrlId);
    if (text == 0)
        return false;
    show_help_popup(dialog, load_text(text), info.MousePos);
    return true;
}

} // namespace brixtel::win
