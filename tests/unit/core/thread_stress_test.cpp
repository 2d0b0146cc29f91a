// The worker threads raced by the main thread on real loopback sockets: reconnects and
// removals while Connect threads run, requests going out while connections close, a flooded
// Receive thread closed mid-flood, and shutting down in the middle of it all. The suite runs
// under ThreadSanitizer and AddressSanitizer too; every loop and wait here is bounded.
#include "core/connection.h"
#include "core/loop_configuration.h"
#include "core/loop_configuration_control.h"
#include "core/request_routing.h"
#include "cycle_fakes.h"
#include "platform/memory_registry.h"
#include "platform/net.h"
#include "transport_fakes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace brixtel {
namespace {

using namespace std::chrono_literals;
using testing::eventually;
using testing::FakeWindow;
using testing::LockedSeat;
using testing::RecordingPoster;

constexpr std::uint32_t kLoopback = 0x7F000001;

// A Zandor stand-in on a fixed loopback port: records where each request came from, answers
// each with its own text, and floods the latest client when told to.
class StandIn {
  public:
    explicit StandIn(std::uint16_t port) : socket_(net::create_udp_socket()) {
        bound_ = socket_ && net::bind_any(socket_, port) && net::set_receive_timeout(socket_, 50);
        if (bound_)
            thread_ = std::thread([this] { serve(); });
    }
    ~StandIn() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (socket_)
            net::close_socket(socket_);
    }
    bool bound() const { return bound_; }
    std::set<std::uint16_t> sources() const {
        std::lock_guard hold(lock_);
        return sources_;
    }
    std::size_t requests() const {
        std::lock_guard hold(lock_);
        return requests_;
    }
    void clear() {
        std::lock_guard hold(lock_);
        sources_.clear();
        requests_ = 0;
    }

  private:
    void serve() {
        char buffer[2048];
        while (!stop_) {
            std::uint16_t from = 0;
            const int got = net::receive_from(socket_, buffer, sizeof buffer, &from);
            if (got <= 0)
                continue;
            {
                std::lock_guard hold(lock_);
                sources_.insert(from);
                ++requests_;
            }
            net::send_to(socket_, kLoopback, from, std::string_view(buffer, got));
        }
    }

    net::Socket socket_ = 0;
    bool bound_ = false;
    std::atomic<bool> stop_{false};
    mutable std::mutex lock_;
    std::set<std::uint16_t> sources_;
    std::size_t requests_ = 0;
    std::thread thread_;
};

// Everything one stress run needs: the loops, the router the poll cycle sends through, and a
// thread that keeps sending read requests the way the Poll timer does.
class Stress : public ::testing::Test {
  protected:
    Stress() {
        loops.set_port_range({47610, 47699});
        loops.set_first_requests([this](const LoopEndpoint& endpoint) {
            router.send_connstat_request(endpoint);
            router.send_feature_username_request(endpoint);
        });
    }
    ~Stress() override {
        stop_sending();
        loops.shut_down_all(true);
    }

    ConfigurationEntry& add(std::int32_t loop, std::int32_t remote_port) {
        ConfigurationEntry& entry = loops.add_entry(loop, -1, L"127.0.0.1", remote_port);
        loops.start_entry(entry, true);
        return entry;
    }
    void start_sending(std::int32_t loops_to_poll) {
        sender = std::thread([this, loops_to_poll] {
            std::uint32_t id = 0;
            while (!stop) {
                for (std::int32_t loop = 1; loop <= loops_to_poll; ++loop) {
                    // Named by host: the links' states play no part here.
                    router.send_request(
                        {loop, 2, L"127.0.0.1"},
                        [&](std::wstring_view suffix) {
                            return compose_read_request(window.handle(), ++id, {loop, 2, 5, 100},
                                                        suffix);
                        },
                        0.0f);
                }
                std::this_thread::sleep_for(1ms);
            }
        });
    }
    void stop_sending() {
        stop = true;
        if (sender.joinable())
            sender.join();
        stop = false;
    }
    // The local ports the entries are bound to now.
    std::set<std::uint16_t> bound_ports() {
        std::set<std::uint16_t> ports;
        std::lock_guard hold(loops.loop_entries().lock);
        for (const LoopEntry& entry : loops.loop_entries().entries) {
            if (entry.connection)
                ports.insert(entry.local_port);
        }
        return ports;
    }

    LockedSeat seat;
    RecordingPoster poster{{FakeWindow::kHandle}};
    MemoryRegistry registry;
    LoopConfiguration loops{seat, poster, registry, [] { return StatusTime{1000, 0}; }};
    ConfigurationLoopControl control{loops};
    FakeWindow window;
    RequestRouter router{control, window, seat, L"tester"};
    std::atomic<bool> stop{false};
    std::thread sender;
};

TEST_F(Stress, ReconnectsAndRemovalsRaceConnectThreadsAndRequests) {
    StandIn zandor(47601);
    ASSERT_TRUE(zandor.bound());
    constexpr int kLoops = 4;
    for (int loop = 1; loop <= kLoops; ++loop)
        add(loop, 47601);
    start_sending(kLoops);
    constexpr int kRounds = 3000;
    for (int round = 0; round < kRounds; ++round) {
        const LoopEndpoint endpoint{1 + round % kLoops, -1, L"127.0.0.1", 47601};
        if (round % 3 == 0) {
            for (ConfigurationEntry& entry : loops.entries()) {
                if (entry.endpoint() == endpoint) {
                    loops.remove_entry(entry, false);
                    break;
                }
            }
            add(endpoint.loop, endpoint.remote_port);
        } else {
            loops.reconnect(endpoint);
        }
    }
    ASSERT_TRUE(loops.transport().wait_for_connects(10s));
    stop_sending();
    EXPECT_TRUE(seat.boxes().empty());

    // Whatever the churn left, each entry has one live connection, and once the last requests
    // are in, the stand-in hears only from the entries' own ports.
    ASSERT_TRUE(eventually([&] { return bound_ports().size() == kLoops; }, 5s));
    zandor.clear();
    start_sending(kLoops);
    ASSERT_TRUE(eventually([&] { return zandor.requests() >= 4 * kLoops; }, 5s));
    stop_sending();
    const std::set<std::uint16_t> current = bound_ports();
    for (std::uint16_t source : zandor.sources())
        EXPECT_TRUE(current.count(source)) << "a request came from old port " << source;
}

TEST_F(Stress, AFloodedReceiveThreadEndsWhenItsEntryCloses) {
    StandIn zandor(47602);
    ASSERT_TRUE(zandor.bound());
    ConfigurationEntry& entry = add(1, 47602);
    ASSERT_TRUE(loops.transport().wait_for_connects(5s));
    ASSERT_TRUE(eventually([&] { return !bound_ports().empty(); }, 5s));
    // Every request comes back as an answer: a steady stream to the Receive thread.
    start_sending(1);
    ASSERT_TRUE(eventually([&] { return poster.posted().size() > 200; }, 5s));
    EXPECT_TRUE(loops.transport().close_entry(entry.endpoint(), false));
    EXPECT_TRUE(loops.transport().wait_for_receivers(5s)) << "the Receive thread went on";
    const std::size_t after_close = poster.posted().size();
    std::this_thread::sleep_for(100ms); // answers still on their way must not arrive anymore
    EXPECT_EQ(poster.posted().size(), after_close);
    stop_sending();
    EXPECT_TRUE(seat.boxes().empty());
}

TEST_F(Stress, ShuttingDownRacesConnectsSendsAndFloods) {
    StandIn zandor(47603);
    ASSERT_TRUE(zandor.bound());
    for (int loop = 1; loop <= 8; ++loop)
        add(loop, 47603);
    start_sending(8);
    ASSERT_TRUE(eventually([&] { return poster.posted().size() > 100; }, 5s));
    for (int loop = 1; loop <= 8; ++loop)
        loops.reconnect({loop, -1, L"127.0.0.1", 47603});
    const auto started = std::chrono::steady_clock::now();
    loops.shut_down_all(true);
    // A hang would show here; how fast it is belongs to the benchmarks.
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_TRUE(loops.transport().wait_for_receivers(5s));
    stop_sending();
    EXPECT_TRUE(seat.boxes().empty()) << "shutting down is quiet";
    const std::size_t posted = poster.posted().size();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(poster.posted().size(), posted) << "nothing reaches the program after shutting down";
}

// ---- One connection ------------------------------------------------------------------------

TEST(ConnectionTest, ACloseDuringAReceiveLeavesTheHandleToTheReceiver) {
    const net::Socket socket = net::create_udp_socket();
    ASSERT_TRUE(socket && net::bind_any(socket, 47604));
    auto connection = std::make_shared<Connection>(socket);
    std::atomic<bool> receiving{false};
    Received last;
    std::thread receiver([&] {
        char buffer[64];
        receiving = true;
        do {
            last = connection->receive(buffer, sizeof buffer);
        } while (last.kind == Received::Kind::Idle);
    });
    ASSERT_TRUE(eventually([&] { return receiving.load(); }));
    std::this_thread::sleep_for(20ms); // inside the receive by now, most likely
    const Closing closing = connection->close(false);
    receiver.join();
    EXPECT_EQ(last.kind, Received::Kind::Closed);
    EXPECT_TRUE(connection->handle_closed());
    EXPECT_EQ(closing.error, 0);
    EXPECT_FALSE(connection->deferred_close_error());
    EXPECT_EQ(connection->send("late"), -1) << "a closed connection sends nothing";
    EXPECT_FALSE(connection->close(false).closed_now) << "closed only once";
}

} // namespace
} // namespace brixtel
