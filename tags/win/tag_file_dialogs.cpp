#include "tags/win/tag_file_dialogs.h"

#include "core/add_point_check.h"
#include "shell/win/dialog_seat.h"
#include "shell/win/reporting.h"
#include "tags/tag_list_controls.h"

#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brixtel::win {
namespace {

// File-name buffers of the file dialogs, and the fields of "Import Taglist".
constexpr DWORD kPathChars = 1024;

std::wstring item_text(HWND dialog, int id) {
    std::vector<wchar_t> text(kPathChars, L'\0');
    GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()));
    return text.data();
}

void focus_and_select(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    SetFocus(item);
    SendMessageW(item, EM_SETSEL, 0, -1);
}

// --- Different Tags Detected ---

INT_PTR CALLBACK choice_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        center_window(dialog, GetParent(dialog));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            if (IsDlgButtonChecked(dialog, IDC_DIFF_SAVED_TAGS) == BST_CHECKED)
                EndDialog(dialog, IDC_DIFF_SAVED_TAGS);
            else if (IsDlgButtonChecked(dialog, IDC_DIFF_CURRENT_TAGS) == BST_CHECKED)
                EndDialog(dialog, IDC_DIFF_CURRENT_TAGS);
            else
                message_box(dialog, ids::ExportChoiceRequired, ids::NoSelections,
                            MB_OK | MB_ICONINFORMATION);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// --- Points Exceeded ---

struct ExceededState {
    std::vector<std::wstring> entries;
};

void fill_exceeded(HWND dialog, const ExceededState& state) {
    HWND list = GetDlgItem(dialog, IDC_EXCEEDED_ENTRIES);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    HDC dc = GetDC(list);
    HGDIOBJ old_font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const std::wstring& entry : state.entries) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        SIZE size{};
        if (GetTextExtentPoint32W(dc, entry.c_str(), static_cast<int>(entry.size()), &size))
            widest = std::max(widest, size.cx);
    }
    SelectObject(dc, old_font);
    ReleaseDC(list, dc);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    SetDlgItemInt(dialog, IDC_EXCEEDED_TOTAL, static_cast<UINT>(state.entries.size()), FALSE);
}

void on_remove(HWND dialog, ExceededState& state) {
    HWND list = GetDlgItem(dialog, IDC_EXCEEDED_ENTRIES);
    std::vector<int> rows(kMaxRemovedAtOnce, 0);
    const LRESULT count =
        SendMessageW(list, LB_GETSELITEMS, rows.size(), reinterpret_cast<LPARAM>(rows.data()));
    if (count <= 0)
        return;
    std::vector<std::size_t> selected;
    for (LRESULT i = 0; i < count; ++i)
        if (rows[static_cast<std::size_t>(i)] >= 0)
            selected.push_back(static_cast<std::size_t>(rows[static_cast<std::size_t>(i)]));
    remove_entries(state.entries, selected);
    fill_exceeded(dialog, state);
}

void on_exceeded_ok(HWND dialog, const ExceededState& state) {
    if (const auto refusal = check_import_count(state.entries.size())) {
        formatted_message_box(dialog, refusal->text, refusal->caption, MB_OK | MB_ICONINFORMATION,
                              {refusal->count, refusal->excess});
        return;
    }
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK exceeded_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<ExceededState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        fill_exceeded(dialog, *reinterpret_cast<ExceededState*>(lparam));
        center_window(dialog, GetParent(dialog));
        return TRUE;
    case WM_COMMAND:
        if (!state)
            return FALSE;
        switch (LOWORD(wparam)) {
        case IDC_EXCEEDED_REMOVE:
            on_remove(dialog, *state);
            return TRUE;
        case IDOK:
            on_exceeded_ok(dialog, *state);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// --- Import Taglist ---

class WindowImportView : public ImportView {
  public:
    WindowImportView(HWND dialog, HINSTANCE instance) : dialog_(dialog), instance_(instance) {}

    std::wstring field_text(ImportField field) const override {
        return item_text(dialog_, control_of(field));
    }
    void select_field(ImportField field) override { focus_and_select(dialog_, control_of(field)); }
    bool load_after_import() const override {
        return IsWindowEnabled(GetDlgItem(dialog_, IDC_IMPORT_LOAD_AFTER)) &&
               IsDlgButtonChecked(dialog_, IDC_IMPORT_LOAD_AFTER) == BST_CHECKED;
    }
    std::optional<std::vector<std::wstring>>
    reduce_entries(std::vector<std::wstring> entries) override {
        ExceededState state{std::move(entries)};
        const INT_PTR result =
            DialogBoxParamW(instance_, MAKEINTRESOURCEW(EXCEEDED_IMPORT), dialog_,
                            exceeded_procedure, reinterpret_cast<LPARAM>(&state));
        if (result != IDOK)
            return std::nullopt;
        return std::move(state.entries);
    }

  private:
    static int control_of(ImportField field) {
        return field == ImportField::File ? IDC_IMPORT_FILE : IDC_IMPORT_NAME;
    }
    HWND dialog_;
    HINSTANCE instance_;
};

struct ImportState {
    HINSTANCE instance;
    bool monitoring_on;
    Seat& main_seat;
    const ImportPartnersFor& partners_for;
    bool imported = false;
};

void on_browse(HWND dialog) {
    static constexpr wchar_t kFilter[] = L"LST File (*.LST)\0*.LST\0All Files (*.*)\0*.*\0";
    std::vector<wchar_t> file(kPathChars, L'\0');
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = dialog;
    open.lpstrFilter = kFilter;
    open.nFilterIndex = 1;
    open.lpstrFile = file.data();
    open.nMaxFile = kPathChars;
    open.Flags =
        OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&open))
        SetDlgItemTextW(dialog, IDC_IMPORT_FILE, file.data());
}

void on_import_ok(HWND dialog, ImportState& state) {
    DialogSeat seat(dialog, state.main_seat);
    WindowImportView view(dialog, state.instance);
    TagListImport import(state.partners_for(seat), view);
    switch (import.run()) {
    case ImportOutcome::KeepOpen:
        return;
    case ImportOutcome::Failed:
        EndDialog(dialog, IDCANCEL);
        return;
    case ImportOutcome::Imported:
        state.imported = true;
        EndDialog(dialog, IDOK);
        return;
    }
}

INT_PTR CALLBACK import_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<ImportState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        const auto& init = *reinterpret_cast<ImportState*>(lparam);
        // Loading a list while monitoring runs would change the points being polled.
        EnableWindow(GetDlgItem(dialog, IDC_IMPORT_LOAD_AFTER), init.monitoring_on ? FALSE : TRUE);
        center_window(dialog, GetParent(dialog));
        return TRUE;
    }
    case WM_COMMAND:
        if (!state)
            return FALSE;
        switch (LOWORD(wparam)) {
        case IDC_IMPORT_BROWSE:
            on_browse(dialog);
            return TRUE;
        case IDOK:
            on_import_ok(dialog, *state);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

std::optional<std::wstring> choose_export_file(HWND owner, ExportKind kind,
                                               std::wstring_view folder,
                                               std::wstring_view initial_name) {
    static constexpr wchar_t kTextFilter[] = L"Text Files (*.TXT)\0*.TXT\0";
    static constexpr wchar_t kListFilter[] = L"LST Files (*.LST)\0*.LST\0";
    const bool excel = kind == ExportKind::ExcelDdeFile;
    std::vector<wchar_t> file(kPathChars, L'\0');
    initial_name.copy(file.data(), std::min<std::size_t>(initial_name.size(), kPathChars - 1));
    const std::wstring initial_folder(folder);
    OPENFILENAMEW save{};
    save.lStructSize = sizeof save;
    save.hwndOwner = owner;
    save.lpstrFilter = excel ? kTextFilter : kListFilter;
    save.nFilterIndex = 1;
    save.lpstrFile = file.data();
    save.nMaxFile = kPathChars;
    save.lpstrInitialDir = initial_folder.empty() ? nullptr : initial_folder.c_str();
    save.lpstrDefExt = excel ? L"TXT" : L"LST";
    save.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&save))
        return std::nullopt;
    return std::wstring(file.data());
}

ExportChoice choose_tags_to_export(HWND owner, HINSTANCE instance) {
    switch (DialogBoxParamW(instance, MAKEINTRESOURCEW(DIFF_TAGS_DETECTED), owner, choice_procedure,
                            0)) {
    case IDC_DIFF_SAVED_TAGS:
        return ExportChoice::SavedTags;
    case IDC_DIFF_CURRENT_TAGS:
        return ExportChoice::CurrentTags;
    default:
        return ExportChoice::Cancel;
    }
}

bool run_import_taglist_dialog(HWND owner, HINSTANCE instance, bool monitoring_on, Seat& main_seat,
                               const ImportPartnersFor& partners_for) {
    ImportState state{instance, monitoring_on, main_seat, partners_for};
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IMPORT_DIALOG), owner, import_procedure,
                    reinterpret_cast<LPARAM>(&state));
    return state.imported;
}

} // namespace brixtel::win
