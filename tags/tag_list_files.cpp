#include "tags/tag_list_files.h"

#include "core/add_point_check.h"
#include "dde/item_grammar.h"
#include "platform/case_fold.h"
#include "platform/text_file.h"
#include "tags/tag_list_entry.h"
#include "tags/tag_list_registry.h"

#include <algorithm>
#include <set>

namespace brixtel {
namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";
constexpr std::wstring_view kNoTagMarker = L"NO_TAG";
constexpr std::wstring_view kEntrySeparator = L"--";
constexpr std::wstring_view kImportSeparator = L" -- ";
// A line is read into a buffer of 1024 characters, its terminating NUL included.
constexpr std::size_t kMaxLineChars = 1023;
// The dialog's fields are read into buffers of the same size.
constexpr std::size_t kMaxFieldChars = 1023;

std::wstring_view trim(std::wstring_view text, std::wstring_view characters) {
    const std::size_t first = text.find_first_not_of(characters);
    if (first == std::wstring_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

std::wstring_view trim_blanks(std::wstring_view text) {
    return trim(text, L" \t");
}

std::wstring link_formula(std::wstring_view address_text) {
    return L"=Brixtel|Output!'" + std::wstring(address_text) + L"'";
}

void append_excel_line(std::wstring& text, std::wstring_view address_text, std::wstring_view tag) {
    text += address_text;
    text += L';';
    text += tag;
    text += L';';
    text += link_formula(address_text);
    text += kLineEnd;
}

const TagListRecord* find_saved_list(const ListOfLists& lists, std::wstring_view name) {
    for (const TagListRecord& record : lists)
        if (equal_ignoring_case(record.name, name))
            return &record;
    return nullptr;
}

std::wstring current_export_text(const TagListState& state, const DatabaseNames& databases,
                                 ExportKind kind) {
    return kind == ExportKind::TagListFile ? tag_list_file_text(state.points, databases)
                                           : excel_dde_file_text(state.points);
}

std::wstring saved_export_text(const TagListRecord& list, ExportKind kind) {
    return kind == ExportKind::TagListFile ? tag_list_file_text(list.entries)
                                           : excel_dde_file_text(list.entries);
}

std::wstring field_of(const ImportView& view, ImportField field) {
    std::wstring text = view.field_text(field);
    if (text.size() > kMaxFieldChars)
        text.resize(kMaxFieldChars);
    return std::wstring(trim(text, L" \t\""));
}

} // namespace

std::wstring tag_list_file_text(const CurrentTagList& points, const DatabaseNames& databases) {
    return tag_list_file_text(entry_texts(points, databases));
}

std::wstring tag_list_file_text(std::span<const std::wstring> entries) {
    std::wstring text;
    for (const std::wstring& entry : entries) {
        text += to_stored_form(entry);
        text += kLineEnd;
    }
    return text;
}

std::wstring excel_dde_file_text(const CurrentTagList& points) {
    std::wstring text(kExcelDdeHeader);
    text += kLineEnd;
    for (const PointNode& point : points) {
        if (point.database_number == kDetachedDatabase)
            continue;
        const bool no_tag = point.tag_name.empty() || point.tag_name == string_text(ids::NoTag);
        append_excel_line(text, item_text(point.address),
                          no_tag ? kNoTagMarker : std::wstring_view(point.tag_name));
    }
    return text;
}

std::wstring excel_dde_file_text(std::span<const std::wstring> entries) {
    std::wstring text(kExcelDdeHeader);
    text += kLineEnd;
    for (const std::wstring& entry : entries) {
        const std::wstring stored = to_stored_form(entry);
        const std::size_t first = stored.find(kEntrySeparator);
        if (first == std::wstring::npos)
            continue;
        const std::size_t tag_start = first + kEntrySeparator.size();
        const std::size_t second = stored.find(kEntrySeparator, tag_start);
        const std::wstring_view view(stored);
        const std::wstring_view address = trim_blanks(view.substr(0, first));
        const std::wstring_view tag = trim_blanks(
            view.substr(tag_start, second == std::wstring::npos ? std::wstring_view::npos
                                                                : second - tag_start));
        append_excel_line(text, address, tag);
    }
    return text;
}

bool is_reserved_list_name(std::wstring_view name) {
    if (!name.empty() && name.front() == L'(')
        name.remove_prefix(1);
    if (!name.empty() && name.back() == L')')
        name.remove_suffix(1);
    return equal_ignoring_case(name, L"Blank Taglist");
}

bool entry_sets_differ(std::span<const std::wstring> a, std::span<const std::wstring> b) {
    const auto folded = [](std::span<const std::wstring> texts) {
        std::set<std::wstring> set;
        for (const std::wstring& text : texts)
            set.insert(upper_case(text));
        return set;
    };
    return folded(a) != folded(b);
}

std::optional<DialogExport> dialog_export(Seat& seat, const TagListState& state,
                                          const DatabaseNames& databases,
                                          std::wstring_view selected_entry, ExportKind kind,
                                          const std::function<ExportChoice()>& ask_which) {
    if (selected_entry == string_text(ids::BlankTaglistEntry)) {
        seat.message_box(ids::NothingToExportFromBlank, ids::NoExport, mb::Ok);
        return std::nullopt;
    }
    const TagListRecord* list = find_saved_list(state.lists, selected_entry);
    if (!list)
        return std::nullopt;
    DialogExport result{list->name, {}};
    const bool loaded = state.loaded && equal_ignoring_case(state.loaded->name, list->name);
    if (loaded && entry_sets_differ(list->entries, entry_texts(state.points, databases))) {
        switch (ask_which()) {
        case ExportChoice::Cancel:
            return std::nullopt;
        case ExportChoice::CurrentTags:
            result.text = current_export_text(state, databases, kind);
            return result;
        case ExportChoice::SavedTags:
            break;
        }
    }
    result.text = saved_export_text(*list, kind);
    return result;
}

std::vector<std::wstring> text_file_lines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::wstring line;
    std::size_t read = 0; // characters of the current piece, a NUL and what follows it too
    bool cut_off = false; // a NUL ended the piece's text
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
            continue; // text mode reads CR LF as the line feed alone
        if (c == L'\n') {
            lines.push_back(std::move(line));
            line.clear();
            read = 0;
            cut_off = false;
            continue;
        }
        if (read == kMaxLineChars) {
            lines.push_back(std::move(line));
            line.clear();
            read = 0;
            cut_off = false;
        }
        ++read;
        if (c == L'\0')
            cut_off = true;
        if (!cut_off)
            line += c;
    }
    if (read > 0)
        lines.push_back(std::move(line));
    return lines;
}

bool import_line_well_formed(std::wstring_view line) {
    const std::size_t first = line.find(kImportSeparator);
    if (first == std::wstring_view::npos)
        return false;
    if (line.find(kImportSeparator, first + kImportSeparator.size()) == std::wstring_view::npos)
        return false;
    const std::wstring address = upper_case(line.substr(0, first));
    constexpr std::wstring_view kModule = L"MODULE ";
    return address.starts_with(kModule) &&
           address.find(L"BLOCK ", kModule.size()) != std::wstring::npos;
}

std::vector<std::wstring> import_entries(std::span<const std::wstring> lines) {
    std::vector<std::wstring> entries;
    for (const std::wstring& line : lines) {
        const std::wstring_view trimmed = trim(line, L" \t\r\n");
        if (!trimmed.empty())
            entries.push_back(to_display_form(trimmed));
    }
    return entries;
}

void remove_entries(std::vector<std::wstring>& entries, std::span<const std::size_t> selected) {
    std::vector<std::size_t> rows(selected.begin(), selected.end());
    std::ranges::sort(rows);
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [&](std::size_t row) { return row >= entries.size(); });
    if (rows.size() > kMaxRemovedAtOnce)
        rows.resize(kMaxRemovedAtOnce);
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(*row));
}

bool PlatformImportFiles::exists(std::wstring_view path) const {
    return path_exists(path);
}

std::optional<std::wstring> PlatformImportFiles::read(std::wstring_view path) const {
    return read_text_file(path);
}

LoggingOptions imported_list_logging(std::wstring_view log_folder, std::wstring_view name) {
    LoggingOptions options;
    options.log_date = true;
    options.log_req_time = true;
    options.log_first_time = true;
    options.log_last_time = true;
    options.log_indv_time = true;
    options.log_req_date = false;
    options.log_first_date = false;
    options.log_last_date = false;
    options.log_indv_date = false;
    options.start_hour = options.start_minute = 0;
    options.stop_hour = options.stop_minute = 0;
    options.start_time = options.stop_time = false;
    options.sync_log = true;
    options.append_date = true;
    options.log_size = 5;
    options.save_locale = std::wstring(log_folder) + L"\\Brixtel_" + std::wstring(name) + L".log";
    return options;
}

ImportOutcome TagListImport::run() {
    Seat& seat = partners_.seat;
    TagListState& state = partners_.state;
    const std::wstring file = field_of(view_, ImportField::File);
    const std::wstring name = field_of(view_, ImportField::Name);
    const auto refuse = [&](StringId text, StringId caption, ImportField field) {
        seat.message_box(text, caption, mb::Ok | mb::IconInformation);
        view_.select_field(field);
        return ImportOutcome::KeepOpen;
    };
    if (file.empty())
        return refuse(ids::ImportFileMissing, ids::MissingFile, ImportField::File);
    if (name.empty())
        return refuse(ids::ImportNameMissing, ids::MissingName, ImportField::Name);
    if (!partners_.files.exists(file))
        return refuse(ids::ImportFileNotFound, ids::FileDoesNotExist, ImportField::File);
    if (is_reserved_list_name(name))
        return refuse(ids::BlankTaglistNameReserved, ids::InvalidName, ImportField::Name);

    TagListRecord* existing = find_list(state.lists, name);
    const bool replaces_loaded = existing && existing == state.loaded;
    if (replaces_loaded && partners_.monitoring_on()) {
        seat.message_box(ids::ImportOverLoadedListWhileMonitoring, ids::ImportNotAllowed, mb::Ok);
        return ImportOutcome::KeepOpen;
    }
    if (existing) {
        const int answer = replaces_loaded ? seat.message_box(ids::OverwriteLoadedTagsQuestion,
                                                              ids::CurrentNameChosen, mb::YesNo)
                                           : seat.message_box(ids::OverwriteExistingListQuestion,
                                                              ids::NameAlreadyExists, mb::YesNo);
        if (answer != ButtonYes) {
            seat.message_box(ids::NewNameForImport, ids::NewNameRequired, mb::Ok);
            return ImportOutcome::KeepOpen;
        }
    }

    auto entries = read_entries(file);
    if (!entries)
        return ImportOutcome::Failed;
    if (entries->size() > kMaxListedPoints) {
        entries = view_.reduce_entries(std::move(*entries));
        if (!entries)
            return ImportOutcome::Failed;
    }
    if (!store(existing, name, std::move(*entries)))
        return ImportOutcome::Failed;

    if (replaces_loaded || view_.load_after_import()) {
        state.current_name = existing ? existing->name : name;
        state.points.clear();
        if (partners_.load_current_list)
            partners_.load_current_list();
    }
    return ImportOutcome::Imported;
}

// The file's entries after the format check and the point check; nothing when the import
// stops (the user has been told).
std::optional<std::vector<std::wstring>> TagListImport::read_entries(const std::wstring& file) {
    Seat& seat = partners_.seat;
    const auto checked = partners_.files.read(file);
    if (!checked) {
        seat.message_box(ids::CannotOpenImportForCheck, ids::FileFailure, mb::Ok, {file});
        return std::nullopt;
    }
    for (const std::wstring& line : text_file_lines(*checked)) {
        const std::wstring_view trimmed = trim(line, L" \t\r\n");
        if (!trimmed.empty() && !import_line_well_formed(trimmed)) {
            seat.message_box(ids::ImportEntriesMalformed, ids::ImportIncorrectFormat, mb::Ok);
            return std::nullopt;
        }
    }
    // Read a second time, as the user may have changed it in between.
    const auto text = partners_.files.read(file);
    if (!text) {
        seat.message_box(ids::CannotOpenImport, ids::FileOpenFailure, mb::Ok, {file});
        return std::nullopt;
    }
    std::vector<std::wstring> entries = import_entries(text_file_lines(*text));

    const auto names_no_point = [](const std::wstring& entry) {
        return !parse_point_description(entry).has_value();
    };
    if (std::ranges::any_of(entries, names_no_point)) {
        if (seat.message_box(ids::ImportBadPointQuestion, ids::InvalidPoint, mb::YesNo) !=
            ButtonYes) {
            seat.message_box(ids::ImportWillNotContinue, ids::ImportAborted, mb::Ok);
            return std::nullopt;
        }
        std::erase_if(entries, names_no_point);
    }
    if (entries.size() > kMaxImportEntries)
        entries.resize(kMaxImportEntries);
    if (entries.empty()) {
        seat.message_box(ids::NoValidPointsImported, ids::NoPoints, mb::Ok);
        return std::nullopt;
    }
    return entries;
}

// Saves the list under its number before the list of lists takes it, so a list the registry
// refused is not kept in memory either.
bool TagListImport::store(TagListRecord* existing, const std::wstring& name,
                          std::vector<std::wstring> entries) {
    TagListState& state = partners_.state;
    TagListRecord record;
    if (existing) {
        record = *existing;
    } else {
        record.name = name;
        record.logging =
            imported_list_logging(default_log_folder(partners_.registry, partners_.folders), name);
    }
    record.entries = std::move(entries);
    record.count_as_read = static_cast<std::uint32_t>(record.entries.size());
    const std::uint32_t number = existing ? list_number(state.lists, existing)
                                          : static_cast<std::uint32_t>(state.lists.size()) + 1;
    if (!save_list(partners_.registry, partners_.seat, list_subkey_name(number), record))
        return false;
    if (existing)
        *existing = std::move(record);
    else
        state.lists.push_back(std::move(record));
    return true;
}

} // namespace brixtel
