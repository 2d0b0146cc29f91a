#pragma once
// Tag lists as files: the tag list file (.LST, one entry text per line in stored form) and the
// Excel DDE file (.TXT, a semicolon-separated table whose third column links a spreadsheet cell
// to the program's DDE server), both written from the current tag list or from a saved list,
// and the import of a tag list file as a new or replacing saved list. The texts end every line
// with CR LF themselves; platform/text_file.h writes and reads them as 8-bit text.
//
// The import runs the checks of the "Import Taglist" dialog's OK in order over an `ImportView`
// (the dialog, or a recording fake in the unit tests); a failed or cancelled import changes no
// saved list, in memory or in the registry.
#include "logging/default_log_location.h"
#include "platform/registry.h"
#include "shell/seat.h"
#include "tags/current_tag_list.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

// --- Writing ---

inline constexpr std::wstring_view kExcelDdeHeader = L"Tag Information;Tag Name;Data Value";

// The tag list file of the current tag list: its entry texts in stored form; detached points
// are left out.
std::wstring tag_list_file_text(const CurrentTagList& points, const DatabaseNames& databases);
// The tag list file of a saved list: each entry (display form) in stored form.
std::wstring tag_list_file_text(std::span<const std::wstring> entries);

// The Excel DDE file of the current tag list, detached points left out; a point without a
// tag name has "NO_TAG" in the middle column.
std::wstring excel_dde_file_text(const CurrentTagList& points);
// The Excel DDE file of a saved list: the address and the tag are the entry's fields (stored
// form) trimmed of blanks. An entry without "--" names no point and gives no line.
std::wstring excel_dde_file_text(std::span<const std::wstring> entries);

// --- Choices shared with the Tag list dialog ---

// "Blank Taglist" in any case, with or without its parentheses: the name of "no list".
bool is_reserved_list_name(std::wstring_view name);

// Whether two lists of entry texts hold different texts, compared as sets without regard to
// case, in both directions (order and repeats do not count).
bool entry_sets_differ(std::span<const std::wstring> a, std::span<const std::wstring> b);

enum class ExportKind { TagListFile, ExcelDdeFile };
enum class ExportChoice { SavedTags, CurrentTags, Cancel };

// What an export button of the Tag list dialog writes for the selected entry.
struct DialogExport {
    std::wstring list_name; // for the file dialog's initial name
    std::wstring text;
};

// The export of the selected entry of the Tag list dialog: for the blank entry message 122
// and nothing; for the loaded list whose entries differ from the current tag list the user
// chooses which to write (`ask_which`, "Different Tags Detected"); otherwise the saved
// list's. Nothing for a name without a saved list, or when the choice was cancelled.
std::optional<DialogExport> dialog_export(Seat& seat, const TagListState& state,
                                          const DatabaseNames& databases,
                                          std::wstring_view selected_entry, ExportKind kind,
                                          const std::function<ExportChoice()>& ask_which);

// --- Reading ---

// Lines the way the runtime's text mode reads them a buffer of 1024 at a time: CR LF is a line
// end, a longer line comes in pieces of 1023 characters, and a line ends at a NUL character.
std::vector<std::wstring> text_file_lines(std::wstring_view text);

// Whether a line (trimmed) reads as an entry text: " -- ", a second " -- " after it, and before
// the first one "MODULE " at the start and "BLOCK " after it, in any case.
bool import_line_well_formed(std::wstring_view line);

// The non-blank lines trimmed of blanks and line ends, in display form, in file order.
std::vector<std::wstring> import_entries(std::span<const std::wstring> lines);

// An import takes at most this many entries of a file, the first that name a point: "Points
// Exceeded" lists them in a list box, which holds 32,767 items on every system, and only 50
// can be kept.
inline constexpr std::size_t kMaxImportEntries = 32767;

// "Points Exceeded": Remove takes out the selected rows (indexes into `entries`), at most
// kMaxRemovedAtOnce of the first ones at a time, and keeps the order of the rest.
inline constexpr std::size_t kMaxRemovedAtOnce = 500;
void remove_entries(std::vector<std::wstring>& entries, std::span<const std::size_t> selected);

// --- The import ---

// Where the import's file is read; the platform's files in the program.
class ImportFiles {
  public:
    virtual ~ImportFiles() = default;
    virtual bool exists(std::wstring_view path) const = 0;
    // The whole text, or nothing when the file cannot be opened.
    virtual std::optional<std::wstring> read(std::wstring_view path) const = 0;
};

class PlatformImportFiles : public ImportFiles {
  public:
    bool exists(std::wstring_view path) const override;
    std::optional<std::wstring> read(std::wstring_view path) const override;
};

enum class ImportField { File, Name };

// The "Import Taglist" dialog as the import sees it.
class ImportView {
  public:
    virtual ~ImportView() = default;
    virtual std::wstring field_text(ImportField field) const = 0;
    // Selects the field's whole text and gives it the focus.
    virtual void select_field(ImportField field) = 0;
    // "Load list after import" is enabled and ticked.
    virtual bool load_after_import() const = 0;
    // "Points Exceeded" over more entries than may be monitored: the entries left when the user
    // pressed OK with few enough, or nothing for Cancel.
    virtual std::optional<std::vector<std::wstring>>
    reduce_entries(std::vector<std::wstring> entries) = 0;
};

// What the import reads and changes outside the dialog.
struct ImportPartners {
    Seat& seat; // boxes owned by the dialog
    Registry& registry;
    LogFolderSystem& folders;
    TagListState& state;
    const ImportFiles& files;
    std::function<bool()> monitoring_on;
    // Loads the list named by the current list name into the current tag list (which the
    // import has cleared), saves LastLoaded and refreshes the main window.
    std::function<void()> load_current_list;
};

enum class ImportOutcome {
    KeepOpen, // a field to correct or a name to change: the dialog stays
    Failed,   // the import stopped; the dialog closes
    Imported, // the list is saved (and loaded when asked); the dialog closes
};

class TagListImport {
  public:
    TagListImport(ImportPartners partners, ImportView& view)
        : partners_(std::move(partners)), view_(view) {}

    // The dialog's OK.
    ImportOutcome run();

  private:
    std::optional<std::vector<std::wstring>> read_entries(const std::wstring& file);
    bool store(TagListRecord* existing, const std::wstring& name,
               std::vector<std::wstring> entries);

    ImportPartners partners_;
    ImportView& view_;
};

// The logging options of a list made by an import: every time column, no dates, no
// synchronized start or stop, and its own log file "Brixtel_<name>.log" in `log_folder`.
LoggingOptions imported_list_logging(std::wstring_view log_folder, std::wstring_view name);

} // namespace brixtel
