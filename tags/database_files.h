#pragma once
// The tag database files the user has named, the Database table that numbers them, and the
// Tag database index built from all of them.
//
// Database numbers: 0 marks a removed file's records, 1 names points that no database knows
// (slot text "NO_DATABASE"), 2 ... 29 name files. Numbers are handed out upward and never
// reused while the program runs, so a removed file's records and points can never be taken
// for another file's.
#include "shell/seat.h"
#include "shell/string_table.h"
#include "tags/tag_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {

inline constexpr std::int32_t removed_database = 0;
inline constexpr std::int32_t no_database = 1;
inline constexpr std::int32_t first_file_database = 2;
inline constexpr std::int32_t last_file_database = 29;
inline constexpr std::size_t database_slot_count = 30;
// A slot holds 256 characters with the terminating null.
inline constexpr std::size_t max_database_path = 255;

// Keeps the list of database file names across runs. The settings side implements it over
// the registry ("Databases": "Database1" ... "Database<n>" and DatabaseFiles = n).
class DatabaseFileStore {
  public:
    virtual ~DatabaseFileStore() = default;
    // Rewrites the stored list as exactly these paths, in this order.
    virtual void save_database_files(std::span<const std::wstring> paths) = 0;
};

// What removing a database file does to the tag lists. The tag-list side implements it.
class DatabaseRemovalHooks {
  public:
    virtual ~DatabaseRemovalHooks() = default;
    // Detaches every point of the current tag list whose Database number is one of
    // `numbers`: its number becomes 0, the current point count drops by one and, while
    // monitoring runs, the monitored point with its block address is deleted. Returns how
    // many points were detached.
    virtual int detach_points(std::span<const std::int32_t> numbers) = 0;
    // Marks the loaded saved tag list as changed when one of its entries names `path` as
    // its database (compared without regard to case).
    virtual void database_removed(std::wstring_view path) = 0;
    // The current point count after the detaching.
    virtual int current_point_count() const = 0;
};

// Asks the Type tool whether a file is a tag database (true: accept).
using TypeCheck = std::function<bool(std::wstring_view path)>;

enum class AddOutcome {
    Added,
    Duplicate, // already named (any letter case): nothing added, the dialog reports it
    Rejected,  // refused by the Type tool or by the table's limits, already reported
};

enum class RemoveOutcome {
    Removed,
    NotWhileMonitoring, // monitoring in the Export View: message 44
    NothingSelected,    // message 46
    Declined,           // the user answered No to message 47
};

struct RemoveResult {
    RemoveOutcome outcome = RemoveOutcome::Declined;
    // Points of the current tag list were detached: repaint the main window after the dialog.
    bool repaint_main_window = false;
};

class TagDatabases {
  public:
    // `no_database_text` is the display text of string 188, as start-up loads it.
    explicit TagDatabases(std::wstring_view no_database_text = string_text(ids::NoDatabase));

    // The text of a Database table slot; empty for a number outside the table.
    std::wstring_view slot(std::int32_t number) const;
    // The highest Database number given out so far (2 before any).
    std::int32_t counter() const { return counter_; }
    // The Database file list, in order of adding.
    const std::vector<std::wstring>& files() const { return files_; }
    std::size_t file_count() const { return files_.size(); }
    // The Tag database index: every record read, in order, all files together.
    const std::vector<TagRecord>& index() const { return index_; }

    // The number of a listed file's path (any case): the newest one that path was given, as a
    // file removed and added again keeps its old slot text. Nothing for a path not listed.
    std::optional<std::int32_t> number_of_path(std::wstring_view path) const;

    // The paths to store, in order of adding, without those equal to `leave_out`.
    std::vector<std::wstring>
    paths_for_saving(std::optional<std::wstring_view> leave_out = std::nullopt) const;

    // A stored file named at start-up as the i-th (from 0): number i + 2, no duplicate or
    // type check, nothing saved. A number past the table or a path too long for a slot is
    // refused with a message; returns whether the file was taken.
    bool add_at_startup(std::size_t i, std::wstring_view path, Seat& seat);

    // A file the user adds in the Database File Names dialog. On Added the dialog appends the
    // path to its list; the stored list has been saved.
    AddOutcome add_from_dialog(std::wstring_view path, Seat& seat, const TypeCheck& type_check,
                               DatabaseFileStore& store);

    // The dialog's Delete button: `selected` is the selected list item, if any. On Removed
    // the dialog removes that item and selects the one before it (or the first).
    RemoveResult remove(std::optional<std::wstring_view> selected, bool monitoring_in_export_view,
                        Seat& seat, DatabaseFileStore& store, DatabaseRemovalHooks& tag_lists);

  private:
    bool fits_table(std::int32_t number, std::wstring_view path, Seat& seat) const;
    void take_file(std::int32_t number, std::wstring_view path);

    std::array<std::wstring, database_slot_count> slots_;
    std::int32_t counter_ = first_file_database;
    std::vector<std::wstring> files_;
    std::vector<TagRecord> index_;
};

} // namespace brixtel
