#include "logging/logging_options_entry.h"

#include "logging/log_size_entry.h"
#include "logging/log_type_entry.h"
#include "settings/settings_store.h"
#include "shell/printf_text.h"
#include "shell/status_texts.h"

namespace brixtel {

bool column_boxes_locked(bool logging_on, bool debug_view) {
    return logging_on && !debug_view;
}

LogColumns counted_columns(const LogColumns& boxes) {
    LogColumns columns = boxes;
    columns.req_date = boxes.req_time && boxes.req_date;
    columns.first_date = boxes.first_time && boxes.first_date;
    columns.last_date = boxes.last_time && boxes.last_date;
    columns.indv_date = boxes.indv_time && boxes.indv_date;
    return columns;
}

std::wstring current_log_file_text(LogControl& log) {
    const LogFileSetting setting = log.file_setting();
    if (setting.folder.empty())
        return log.default_log_location();
    return log.log_path_of(setting);
}

std::optional<std::wstring> size_field_after_typing(std::wstring_view field) {
    return cut_at_non_digit(trim_blanks(field));
}

LoggingOptionsOk logging_options_ok(const LoggingOptionsForm& form) {
    LoggingOptionsOk ok;
    const NumberEntry limit = check_log_size_entry(form.unlimited, form.size_limit);
    if (limit.refusal) {
        ok.refusal = limit.refusal;
        return ok;
    }
    ok.choice = LoggingOptionsChoice{counted_columns(form.boxes), limit.value};
    return ok;
}

void take_logging_options(const LoggingOptionsChoice& choice, LogControl& log, Settings& settings,
                          Registry& registry, Seat& seat) {
    log.set_columns(choice.columns);
    if (choice.limit_mb != log.size_limit_mb()) {
        log.set_size_limit_mb(choice.limit_mb);
        settings.log_size_mb = choice.limit_mb;
        save_number_setting(registry, seat, values::LogSize, choice.limit_mb);
        log.refresh_log_status();
    }
    log.clear_size_exceeded();
}

std::wstring log_size_text_with_limit(std::wstring_view shown, std::uint32_t limit_mb) {
    constexpr std::wstring_view kOf = L" (of ";
    const std::size_t of = shown.find(kOf);
    if (of == std::wstring_view::npos)
        return log_size_zero_text(limit_mb);
    std::wstring text(shown.substr(0, of + kOf.size()));
    if (limit_mb == 0)
        return text.append(string_text(ids::UnlimitedSizeTail));
    return text +
           printf_text(string_text(ids::LimitMegabytesTail), {static_cast<std::int64_t>(limit_mb)});
}

void refresh_status_after_logging_options(LogControl& log, Seat& seat,
                                          std::wstring_view shown_log_size) {
    if (log.has_current_log_path()) {
        log.check_size(false);
        if (!log.logging_on())
            log.show_logging_off();
        return;
    }
    seat.set_status_text(kLogSizeStatusPart,
                         log_size_text_with_limit(shown_log_size, log.size_limit_mb()));
}

} // namespace brixtel
