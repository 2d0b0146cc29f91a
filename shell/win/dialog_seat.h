#pragma once
// A Seat whose message boxes a dialog owns, for portable checks run from the dialog's buttons;
// status texts, the title and the menu still go to the Main window's seat.
#include "shell/seat.h"
#include "shell/win/reporting.h"

#include <windows.h>

namespace brixtel::win {

class DialogSeat : public Seat {
  public:
    DialogSeat(HWND dialog, Seat& main) : dialog_(dialog), main_(main) {}
    using Seat::message_box;

    int message_box(StringId text, StringId caption, unsigned flags,
                    std::span<const MessageArg> inserts) override {
        // Without inserts a "%" in the text is shown as it stands.
        if (inserts.empty())
            return brixtel::message_box(dialog_, text, caption, flags);
        return formatted_message_box(dialog_, text, caption, flags, inserts);
    }
    void set_status_text(int part, std::wstring_view text) override {
        main_.set_status_text(part, text);
    }
    void set_window_title(std::wstring_view title) override { main_.set_window_title(title); }
    void enable_command(Command command, bool enabled) override {
        main_.enable_command(command, enabled);
    }
    void check_command(Command command, bool checked) override {
        main_.check_command(command, checked);
    }

  private:
    HWND dialog_;
    Seat& main_;
};

} // namespace brixtel::win
