#include "tags/win/tag_lookup_dialog.h"

#include "logging/log_type_entry.h"
#include "shell/win/dialog_seat.h"
#include "shell/win/reporting.h"
#include "tags/tag_dialog_controls.h"
#include "tags/tag_lookup_form.h"
#include "tags/win/tag_queries.h"

#include <commctrl.h>

#include <array>
#include <memory>
#include <vector>

namespace brixtel::win {
namespace {

// The longest tag name and description the lookup reads.
constexpr int kTextChars = 1024;

constexpr std::array<int, 4> kNumberFields{IDC_LOOKUP_LOOP, IDC_LOOKUP_PCU, IDC_LOOKUP_MODULE,
                                           IDC_LOOKUP_BLOCK};

int control_of(LookupField field) {
    switch (field) {
    case LookupField::TagName:
        return IDC_LOOKUP_TAG_NAME;
    case LookupField::Loop:
        return IDC_LOOKUP_LOOP;
    case LookupField::Pcu:
        return IDC_LOOKUP_PCU;
    case LookupField::Module:
        return IDC_LOOKUP_MODULE;
    case LookupField::Block:
        return IDC_LOOKUP_BLOCK;
    case LookupField::Description:
        return IDC_LOOKUP_DESCRIPTION;
    }
    return IDC_LOOKUP_TAG_NAME;
}

std::wstring item_text(HWND dialog, int id) {
    std::vector<wchar_t> text(kTextChars + 1, L'\0');
    GetDlgItemTextW(dialog, id, text.data(), kTextChars + 1);
    return text.data();
}

void focus_and_select(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    SetFocus(item);
    SendMessageW(item, EM_SETSEL, 0, -1);
}

void set_cell(HWND list, int item, int column, const std::wstring& text) {
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&cell));
}

void show_row(HWND list, int item, const TagRow& row) {
    set_cell(list, item, 0, row.block_text);
    set_cell(list, item, 1, row.tag);
    set_cell(list, item, 2, row.database_text);
}

bool item_selected(HWND list, int item) {
    return (SendMessageW(list, LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void set_item_state(HWND list, int item, UINT mask, bool on) {
    LVITEMW state{};
    state.stateMask = mask;
    state.state = on ? mask : 0;
    SendMessageW(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
}

// The dialog's controls as the lookup sees them. The list shows `rows_` in order: item i is
// row i, and the rows live as long as the dialog.
class LookupDialogView final : public TagTranslationView {
  public:
    LookupDialogView(HWND dialog, HINSTANCE instance, const DatabaseNames& databases)
        : dialog_(dialog), list_(GetDlgItem(dialog, IDC_LOOKUP_ENTRIES)), instance_(instance),
          databases_(databases) {}

    std::wstring field_text(LookupField field) const override {
        return item_text(dialog_, control_of(field));
    }
    void set_field_text(LookupField field, std::wstring_view text) override {
        SetDlgItemTextW(dialog_, control_of(field), std::wstring(text).c_str());
    }
    void select_and_focus(LookupField field) override {
        focus_and_select(dialog_, control_of(field));
    }
    std::size_t row_count() const override { return rows_.size(); }
    void append_row(const TagRow& row) override {
        rows_.push_back(row);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(rows_.size() - 1);
        item.pszText = const_cast<wchar_t*>(row.block_text.c_str());
        const auto at = static_cast<int>(
            SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0)
            return;
        set_cell(list_, at, 1, row.tag);
        set_cell(list_, at, 2, row.database_text);
    }
    bool confirm_block_above_limit(bool& do_not_show_again) override {
        return win::confirm_block_above_limit(dialog_, instance_, do_not_show_again);
    }
    std::optional<std::vector<std::size_t>>
    choose_duplicates(std::span<const TagRecord> results,
                      std::span<const std::size_t> preselected) override {
        return choose_duplicate_tags(dialog_, instance_, results, preselected, databases_);
    }

    // The selected rows, and where they are, in list order.
    std::vector<int> selected_items() const {
        std::vector<int> items;
        for (int item = -1;;) {
            item = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, item, LVNI_SELECTED));
            if (item < 0 || static_cast<std::size_t>(item) >= rows_.size())
                return items;
            items.push_back(item);
        }
    }
    std::vector<TagRow> rows_at(const std::vector<int>& items) const {
        std::vector<TagRow> rows;
        for (int item : items)
            rows.push_back(rows_[static_cast<std::size_t>(item)]);
        return rows;
    }

    // Removes the rows at these items (in list order).
    void remove_items(const std::vector<int>& items) {
        for (auto it = items.rbegin(); it != items.rend(); ++it) {
            SendMessageW(list_, LVM_DELETEITEM, *it, 0);
            rows_.erase(rows_.begin() + *it);
        }
    }

    // Puts the rows in the order of a header click; the selected ones stay selected, and the
    // first of them takes the keyboard's place in the list.
    void sort_rows(TagRowColumn column, bool ascending) {
        const std::vector<TagRow> before = rows_;
        std::vector<bool> selected(rows_.size());
        for (std::size_t i = 0; i < rows_.size(); ++i)
            selected[i] = item_selected(list_, static_cast<int>(i));
        sort_tag_rows(rows_, column, ascending);
        const std::vector<bool> carried = carry_selection(before, selected, rows_);
        bool focus_placed = false;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const auto item = static_cast<int>(i);
            show_row(list_, item, rows_[i]);
            set_item_state(list_, item, LVIS_SELECTED, carried[i]);
            if (carried[i] && !focus_placed) {
                set_item_state(list_, item, LVIS_FOCUSED, true);
                focus_placed = true;
            }
        }
    }

    bool has_rows() const { return !rows_.empty(); }
    HWND list() const { return list_; }

  private:
    HWND dialog_;
    HWND list_;
    HINSTANCE instance_;
    const DatabaseNames& databases_;
    std::vector<TagRow> rows_;
};

struct DialogState {
    DialogState(HWND dialog, HINSTANCE instance, Seat& main_seat,
                const TagTranslationPartnersFor& partners_for)
        : seat(dialog, main_seat), partners(partners_for(seat)),
          view(dialog, instance, partners.databases), translation(partners, view) {}

    DialogSeat seat;
    TagTranslationPartners partners;
    LookupDialogView view;
    TagTranslation translation;
    RowSortOrder sort_order;
};

struct DialogStart {
    HINSTANCE instance;
    Seat& main_seat;
    const TagTranslationPartnersFor& partners_for;
    std::unique_ptr<DialogState> state;
};

DialogState* state_of(HWND dialog) {
    return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void enable(HWND dialog, int id, bool on) {
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

bool by_block(HWND dialog) {
    return IsDlgButtonChecked(dialog, IDC_LOOKUP_BY_BLOCK) == BST_CHECKED;
}

void focus_mode_field(HWND dialog) {
    if (!by_block(dialog)) {
        focus_and_select(dialog, IDC_LOOKUP_TAG_NAME);
        return;
    }
    std::array<std::wstring, 4> numbers;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = item_text(dialog, kNumberFields[i]);
    focus_and_select(dialog, control_of(first_empty_number_field(numbers)));
}

void apply_mode(HWND dialog) {
    const bool block = by_block(dialog);
    enable(dialog, IDC_LOOKUP_TAG_NAME, !block);
    for (int id : kNumberFields)
        enable(dialog, id, block);
    enable(dialog, IDC_LOOKUP_DESCRIPTION, block);
    focus_mode_field(dialog);
}

// A disabled button keeps no focus: it goes on to the list, or to the field to type in.
void update_delete_button(HWND dialog, DialogState& state) {
    HWND button = GetDlgItem(dialog, IDC_LOOKUP_DELETE_ENTRY);
    const bool any_selected = SendMessageW(state.view.list(), LVM_GETSELECTEDCOUNT, 0, 0) > 0;
    const bool had_focus = GetFocus() == button;
    EnableWindow(button, any_selected ? TRUE : FALSE);
    if (!any_selected && had_focus) {
        if (state.view.has_rows())
            SetFocus(state.view.list());
        else
            focus_mode_field(dialog);
    }
}

void add_columns(HWND list) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list, &client);
    const int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    const std::array<std::pair<StringId, int>, 3> columns{{
        {ids::ColumnBlockNumber, width * 36 / 100},
        {ids::ColumnTag, width * 26 / 100},
        {ids::ColumnFromDatabase, width - width * 36 / 100 - width * 26 / 100},
    }};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::wstring title = load_text(columns[i].first);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = title.data();
        column.cx = columns[i].second;
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void on_init(HWND dialog, DialogStart& start) {
    start.state =
        std::make_unique<DialogState>(dialog, start.instance, start.main_seat, start.partners_for);
    DialogState& state = *start.state;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    center_window(dialog, GetParent(dialog));
    SendDlgItemMessageW(dialog, IDC_LOOKUP_TAG_NAME, EM_LIMITTEXT, kTextChars, 0);
    add_columns(state.view.list());
    for (const TagRow& row : tag_rows(state.partners.tag_lists.points, state.partners.databases))
        state.view.append_row(row);
    CheckRadioButton(dialog, IDC_LOOKUP_BY_TAG_NAME, IDC_LOOKUP_BY_BLOCK, IDC_LOOKUP_BY_BLOCK);
    apply_mode(dialog);
    update_delete_button(dialog, state);
}

void on_number_change(HWND dialog, int id) {
    const auto cut = cut_at_non_digit(item_text(dialog, id));
    if (!cut)
        return;
    message_box(dialog, ids::NumericCharacterRequired, ids::IncorrectFormat, MB_ICONEXCLAMATION);
    SetDlgItemTextW(dialog, id, cut->c_str());
    focus_and_select(dialog, id);
}

void on_description_change(HWND dialog) {
    const auto cut = cut_description(item_text(dialog, IDC_LOOKUP_DESCRIPTION));
    if (!cut)
        return;
    message_box(dialog, ids::DescriptionTooLong, ids::MaximumCharactersExceeded,
                MB_ICONEXCLAMATION);
    SetDlgItemTextW(dialog, IDC_LOOKUP_DESCRIPTION, cut->c_str());
    HWND field = GetDlgItem(dialog, IDC_LOOKUP_DESCRIPTION);
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, cut->size(), cut->size());
}

void on_lookup(HWND dialog, DialogState& state) {
    if (by_block(dialog))
        state.translation.look_up_by_block();
    else
        state.translation.look_up_by_tag_name();
    // A click left the focus on the button; the next entry starts in its field. A refusal has
    // already focused the field to correct.
    if (GetFocus() == GetDlgItem(dialog, IDC_LOOKUP))
        focus_mode_field(dialog);
}

void on_delete(HWND dialog, DialogState& state) {
    const std::vector<int> items = state.view.selected_items();
    if (items.empty())
        return;
    if (state.translation.delete_entries(state.view.rows_at(items)))
        state.view.remove_items(items);
    update_delete_button(dialog, state);
}

bool on_command(HWND dialog, DialogState& state, int id, int code) {
    switch (id) {
    case IDC_LOOKUP_BY_TAG_NAME:
    case IDC_LOOKUP_BY_BLOCK:
        if (code == BN_CLICKED)
            apply_mode(dialog);
        return true;
    case IDC_LOOKUP_LOOP:
    case IDC_LOOKUP_PCU:
    case IDC_LOOKUP_MODULE:
    case IDC_LOOKUP_BLOCK:
        if (code == EN_CHANGE)
            on_number_change(dialog, id);
        return true;
    case IDC_LOOKUP_DESCRIPTION:
        if (code == EN_CHANGE)
            on_description_change(dialog);
        return true;
    case IDC_LOOKUP:
        on_lookup(dialog, state);
        return true;
    case IDC_LOOKUP_DELETE_ENTRY:
        on_delete(dialog, state);
        return true;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return true;
    }
    return false;
}

void on_notify(HWND dialog, DialogState& state, const NMHDR& header) {
    if (header.idFrom != IDC_LOOKUP_ENTRIES)
        return;
    switch (header.code) {
    case LVN_ITEMCHANGED:
        if (reinterpret_cast<const NMLISTVIEW&>(header).uChanged & LVIF_STATE)
            update_delete_button(dialog, state);
        return;
    case NM_CLICK:
        update_delete_button(dialog, state);
        return;
    case LVN_COLUMNCLICK: {
        const int sub_item = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
        if (sub_item < 0 || sub_item > 2)
            return;
        const auto column = static_cast<TagRowColumn>(sub_item);
        state.view.sort_rows(column, state.sort_order.click(column));
        return;
    }
    }
}

INT_PTR CALLBACK tag_lookup_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        on_init(dialog, *reinterpret_cast<DialogStart*>(lparam));
        return FALSE; // the focus is set
    }
    DialogState* state = state_of(dialog);
    if (!state)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return on_command(dialog, *state, LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
    case WM_NOTIFY:
        on_notify(dialog, *state, *reinterpret_cast<const NMHDR*>(lparam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool run_tag_lookup_dialog(HWND owner, HINSTANCE instance, Seat& main_seat,
                           const TagTranslationPartnersFor& partners_for) {
    DialogStart start{instance, main_seat, partners_for, nullptr};
    DialogBoxParamW(instance, MAKEINTRESOURCEW(TAGLOOKUP_ENTRIES), owner, tag_lookup_procedure,
                    reinterpret_cast<LPARAM>(&start));
    // The rows go with the state, once the dialog is closed.
    return start.state && start.state->translation.removed_while_monitoring();
}

} // namespace brixtel::win
