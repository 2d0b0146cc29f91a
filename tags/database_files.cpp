#include "tags/database_files.h"

#include "platform/case_fold.h"
#include "settings/settings.h"
#include "tags/tag_database_file.h"

#include <algorithm>

namespace brixtel {

static_assert(kMaxStoredDatabaseFiles == last_file_database - first_file_database + 1,
              "the stored list holds what the Database table numbers");

TagDatabases::TagDatabases(std::wstring_view no_database_text) {
    slots_[0] = L"DUMMY";
    slots_[no_database] = std::wstring(no_database_text.substr(0, max_database_path));
}

std::wstring_view TagDatabases::slot(std::int32_t number) const {
    if (number < 0 || static_cast<std::size_t>(number) >= slots_.size()) {
        return {};
    }
    return slots_[static_cast<std::size_t>(number)];
}

std::optional<std::int32_t> TagDatabases::number_of_path(std::wstring_view path) const {
    const bool listed = std::any_of(files_.begin(), files_.end(), [&](const std::wstring& known) {
        return equal_ignoring_case(known, path);
    });
    if (!listed) {
        return std::nullopt;
    }
    for (std::int32_t n = counter_; n >= first_file_database; --n) {
        if (equal_ignoring_case(slot(n), path)) {
            return n;
        }
    }
    return std::nullopt;
}

std::vector<std::wstring>
TagDatabases::paths_for_saving(std::optional<std::wstring_view> leave_out) const {
    std::vector<std::wstring> paths;
    for (const std::wstring& path : files_) {
        if (!leave_out || !equal_ignoring_case(path, *leave_out)) {
            paths.push_back(path);
        }
    }
    return paths;
}

bool TagDatabases::fits_table(std::int32_t number, std::wstring_view path, Seat& seat) const {
    if (path.size() > max_database_path) {
        seat.message_box(ids::DatabasePathTooLong, ids::DatabasePathTooLongCaption,
                         mb::IconInformation, {path});
        return false;
    }
    if (number > last_file_database) {
        seat.message_box(ids::DatabaseNumbersUsedUp, ids::TooManyDatabaseFiles, mb::IconInformation,
                         {path});
        return false;
    }
    return true;
}

void TagDatabases::take_file(std::int32_t number, std::wstring_view path) {
    counter_ = number;
    slots_[static_cast<std::size_t>(number)] = std::wstring(path);
    files_.emplace_back(path);
    TagFileContents contents = read_tag_database_file(path);
    // Grown at most once per file, to fit a first (often the only) file exactly: a large
    // file's records would otherwise stand beside an index being grown and copied.
    const std::size_t needed = index_.size() + contents.records.size();
    if (needed > index_.capacity()) {
        index_.reserve(std::max(needed, 2 * index_.capacity()));
    }
    for (TagRecord& record : contents.records) {
        record.database = number;
        index_.push_back(std::move(record));
    }
}

bool TagDatabases::add_at_startup(std::size_t i, std::wstring_view path, Seat& seat) {
    const std::int32_t number = i > static_cast<std::size_t>(last_file_database)
                                    ? last_file_database + 1
                                    : static_cast<std::int32_t>(i) + first_file_database;
    if (!fits_table(number, path, seat)) {
        return false;
    }
    take_file(number, path);
    return true;
}

AddOutcome TagDatabases::add_from_dialog(std::wstring_view path, Seat& seat,
                                         const TypeCheck& type_check, DatabaseFileStore& store) {
    const bool named = std::any_of(files_.begin(), files_.end(), [&](const std::wstring& known) {
        return equal_ignoring_case(known, path);
    });
    if (named) {
        return AddOutcome::Duplicate;
    }
    const std::int32_t number = counter_ + 1;
    if (!fits_table(number, path, seat) || !type_check(path)) {
        return AddOutcome::Rejected;
    }
    take_file(number, path);
    const std::vector<std::wstring> paths = paths_for_saving();
    store.save_database_files(paths);
    return AddOutcome::Added;
}

RemoveResult TagDatabases::remove(std::optional<std::wstring_view> selected,
                                  bool monitoring_in_export_view, Seat& seat,
                                  DatabaseFileStore& store, DatabaseRemovalHooks& tag_lists) {
    if (monitoring_in_export_view) {
        seat.message_box(ids::NoDeletionWhileMonitoringExportView, ids::IllegalDeletion, mb::Ok);
        return {RemoveOutcome::NotWhileMonitoring};
    }
    if (!selected) {
        seat.message_box(ids::NothingSelectedForDeletion, ids::Error, mb::IconInformation);
        return {RemoveOutcome::NothingSelected};
    }
    if (seat.message_box(ids::DatabaseDeletionQuestion, ids::DatabaseFileDeletion,
                         mb::YesNo | mb::IconQuestion) != ButtonYes) {
        return {RemoveOutcome::Declined};
    }
    const std::wstring path(*selected);
    RemoveResult result{RemoveOutcome::Removed};
    const auto listed = std::find_if(files_.begin(), files_.end(), [&](const std::wstring& known) {
        return equal_ignoring_case(known, path);
    });
    if (listed != files_.end()) {
        // Every number this path has had: a file removed and added again keeps its old slot.
        std::vector<std::int32_t> numbers;
        for (std::int32_t n = first_file_database; n <= last_file_database; ++n) {
            if (equal_ignoring_case(slot(n), path)) {
                numbers.push_back(n);
            }
        }
        for (TagRecord& record : index_) {
            if (std::find(numbers.begin(), numbers.end(), record.database) != numbers.end()) {
                record.database = removed_database;
            }
        }
        result.repaint_main_window = tag_lists.detach_points(numbers) > 0;
    }
    tag_lists.database_removed(path);
    const std::vector<std::wstring> paths = paths_for_saving(path);
    store.save_database_files(paths);
    if (listed != files_.end()) {
        files_.erase(listed);
    }
    if (tag_lists.current_point_count() <= 0) {
        seat.enable_command(Command::Monitoring, false);
    }
    return result;
}

} // namespace brixtel
