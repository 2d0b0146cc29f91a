#include "tags/win/tag_list_dialog.h"

#include "shell/win/dialog_seat.h"
#include "shell/win/reporting.h"
#include "tags/tag_list_controls.h"
#include "tags/win/tag_list_dialogs.h"

#include <memory>
#include <string>
#include <vector>

namespace brixtel::win {
namespace {

// The longest name the Save As field takes.
constexpr int kNameChars = 1024;

int control_of(TagListControl control) {
    switch (control) {
    case TagListControl::Review:
        return IDC_TAG_LIST_REVIEW;
    case TagListControl::Delete:
        return IDC_TAG_LIST_DELETE;
    case TagListControl::Ok:
        break;
    }
    return IDOK;
}

// Makes `id` the default push button, and the other one of OK and Cancel a plain one.
void make_default_button(HWND dialog, int id) {
    const int other = id == IDOK ? IDCANCEL : IDOK;
    SendMessageW(dialog, DM_SETDEFID, id, 0);
    SendDlgItemMessageW(dialog, other, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    SendDlgItemMessageW(dialog, id, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

// The dialog's controls as the actions see them.
class TagListDialogView final : public TagListView {
  public:
    TagListDialogView(HWND dialog, HINSTANCE instance)
        : dialog_(dialog), list_(GetDlgItem(dialog, IDC_TAG_LIST_SAVED)), instance_(instance) {}

    void show_current_list(std::wstring_view text) override {
        SetDlgItemTextW(dialog_, IDC_TAG_LIST_CURRENT, std::wstring(text).c_str());
    }
    void set_entries(std::span<const std::wstring> entries) override {
        SendMessageW(list_, LB_RESETCONTENT, 0, 0);
        for (const std::wstring& entry : entries)
            SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    std::size_t entry_count() const override {
        const LRESULT count = SendMessageW(list_, LB_GETCOUNT, 0, 0);
        return count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    std::wstring entry_text(std::size_t index) const override {
        return read_entry(index).value_or(std::wstring());
    }
    std::optional<std::vector<std::wstring>> entries() const override {
        const LRESULT count = SendMessageW(list_, LB_GETCOUNT, 0, 0);
        if (count == LB_ERR)
            return std::nullopt;
        std::vector<std::wstring> texts;
        for (LRESULT i = 0; i < count; ++i) {
            auto text = read_entry(static_cast<std::size_t>(i));
            if (!text)
                return std::nullopt;
            texts.push_back(std::move(*text));
        }
        return texts;
    }
    std::optional<std::size_t> selected_entry() const override {
        const LRESULT index = SendMessageW(list_, LB_GETCURSEL, 0, 0);
        if (index < 0)
            return std::nullopt;
        return static_cast<std::size_t>(index);
    }
    void select_entry(std::optional<std::size_t> index) override {
        SendMessageW(list_, LB_SETCURSEL, index ? static_cast<WPARAM>(*index) : WPARAM(-1), 0);
    }
    void remove_entry(std::size_t index) override {
        SendMessageW(list_, LB_DELETESTRING, index, 0);
    }
    std::wstring save_as_text() const override {
        std::vector<wchar_t> text(kNameChars + 1, L'\0');
        GetDlgItemTextW(dialog_, IDC_TAG_LIST_SAVE_AS, text.data(), kNameChars + 1);
        return text.data();
    }
    void set_save_as_text(std::wstring_view text) override {
        SetDlgItemTextW(dialog_, IDC_TAG_LIST_SAVE_AS, std::wstring(text).c_str());
    }
    void select_and_focus_save_as() override {
        HWND field = GetDlgItem(dialog_, IDC_TAG_LIST_SAVE_AS);
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }
    void enable(TagListControl control, bool on) override {
        HWND button = GetDlgItem(dialog_, control_of(control));
        const bool had_focus = GetFocus() == button;
        EnableWindow(button, on ? TRUE : FALSE);
        // Without OK, Enter means Cancel.
        if (control == TagListControl::Ok)
            make_default_button(dialog_, on ? IDOK : IDCANCEL);
        // A disabled button keeps no focus: it goes to the list, or to Cancel when that is
        // all there is.
        if (!on && had_focus)
            SetFocus(entry_count() != 0 ? list_ : GetDlgItem(dialog_, IDCANCEL));
    }
    void show_review(std::wstring_view text) override {
        show_tag_list_review(dialog_, instance_, text);
    }

    HWND list() const { return list_; }

  private:
    std::optional<std::wstring> read_entry(std::size_t index) const {
        const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, index, 0);
        if (length == LB_ERR)
            return std::nullopt;
        std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
        if (SendMessageW(list_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data())) == LB_ERR)
            return std::nullopt;
        return std::wstring(text.data());
    }

    HWND dialog_;
    HWND list_;
    HINSTANCE instance_;
};

struct DialogStart {
    HINSTANCE instance;
    Seat& main_seat;
    TagListMode mode;
    const TagListPartnersFor& partners_for;
    const TagListExportButtons& exports;
};

struct DialogState {
    DialogState(HWND dialog, const DialogStart& start)
        : start(start), seat(dialog, start.main_seat), prompts(start.instance, dialog),
          view(dialog, start.instance), actions(start.mode, partners_of(dialog), view) {}

    // The partners the glue gives, with save mode opening over this dialog.
    TagListPartners partners_of(HWND dialog) {
        TagListPartners partners = start.partners_for(seat, prompts);
        const DialogStart& nested = start;
        partners.open_save_dialog = [dialog, &nested] {
            run_tag_list_dialog(dialog, nested.instance, nested.main_seat, TagListMode::Save,
                                nested.partners_for, nested.exports);
        };
        return partners;
    }

    const DialogStart& start;
    DialogSeat seat;
    DialogTagListPrompts prompts;
    TagListDialogView view;
    TagListActions actions;
};

DialogState* state_of(HWND dialog) {
    return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void show(HWND dialog, int id, bool shown) {
    ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE);
}

void apply_face(HWND dialog, TagListMode mode) {
    const TagListFace face = tag_list_face(mode);
    SetWindowTextW(dialog, load_text(face.title).c_str());
    if (face.ok_text)
        SetDlgItemTextW(dialog, IDOK, load_text(*face.ok_text).c_str());
    show(dialog, IDC_TAG_LIST_SAVE_AS_LABEL, face.save_as_shown);
    show(dialog, IDC_TAG_LIST_SAVE_AS, face.save_as_shown);
    show(dialog, IDC_TAG_LIST_DELETE, face.delete_shown);
    show(dialog, IDC_TAG_LIST_EXCEL_DDE_EXPORT, face.exports_shown);
    show(dialog, IDC_TAG_LIST_EXPORT, face.exports_shown);
}

void on_init(HWND dialog, const DialogStart& start, std::unique_ptr<DialogState>& holder) {
    holder = std::make_unique<DialogState>(dialog, start);
    DialogState& state = *holder;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    center_window(dialog, GetParent(dialog));
    apply_face(dialog, start.mode);
    SendDlgItemMessageW(dialog, IDC_TAG_LIST_SAVE_AS, EM_LIMITTEXT, kNameChars, 0);
    state.actions.open();
    // Save mode has put the focus in its field; the others start in the list, or on Cancel
    // when there is nothing to choose.
    if (start.mode != TagListMode::Save) {
        const bool ok_enabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
        SetFocus(ok_enabled ? state.view.list() : GetDlgItem(dialog, IDCANCEL));
    }
}

void press_export(HWND dialog, DialogState& state, const TagListExportButton& button) {
    if (!button)
        return;
    const auto selected = state.view.selected_entry();
    const std::wstring entry = selected ? state.view.entry_text(*selected) : std::wstring();
    button(dialog, entry);
}

bool on_command(HWND dialog, DialogState& state, int id, int code) {
    switch (id) {
    case IDC_TAG_LIST_SAVED:
        if (code == LBN_SELCHANGE)
            state.actions.selection_changed();
        return true;
    case IDC_TAG_LIST_REVIEW:
        state.actions.review();
        return true;
    case IDC_TAG_LIST_DELETE:
        state.actions.delete_selected();
        return true;
    case IDC_TAG_LIST_EXCEL_DDE_EXPORT:
        press_export(dialog, state, state.start.exports.excel_dde_export);
        return true;
    case IDC_TAG_LIST_EXPORT:
        press_export(dialog, state, state.start.exports.export_taglist);
        return true;
    case IDOK:
        if (state.actions.ok())
            EndDialog(dialog, state.actions.result() ? 1 : 0);
        return true;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return true;
    }
    return false;
}

struct DialogParam {
    const DialogStart& start;
    std::unique_ptr<DialogState> state;
};

INT_PTR CALLBACK tag_list_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto& param = *reinterpret_cast<DialogParam*>(lparam);
        on_init(dialog, param.start, param.state);
        return FALSE; // the focus is set
    }
    DialogState* state = state_of(dialog);
    if (!state)
        return FALSE;
    if (message == WM_COMMAND)
        return on_command(dialog, *state, LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
    return FALSE;
}

INT_PTR CALLBACK tag_review_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        center_window(dialog, GetParent(dialog));
        SetDlgItemTextW(dialog, IDC_TAG_REVIEW_TEXT, reinterpret_cast<const wchar_t*>(lparam));
        // On OK rather than in the text, which would start all selected.
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wparam));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

bool run_tag_list_dialog(HWND owner, HINSTANCE instance, Seat& main_seat, TagListMode mode,
                         const TagListPartnersFor& partners_for,
                         const TagListExportButtons& exports) {
    const DialogStart start{instance, main_seat, mode, partners_for, exports};
    DialogParam param{start, nullptr};
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(TAG_LIST), owner,
                                           tag_list_procedure, reinterpret_cast<LPARAM>(&param));
    return result > 0;
}

void show_tag_list_review(HWND owner, HINSTANCE instance, std::wstring_view text) {
    const std::wstring copy(text);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(TAG_REVIEW), owner, tag_review_procedure,
                    reinterpret_cast<LPARAM>(copy.c_str()));
}

} // namespace brixtel::win
