#pragma once
// A Seat that records what the program showed and answers boxes as scripted.
#include "shell/seat.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace brixtel::testing {

struct ShownBox {
    StringId text = 0;
    StringId caption = 0;
    unsigned flags = 0;
    std::wstring formatted; // the text with its inserts, or empty when they did not fit
};

class FakeSeat : public Seat {
  public:
    using Seat::message_box;

    // Buttons to press, in order; an unscripted box is answered with OK (or No for Yes/No).
    std::deque<int> answers;
    std::vector<ShownBox> boxes;
    std::map<int, std::wstring> status;
    std::wstring title = L"Brixtel";
    std::map<Command, bool> enabled;
    std::map<Command, bool> checked;

    int message_box(StringId text, StringId caption, unsigned flags,
                    std::span<const MessageArg> inserts) override {
        boxes.push_back({text, caption, flags,
                         format_message(string_text(text), inserts).value_or(std::wstring())});
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return (flags & 0xF) == mb::YesNo ? ButtonNo : ButtonOk;
    }
    void set_status_text(int part, std::wstring_view text) override { status[part] = text; }
    void set_window_title(std::wstring_view text) override { title = text; }
    void enable_command(Command command, bool on) override { enabled[command] = on; }
    void check_command(Command command, bool on) override { checked[command] = on; }

    std::vector<StringId> shown_texts() const {
        std::vector<StringId> ids;
        for (const auto& box : boxes)
            ids.push_back(box.text);
        return ids;
    }
};

} // namespace brixtel::testing
