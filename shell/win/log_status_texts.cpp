#include "shell/win/log_status_texts.h"

#include "shell/printf_text.h"
#include "shell/status_texts.h"
#include "shell/string_table.h"
#include "shell/win/app.h"

namespace brixtel::win {

void refresh_log_status_texts(App& app) {
    LogWriter& log = app.log_writer;
    if (log.has_current_log_path()) {
        log.check_size(false);
        if (!log.logging_on())
            log.show_logging_off();
        return;
    }
    const std::uint32_t limit = log.size_limit_mb();
    std::wstring text = app.status_bar.text(StatusLogSize);
    constexpr std::wstring_view kOf = L" (of ";
    const auto of = text.find(kOf);
    if (of == std::wstring::npos) {
        text = log_size_zero_text(limit);
    } else {
        text.resize(of + kOf.size());
        text += limit == 0
                    ? std::wstring(string_text(ids::UnlimitedSizeTail))
                    : printf_text(string_text(ids::LimitMegabytesTail), {std::int64_t{limit}});
    }
    app.status_bar.set_text(StatusLogSize, text);
}

} // namespace brixtel::win
