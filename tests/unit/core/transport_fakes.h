#pragma once
// Fakes for the transport tests: the Seat and the poster are called from worker threads, so
// both record under a lock; waits poll up to a bound.
#include "core/transport.h"
#include "support/fake_seat.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace brixtel::testing {

inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds bound = std::chrono::seconds(5)) {
    const auto until = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class LockedSeat : public Seat {
  public:
    using Seat::message_box;
    int message_box(StringId text, StringId caption, unsigned flags,
                    std::span<const MessageArg> inserts) override {
        std::lock_guard hold(lock);
        return seat.message_box(text, caption, flags, inserts);
    }
    void set_status_text(int part, std::wstring_view text) override {
        std::lock_guard hold(lock);
        seat.set_status_text(part, text);
        history[part].emplace_back(text);
    }
    void set_window_title(std::wstring_view text) override {
        std::lock_guard hold(lock);
        seat.set_window_title(text);
    }
    void enable_command(Command command, bool on) override {
        std::lock_guard hold(lock);
        seat.enable_command(command, on);
    }
    void check_command(Command command, bool on) override {
        std::lock_guard hold(lock);
        seat.check_command(command, on);
    }

    std::vector<ShownBox> boxes() const {
        std::lock_guard hold(lock);
        return seat.boxes;
    }
    std::vector<std::wstring> texts_of(int part) const {
        std::lock_guard hold(lock);
        auto it = history.find(part);
        return it == history.end() ? std::vector<std::wstring>() : it->second;
    }

  private:
    mutable std::mutex lock;
    FakeSeat seat;
    std::map<int, std::vector<std::wstring>> history;
};

class RecordingPoster : public AnswerPoster {
  public:
    explicit RecordingPoster(std::set<std::uint32_t> windows) : windows_(std::move(windows)) {}

    bool is_own_window(std::uint32_t window) override { return windows_.count(window) != 0; }
    bool post_answer(std::uint32_t window, std::wstring_view text) override {
        std::lock_guard hold(lock_);
        posted_.push_back({window, std::wstring(text)});
        return true;
    }
    struct Posted {
        std::uint32_t window;
        std::wstring text;
    };
    std::vector<Posted> posted() const {
        std::lock_guard hold(lock_);
        return posted_;
    }

  private:
    std::set<std::uint32_t> windows_;
    mutable std::mutex lock_;
    std::vector<Posted> posted_;
};

} // namespace brixtel::testing
