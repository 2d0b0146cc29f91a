#include "logging/win/log_type_dialog.h"

#include "logging/logging_controls.h"
#include "shell/view_text.h"
#include "shell/win/dialog_seat.h"
#include "shell/win/help_popup.h"
#include "shell/win/reporting.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace brixtel::win {
namespace {

constexpr UINT_PTR kRecountTimer = 5;
constexpr UINT kRecountPeriodMs = 1000;
constexpr int kTextChars = 1024;

constexpr std::array<ControlHelp, 13> kHelp{{
    {IDC_LOG_PAST_DATA, ids::HelpLogPastData},
    {IDC_LOG_NEW_DATA, ids::HelpLogNewData},
    {IDC_LOG_LINE_COUNT, ids::HelpLogRecentLines},
    {IDC_LOG_LINES_LABEL, ids::HelpLogRecentLines},
    {IDC_LOG_RECENT_LINES, ids::HelpLogRecentLines},
    {IDC_LOG_ALL_LINES, ids::HelpLogAllLines},
    {IDC_LOG_PATH, ids::HelpLogFile},
    {IDC_LOG_APPEND_DATE, ids::HelpLogAppendDate},
    {IDC_LOG_BROWSE, ids::HelpLogBrowse},
    {IDC_LOG_RESET, ids::HelpLogReset},
    {IDC_LOG_DELETE_EXISTING, ids::HelpLogDeleteExisting},
    {IDC_LOG_OPTIONS, ids::HelpLogOptions},
    {IDC_LOG_BUFFER_COUNT, ids::HelpLogBufferCount},
}};

struct DialogState {
    LogTypeDialogPartners& partners;
    std::wstring last_file; // what the dialog itself last put into the path box
    std::size_t shown_count = 0;
    std::optional<LogTypeChoice> choice;
};

DialogState* state_of(HWND dialog) {
    return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

bool ticked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void enable(HWND dialog, int id, bool on) {
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

std::wstring item_text(HWND dialog, int id) {
    std::vector<wchar_t> text(kTextChars + 1, L'\0');
    GetDlgItemTextW(dialog, id, text.data(), kTextChars + 1);
    return text.data();
}

void focus(HWND dialog, int id, bool select) {
    HWND item = GetDlgItem(dialog, id);
    SetFocus(item);
    if (select)
        SendMessageW(item, EM_SETSEL, 0, -1);
}

void show_file(HWND dialog, DialogState& state, const std::wstring& file) {
    SetDlgItemTextW(dialog, IDC_LOG_PATH, file.c_str());
    state.last_file = file;
}

// The past-data choices follow their check box; the line count only with "The most recent".
void update_past_controls(HWND dialog) {
    const bool past = ticked(dialog, IDC_LOG_PAST_DATA);
    if (past && !ticked(dialog, IDC_LOG_ALL_LINES) && !ticked(dialog, IDC_LOG_RECENT_LINES))
        CheckDlgButton(dialog, IDC_LOG_ALL_LINES, BST_CHECKED);
    enable(dialog, IDC_LOG_ALL_LINES, past);
    enable(dialog, IDC_LOG_RECENT_LINES, past);
    enable(dialog, IDC_LOG_LINES_LABEL, past);
    enable(dialog, IDC_LOG_LINE_COUNT, past && ticked(dialog, IDC_LOG_RECENT_LINES));
}

void show_count(HWND dialog, DialogState& state, std::size_t count) {
    state.shown_count = count;
    SetDlgItemTextW(dialog, IDC_LOG_BUFFER_COUNT, buffer_count_text(count).c_str());
}

void on_init(HWND dialog, DialogState& state) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    center_window(dialog, GetParent(dialog));
    SendDlgItemMessageW(dialog, IDC_LOG_LINE_COUNT, EM_LIMITTEXT, kTextChars, 0);
    SendDlgItemMessageW(dialog, IDC_LOG_PATH, EM_LIMITTEXT, kTextChars, 0);
    LogControl& log = state.partners.log;
    show_count(dialog, state, log.stored_item_count());
    show_file(dialog, state, log_type_path_text(log));
    CheckDlgButton(dialog, IDC_LOG_APPEND_DATE,
                   log.file_setting().append_date ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_LOG_NEW_DATA, BST_CHECKED);
    update_past_controls(dialog);
    SetTimer(dialog, kRecountTimer, kRecountPeriodMs, nullptr);
}

void on_line_count_change(HWND dialog) {
    const auto cut = cut_at_non_digit(item_text(dialog, IDC_LOG_LINE_COUNT));
    if (!cut)
        return;
    message_box(dialog, ids::NumericCharacterRequired, ids::IncorrectFormat, MB_ICONEXCLAMATION);
    SetDlgItemTextW(dialog, IDC_LOG_LINE_COUNT, cut->c_str());
    focus(dialog, IDC_LOG_LINE_COUNT, true);
}

void on_browse(HWND dialog, DialogState& state) {
    const bool debug_view = state.partners.settings.debug_view;
    std::wstring start = browse_start_file(state.last_file, debug_view);
    std::vector<wchar_t> file(kTextChars + 1, L'\0');
    start.resize(std::min<std::size_t>(start.size(), kTextChars - 1));
    std::copy(start.begin(), start.end(), file.begin());
    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = dialog;
    chooser.lpstrFilter =
        debug_view ? L"LOG Files (*.LOG)\0*.LOG\0" : L"CSV Files (*.CSV)\0*.CSV\0";
    chooser.lpstrFile = file.data();
    chooser.nMaxFile = kTextChars;
    chooser.lpstrDefExt = debug_view ? L"LOG" : L"CSV";
    // The program's current folder stays where it started.
    chooser.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetSaveFileNameW(&chooser))
        show_file(dialog, state, file.data());
}

void on_reset(HWND dialog, DialogState& state) {
    show_file(dialog, state, state.partners.log.default_log_location());
    CheckDlgButton(dialog, IDC_LOG_APPEND_DATE, BST_CHECKED);
}

// The Logging Options dialog shows the file being chosen here, not the one in use.
void on_logging_options(HWND dialog, DialogState& state) {
    LogControl& log = state.partners.log;
    const LogFileSetting in_use = log.file_setting();
    const LogFileParts chosen = split_log_file(item_text(dialog, IDC_LOG_PATH));
    log.set_file_setting({chosen.folder, chosen.base_name, ticked(dialog, IDC_LOG_APPEND_DATE)});
    state.partners.run_logging_options(dialog);
    log.set_file_setting(in_use);
}

INT_PTR CALLBACK alert_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        center_window(dialog, GetParent(dialog));
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE; // the focus is set
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            EndDialog(dialog, ticked(dialog, IDC_LOG_ALERT_DONT_SHOW) ? 1 : 0);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

class DialogQueries : public LogTypeQueries {
  public:
    DialogQueries(HWND dialog, LogTypeDialogPartners& partners)
        : dialog_(dialog), partners_(partners) {}

    bool folder_exists(std::wstring_view folder) override {
        return partners_.folders.folder_exists(folder);
    }
    bool create_log_folder(std::wstring_view folder) override {
        return partners_.create_log_folder(dialog_, folder);
    }
    bool show_log_alert() override {
        return DialogBoxParamW(partners_.instance, MAKEINTRESOURCEW(LOG_ALERT), dialog_,
                               alert_procedure, 0) == 1;
    }

  private:
    HWND dialog_;
    LogTypeDialogPartners& partners_;
};

PastLines past_lines_of(HWND dialog) {
    if (ticked(dialog, IDC_LOG_ALL_LINES))
        return PastLines::All;
    if (ticked(dialog, IDC_LOG_RECENT_LINES))
        return PastLines::MostRecent;
    return PastLines::NotChosen;
}

void on_ok(HWND dialog, DialogState& state) {
    LogTypeDialogPartners& partners = state.partners;
    LogTypeForm form;
    form.new_data = ticked(dialog, IDC_LOG_NEW_DATA);
    form.past_data = ticked(dialog, IDC_LOG_PAST_DATA);
    form.past_lines = past_lines_of(dialog);
    form.line_count = item_text(dialog, IDC_LOG_LINE_COUNT);
    form.path = item_text(dialog, IDC_LOG_PATH);
    form.append_date = ticked(dialog, IDC_LOG_APPEND_DATE);
    form.delete_existing = ticked(dialog, IDC_LOG_DELETE_EXISTING);
    const LogTypeFacts facts{partners.settings.debug_view, partners.log.stored_item_count(),
                             partners.settings.show_log_alert};
    DialogQueries queries(dialog, partners);
    DialogSeat seat(dialog, partners.seat);
    const LogTypeOk ok = log_type_ok(form, facts, queries, seat);
    if (ok.refusal) {
        const DialogRefusal& refusal = *ok.refusal;
        if (refusal.text != 0)
            message_box(dialog, refusal.text, refusal.caption, refusal.icon);
        if (refusal.control != 0)
            focus(dialog, refusal.control, refusal.select_text);
        return;
    }
    take_log_type_choice(*ok.choice, partners.log, partners.settings, partners.registry,
                         partners.seat);
    state.choice = ok.choice;
    EndDialog(dialog, 1);
}

void on_help(HWND dialog, DialogState& state, const HELPINFO& info) {
    if (info.iCtrlId != IDC_LOG_RESET) {
        show_control_help(dialog, info, kHelp);
        return;
    }
    const LogFileParts location = split_log_file(state.partners.log.default_log_location());
    if (const auto text = format_text(load_text(ids::HelpLogReset), {location.folder}))
        show_help_popup(dialog, *text, info.MousePos);
}

bool on_command(HWND dialog, DialogState& state, int id, int code) {
    switch (id) {
    case IDC_LOG_PAST_DATA:
    case IDC_LOG_ALL_LINES:
    case IDC_LOG_RECENT_LINES:
        update_past_controls(dialog);
        return true;
    case IDC_LOG_LINE_COUNT:
        if (code == EN_CHANGE)
            on_line_count_change(dialog);
        return true;
    case IDC_LOG_BROWSE:
        on_browse(dialog, state);
        return true;
    case IDC_LOG_RESET:
        on_reset(dialog, state);
        return true;
    case IDC_LOG_OPTIONS:
        on_logging_options(dialog, state);
        return true;
    case IDOK:
        on_ok(dialog, state);
        return true;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return true;
    }
    return false;
}

INT_PTR CALLBACK log_type_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        on_init(dialog, *reinterpret_cast<DialogState*>(lparam));
        return TRUE;
    }
    DialogState* state = state_of(dialog);
    if (!state)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return on_command(dialog, *state, LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
    case WM_TIMER:
        if (wparam == kRecountTimer) {
            const std::size_t count = state->partners.log.stored_item_count();
            if (count != state->shown_count)
                show_count(dialog, *state, count);
        }
        return TRUE;
    case WM_HELP:
        on_help(dialog, *state, *reinterpret_cast<const HELPINFO*>(lparam));
        return TRUE;
    case WM_DESTROY:
        KillTimer(dialog, kRecountTimer);
        return FALSE;
    }
    return FALSE;
}

} // namespace

std::optional<LogTypeChoice> run_log_type_dialog(HWND owner, LogTypeDialogPartners& partners) {
    DialogState state{partners, {}, 0, std::nullopt};
    DialogBoxParamW(partners.instance, MAKEINTRESOURCEW(LOGTYPE), owner, log_type_procedure,
                    reinterpret_cast<LPARAM>(&state));
    return state.choice;
}

} // namespace brixtel::win
