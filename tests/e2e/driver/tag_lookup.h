// The Tag Translation dialog (command 40010) and the dialogs it opens, worked as a user would:
// the mode buttons, the fields, Lookup, the rows of its list, Delete Entry and the column
// headers; "Duplicate Tag Selections" and "Illegal Block Number Check". Also the comma-separated
// tag databases a test writes and names in the settings before a start.
#pragma once

#include "tags/tag_dialog_controls.h"
#include "tests/e2e/driver/brixtel_process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

inline constexpr UINT kTagNameLookupCommand = 40010;
inline constexpr wchar_t kTagTranslationTitle[] = L"Tag Translation";
inline constexpr wchar_t kDuplicateSelectionsTitle[] = L"Duplicate Tag Selections";
inline constexpr wchar_t kBlockCheckTitle[] = L"Illegal Block Number Check";

// ---- Tag databases -------------------------------------------------------------------------

struct DatabaseRecord {
    std::wstring tag;
    int loop = 0;
    int pcu = 0;
    int module = 0;
    int block = 0;
};
// A comma-separated tag database: the header TAGNAME,LOOP,PCU,MODULE,BLOCK and one line per
// record, CR LF ended.
::testing::AssertionResult write_csv_database(const std::wstring& path,
                                              const std::vector<DatabaseRecord>& records);

// ---- List views ----------------------------------------------------------------------------

using ListRows = std::vector<std::vector<std::wstring>>;

// Selects exactly these rows (every other row loses its selection), as the list reports it to
// its dialog.
::testing::AssertionResult select_list_view_rows(HWND list, const std::vector<int>& rows);
// A left click in the middle of the row's first column, as the mouse sends it.
::testing::AssertionResult click_list_view_row(HWND list, int row);
// A left click on a column's header button.
::testing::AssertionResult click_column_header(HWND list, int column);
// Polls the rows until `wanted` accepts them; `rows` gets the last ones read.
template <class Wanted>
::testing::AssertionResult wait_for_rows(HWND list, Wanted&& wanted, ListRows* rows,
                                         Millis bound = kWaitBound);
std::string describe_rows(const ListRows& rows);

// ---- Tag Translation -----------------------------------------------------------------------

// The four number fields and the description of block mode, as typed.
struct BlockFields {
    std::wstring loop;
    std::wstring pcu;
    std::wstring module;
    std::wstring block;
    std::wstring description;
};
BlockFields block_fields(int loop, int pcu, int module, int block,
                         std::wstring_view description = {});

class TagTranslation {
  public:
    explicit TagTranslation(const BrixtelProcess& program) : program_(program) {}

    // Posts the command and waits for the dialog.
    ::testing::AssertionResult open();
    HWND dialog() const { return dialog_; }
    HWND list() const { return dialog_item(dialog_, IDC_LOOKUP_ENTRIES); }

    // Clicks the mode's radio button and waits until its fields take input.
    ::testing::AssertionResult by_tag_name();
    ::testing::AssertionResult by_block();

    // Fills the fields in and presses Lookup; what follows (a row, a box, a dialog) is the
    // caller's to wait for.
    ::testing::AssertionResult look_up_tag(std::wstring_view name);
    ::testing::AssertionResult look_up_block(const BlockFields& fields);
    // A lookup that adds rows: presses Lookup and waits until the list holds `rows_after` rows
    // and the dialog has emptied the field it empties after every lookup.
    ::testing::AssertionResult add_tag(std::wstring_view name, std::size_t rows_after,
                                       ListRows* rows = nullptr);
    ::testing::AssertionResult add_block(const BlockFields& fields, std::size_t rows_after,
                                         ListRows* rows = nullptr);

    std::optional<ListRows> rows() const;
    ::testing::AssertionResult wait_for_row_count(std::size_t count, ListRows* rows = nullptr);

    // Clicks the row, waits for Delete Entry to be enabled, presses it, and waits for the row
    // count to drop by one.
    ::testing::AssertionResult delete_row(int row);

    ::testing::AssertionResult close();

  private:
    ::testing::AssertionResult choose_mode(int button, int enabled_field);
    ::testing::AssertionResult wait_for_empty_field(int id);

    const BrixtelProcess& program_;
    HWND dialog_ = nullptr;
};

// ---- The dialogs over it -------------------------------------------------------------------

// "Duplicate Tag Selections": waits for it and reads its rows.
::testing::AssertionResult wait_for_duplicate_choices(const BrixtelProcess& program, HWND* dialog,
                                                      ListRows* rows);
// Selects the rows and presses OK; the dialog's answer is the caller's to wait for.
::testing::AssertionResult choose_duplicates(HWND dialog, const std::vector<int>& rows);

// "Illegal Block Number Check": sets its "Do not show this message again" box, presses OK or
// Cancel and waits for it to close.
::testing::AssertionResult answer_block_check(const BrixtelProcess& program, bool do_not_show,
                                              int button);

// ---- Template definitions ------------------------------------------------------------------

std::optional<ListRows> read_list_rows(HWND list);

template <class Wanted>
::testing::AssertionResult wait_for_rows(HWND list, Wanted&& wanted, ListRows* rows, Millis bound) {
    ListRows last;
    if (poll_until(
            [&] {
                const auto read = read_list_rows(list);
                if (!read)
                    return false;
                last = *read;
                return static_cast<bool>(wanted(last));
            },
            bound, 50ms)) {
        if (rows)
            *rows = last;
        return ::testing::AssertionSuccess();
    }
    if (rows)
        *rows = last;
    return ::testing::AssertionFailure()
           << "rows not as wanted within " << describe(bound) << "; last seen:\n"
           << describe_rows(last);
}

} // namespace brixtel::e2e
