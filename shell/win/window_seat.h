#pragma once
// The Seat over the Main window: boxes it owns, its status bar, title and menu.
#include "shell/seat.h"

namespace brixtel::win {

struct App;

class WindowSeat : public Seat {
  public:
    explicit WindowSeat(App& app) : app_(app) {}
    using Seat::message_box;

    int message_box(StringId text, StringId caption, unsigned flags,
                    std::span<const MessageArg> inserts) override;
    void set_status_text(int part, std::wstring_view text) override;
    void set_window_title(std::wstring_view title) override;
    void enable_command(Command command, bool enabled) override;
    void check_command(Command command, bool checked) override;

  private:
    App& app_;
};

} // namespace brixtel::win
