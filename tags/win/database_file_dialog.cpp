#include "tags/win/database_file_dialog.h"

#include "shell/win/dialog_seat.h"
#include "shell/win/reporting.h"
#include "tags/database_dialog_path.h"
#include "tags/database_removal.h"
#include "tags/tag_dialog_controls.h"
#include "tags/win/type_tool_check.h"

#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace brixtel::win {

namespace {

constexpr DWORD kFileNameChars = 256;
constexpr int kFolderChars = 256;
constexpr int kFileTextChars = 513;
constexpr wchar_t kFilter[] = L"Database Files (*.dbf,*.csv)\0*.dbf;*.csv\0";

struct DialogState {
    DatabaseFileDialogTargets& targets;
    bool repaint_main_window = false;
};

// The hook's dialog is the template, a child of the file-open dialog itself.
HWND file_dialog(HWND child) {
    return GetParent(child);
}

HWND file_list(HWND child) {
    return GetDlgItem(child, IDC_DATABASE_FILE_LIST);
}

DialogState* state_of(HWND child) {
    return reinterpret_cast<DialogState*>(GetWindowLongPtrW(child, GWLP_USERDATA));
}

std::wstring ask_text(HWND child, UINT message, int chars) {
    std::vector<wchar_t> text(static_cast<std::size_t>(chars) + 1, L'\0');
    if (SendMessageW(file_dialog(child), message, chars, reinterpret_cast<LPARAM>(text.data())) < 0)
        return {};
    return text.data();
}

// What the file-name box holds now.
std::wstring file_text(HWND child) {
    return ask_text(child, CDM_GETSPEC, kFileTextChars);
}

std::wstring folder_path(HWND child) {
    return ask_text(child, CDM_GETFOLDERPATH, kFolderChars);
}

std::wstring list_item(HWND list, LRESULT index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR)
        return {};
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

int text_width(HWND list, const std::wstring& text) {
    HDC dc = GetDC(list);
    if (!dc)
        return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(list, dc);
    // The list draws its items a few pixels in from the left edge.
    return size.cx + 6;
}

void set_extent_to_widest(HWND list) {
    int widest = 0;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        widest = std::max(widest, text_width(list, list_item(list, i)));
    SendMessageW(list, LB_SETHORIZONTALEXTENT, widest, 0);
}

void widen_extent(HWND list, const std::wstring& text) {
    const int width = text_width(list, text);
    if (width > SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0))
        SendMessageW(list, LB_SETHORIZONTALEXTENT, width, 0);
}

AddOutcome add_file(HWND child, DialogState& state, const std::wstring& path, Seat& seat) {
    RegistryDatabaseFileStore store(state.targets.registry, seat);
    const AddOutcome outcome = state.targets.databases.add_from_dialog(
        path, seat, type_tool_check(state.targets.base_folder, seat), store);
    if (outcome == AddOutcome::Added) {
        HWND list = file_list(child);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        widen_extent(list, path);
    }
    return outcome;
}

// Keeps a button disabled while its work runs (its boxes may bring more clicks) and gives the
// focus back when disabling it took the focus away.
class BusyButton {
  public:
    BusyButton(HWND child, int id) : button_(GetDlgItem(child, id)), focused_(GetFocus()) {
        EnableWindow(button_, FALSE);
    }
    ~BusyButton() {
        EnableWindow(button_, TRUE);
        if (!GetFocus() && focused_ && IsWindow(focused_))
            SetFocus(focused_);
    }
    BusyButton(const BusyButton&) = delete;
    BusyButton& operator=(const BusyButton&) = delete;

  private:
    HWND button_;
    HWND focused_;
};

void on_add(HWND child, DialogState& state) {
    BusyButton busy(child, IDC_DATABASE_ADD);
    DialogSeat seat(file_dialog(child), state.targets.main_seat);
    const std::wstring text = file_text(child);
    if (text.empty()) {
        seat.message_box(ids::NoFileSelectedToAdd, ids::DatabaseAddition, mb::IconInformation);
        return;
    }
    const std::wstring path = database_dialog_path(folder_path(child), text);
    if (add_file(child, state, path, seat) == AddOutcome::Duplicate)
        seat.message_box(ids::DuplicateDatabaseFile, ids::Duplication, mb::Ok, {path});
}

void on_delete(HWND child, DialogState& state) {
    BusyButton busy(child, IDC_DATABASE_DELETE);
    HWND list = file_list(child);
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    std::optional<std::wstring> selected;
    if (index != LB_ERR)
        selected = list_item(list, index);
    DialogSeat seat(file_dialog(child), state.targets.main_seat);
    RegistryDatabaseFileStore store(state.targets.registry, seat);
    const RemoveResult result = state.targets.databases.remove(
        selected ? std::optional<std::wstring_view>(*selected) : std::nullopt,
        state.targets.monitoring_in_export_view(), seat, store, state.targets.tag_lists);
    if (result.outcome != RemoveOutcome::Removed)
        return;
    state.repaint_main_window = state.repaint_main_window || result.repaint_main_window;
    SendMessageW(list, LB_DELETESTRING, index, 0);
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) > 0)
        SendMessageW(list, LB_SETCURSEL, index > 0 ? index - 1 : 0, 0);
    set_extent_to_widest(list);
}

void on_close(HWND child) {
    // The dialog's own Cancel is hidden but still ends it.
    HWND dialog = file_dialog(child);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

void on_init(HWND child, const OPENFILENAMEW& open) {
    auto* state = reinterpret_cast<DialogState*>(open.lCustData);
    SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    HWND list = file_list(child);
    for (const std::wstring& path : state->targets.databases.files())
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    set_extent_to_widest(list);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
}

// Once the dialog's own controls are placed: OK and Cancel give way to the template's
// buttons, and the known files take the focus.
void on_init_done(HWND child) {
    HWND dialog = file_dialog(child);
    SendMessageW(dialog, CDM_HIDECONTROL, IDOK, 0);
    SendMessageW(dialog, CDM_HIDECONTROL, IDCANCEL, 0);
    HWND list = file_list(child);
    SendMessageW(list, LB_SETCARETINDEX, 0, FALSE);
    SetFocus(list);
}

// The dialog's own OK (a double click, Enter in the file-name box): the chosen file is added
// as by Add, but a file already known is not reported, and the dialog closes either way.
void on_file_ok(HWND child, DialogState& state, const OPENFILENAMEW& open) {
    if (file_text(child).empty())
        return;
    std::wstring path = open.lpstrFile ? open.lpstrFile : L"";
    if (path.empty())
        path = database_dialog_path(folder_path(child), file_text(child));
    DialogSeat seat(file_dialog(child), state.targets.main_seat);
    add_file(child, state, path, seat);
}

UINT_PTR CALLBACK hook_procedure(HWND child, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        on_init(child, *reinterpret_cast<const OPENFILENAMEW*>(lparam));
        return TRUE;
    }
    DialogState* state = state_of(child);
    if (!state)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wparam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wparam)) {
        case IDC_DATABASE_ADD:
            on_add(child, *state);
            return TRUE;
        case IDC_DATABASE_DELETE:
            on_delete(child, *state);
            return TRUE;
        case IDC_DATABASE_CLOSE:
            on_close(child);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const auto* notice = reinterpret_cast<const OFNOTIFYW*>(lparam);
        if (notice->hdr.code == CDN_INITDONE) {
            on_init_done(child);
        } else if (notice->hdr.code == CDN_FILEOK) {
            on_file_ok(child, *state, *notice->lpOFN);
            SetWindowLongPtrW(child, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

} // namespace

bool run_database_file_dialog(HINSTANCE instance, HWND owner, DatabaseFileDialogTargets targets) {
    DialogState state{targets};
    const std::wstring title = load_text(ids::FindDatabaseFiles);
    std::vector<wchar_t> file(kFileNameChars, L'\0');
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = owner;
    open.hInstance = instance;
    // The filter's pairs end with an empty string: the literal's own null is the last one.
    open.lpstrFilter = kFilter;
    open.nFilterIndex = 1;
    open.lpstrFile = file.data();
    open.nMaxFile = kFileNameChars;
    open.lpstrTitle = title.c_str();
    // The program's current folder stays where it is, whatever folder the user browses to.
    open.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY |
                 OFN_LONGNAMES | OFN_NOCHANGEDIR;
    open.lCustData = reinterpret_cast<LPARAM>(&state);
    open.lpfnHook = hook_procedure;
    open.lpTemplateName = MAKEINTRESOURCEW(ADDONSTUFF);
    GetOpenFileNameW(&open);
    return state.repaint_main_window;
}

} // namespace brixtel::win
