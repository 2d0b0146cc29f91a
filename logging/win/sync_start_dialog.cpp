#include "logging/win/sync_start_dialog.h"

#include "logging/win/interval_resource_ids.h"
#include "shell/win/reporting.h"

#include <array>
#include <string>

namespace brixtel::win {
namespace {

constexpr int kSampleChars = 1024;

// The controls of one time and how the refusal names it.
struct TimeControls {
    int on;
    int hour;
    int minute;
    int am_pm;
    int separator;
    const wchar_t* name;         // in the text
    const wchar_t* capital_name; // in the caption
};

constexpr TimeControls kStart{IDC_SYNC_START_ON,
                              IDC_SYNC_START_HOUR,
                              IDC_SYNC_START_MINUTE,
                              IDC_SYNC_START_AM_PM,
                              IDC_SYNC_START_SEPARATOR,
                              L"start",
                              L"Start"};
constexpr TimeControls kStop{IDC_SYNC_STOP_ON,
                             IDC_SYNC_STOP_HOUR,
                             IDC_SYNC_STOP_MINUTE,
                             IDC_SYNC_STOP_AM_PM,
                             IDC_SYNC_STOP_SEPARATOR,
                             L"stop",
                             L"Stop"};

struct SyncDialogState {
    SyncChoice current;
    ClockForm form;
    std::optional<SyncChoice> chosen;
};

// The locale's form of a time whose hour is 1.
ClockForm locale_clock_form() {
    SYSTEMTIME sample{};
    GetLocalTime(&sample);
    sample.wHour = 1;
    wchar_t text[kSampleChars] = {};
    if (!GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &sample, nullptr, text, kSampleChars))
        return ClockForm{};
    return clock_form_of(text);
}

void fill_list(HWND dialog, int id, const std::vector<std::wstring>& items) {
    for (const std::wstring& item : items)
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void select_item(HWND dialog, int id, std::uint32_t index) {
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, index, 0);
}

std::optional<std::wstring> selected_text(HWND dialog, int id) {
    const LRESULT index = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return std::nullopt;
    const LRESULT length = SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return std::nullopt;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool ticked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void enable_time(HWND dialog, const TimeControls& time, const ClockForm& form) {
    const BOOL on = ticked(dialog, time.on) ? TRUE : FALSE;
    EnableWindow(GetDlgItem(dialog, time.hour), on);
    EnableWindow(GetDlgItem(dialog, time.minute), on);
    EnableWindow(GetDlgItem(dialog, time.am_pm), form.twelve_hour ? on : FALSE);
}

void show_time(HWND dialog, const TimeControls& controls, const ClockForm& form, bool on,
               SyncTime time) {
    fill_list(dialog, controls.hour, hour_items(form));
    fill_list(dialog, controls.minute, minute_items());
    const wchar_t separator[] = {form.separator, L'\0'};
    SetDlgItemTextW(dialog, controls.separator, separator);
    const ShownTime shown = shown_time(time, form.twelve_hour);
    if (form.twelve_hour) {
        fill_list(dialog, controls.am_pm, {kAm, kPm});
        select_item(dialog, controls.am_pm, shown.pm ? 1 : 0);
        select_item(dialog, controls.hour, shown.hour - 1);
    } else {
        ShowWindow(GetDlgItem(dialog, controls.am_pm), SW_HIDE);
        select_item(dialog, controls.hour, shown.hour);
    }
    select_item(dialog, controls.minute, shown.minute);
    CheckDlgButton(dialog, controls.on, on ? BST_CHECKED : BST_UNCHECKED);
    enable_time(dialog, controls, form);
}

void on_init(HWND dialog, SyncDialogState& state) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    center_window(dialog, GetParent(dialog));
    state.form = locale_clock_form();
    show_time(dialog, kStart, state.form, state.current.start_on, state.current.start);
    show_time(dialog, kStop, state.form, state.current.stop_on, state.current.stop);
    CheckDlgButton(dialog, IDC_SYNC_LOG, state.current.sync_log ? BST_CHECKED : BST_UNCHECKED);
}

void refuse_time(HWND dialog, const TimeControls& time) {
    const auto text = format_text(load_text(ids::SyncTimeRetrievalFailed), {time.name});
    const auto caption = format_text(load_text(ids::TimeRetrievalProblem), {time.capital_name});
    MessageBoxW(dialog, text ? text->c_str() : L"", caption ? caption->c_str() : L"",
                MB_OK | MB_ICONEXCLAMATION);
}

// The ticked time as its lists show it, or the stored form of a time that is off; nothing
// (after the refusal) when a list has no selection.
std::optional<SyncTime> read_time(HWND dialog, const TimeControls& time, const ClockForm& form) {
    if (!ticked(dialog, time.on))
        return SyncTime{};
    const auto am_pm = form.twelve_hour ? selected_text(dialog, time.am_pm) : std::nullopt;
    const auto chosen = chosen_time(selected_text(dialog, time.hour),
                                    selected_text(dialog, time.minute), am_pm, form.twelve_hour);
    if (!chosen)
        refuse_time(dialog, time);
    return chosen;
}

void on_ok(HWND dialog, SyncDialogState& state) {
    const auto start = read_time(dialog, kStart, state.form);
    if (!start)
        return;
    const auto stop = read_time(dialog, kStop, state.form);
    if (!stop)
        return;
    state.chosen =
        SyncChoice{ticked(dialog, IDC_SYNC_START_ON), *start, ticked(dialog, IDC_SYNC_STOP_ON),
                   *stop, ticked(dialog, IDC_SYNC_LOG)};
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK sync_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<SyncDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        on_init(dialog, *reinterpret_cast<SyncDialogState*>(lparam));
        return TRUE;
    case WM_COMMAND:
        if (!state)
            return FALSE;
        switch (LOWORD(wparam)) {
        case IDC_SYNC_START_ON:
            enable_time(dialog, kStart, state->form);
            return TRUE;
        case IDC_SYNC_STOP_ON:
            enable_time(dialog, kStop, state->form);
            return TRUE;
        case IDOK:
            on_ok(dialog, *state);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

std::optional<SyncChoice> ask_synchronized_start(HINSTANCE instance, HWND owner,
                                                 const SyncChoice& current) {
    SyncDialogState state;
    state.current = current;
    DialogBoxParamW(instance, L"SYNC_START_LOGGING", owner, sync_procedure,
                    reinterpret_cast<LPARAM>(&state));
    return state.chosen;
}

} // namespace brixtel::win
