// The Zandor simulator (tools/zandor-sim) run beside the program under test: it answers on
// 127.0.0.1, records every request it gets, and obeys control commands while running.
#pragma once

#include "tests/e2e/driver/wait.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winsock2.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

// BRIXTEL_ZANDOR_SIM when set, else tools\zandor-sim.exe in the build folder above the suite's.
std::wstring zandor_sim_path();

// A UDP socket on 127.0.0.1 with a port of its own, for talking to the simulator directly.
class LoopbackPeer {
  public:
    LoopbackPeer();
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    bool ready() const { return socket_ != INVALID_SOCKET; }
    int port() const { return port_; }
    bool send_to(int port, std::string_view bytes) const;
    // The next datagram, if one comes within `bound` (scaled); `from` gets its source port.
    std::optional<std::string> receive(Millis bound = kWaitBound, int* from = nullptr) const;
    // Drops whatever has arrived already.
    void drain() const;

  private:
    bool started_ = false;
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

// One line of the simulator's record.
struct ZandorRequest {
    double seconds = 0;      // since the simulator started
    int local_port = 0;      // the port that received it
    std::string source;      // "127.0.0.1:5100"
    std::string disposition; // answered, delayed, cancel, silent, dropped, unanswered
    std::string text;        // the datagram as received
};

class ZandorSim {
  public:
    ZandorSim() = default;
    ~ZandorSim();
    ZandorSim(const ZandorSim&) = delete;
    ZandorSim& operator=(const ZandorSim&) = delete;

    // Serves 127.0.0.1 on `ports` with more simulator options if given (for instance
    // L"--connstat failure"); returns once the simulator answers its control port.
    ::testing::AssertionResult start(const std::vector<int>& ports, std::wstring_view options = {});
    // Serves one loopback port the system has just found free, outside the program's own
    // local port range: other suites may run beside this one, so a fixed port could be taken.
    ::testing::AssertionResult start_on_free_port(int* port, std::wstring_view options = {});
    // Sends one control command ("silent", "resume", "cancel now", "set 1 2 5 100 int 7", ...)
    // and expects a reply that begins with "OK".
    ::testing::AssertionResult control(std::string_view command, std::string* reply = nullptr);
    // Asks the simulator to stop and waits for it; ends it by force if it does not.
    ::testing::AssertionResult stop(Millis bound = kExitBound);

    bool running() const;
    std::vector<ZandorRequest> requests() const;
    // Waits until a recorded request contains `text`; `found` gets the first such request.
    ::testing::AssertionResult wait_for_request(std::string_view text,
                                                ZandorRequest* found = nullptr,
                                                Millis bound = kWaitBound) const;
    const std::wstring& record_path() const { return record_path_; }
    // What the simulator printed; for failure messages.
    std::string output() const;

  private:
    void release();
    std::optional<int> control_port_from_ready_file() const;

    HANDLE process_ = nullptr;
    int control_port_ = 0;
    std::wstring record_path_;
    std::wstring ready_path_;
    std::wstring output_path_;
    LoopbackPeer peer_;
};

} // namespace brixtel::e2e
