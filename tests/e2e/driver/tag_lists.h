// Saved tag lists as a user handles them: the Tag list dialog in its three modes with its
// review, the import dialog and its "Points Exceeded" list, the "Different Tags Detected"
// choice, the system's save and open dialogs of the exports, and the lists as the registry
// keeps them.
#pragma once

#include "tags/tag_list_controls.h"
#include "tests/e2e/driver/brixtel_process.h"
#include "tests/e2e/driver/dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

inline constexpr UINT kExitCommand = 40003;
inline constexpr UINT kLoadTagListCommand = 40018;
inline constexpr UINT kSaveTagListCommand = 40019;
inline constexpr UINT kDeleteTagListCommand = 40020;
inline constexpr UINT kExcelDdeFileCommand = 40022;
inline constexpr UINT kExportCurrentTagsCommand = 40023;
inline constexpr UINT kImportTagListCommand = 40024;

inline constexpr wchar_t kTagsKey[] = L"Software\\Quorrel\\Halvo Brixtel\\Tags";
inline constexpr wchar_t kBlankTaglist[] = L"(Blank Taglist)";
inline constexpr wchar_t kReviewTitle[] = L"Tag List Review";
inline constexpr wchar_t kImportTitle[] = L"Import Taglist";
inline constexpr wchar_t kPointsExceededTitle[] = L"Points Exceeded";
inline constexpr wchar_t kDifferentTagsTitle[] = L"Different Tags Detected";

// ---- Lists in the registry -----------------------------------------------------------------

struct SavedList {
    std::wstring name;
    std::vector<std::wstring> entries; // stored form, "Module 1,2,3 Block 100 -- TAG -- DB"
    bool operator==(const SavedList&) const = default;
};

// "Software\Quorrel\Halvo Brixtel\Tags\List<number>".
std::wstring list_key(int number);

// Writes the lists as List1 ... in order and `last_loaded` as the list loaded last; the
// Settings key this creates makes the start a normal one.
::testing::AssertionResult store_tag_lists(const std::vector<SavedList>& lists,
                                           const std::wstring& last_loaded);
// List1, List2 ... up to the first number missing, each with its name and NumberofTags values.
std::vector<SavedList> read_tag_lists();
std::string describe_lists(const std::vector<SavedList>& lists);
// Waits until the registry holds exactly these lists.
::testing::AssertionResult wait_for_tag_lists(const std::vector<SavedList>& expected);

// Every subkey and value under the key, one sorted line each with its type and data, so two
// readings compare whole and a difference shows in the failure message.
std::string describe_key_tree(HKEY root, const std::wstring& path);

// ---- Texts ---------------------------------------------------------------------------------

// A message box's text as the user reads it: CR LF and LF are one line break.
std::wstring as_shown(std::wstring_view text);
// Control characters spelt out, so a failure shows where two texts part.
std::string escaped(std::wstring_view text);

// Waits for the box with this caption, checks its text (as shown) when `text` is given, and
// presses the button.
::testing::AssertionResult answer_message(const BrixtelProcess& program, std::wstring_view caption,
                                          std::wstring_view button,
                                          std::optional<std::wstring_view> text = std::nullopt);

// ---- The Tag list dialog ---------------------------------------------------------------------

enum class TagListMode { load, save, erase };

// "Load Tag List", "Save Tag List" or "Delete Tag List".
const wchar_t* tag_list_title(TagListMode mode);

class TagListDialog {
  public:
    explicit TagListDialog(const BrixtelProcess& program) : program_(program) {}

    // Posts the mode's menu command and waits for the dialog.
    ::testing::AssertionResult open(TagListMode mode);
    // Waits for the dialog in this mode that the program opened by itself.
    ::testing::AssertionResult wait_for(TagListMode mode);
    HWND window() const { return dialog_; }

    std::optional<std::vector<std::wstring>> names() const;
    // The selected entry's text; empty when none is selected.
    std::wstring selected_name() const;
    // Selects the entry with this text, as a click in the list would.
    ::testing::AssertionResult select(std::wstring_view name) const;
    ::testing::AssertionResult type_save_as(std::wstring_view name) const;
    // Clicks a button (refused while it is disabled or hidden, as for a user).
    ::testing::AssertionResult press(int id) const;
    // Clicks Review List, reads the "Tag List Review" text and closes it with OK.
    ::testing::AssertionResult review(std::wstring* text) const;
    ::testing::AssertionResult wait_until_closed() const;

  private:
    const BrixtelProcess& program_;
    HWND dialog_ = nullptr;
};

// ---- The system's file dialogs ---------------------------------------------------------------

class FileDialog {
  public:
    // Waits for a file-open or file-save dialog of the program.
    ::testing::AssertionResult wait_for(const BrixtelProcess& program);
    HWND window() const { return dialog_; }
    std::wstring title() const;
    // The text of the file-name box (the name the dialog offers first).
    std::wstring file_name() const;
    // Types the name (a full path, or a bare name for the folder shown) and presses Save or
    // Open; waits for the dialog to close.
    ::testing::AssertionResult accept(std::wstring_view name) const;
    ::testing::AssertionResult cancel() const;

  private:
    HWND file_name_box() const;

    const BrixtelProcess* program_ = nullptr;
    HWND dialog_ = nullptr;
};

// ---- Import ----------------------------------------------------------------------------------

// Opens "Import Taglist" with command 40024, fills file and name in and presses OK; what
// follows is the caller's to answer.
::testing::AssertionResult start_import(const BrixtelProcess& program, std::wstring_view file,
                                        std::wstring_view name, HWND* dialog = nullptr);

// The "Points Exceeded" dialog.
class PointsExceeded {
  public:
    ::testing::AssertionResult wait_for(const BrixtelProcess& program);
    HWND window() const { return dialog_; }
    std::optional<std::vector<std::wstring>> entries() const;
    std::wstring total() const;
    // Selects exactly these rows of the list (multiple selection) and presses Remove; waits
    // until the list has lost them.
    ::testing::AssertionResult remove(const std::vector<int>& rows) const;
    ::testing::AssertionResult press(int id) const;

  private:
    HWND dialog_ = nullptr;
};

// ---- Files -------------------------------------------------------------------------------------

// Waits until the file holds exactly these bytes; a failure shows what it held last.
::testing::AssertionResult wait_for_file(const std::wstring& path, std::string_view expected);
// Lines joined with CR LF after each, as the program writes its text files.
std::string crlf_text(const std::vector<std::wstring>& lines);

} // namespace brixtel::e2e
