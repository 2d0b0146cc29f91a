#include "tests/e2e/driver/tag_lookup.h"

#include "tests/e2e/driver/logging.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/remote_controls.h"
#include "tests/e2e/driver/window_query.h"

#include <commctrl.h>

namespace brixtel::e2e {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

namespace {

std::string ascii(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text)
        out += static_cast<char>(c);
    return out;
}

// A press and a release at one point of the control's client area; the coordinates travel in
// the messages themselves, so the pointer need not be there.
bool post_click(HWND control, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    return PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, where) &&
           PostMessageW(control, WM_LBUTTONUP, 0, where);
}

POINT middle(const RECT& rect) {
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

} // namespace

// ---- Tag databases -------------------------------------------------------------------------

AssertionResult write_csv_database(const std::wstring& path,
                                   const std::vector<DatabaseRecord>& records) {
    std::string text = "TAGNAME,LOOP,PCU,MODULE,BLOCK\r\n";
    for (const DatabaseRecord& record : records)
        text += ascii(record.tag) + "," + std::to_string(record.loop) + "," +
                std::to_string(record.pcu) + "," + std::to_string(record.module) + "," +
                std::to_string(record.block) + "\r\n";
    if (write_file_bytes(path, text))
        return AssertionSuccess();
    return AssertionFailure() << "could not write " << narrow(path);
}

// ---- List views ----------------------------------------------------------------------------

std::optional<ListRows> read_list_rows(HWND list) {
    return list_view_rows(list);
}

std::string describe_rows(const ListRows& rows) {
    std::string text;
    for (const auto& row : rows) {
        text += "  ";
        for (std::size_t i = 0; i < row.size(); ++i)
            text += (i ? " | " : "") + narrow(row[i]);
        text += "\n";
    }
    return text.empty() ? "  (no rows)\n" : text;
}

AssertionResult select_list_view_rows(HWND list, const std::vector<int>& rows) {
    if (!set_list_view_item_state(list, -1, 0, LVIS_SELECTED))
        return AssertionFailure() << "the list's selection cannot be cleared";
    for (int row : rows)
        if (!set_list_view_item_state(list, row, LVIS_SELECTED | LVIS_FOCUSED,
                                      LVIS_SELECTED | LVIS_FOCUSED))
            return AssertionFailure() << "row " << row << " cannot be selected";
    // A list that keeps one selection only shows it here.
    const auto count = send_bounded(list, LVM_GETSELECTEDCOUNT);
    if (!count || *count != static_cast<LRESULT>(rows.size()))
        return AssertionFailure() << (count ? *count : -1) << " rows selected, wanted "
                                  << rows.size();
    return AssertionSuccess();
}

AssertionResult click_list_view_row(HWND list, int row) {
    send_bounded(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    const auto rect =
        control_rect(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), RECT{LVIR_LABEL, 0, 0, 0});
    if (!rect)
        return AssertionFailure() << "row " << row << " has no place in the list";
    if (!post_click(list, middle(*rect)))
        return AssertionFailure() << "the click on row " << row << " was not posted";
    return AssertionSuccess();
}

AssertionResult click_column_header(HWND list, int column) {
    const auto header = send_bounded(list, LVM_GETHEADER);
    if (!header || !*header)
        return AssertionFailure() << "the list has no header";
    HWND control = reinterpret_cast<HWND>(*header);
    const auto rect = control_rect(control, HDM_GETITEMRECT, static_cast<WPARAM>(column));
    if (!rect)
        return AssertionFailure() << "column " << column << " has no header button";
    if (!post_click(control, middle(*rect)))
        return AssertionFailure() << "the click on column " << column << " was not posted";
    return AssertionSuccess();
}

// ---- Tag Translation -----------------------------------------------------------------------

BlockFields block_fields(int loop, int pcu, int module, int block, std::wstring_view description) {
    return BlockFields{std::to_wstring(loop), std::to_wstring(pcu), std::to_wstring(module),
                       std::to_wstring(block), std::wstring(description)};
}

AssertionResult TagTranslation::open() {
    if (!program_.post_command(kTagNameLookupCommand))
        return AssertionFailure() << "command " << kTagNameLookupCommand << " not posted";
    if (auto shown = program_.wait_for_window(kTagTranslationTitle, &dialog_); !shown)
        return shown;
    if (!list())
        return AssertionFailure() << "the dialog has no list " << IDC_LOOKUP_ENTRIES;
    return AssertionSuccess();
}

AssertionResult TagTranslation::choose_mode(int button, int enabled_field) {
    if (check_state(dialog_, button) != std::optional<int>(BST_CHECKED) && !click(dialog_, button))
        return AssertionFailure() << "radio button " << button << " cannot be clicked";
    if (poll_until(
            [&] {
                return check_state(dialog_, button) == std::optional<int>(BST_CHECKED) &&
                       item_enabled(dialog_, enabled_field);
            },
            kWaitBound))
        return AssertionSuccess();
    return AssertionFailure() << "radio button " << button << " chosen but field " << enabled_field
                              << " is " << (item_enabled(dialog_, enabled_field) ? "" : "not ")
                              << "enabled";
}

AssertionResult TagTranslation::by_tag_name() {
    return choose_mode(IDC_LOOKUP_BY_TAG_NAME, IDC_LOOKUP_TAG_NAME);
}

AssertionResult TagTranslation::by_block() {
    return choose_mode(IDC_LOOKUP_BY_BLOCK, IDC_LOOKUP_BLOCK);
}

AssertionResult TagTranslation::look_up_tag(std::wstring_view name) {
    if (auto mode = by_tag_name(); !mode)
        return mode;
    if (!set_item_text(dialog_, IDC_LOOKUP_TAG_NAME, name))
        return AssertionFailure() << "the Tag Name field cannot be filled in";
    if (!click(dialog_, IDC_LOOKUP))
        return AssertionFailure() << "Lookup cannot be pressed";
    return AssertionSuccess();
}

AssertionResult TagTranslation::look_up_block(const BlockFields& fields) {
    if (auto mode = by_block(); !mode)
        return mode;
    const std::pair<int, const std::wstring*> texts[] = {
        {IDC_LOOKUP_LOOP, &fields.loop},
        {IDC_LOOKUP_PCU, &fields.pcu},
        {IDC_LOOKUP_MODULE, &fields.module},
        {IDC_LOOKUP_BLOCK, &fields.block},
        {IDC_LOOKUP_DESCRIPTION, &fields.description}};
    for (const auto& [id, text] : texts)
        if (!set_item_text(dialog_, id, *text))
            return AssertionFailure() << "field " << id << " cannot be filled in";
    if (!click(dialog_, IDC_LOOKUP))
        return AssertionFailure() << "Lookup cannot be pressed";
    return AssertionSuccess();
}

AssertionResult TagTranslation::wait_for_empty_field(int id) {
    if (poll_until([&] { return item_text(dialog_, id).empty(); }, kWaitBound))
        return AssertionSuccess();
    return AssertionFailure() << "field " << id << " still holds \""
                              << narrow(item_text(dialog_, id)) << "\"";
}

AssertionResult TagTranslation::add_tag(std::wstring_view name, std::size_t rows_after,
                                        ListRows* rows) {
    if (auto pressed = look_up_tag(name); !pressed)
        return pressed;
    if (auto added = wait_for_row_count(rows_after, rows); !added)
        return added;
    return wait_for_empty_field(IDC_LOOKUP_TAG_NAME);
}

AssertionResult TagTranslation::add_block(const BlockFields& fields, std::size_t rows_after,
                                          ListRows* rows) {
    if (auto pressed = look_up_block(fields); !pressed)
        return pressed;
    if (auto added = wait_for_row_count(rows_after, rows); !added)
        return added;
    return wait_for_empty_field(IDC_LOOKUP_BLOCK);
}

std::optional<ListRows> TagTranslation::rows() const {
    return list_view_rows(list());
}

AssertionResult TagTranslation::wait_for_row_count(std::size_t count, ListRows* rows) {
    return wait_for_rows(
        list(), [count](const ListRows& seen) { return seen.size() == count; }, rows);
}

AssertionResult TagTranslation::delete_row(int row) {
    const auto before = rows();
    if (!before)
        return AssertionFailure() << "the rows cannot be read";
    if (auto clicked = click_list_view_row(list(), row); !clicked)
        return clicked;
    if (!poll_until([&] { return item_enabled(dialog_, IDC_LOOKUP_DELETE_ENTRY); }, kWaitBound))
        return AssertionFailure() << "Delete Entry stayed disabled after a click on row " << row;
    if (!click(dialog_, IDC_LOOKUP_DELETE_ENTRY))
        return AssertionFailure() << "Delete Entry cannot be pressed";
    return wait_for_row_count(before->size() - 1);
}

AssertionResult TagTranslation::close() {
    if (!click(dialog_, IDCANCEL))
        return AssertionFailure() << "Close cannot be pressed";
    return program_.wait_until_gone(dialog_);
}

// ---- The dialogs over it -------------------------------------------------------------------

AssertionResult wait_for_duplicate_choices(const BrixtelProcess& program, HWND* dialog,
                                           ListRows* rows) {
    if (auto shown = program.wait_for_window(kDuplicateSelectionsTitle, dialog); !shown)
        return shown;
    HWND list = dialog_item(*dialog, IDC_DUPLICATE_CHOICES);
    if (!list)
        return AssertionFailure() << "the dialog has no list " << IDC_DUPLICATE_CHOICES;
    return wait_for_rows(
        list, [](const ListRows& seen) { return !seen.empty(); }, rows);
}

AssertionResult choose_duplicates(HWND dialog, const std::vector<int>& rows) {
    if (auto selected = select_list_view_rows(dialog_item(dialog, IDC_DUPLICATE_CHOICES), rows);
        !selected)
        return selected;
    if (!click(dialog, IDOK))
        return AssertionFailure() << "OK cannot be pressed";
    return AssertionSuccess();
}

AssertionResult answer_block_check(const BrixtelProcess& program, bool do_not_show, int button) {
    HWND query = nullptr;
    if (auto shown = program.wait_for_window(kBlockCheckTitle, &query); !shown)
        return shown;
    if (!set_checked(query, IDC_BLOCK_CHECK_DO_NOT_SHOW, do_not_show))
        return AssertionFailure() << "the \"Do not show\" box cannot be set";
    if (!click(query, button))
        return AssertionFailure() << "button " << button << " cannot be pressed";
    return program.wait_until_gone(query);
}

} // namespace brixtel::e2e
