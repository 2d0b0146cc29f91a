#pragma once
// The one narrow interface through which portable code reaches the screen. The Win32 shell
// implements it over the Main window; unit tests use a recording fake that also plays the
// user's answers.
#include "shell/message_format.h"
#include "shell/string_table.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace brixtel {

// Message box flags and the buttons that close a box, as the system numbers them.
namespace mb {
inline constexpr unsigned Ok = 0x0;
inline constexpr unsigned YesNo = 0x4;
inline constexpr unsigned IconHand = 0x10;
inline constexpr unsigned IconQuestion = 0x20;
inline constexpr unsigned IconExclamation = 0x30;
inline constexpr unsigned IconInformation = 0x40;
} // namespace mb

enum Button : int { ButtonOk = 1, ButtonCancel = 2, ButtonYes = 6, ButtonNo = 7 };

// Menu commands the portable code enables, grays or checks.
enum class Command : unsigned {
    Monitoring = 40012,
    LogData = 40013,
    LoadTagList = 40018,
    DeleteTagList = 40020,
    SynchronizedStart = 40025,
};

class Seat {
  public:
    virtual ~Seat() = default;

    // A box owned by the Main window with a string-table text (inserts filled in as %1, %2,
    // ...) and caption; returns the button pressed.
    virtual int message_box(StringId text, StringId caption, unsigned flags,
                            std::span<const MessageArg> inserts) = 0;
    int message_box(StringId text, StringId caption, unsigned flags,
                    std::initializer_list<MessageArg> inserts = {}) {
        return message_box(text, caption, flags,
                           std::span<const MessageArg>(inserts.begin(), inserts.size()));
    }

    virtual void set_status_text(int part, std::wstring_view text) = 0;
    virtual void set_window_title(std::wstring_view title) = 0;
    virtual void enable_command(Command command, bool enabled) = 0;
    // Puts or removes the check mark of a menu item.
    virtual void check_command(Command command, bool checked) = 0;
};

// The enabling operations of the menu.
inline void enable_monitoring_command(Seat& seat, bool enabled) {
    seat.enable_command(Command::Monitoring, enabled);
}
inline void enable_tag_list_commands(Seat& seat, bool enabled) {
    seat.enable_command(Command::LoadTagList, enabled);
    seat.enable_command(Command::DeleteTagList, enabled);
}
inline void enable_synchronized_start_command(Seat& seat, bool enabled) {
    seat.enable_command(Command::SynchronizedStart, enabled);
}

} // namespace brixtel
