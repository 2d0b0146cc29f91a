// The transport over real loopback sockets: connecting, binding within the port range, the
// Receive thread's routing, and the failures the user is told about.
#include "core/loop_configuration.h"
#include "platform/memory_registry.h"
#include "platform/net.h"
#include "shell/string_table.h"
#include "transport_fakes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace brixtel {
namespace {

using testing::eventually;
using testing::LockedSeat;
using testing::RecordingPoster;

constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr std::uint32_t kOwnWindow = 0x0001BEEF;

// A UDP socket of the test's own on a fixed loopback port.
struct PeerSocket {
    explicit PeerSocket(std::uint16_t port) {
        socket = net::create_udp_socket();
        bound = socket && net::bind_any(socket, port);
    }
    ~PeerSocket() {
        if (socket)
            net::close_socket(socket);
    }
    bool talk_to(std::uint16_t port) const { return net::connect_to(socket, kLoopback, port); }
    std::string receive() const {
        char buffer[4096];
        const int got = net::receive_bytes(socket, buffer, sizeof buffer);
        return got < 0 ? std::string() : std::string(buffer, got);
    }
    net::Socket socket = 0;
    bool bound = false;
};

class TransportTest : public ::testing::Test {
  protected:
    TransportTest() {
        loops.set_first_requests([this](const LoopEndpoint& endpoint) {
            std::lock_guard hold(first_lock);
            first_requests.push_back(endpoint);
        });
    }
    ~TransportTest() override { loops.shut_down_all(true); }

    ConfigurationEntry& connect(std::int32_t loop, std::wstring host, std::int32_t remote_port,
                                std::uint16_t wanted = kNoLocalPort, bool quiet = false) {
        ConfigurationEntry& entry = loops.add_entry(loop, -1, std::move(host), remote_port);
        entry.local_port->store(wanted);
        loops.start_entry(entry, quiet);
        EXPECT_TRUE(loops.transport().wait_for_connects(std::chrono::seconds(10)));
        return entry;
    }
    // The first entry's connection, as a request takes it.
    std::shared_ptr<Connection> first_connection() {
        std::lock_guard hold(loops.loop_entries().lock);
        return loops.loop_entries().entries.front().connection;
    }
    LoopEntry twin(const ConfigurationEntry& entry) {
        LoopEntry copy;
        loops.transport().update_entry(entry.endpoint(), [&](LoopEntry& e) {
            copy.local_port = e.local_port;
            copy.connection = e.connection;
            copy.receiving = e.receiving;
            copy.link_ok = e.link_ok;
            copy.last_lookup_error = e.last_lookup_error;
        });
        return copy;
    }
    std::vector<StringId> box_texts() const {
        std::vector<StringId> ids;
        for (const auto& box : seat.boxes())
            ids.push_back(box.text);
        return ids;
    }
    std::size_t first_request_count() {
        std::lock_guard hold(first_lock);
        return first_requests.size();
    }

    LockedSeat seat;
    RecordingPoster poster{{kOwnWindow}};
    MemoryRegistry registry;
    LoopConfiguration loops{seat, poster, registry, [] { return StatusTime{1000, 0}; }};
    std::mutex first_lock;
    std::vector<LoopEndpoint> first_requests;
};

TEST_F(TransportTest, LookupResolvesLocalhostAndFindsNothingForAReservedInvalidName) {
    const HostLookup local = loops.transport().look_up(L"localhost");
    EXPECT_TRUE(local.began);
    ASSERT_TRUE(local.found);
    EXPECT_EQ(local.address, kLoopback);

    const HostLookup dotted = loops.transport().look_up(L"127.0.0.1");
    EXPECT_TRUE(dotted.found);
    EXPECT_EQ(dotted.address, kLoopback);

    const HostLookup missing = loops.transport().look_up(L"zandor-host.invalid");
    EXPECT_TRUE(missing.began);
    EXPECT_FALSE(missing.found);
    EXPECT_EQ(net::last_error(), net::error::ServiceNotFound);
    EXPECT_TRUE(seat.boxes().empty());
}

TEST_F(TransportTest, ConnectsBindsTheFirstFreePortAndSendsTheFirstRequests) {
    loops.set_port_range({47210, 47219});
    PeerSocket server(47201);
    ASSERT_TRUE(server.bound);
    ConfigurationEntry& entry = connect(1, L"127.0.0.1", 47201);

    EXPECT_EQ(entry.bound_port(), 47210);
    const LoopEntry record = twin(entry);
    EXPECT_EQ(record.local_port, 47210);
    EXPECT_TRUE(record.receiving);
    EXPECT_TRUE(record.connection);
    EXPECT_EQ(record.last_lookup_error, 0u);
    EXPECT_EQ(first_request_count(), 1u);
    EXPECT_TRUE(box_texts().empty());

    // Requests leave in the OEM code page without terminator.
    ASSERT_TRUE(server.talk_to(47210));
    EXPECT_EQ(Transport::send(*first_connection(), L"0001BEEF,47201 x"), 16);
    EXPECT_EQ(server.receive(), "0001BEEF,47201 x");
}

TEST_F(TransportTest, ReceiveThreadPostsToOwnWindowsOnlyAndCountsEveryDatagram) {
    loops.set_port_range({47220, 47229});
    PeerSocket server(47202);
    connect(1, L"127.0.0.1", 47202);
    ASSERT_TRUE(server.talk_to(47220));

    const std::string long_answer =
        "0001BEEF,1 read output 1 02 05 100\nOK STRING\n" + std::string(3000, 'v');
    const std::string datagrams[] = {
        "0001BEEF,00000001 read output 1 02 05 100\nOK REAL\n12.5 degC",
        "0000DEAD,00000002 read output 1 02 05 101\nOK INT\n7", // not a window of ours
        long_answer,
        "0001BEEF,3 \x81"
        "ber", // OEM byte 0x81 is u-umlaut
    };
    for (const std::string& datagram : datagrams)
        ASSERT_EQ(net::send_bytes(server.socket, datagram), static_cast<int>(datagram.size()));

    ASSERT_TRUE(eventually([&] { return seat.texts_of(4).size() >= 4; }));
    const std::vector<std::wstring> rx = seat.texts_of(4);
    EXPECT_EQ(rx[0], L"Rx: " + std::to_wstring(datagrams[0].size()) + L" bytes");
    EXPECT_EQ(rx[1], L"Rx: " + std::to_wstring(datagrams[1].size()) + L" bytes");
    EXPECT_EQ(rx[2], L"Rx: " + std::to_wstring(long_answer.size()) + L" bytes");

    ASSERT_TRUE(eventually([&] { return poster.posted().size() >= 3; }));
    const auto posted = poster.posted();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0].window, kOwnWindow);
    EXPECT_EQ(posted[0].text, L"0001BEEF,00000001 read output 1 02 05 100\nOK REAL\n12.5 degC");
    EXPECT_EQ(posted[1].text.size(), long_answer.size());
    EXPECT_EQ(posted[2].text, L"0001BEEF,3 \u00FCber");
}

// The receive also waits in short slices from then on: some systems stop waking a receiver
// on arrival once the socket met the error, so answers would lie unread for a whole wait.
TEST_F(TransportTest, AnUnreachableServerPortDoesNotEndTheReceiveThread) {
    loops.set_port_range({47230, 47239});
    connect(1, L"127.0.0.1", 47203); // nobody listens there yet
    EXPECT_EQ(first_connection()->receive_wait_ms(), kReceivePollMs);
    Transport::send(*first_connection(), L"0001BEEF,47203 connstat");
    ASSERT_TRUE(eventually([&] {
        const auto texts = seat.texts_of(4);
        return !texts.empty() && texts.back() == L"Error";
    }));
    EXPECT_EQ(first_connection()->receive_wait_ms(), kReceivePollAfterResetMs);

    PeerSocket server(47203);
    ASSERT_TRUE(server.talk_to(47230));
    ASSERT_EQ(net::send_bytes(server.socket, "0001BEEF,1 late"), 15);
    ASSERT_TRUE(eventually([&] { return poster.posted().size() == 1; }));
}

TEST_F(TransportTest, WantedPortIsTriedFirstAndTheSearchGoesUpwards) {
    const struct {
        std::uint16_t wanted;
        bool wanted_taken;
        std::uint16_t expected;
    } cases[] = {
        {47245, false, 47245},
        {47246, true, 47247},
    };
    loops.set_port_range({47240, 47249});
    PeerSocket server(47204);
    for (const auto& c : cases) {
        PeerSocket blocker(c.wanted_taken ? c.wanted : 0);
        ConfigurationEntry& entry = connect(c.wanted, L"127.0.0.1", 47204, c.wanted);
        EXPECT_EQ(entry.bound_port(), c.expected) << c.wanted;
        EXPECT_EQ(twin(entry).local_port, c.expected);
    }
}

TEST_F(TransportTest, LocalZandorOnTheOnlyPortGivesTheClashMessageUnlessQuiet) {
    const struct {
        std::wstring host;
        bool quiet;
        std::size_t boxes;
    } cases[] = {
        {L"127.0.0.1", false, 1},
        {L"localhost", false, 1},
        {L"127.0.0.1", true, 0},
    };
    loops.set_port_range({47250, 47250});
    std::size_t shown = 0;
    std::int32_t loop = 1;
    for (const auto& c : cases) {
        ConfigurationEntry& entry = connect(loop++, c.host, 47250, kNoLocalPort, c.quiet);
        const auto boxes = seat.boxes();
        ASSERT_EQ(boxes.size(), shown + c.boxes);
        if (c.boxes) {
            EXPECT_EQ(boxes.back().text, ids::LocalPortClash);
            EXPECT_EQ(boxes.back().caption, ids::SocketsError);
        }
        shown = boxes.size();
        const LoopEntry record = twin(entry);
        EXPECT_EQ(record.local_port, kNoLocalPort);
        EXPECT_FALSE(record.connection);
        EXPECT_FALSE(record.receiving);
        EXPECT_FALSE(entry.link_ok);
    }
    EXPECT_EQ(first_request_count(), 0u);
}

TEST_F(TransportTest, EveryPortOfTheRangeTakenGivesTheBindMessage) {
    loops.set_port_range({47260, 47261});
    PeerSocket first(47260), second(47261);
    ASSERT_TRUE(first.bound && second.bound);
    ConfigurationEntry& entry = connect(7, L"127.0.0.1", 47205);
    const auto boxes = seat.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ids::BindFailed);
    const std::wstring_view expected = L"bind() failed with error 10048\r\nLoop: 7, PCU: -1, "
                                       L"IPAddress: 127.0.0.1, Remote port: 47205\r\n";
    EXPECT_EQ(boxes[0].formatted.substr(0, expected.size()), expected);
    EXPECT_EQ(twin(entry).local_port, kNoLocalPort);
}

TEST_F(TransportTest, NameThatDoesNotResolveIsBadWithoutABox) {
    ConfigurationEntry& entry = connect(2, L"no-such-zandor.invalid", 47206);
    EXPECT_TRUE(seat.boxes().empty());
    EXPECT_EQ(twin(entry).last_lookup_error, kLookupPending);
    EXPECT_FALSE(entry.link_ok);
    EXPECT_EQ(entry.last_status.seconds, 1000); // reported
    EXPECT_EQ(first_request_count(), 0u);
}

TEST_F(TransportTest, RemotePortZeroIsSimulationWithoutSocket) {
    ConfigurationEntry& entry = connect(4, L"anything", 0);
    EXPECT_TRUE(loops.transport().simulation_mode());
    EXPECT_TRUE(entry.link_ok);
    EXPECT_TRUE(twin(entry).link_ok);
    EXPECT_FALSE(twin(entry).connection);
    EXPECT_EQ(seat.texts_of(5).back(), string_text(ids::DemoConfigurationInUse));
    // Closing the simulation entry leaves Simulation mode.
    EXPECT_FALSE(loops.transport().close_entry(entry.endpoint(), false));
    EXPECT_FALSE(loops.transport().simulation_mode());
}

TEST_F(TransportTest, ConnectionForAnUnknownEntryNamesItsLoop) {
    loops.transport().start_connection({{9, -1, L"127.0.0.1", 47207}, nullptr, false});
    ASSERT_TRUE(loops.transport().wait_for_connects(std::chrono::seconds(5)));
    const auto boxes = seat.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ids::NoLoopConfiguration);
    EXPECT_EQ(boxes[0].caption, ids::CiuMonitoringInformation);
    EXPECT_EQ(boxes[0].flags, mb::IconInformation);
    EXPECT_NE(boxes[0].formatted.find(L"Loop <9>"), std::wstring::npos);
}

TEST_F(TransportTest, ClosingAnEntryReleasesItsPortForTheNextAttempt) {
    loops.set_port_range({47270, 47271});
    PeerSocket server(47208);
    ConfigurationEntry& entry = connect(1, L"127.0.0.1", 47208);
    ASSERT_EQ(entry.bound_port(), 47270);
    EXPECT_TRUE(loops.transport().close_entry(entry.endpoint(), false));
    EXPECT_FALSE(loops.transport().close_entry(entry.endpoint(), false)); // no socket any more
    const LoopEntry record = twin(entry);
    EXPECT_FALSE(record.connection);
    EXPECT_FALSE(record.receiving);

    // A reconnect asks for the port it had, which is free again once the Receive thread has
    // let go of the socket.
    ASSERT_TRUE(eventually([] { return PeerSocket(47270).bound; }));
    loops.reconnect(entry.endpoint());
    ASSERT_TRUE(loops.transport().wait_for_connects(std::chrono::seconds(10)));
    EXPECT_EQ(entry.bound_port(), 47270);
    EXPECT_TRUE(twin(entry).receiving);
    EXPECT_TRUE(entry.kept);
}

// A handle no socket has, so closing it fails.
constexpr net::Socket kStaleSocket = 0x7FFFFFFF;

// The Live Loop Setup's closes tell the user; the program's own shut-down tells nobody.
TEST_F(TransportTest, FailedCloseAndCleanUpAreShownUnlessQuiet) {
    using Work = std::function<void(LoopConfiguration&, const LoopEndpoint&)>;
    const struct {
        const char* name;
        Work work;
        std::vector<std::pair<StringId, StringId>> expected; // text, caption
    } cases[] = {
        {"loud",
         [](LoopConfiguration& config, const LoopEndpoint& endpoint) {
             EXPECT_TRUE(config.transport().close_entry(endpoint, false));
             config.transport().clean_up_socket_layer(false);
         },
         {{ids::ClientError, ids::CloseSocketError}, {ids::WsaCleanupFailed, ids::NetworkError}}},
        {"quiet",
         [](LoopConfiguration& config, const LoopEndpoint& endpoint) {
             EXPECT_TRUE(config.transport().close_entry(endpoint, true));
             config.transport().clean_up_socket_layer(true);
         },
         {}},
        {"shutting everything down",
         [](LoopConfiguration& config, const LoopEndpoint&) { config.shut_down_all(true); },
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LockedSeat case_seat;
        LoopConfiguration config(case_seat, poster, registry);
        std::atomic<int> clean_ups{0};
        config.transport().set_socket_layer({[] { return 0; },
                                             [&clean_ups] {
                                                 ++clean_ups;
                                                 return net::error::NotInitialised;
                                             }});
        // Starting the entry starts the socket layer; the name is not found, quietly.
        ConfigurationEntry& entry = config.add_entry(3, -1, L"zandor.invalid", 47280);
        config.start_entry(entry, true);
        ASSERT_TRUE(config.transport().wait_for_connects(std::chrono::seconds(5)));
        config.transport().update_entry(entry.endpoint(), [](LoopEntry& e) {
            e.connection = std::make_shared<Connection>(kStaleSocket);
        });

        c.work(config, entry.endpoint());
        std::vector<std::pair<StringId, StringId>> shown;
        for (const auto& box : case_seat.boxes())
            shown.emplace_back(box.text, box.caption);
        EXPECT_EQ(shown, c.expected);
        EXPECT_EQ(clean_ups.load(), 1);
    }
}

} // namespace
} // namespace brixtel
