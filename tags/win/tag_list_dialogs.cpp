#include "tags/win/tag_list_dialogs.h"

#include "shell/printf_text.h"
#include "shell/string_table.h"
#include "shell/win/reporting.h"
#include "tags/win/tag_list_resource_ids.h"

#include <cstdint>
#include <string>

namespace brixtel::win {
namespace {

constexpr UINT_PTR kCountDownTimer = 1;
constexpr UINT kTickMs = 1000;
constexpr int kDeletionQuerySeconds = 5 * 60;
constexpr int kNoPointsSeconds = 60;

// What a count-down dialog shows and how it ends when the time is up.
struct CountDown {
    std::wstring text;
    int text_control = 0;
    int seconds_left = 0;
    int count_control = 0;                 // the control that shows the time left
    const wchar_t* count_format = nullptr; // printf-style, with the remaining time
    bool minutes_and_seconds = false;
    INT_PTR result_at_zero = IDCANCEL;
};

std::wstring count_text(const CountDown& c) {
    if (c.minutes_and_seconds)
        return printf_text(c.count_format,
                           {std::int64_t{c.seconds_left / 60}, std::int64_t{c.seconds_left % 60}});
    return printf_text(c.count_format, {std::int64_t{c.seconds_left}});
}

void show_count(HWND dialog, const CountDown& c) {
    SetDlgItemTextW(dialog, c.count_control, count_text(c).c_str());
}

void on_init(HWND dialog, CountDown& c) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&c));
    SetDlgItemTextW(dialog, c.text_control, c.text.c_str());
    show_count(dialog, c);
    center_window(dialog, main_window() ? main_window() : GetParent(dialog));
    if (!SetTimer(dialog, kCountDownTimer, kTickMs, nullptr))
        message_box(dialog, ids::TimerSetFailed, ids::TimerError, MB_OK);
}

void on_tick(HWND dialog, CountDown& c) {
    if (c.seconds_left > 0)
        --c.seconds_left;
    show_count(dialog, c);
    if (c.seconds_left == 0) {
        KillTimer(dialog, kCountDownTimer);
        EndDialog(dialog, c.result_at_zero);
    }
}

void finish(HWND dialog, INT_PTR result) {
    KillTimer(dialog, kCountDownTimer);
    EndDialog(dialog, result);
}

INT_PTR CALLBACK count_down_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* c = reinterpret_cast<CountDown*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        on_init(dialog, *reinterpret_cast<CountDown*>(lparam));
        return TRUE;
    case WM_TIMER:
        if (c && wparam == kCountDownTimer)
            on_tick(dialog, *c);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDYES:
        case IDNO:
        case IDOK:
            finish(dialog, LOWORD(wparam));
            return TRUE;
        case IDCANCEL: // Escape or the close box: as if the time ran out
            finish(dialog, c ? c->result_at_zero : IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        KillTimer(dialog, kCountDownTimer);
        return FALSE;
    }
    return FALSE;
}

} // namespace

bool DialogTagListPrompts::ask_delete_bad_points(std::wstring_view list_name) {
    CountDown c;
    c.text = printf_text(L"Do you want Brixtel to permanently remove the bad points detected in "
                         L"the list <%s>?",
                         {list_name});
    c.text_control = IDC_BAD_POINTS_QUESTION;
    c.seconds_left = kDeletionQuerySeconds;
    c.count_control = IDC_BAD_POINTS_TIME_LEFT;
    c.count_format = L"Time left: %d:%02d";
    c.minutes_and_seconds = true;
    c.result_at_zero = IDNO;
    const INT_PTR result = DialogBoxParamW(instance_, L"POINT_DELETION", owner_,
                                           count_down_procedure, reinterpret_cast<LPARAM>(&c));
    return result == IDYES;
}

void DialogTagListPrompts::notify_no_points_loaded(std::wstring_view list_name) {
    CountDown c;
    c.text = printf_text(L"No good points detected to load from list <%s>.", {list_name});
    c.text_control = IDC_NO_POINTS_TEXT;
    c.seconds_left = kNoPointsSeconds;
    c.count_control = IDOK;
    c.count_format = L"OK (%02d)";
    c.result_at_zero = IDOK;
    DialogBoxParamW(instance_, L"NO_POINTS_LOADED", owner_, count_down_procedure,
                    reinterpret_cast<LPARAM>(&c));
}

} // namespace brixtel::win
