#include "logging/win/update_interval_dialog.h"

#include "logging/update_interval.h"
#include "logging/win/interval_resource_ids.h"
#include "shell/win/entry_refusal.h"
#include "shell/win/reporting.h"

#include <array>
#include <string>

namespace brixtel::win {
namespace {

constexpr std::array<int, 3> kFields = {IDC_INTERVAL_HOURS, IDC_INTERVAL_MINUTES,
                                        IDC_INTERVAL_SECONDS};

struct IntervalDialogState {
    std::uint32_t interval_ms = 0;
    IntervalFields shown;
    // What each field held when it was last found valid; a refused change goes back to it.
    std::array<std::wstring, 3> last_valid;
    bool putting_back = false;
    std::optional<std::uint32_t> chosen;
};

std::wstring field_text(HWND dialog, int id) {
    wchar_t text[kIntervalFieldChars + 1] = {};
    GetDlgItemTextW(dialog, id, text, static_cast<int>(kIntervalFieldChars + 1));
    return text;
}

void on_init(HWND dialog, IntervalDialogState& state) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    center_window(dialog, GetParent(dialog));
    state.shown = interval_field_texts(state.interval_ms);
    state.last_valid = {state.shown.hours, state.shown.minutes, state.shown.seconds};
    for (std::size_t i = 0; i < kFields.size(); ++i)
        SetDlgItemTextW(dialog, kFields[i], state.last_valid[i].c_str());
}

void on_field_changed(HWND dialog, IntervalDialogState& state, std::size_t field) {
    if (state.putting_back)
        return;
    std::wstring text = field_text(dialog, kFields[field]);
    const std::optional<EntryRefusal> refusal = check_interval_field(text);
    if (!refusal) {
        state.last_valid[field] = std::move(text);
        return;
    }
    message_box(dialog, refusal->text, refusal->caption, MB_ICONEXCLAMATION);
    state.putting_back = true;
    SetDlgItemTextW(dialog, kFields[field], state.last_valid[field].c_str());
    state.putting_back = false;
    HWND item = GetDlgItem(dialog, kFields[field]);
    SetFocus(item);
    SendMessageW(item, EM_SETSEL, 0, -1);
}

void on_ok(HWND dialog, IntervalDialogState& state) {
    const IntervalFields typed{field_text(dialog, IDC_INTERVAL_HOURS),
                               field_text(dialog, IDC_INTERVAL_MINUTES),
                               field_text(dialog, IDC_INTERVAL_SECONDS)};
    const IntervalEntry entry = read_interval_entry(typed, state.shown);
    switch (entry.outcome) {
    case IntervalOutcome::Refused:
        return show_entry_refusal(dialog, IDC_INTERVAL_HOURS, *entry.refusal);
    case IntervalOutcome::Unchanged:
        EndDialog(dialog, 0);
        return;
    case IntervalOutcome::Accepted:
        state.chosen = entry.interval_ms;
        EndDialog(dialog, 1);
        return;
    }
}

INT_PTR CALLBACK interval_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<IntervalDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        on_init(dialog, *reinterpret_cast<IntervalDialogState*>(lparam));
        return TRUE; // the hours field takes the focus
    case WM_COMMAND:
        if (!state)
            return FALSE;
        if (HIWORD(wparam) == EN_CHANGE) {
            for (std::size_t i = 0; i < kFields.size(); ++i) {
                if (LOWORD(wparam) == kFields[i])
                    on_field_changed(dialog, *state, i);
            }
            return TRUE;
        }
        switch (LOWORD(wparam)) {
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

std::optional<std::uint32_t> ask_update_interval(HINSTANCE instance, HWND owner,
                                                 std::uint32_t interval_ms) {
    IntervalDialogState state;
    state.interval_ms = interval_ms;
    DialogBoxParamW(instance, L"FREQUENCY_DETAIL", owner, interval_procedure,
                    reinterpret_cast<LPARAM>(&state));
    return state.chosen;
}

} // namespace brixtel::win
