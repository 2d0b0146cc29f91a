#include "tags/win/tag_queries.h"

#include "shell/string_table.h"
#include "shell/win/reporting.h"
#include "tags/tag_dialog_controls.h"
#include "tags/tag_translation.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace brixtel::win {
namespace {

// --- Duplicate Tag Selections ---

struct DuplicateQuery {
    std::span<const TagRecord> grouped;
    std::span<const std::size_t> preselected;
    const DatabaseNames& databases;
    std::vector<std::size_t> chosen;
};

void add_column(HWND list, int index, StringId title, int width) {
    std::wstring text = load_text(title);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = text.data();
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

void set_cell(HWND list, int item, int column, std::wstring text) {
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = text.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&cell));
}

void fill_choices(HWND list, const DuplicateQuery& query) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list, &client);
    const int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    add_column(list, 0, ids::ColumnBlockNumber, width * 3 / 10);
    add_column(list, 1, ids::ColumnTag, width * 3 / 10);
    add_column(list, 2, ids::ColumnFromDatabase, width - 2 * (width * 3 / 10));
    for (std::size_t i = 0; i < query.grouped.size(); ++i) {
        const TagRecord& r = query.grouped[i];
        TagRow row = tag_row({r.loop, r.pcu, r.module, r.block}, r.tag, r.database,
                             query.databases.slot_text(r.database));
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = row.block_text.data();
        // The result's index travels with its row.
        item.lParam = static_cast<LPARAM>(i);
        const auto at = static_cast<int>(
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0)
            continue;
        set_cell(list, at, 1, std::move(row.tag));
        set_cell(list, at, 2, std::move(row.database_text));
        if (std::find(query.preselected.begin(), query.preselected.end(), i) !=
            query.preselected.end()) {
            LVITEMW state{};
            state.stateMask = LVIS_SELECTED;
            state.state = LVIS_SELECTED;
            SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(at),
                         reinterpret_cast<LPARAM>(&state));
        }
    }
}

std::vector<std::size_t> selected_choices(HWND list) {
    std::vector<std::size_t> chosen;
    int item = -1;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    // Bounded by the row count: each step moves to a later row.
    for (int step = 0; step < count; ++step) {
        item = static_cast<int>(
            SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED));
        if (item < 0)
            break;
        LVITEMW row{};
        row.mask = LVIF_PARAM;
        row.iItem = item;
        if (SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row)))
            chosen.push_back(static_cast<std::size_t>(row.lParam));
    }
    return chosen;
}

void on_duplicate_ok(HWND dialog, DuplicateQuery& query) {
    std::vector<std::size_t> chosen = selected_choices(GetDlgItem(dialog, IDC_DUPLICATE_CHOICES));
    switch (check_duplicate_selection(query.grouped, chosen)) {
    case DuplicateSelectionVerdict::DuplicatesRemain:
        message_box(dialog, ids::DuplicateSelections, ids::DuplicateError, MB_OK);
        return;
    case DuplicateSelectionVerdict::NothingSelected:
        if (message_box(dialog, ids::NoSelectionsQuestion, ids::NoSelections, MB_YESNO) != IDYES)
            return;
        break;
    case DuplicateSelectionVerdict::Accept:
        break;
    }
    query.chosen = std::move(chosen);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK duplicate_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* query = reinterpret_cast<DuplicateQuery*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        fill_choices(GetDlgItem(dialog, IDC_DUPLICATE_CHOICES),
                     *reinterpret_cast<DuplicateQuery*>(lparam));
        center_window(dialog, GetParent(dialog));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            if (query)
                on_duplicate_ok(dialog, *query);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// --- Illegal Block Number Check ---

INT_PTR CALLBACK block_check_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        center_window(dialog, GetParent(dialog));
        // The question is answered with a button; the box is the exception.
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
        case IDCANCEL: {
            // The box counts on either button.
            auto* do_not_show = reinterpret_cast<bool*>(GetWindowLongPtrW(dialog, DWLP_USER));
            if (do_not_show)
                *do_not_show =
                    IsDlgButtonChecked(dialog, IDC_BLOCK_CHECK_DO_NOT_SHOW) == BST_CHECKED;
            EndDialog(dialog, LOWORD(wparam));
            return TRUE;
        }
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

std::optional<std::vector<std::size_t>>
choose_duplicate_tags(HWND owner, HINSTANCE instance, std::span<const TagRecord> results,
                      std::span<const std::size_t> preselected, const DatabaseNames& databases) {
    DuplicateQuery query{results, preselected, databases, {}};
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(DUPLICATE_TAG_QUERY), owner,
                                           duplicate_procedure, reinterpret_cast<LPARAM>(&query));
    if (result != IDOK)
        return std::nullopt;
    std::sort(query.chosen.begin(), query.chosen.end());
    return query.chosen;
}

bool confirm_block_above_limit(HWND owner, HINSTANCE instance, bool& do_not_show_again) {
    do_not_show_again = false;
    const INT_PTR result =
        DialogBoxParamW(instance, MAKEINTRESOURCEW(EXCEEDEDBLOCKLIMIT), owner,
                        block_check_procedure, reinterpret_cast<LPARAM>(&do_not_show_again));
    return result == IDOK;
}

} // namespace brixtel::win
