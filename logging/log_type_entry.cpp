#include "logging/log_type_entry.h"

#include "platform/case_fold.h"
#include "settings/settings_store.h"
#include "shell/number_entry.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace brixtel {
namespace {

constexpr std::wstring_view kIllegalPathCharacters = L"|<>*?/\"";

bool is_drive_root(std::wstring_view folder) {
    return folder.size() == 3 && folder[1] == L':' && folder[2] == L'\\';
}

DialogRefusal path_refusal(StringId text, StringId caption) {
    return {text, caption, mb::IconInformation, IDC_LOG_PATH, true};
}

// The past lines of the OK; nothing when they are refused.
struct PastChoice {
    bool all = false;
    std::size_t count = 0;
};

std::optional<PastChoice> read_past_lines(const LogTypeForm& form, const LogTypeFacts& facts,
                                          Seat& seat, std::optional<DialogRefusal>& refusal) {
    switch (form.past_lines) {
    case PastLines::All:
        return PastChoice{true, 0};
    case PastLines::MostRecent: {
        const Digits digits = read_digits(trim_blanks(form.line_count));
        if (digits.reading != DigitsReading::Number || digits.value == 0) {
            refusal = DialogRefusal{ids::PastLineCountRequired, ids::LineLimitError,
                                    mb::IconInformation, IDC_LOG_LINE_COUNT, true};
            return std::nullopt;
        }
        std::size_t count = digits.value;
        if (count > facts.stored_items) {
            const auto shown = static_cast<std::int64_t>(std::min<std::size_t>(
                facts.stored_items, std::numeric_limits<std::int32_t>::max()));
            seat.message_box(ids::LineCountReset, ids::LineLimitError, mb::IconInformation,
                             {shown});
            count = facts.stored_items;
        }
        return PastChoice{false, count};
    }
    case PastLines::NotChosen:
        break;
    }
    refusal = DialogRefusal{ids::PastDataOptionMissing, ids::NoSelections, mb::IconInformation,
                            IDC_LOG_PAST_DATA, false};
    return std::nullopt;
}

LoggingType logging_type_of(bool new_data, bool past_data) {
    if (new_data && past_data)
        return LoggingType::PastThenNew;
    if (past_data)
        return LoggingType::PastOnly;
    if (new_data)
        return LoggingType::NewOnly;
    return LoggingType::Nothing;
}

std::vector<std::wstring_view> split_at_backslashes(std::wstring_view path) {
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find(L'\\', start);
        parts.push_back(path.substr(start, slash - start));
        if (slash == std::wstring_view::npos)
            return parts;
        start = slash + 1;
    }
}

} // namespace

TypedLogFile split_typed_log_file(std::wstring_view typed, bool debug_view) {
    TypedLogFile parts;
    // Blanks around the whole text would otherwise end up in the extension or before the
    // first backslash, where the checks read them.
    typed = trim_blanks(typed);
    const std::size_t slash = typed.rfind(L'\\');
    std::wstring_view file = typed;
    if (slash != std::wstring_view::npos) {
        parts.folder = typed.substr(0, slash + 1);
        file = typed.substr(slash + 1);
    }
    const std::size_t dot = file.rfind(L'.');
    if (dot != std::wstring_view::npos) {
        const std::wstring_view extension = file.substr(dot);
        if (equal_ignoring_case(extension, view_extension(debug_view)))
            file = file.substr(0, dot);
        else
            parts.other_extension = extension;
    }
    parts.file = file;
    while (!parts.folder.empty() && parts.folder.back() == L'\\' && !is_drive_root(parts.folder))
        parts.folder.pop_back();
    return parts;
}

bool has_illegal_path_characters(std::wstring_view path) {
    if (path.find_first_of(kIllegalPathCharacters) != std::wstring_view::npos)
        return true;
    const std::size_t colon = path.find(L':');
    if (colon == std::wstring_view::npos)
        return false;
    return colon != 1 || path.find(L':', colon + 1) != std::wstring_view::npos;
}

bool is_broken_unc_path(std::wstring_view path) {
    return path.starts_with(L'\\') && !path.starts_with(L"\\\\");
}

LogFileSetting rebuild_log_path(std::wstring_view folder, std::wstring_view file,
                                bool append_date) {
    std::wstring rebuilt = folder.starts_with(L"\\\\") ? L"\\\\" : L"";
    bool first = true;
    for (const std::wstring_view part : split_at_backslashes(folder)) {
        const std::wstring_view name = trim_blanks(part);
        if (name.empty())
            continue;
        if (!first)
            rebuilt += L'\\';
        rebuilt += name;
        first = false;
    }
    if (rebuilt.size() == 2 && rebuilt[1] == L':')
        rebuilt += L'\\';
    return {rebuilt, std::wstring(trim_blanks(file)), append_date};
}

LogTypeOk log_type_ok(const LogTypeForm& form, const LogTypeFacts& facts, LogTypeQueries& queries,
                      Seat& seat) {
    LogTypeOk ok;
    PastChoice past;
    if (form.past_data) {
        const auto read = read_past_lines(form, facts, seat, ok.refusal);
        if (!read)
            return ok;
        past = *read;
    }

    const LoggingType type = logging_type_of(form.new_data, form.past_data);
    if (type == LoggingType::Nothing &&
        seat.message_box(ids::NoLoggingChoiceQuestion, ids::NoSelections, mb::YesNo) != ButtonYes) {
        ok.refusal = DialogRefusal{};
        return ok;
    }

    const TypedLogFile typed = split_typed_log_file(form.path, facts.debug_view);
    if (typed.folder.empty()) {
        ok.refusal = path_refusal(ids::LogDirectoryRequired, ids::InvalidFilename);
        return ok;
    }
    const std::wstring full = typed.folder + L'\\' + typed.file;
    if (has_illegal_path_characters(full)) {
        ok.refusal = path_refusal(ids::PathIllegalCharacters, ids::PathContainsIllegalCharacters);
        return ok;
    }
    if (is_broken_unc_path(full)) {
        ok.refusal = path_refusal(ids::UncPathMalformed, ids::IllegalUncPath);
        return ok;
    }

    const LogFileSetting file = rebuild_log_path(typed.folder, typed.file, form.append_date);
    if (!queries.folder_exists(file.folder)) {
        const int answer = seat.message_box(ids::CreateLogDirectoryQuestion,
                                            ids::DirectoryDoesNotExist, mb::YesNo, {file.folder});
        if (answer != ButtonYes) {
            ok.refusal = path_refusal(ids::LogDirectoryNotCreated, ids::DirectoryDoesNotExist);
            return ok;
        }
        if (!queries.create_log_folder(file.folder)) {
            ok.refusal = path_refusal(0, 0);
            return ok;
        }
    }

    if (!typed.other_extension.empty()) {
        seat.message_box(ids::LogExtensionChange, ids::ExtensionChange, mb::IconInformation,
                         {std::wstring(view_extension(facts.debug_view)),
                          std::wstring(facts.debug_view ? L"Debug" : L"Export")});
    }

    LogTypeChoice choice;
    choice.type = type;
    choice.all_past_data = past.all;
    choice.past_count = past.count;
    choice.file = file;
    choice.append_mode = !form.delete_existing;
    if (type == LoggingType::PastOnly && facts.show_log_alert)
        choice.hide_log_alert = queries.show_log_alert();
    ok.choice = choice;
    return ok;
}

void take_log_type_choice(const LogTypeChoice& choice, LogControl& log, Settings& settings,
                          Registry& registry, Seat& seat) {
    log.confirm_file_setting(choice.file);
    if (choice.hide_log_alert) {
        settings.show_log_alert = false;
        save_show_log_alert(registry, seat, false);
    }
    log.set_append_mode(choice.append_mode);
    log.request_header();
    log.refresh_log_status();
}

std::wstring log_type_path_text(LogControl& log) {
    LogFileSetting setting = log.file_setting();
    if (setting.folder.empty())
        return log.default_log_location();
    setting.append_date = false;
    return log.log_path_of(setting);
}

std::wstring browse_start_file(std::wstring_view file, bool debug_view) {
    const std::size_t slash = file.rfind(L'\\');
    const std::size_t name_start = slash == std::wstring_view::npos ? 0 : slash + 1;
    const std::size_t dot = file.rfind(L'.');
    std::wstring start(file);
    if (dot != std::wstring_view::npos && dot >= name_start)
        start.erase(dot);
    return start.append(view_extension(debug_view));
}

std::optional<std::wstring> cut_at_non_digit(std::wstring_view text) {
    const auto wrong =
        std::find_if(text.begin(), text.end(), [](wchar_t c) { return c < L'0' || c > L'9'; });
    if (wrong == text.end())
        return std::nullopt;
    return std::wstring(text.begin(), wrong);
}

} // namespace brixtel
