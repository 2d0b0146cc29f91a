#include "logging/win/logging_options_dialog.h"

#include "logging/logging_controls.h"
#include "logging/logging_options_entry.h"
#include "shell/win/entry_refusal.h"
#include "shell/win/help_popup.h"
#include "shell/win/reporting.h"

#include <array>
#include <string>
#include <vector>

namespace brixtel::win {
namespace {

constexpr int kTextChars = 1024;

// A time column and the box that adds the date to it.
struct TimeBoxes {
    int time;
    int date;
};
constexpr std::array<TimeBoxes, 4> kTimeBoxes{{
    {IDC_OPT_REQ_TIME, IDC_OPT_REQ_DATE},
    {IDC_OPT_FIRST_TIME, IDC_OPT_FIRST_DATE},
    {IDC_OPT_LAST_TIME, IDC_OPT_LAST_DATE},
    {IDC_OPT_INDV_TIME, IDC_OPT_INDV_DATE},
}};

// What a running Export View log keeps as its header has it.
constexpr std::array<int, 11> kColumnControls{
    IDC_OPT_COLUMNS_GROUP, IDC_OPT_COLUMNS_NOTE, IDC_OPT_DATE,       IDC_OPT_REQ_TIME,
    IDC_OPT_REQ_DATE,      IDC_OPT_FIRST_TIME,   IDC_OPT_FIRST_DATE, IDC_OPT_LAST_TIME,
    IDC_OPT_LAST_DATE,     IDC_OPT_INDV_TIME,    IDC_OPT_INDV_DATE,
};

constexpr std::array<ControlHelp, 11> kHelp{{
    {IDC_OPT_SIZE_LIMIT, ids::HelpLogSizeLimit},
    {IDC_OPT_DATE, ids::HelpLogDate},
    {IDC_OPT_FIRST_TIME, ids::HelpLogFirstTime},
    {IDC_OPT_LAST_TIME, ids::HelpLogLastTime},
    {IDC_OPT_INDV_TIME, ids::HelpLogPointTime},
    {IDC_OPT_REQ_TIME, ids::HelpLogRequestTime},
    {IDC_OPT_REQ_DATE, ids::HelpLogRequestDate},
    {IDC_OPT_FIRST_DATE, ids::HelpLogFirstDate},
    {IDC_OPT_LAST_DATE, ids::HelpLogLastDate},
    {IDC_OPT_INDV_DATE, ids::HelpLogPointDate},
    {IDC_OPT_UNLIMITED, ids::HelpLogUnlimited},
}};

LoggingOptionsPartners* partners_of(HWND dialog) {
    return reinterpret_cast<LoggingOptionsPartners*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

bool ticked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void tick(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void enable(HWND dialog, int id, bool on) {
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

std::wstring size_field(HWND dialog) {
    std::vector<wchar_t> text(kTextChars + 1, L'\0');
    GetDlgItemTextW(dialog, IDC_OPT_SIZE_LIMIT, text.data(), kTextChars + 1);
    return text.data();
}

void show_columns(HWND dialog, const LogColumns& columns) {
    tick(dialog, IDC_OPT_DATE, columns.date);
    tick(dialog, IDC_OPT_REQ_TIME, columns.req_time);
    tick(dialog, IDC_OPT_REQ_DATE, columns.req_date);
    tick(dialog, IDC_OPT_FIRST_TIME, columns.first_time);
    tick(dialog, IDC_OPT_FIRST_DATE, columns.first_date);
    tick(dialog, IDC_OPT_LAST_TIME, columns.last_time);
    tick(dialog, IDC_OPT_LAST_DATE, columns.last_date);
    tick(dialog, IDC_OPT_INDV_TIME, columns.indv_time);
    tick(dialog, IDC_OPT_INDV_DATE, columns.indv_date);
}

LogColumns ticked_columns(HWND dialog) {
    LogColumns columns;
    columns.date = ticked(dialog, IDC_OPT_DATE);
    columns.req_time = ticked(dialog, IDC_OPT_REQ_TIME);
    columns.req_date = ticked(dialog, IDC_OPT_REQ_DATE);
    columns.first_time = ticked(dialog, IDC_OPT_FIRST_TIME);
    columns.first_date = ticked(dialog, IDC_OPT_FIRST_DATE);
    columns.last_time = ticked(dialog, IDC_OPT_LAST_TIME);
    columns.last_date = ticked(dialog, IDC_OPT_LAST_DATE);
    columns.indv_time = ticked(dialog, IDC_OPT_INDV_TIME);
    columns.indv_date = ticked(dialog, IDC_OPT_INDV_DATE);
    return columns;
}

void on_init(HWND dialog, LoggingOptionsPartners& partners) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&partners));
    center_window(dialog, GetParent(dialog));
    LogControl& log = partners.log;
    SetDlgItemTextW(dialog, IDC_OPT_CURRENT_FILE, current_log_file_text(log).c_str());
    SendDlgItemMessageW(dialog, IDC_OPT_SIZE_LIMIT, EM_LIMITTEXT, kTextChars, 0);
    const std::uint32_t limit = log.size_limit_mb();
    SetDlgItemTextW(dialog, IDC_OPT_SIZE_LIMIT, std::to_wstring(limit).c_str());
    tick(dialog, IDC_OPT_UNLIMITED, limit == 0);
    enable(dialog, IDC_OPT_SIZE_LIMIT, limit != 0);
    show_columns(dialog, log.columns());
    for (const TimeBoxes& boxes : kTimeBoxes)
        enable(dialog, boxes.date, ticked(dialog, boxes.time));
    if (column_boxes_locked(log.logging_on(), partners.settings.debug_view)) {
        for (const int id : kColumnControls)
            enable(dialog, id, false);
    }
}

void on_time_box(HWND dialog, const TimeBoxes& boxes) {
    const bool on = ticked(dialog, boxes.time);
    enable(dialog, boxes.date, on);
    if (!on)
        tick(dialog, boxes.date, false);
}

void on_size_change(HWND dialog) {
    const auto cut = size_field_after_typing(size_field(dialog));
    if (!cut)
        return;
    message_box(dialog, ids::IntegerValuesOnly, ids::IncorrectFormat, MB_ICONEXCLAMATION);
    SetDlgItemTextW(dialog, IDC_OPT_SIZE_LIMIT, cut->c_str());
    HWND field = GetDlgItem(dialog, IDC_OPT_SIZE_LIMIT);
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
}

void on_ok(HWND dialog, LoggingOptionsPartners& partners) {
    const LoggingOptionsOk ok = logging_options_ok(
        {ticked_columns(dialog), ticked(dialog, IDC_OPT_UNLIMITED), size_field(dialog)});
    if (ok.refusal)
        return show_entry_refusal(dialog, IDC_OPT_SIZE_LIMIT, *ok.refusal);
    take_logging_options(*ok.choice, partners.log, partners.settings, partners.registry,
                         partners.seat);
    EndDialog(dialog, 1);
}

bool on_command(HWND dialog, LoggingOptionsPartners& partners, int id, int code) {
    for (const TimeBoxes& boxes : kTimeBoxes) {
        if (id == boxes.time) {
            on_time_box(dialog, boxes);
            return true;
        }
    }
    switch (id) {
    case IDC_OPT_UNLIMITED:
        enable(dialog, IDC_OPT_SIZE_LIMIT, !ticked(dialog, IDC_OPT_UNLIMITED));
        return true;
    case IDC_OPT_SIZE_LIMIT:
        if (code == EN_CHANGE)
            on_size_change(dialog);
        return true;
    case IDOK:
        on_ok(dialog, partners);
        return true;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return true;
    }
    return false;
}

INT_PTR CALLBACK options_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        on_init(dialog, *reinterpret_cast<LoggingOptionsPartners*>(lparam));
        return TRUE;
    }
    LoggingOptionsPartners* partners = partners_of(dialog);
    if (!partners)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return on_command(dialog, *partners, LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
    case WM_HELP:
        show_control_help(dialog, *reinterpret_cast<const HELPINFO*>(lparam), kHelp);
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool show_logging_options_dialog(HWND owner, LoggingOptionsPartners& partners) {
    return DialogBoxParamW(partners.instance, MAKEINTRESOURCEW(LOGGING_OPTIONS), owner,
                           options_procedure, reinterpret_cast<LPARAM>(&partners)) == 1;
}

} // namespace brixtel::win
