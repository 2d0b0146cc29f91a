// Monitoring over real UDP, as a Zandor server and a user see it: the read requests of each
// poll cycle, the user suffix, the status bar's connection and transmission texts, the route a
// request takes, a connection that goes silent, Simulation mode and cancelled reads.
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionResult;

constexpr UINT kMonitoring = 40012;
constexpr int kStatusMonitoring = 0;
constexpr int kStatusTransmission = 4;
constexpr int kStatusConnection = 5;
constexpr DWORD kIntervalMs = 500;
constexpr wchar_t kMonitoringOn[] = L"Monitoring: ON (00:00:00.500)";
constexpr wchar_t kMonitoringOff[] = L"Monitoring: OFF (00:00:00.500)";
constexpr wchar_t kDemoConfiguration[] = L"Demo Halvo Monitoring Configuration in Use";
constexpr wchar_t kCannotTransmit[] = L"Halvo Monitoring Configuration cannot transmit requests.";
constexpr wchar_t kNoRoute[] = L"NoTx-NoConn";
constexpr char kReadWords[] = " read output ";

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += static_cast<char>(c);
    return out;
}

std::string hex8(std::uint32_t value) {
    char text[9] = {};
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

std::string window_field(HWND window) {
    return hex8(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window)));
}

std::string logged_on_user() {
    wchar_t name[256] = {};
    DWORD size = 256;
    return GetUserNameW(name, &size) ? narrow(name) : std::string();
}

std::wstring list_entry(const std::wstring& module, int block) {
    return L"Module " + module + L" Block " + std::to_wstring(block) + L" -- NO_TAG -- NO_DATABASE";
}

bool is_read(const ZandorRequest& request) {
    return request.text.find(kReadWords) != std::string::npos;
}

std::vector<ZandorRequest> reads_of(const std::vector<ZandorRequest>& requests) {
    std::vector<ZandorRequest> reads;
    for (const ZandorRequest& request : requests)
        if (is_read(request))
            reads.push_back(request);
    return reads;
}

// A read request split at its fixed places: "<window>,<id> read output <rest>".
struct ReadRequest {
    std::string window;
    std::string id;
    std::string rest; // address, then the user suffix if any
};

std::optional<ReadRequest> split_read(const std::string& text) {
    const std::size_t words = text.find(kReadWords);
    if (words != 17 || text[8] != ',')
        return std::nullopt;
    return ReadRequest{text.substr(0, 8), text.substr(9, 8), text.substr(17 + 13)};
}

bool upper_hex(const std::string& field) {
    if (field.size() != 8)
        return false;
    for (char c : field)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

class MonitoringTest : public BrixtelTest {
  protected:
    ::testing::AssertionResult start_zandor(ZandorSim& zandor, std::wstring_view options = {}) {
        return zandor.start_on_free_port(&port, options);
    }
    std::wstring port_text() const { return std::to_wstring(port); }

    int port = 0; // the simulator's
    // One loop entry, a list loaded at start and a short update interval; returns once the
    // simulator's answer to the first connstat shows in the status bar.
    void start_monitored_program(const std::wstring& loop_entry,
                                 const std::vector<std::wstring>& points,
                                 const std::wstring& connection_text) {
        ASSERT_TRUE(store_loop_entries({loop_entry}));
        ASSERT_TRUE(store_startup_tag_list(L"Plant", points));
        ASSERT_TRUE(store_update_interval(kIntervalMs));
        ASSERT_TRUE(brixtel.launch());
        ASSERT_TRUE(brixtel.wait_for_status_text(kStatusConnection, connection_text));
    }

    ::testing::AssertionResult switch_monitoring(bool on) {
        if (!brixtel.post_command(kMonitoring))
            return ::testing::AssertionFailure() << "could not post the Monitoring command";
        return brixtel.wait_for_status_text(kStatusMonitoring, on ? kMonitoringOn : kMonitoringOff);
    }

    std::optional<bool> monitoring_checked() {
        Menu menu;
        if (!brixtel.read_menu(&menu))
            return std::nullopt;
        const MenuItem* item = menu.find(kMonitoring);
        return item ? std::optional<bool>(item->checked) : std::nullopt;
    }

    // Waits until the simulator has recorded at least `count` read requests.
    ::testing::AssertionResult wait_for_reads(const ZandorSim& zandor, std::size_t count,
                                              Millis bound = kWaitBound) {
        std::size_t seen = 0;
        if (poll_until([&] { return (seen = reads_of(zandor.requests()).size()) >= count; }, bound,
                       100ms))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << seen << " read requests within " << describe(bound)
                                             << ", expected at least " << count;
    }

    // Waits for a request containing `text` recorded after the first `from` ones.
    ::testing::AssertionResult wait_for_request_after(const ZandorSim& zandor, std::size_t from,
                                                      const std::string& text, std::size_t* index,
                                                      Millis bound) {
        const bool found = poll_until(
            [&] {
                const auto requests = zandor.requests();
                for (std::size_t i = from; i < requests.size(); ++i) {
                    if (requests[i].text.find(text) != std::string::npos) {
                        *index = i;
                        return true;
                    }
                }
                return false;
            },
            bound, 250ms);
        if (found)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no request containing \"" << text << "\" after the " << from << " first within "
               << describe(bound);
    }

    // Polls part `part` for `bound` and fails at the first text `bad` accepts.
    template <class Bad> AssertionResult status_never(int part, Bad&& bad, Millis bound) {
        std::optional<std::wstring> shown;
        if (poll_until([&] { return (shown = brixtel.status_text(part)) && bad(*shown); }, bound,
                       50ms))
            return ::testing::AssertionFailure()
                   << "status bar part " << part << " showed \"" << narrow(*shown) << "\"";
        return ::testing::AssertionSuccess();
    }
};

// Three points on loop 1 PCU 2 and one of them twice: every point is its own request.
TEST_F(MonitoringTest, EachCycleSendsOneReadRequestPerPointUntilSwitchedOff) {
    ZandorSim zandor;
    ASSERT_TRUE(start_zandor(zandor, L"--username unsupported"));
    const std::vector<std::string> addresses = {"1 02 05 100", "1 02 05 101", "1 02 05 103",
                                                "1 02 05 100"};
    start_monitored_program(L"1.2 " + port_text() + L" 127.0.0.1",
                            {list_entry(L"1,2,5", 100), list_entry(L"1,2,5", 101),
                             list_entry(L"1,2,5", 103), list_entry(L"1,2,5", 100)},
                            L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " + port_text() +
                                L" connstat=OK");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(switch_monitoring(true));
    EXPECT_EQ(monitoring_checked(), std::optional<bool>(true));

    constexpr std::size_t kCycles = 3;
    ASSERT_TRUE(wait_for_reads(zandor, kCycles * addresses.size()));
    const auto reads = reads_of(zandor.requests());
    const std::string window = window_field(brixtel.main_window());
    std::vector<std::string> first_ids;
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const auto read = split_read(reads[i].text);
        ASSERT_TRUE(read) << reads[i].text;
        // One wrong request is enough to tell; the rest would repeat it.
        ASSERT_EQ(read->window, window) << reads[i].text;
        ASSERT_TRUE(upper_hex(read->id)) << reads[i].text;
        // Cycle after cycle the points go in list order, each with the identifier it began with.
        const std::size_t point = i % addresses.size();
        ASSERT_EQ(read->rest, addresses[point]) << reads[i].text;
        if (i < addresses.size())
            first_ids.push_back(read->id);
        else
            ASSERT_EQ(read->id, first_ids[point]) << reads[i].text;
        ASSERT_EQ(reads[i].local_port, port);
    }
    EXPECT_EQ(std::set<std::string>(first_ids.begin(), first_ids.end()).size(), addresses.size());
    // Cycles follow the update interval: two intervals lie between the first and third.
    const double span = reads[2 * addresses.size()].seconds - reads[0].seconds;
    EXPECT_GE(span, 0.6) << "three cycles within " << span << " s";

    ASSERT_TRUE(switch_monitoring(false));
    EXPECT_EQ(monitoring_checked(), std::optional<bool>(false));
    // Requests already on their way arrive within the grace; then nothing more goes out.
    std::size_t last_count = 0;
    auto last_change = std::chrono::steady_clock::now();
    const bool quiet = poll_until(
        [&] {
            const std::size_t count = reads_of(zandor.requests()).size();
            const auto now = std::chrono::steady_clock::now();
            if (count != last_count) {
                last_count = count;
                last_change = now;
            }
            return now - last_change >= scaled(2s);
        },
        kWaitBound, 100ms);
    EXPECT_TRUE(quiet) << "read requests kept coming after monitoring was switched off";
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

struct SuffixCase {
    const char* name;
    const wchar_t* username_mode;
    bool reads_carry_suffix;
};

void PrintTo(const SuffixCase& c, std::ostream* out) {
    *out << c.name;
}

class MonitoringSuffixTest : public MonitoringTest,
                             public ::testing::WithParamInterface<SuffixCase> {};

TEST_P(MonitoringSuffixTest, ReadsCarryTheUserOnlyWhenTheServerTakesIt) {
    const SuffixCase& c = GetParam();
    const std::string user = logged_on_user();
    ASSERT_FALSE(user.empty());
    const std::string suffix = " from " + user;
    ZandorSim zandor;
    ASSERT_TRUE(start_zandor(zandor, std::wstring(L"--username ") + c.username_mode));
    const std::wstring port = port_text();
    start_monitored_program(L"1.2 " + port + L" 127.0.0.1", {list_entry(L"1,2,5", 100)},
                            L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " + port + L" connstat=OK");
    ASSERT_FALSE(HasFatalFailure());

    ZandorRequest connstat, username;
    ASSERT_TRUE(zandor.wait_for_request(" connstat ", &connstat));
    ASSERT_TRUE(zandor.wait_for_request(" feature username ", &username));
    const std::string window = window_field(brixtel.main_window());
    EXPECT_EQ(connstat.text, window + "," + narrow(port) + " connstat 127.0.0.1 1 2 0 0" + suffix);
    EXPECT_EQ(username.text, window + "," + narrow(port) + " feature username 127.0.0.1 1 2 0 0");

    ASSERT_TRUE(switch_monitoring(true));
    ASSERT_TRUE(wait_for_reads(zandor, 3));
    const auto reads = reads_of(zandor.requests());
    const auto first = split_read(reads.front().text);
    ASSERT_TRUE(first) << reads.front().text;
    const std::string expected = window + "," + first->id + kReadWords + "1 02 05 100" +
                                 (c.reads_carry_suffix ? suffix : std::string());
    // From the second cycle on the server's answer about the feature has surely been read.
    for (std::size_t i = 1; i < reads.size(); ++i)
        ASSERT_EQ(reads[i].text, expected) << "read request " << i;
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

INSTANTIATE_TEST_SUITE_P(MonitoringUsernameAnswers, MonitoringSuffixTest,
                         ::testing::Values(SuffixCase{"Success", L"success", true},
                                           SuffixCase{"Unsupported", L"unsupported", false},
                                           SuffixCase{"Failure", L"failure", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Which Loop entry a read request takes, told by the status bar and by where it arrives.
struct RouteCase {
    const char* name;
    const wchar_t* loop_part;       // "1.2" or "2"
    const wchar_t* connection_text; // part 5 after the first connstat, with <port> appended
    const wchar_t* module;          // of the listed point
    int block;
    const char* request; // what the server receives; empty: nothing is sent
    const wchar_t* transmission;
};

void PrintTo(const RouteCase& c, std::ostream* out) {
    *out << c.name;
}

class MonitoringRouteTest : public MonitoringTest,
                            public ::testing::WithParamInterface<RouteCase> {};

TEST_P(MonitoringRouteTest, ReadRequestTakesTheFittingLoopEntry) {
    const RouteCase& c = GetParam();
    ZandorSim zandor;
    ASSERT_TRUE(start_zandor(zandor));
    const std::wstring port = port_text();
    // Unanswered reads leave the transmission text standing between cycles.
    ASSERT_TRUE(zandor.control("set * * * * silent"));
    start_monitored_program(std::wstring(c.loop_part) + L" " + port + L" 127.0.0.1",
                            {list_entry(c.module, c.block)},
                            c.connection_text + port + L" connstat=OK");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(switch_monitoring(true));
    EXPECT_TRUE(brixtel.wait_for_status_text(kStatusTransmission, c.transmission));
    if (*c.request) {
        ZandorRequest read;
        ASSERT_TRUE(zandor.wait_for_request(c.request, &read));
        EXPECT_EQ(read.local_port, this->port);
    } else {
        EXPECT_TRUE(brixtel.wait_for_status_text(kStatusConnection, kCannotTransmit));
        const auto reads = reads_of(zandor.requests());
        EXPECT_TRUE(reads.empty()) << reads.front().text;
    }
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

constexpr wchar_t kLoop1Pcu2[] = L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: ";
constexpr wchar_t kLoop1All[] = L"Loop: 1 PCU: All IP: 127.0.0.1 remote port: ";
constexpr wchar_t kLoop2All[] = L"Loop: 2 PCU: All IP: 127.0.0.1 remote port: ";

INSTANTIATE_TEST_SUITE_P(
    MonitoringPasses, MonitoringRouteTest,
    ::testing::Values(RouteCase{"SameLoopAndPcu", L"1.2", kLoop1Pcu2, L"1,2,5", 100,
                                " read output 1 02 05 100", L"Tx Loop 1 PCU 2"},
                      RouteCase{"SameLoopAllPcus", L"2", kLoop2All, L"2,7,1", 1,
                                " read output 2 07 01 1", L"Tx Loop 2"},
                      RouteCase{"LoopOneServesOtherLoops", L"1", kLoop1All, L"3,1,4", 10,
                                " read output 3 01 04 10", L"Tx Loop 1"},
                      RouteCase{"AnyLoopWithItsLinkUp", L"2", kLoop2All, L"5,3,4", 10,
                                " read output 5 03 04 10", L"Tx Loop 5 on Loop 2"},
                      RouteCase{"NoEntryFits", L"1.2", kLoop1Pcu2, L"1,3,5", 100, "", kNoRoute}),
    [](const auto& info) { return std::string(info.param.name); });

// Slow: three connstat periods of 10 s go by before the connection is rebuilt.
TEST_F(MonitoringTest, SilentConnectionIsRebuiltQuietlyAfterThreeConnstatPeriods) {
    ZandorSim zandor;
    ASSERT_TRUE(start_zandor(zandor));
    start_monitored_program(L"1 " + port_text() + L" 127.0.0.1", {list_entry(L"1,2,5", 100)},
                            L"Loop: 1 PCU: All IP: 127.0.0.1 remote port: " + port_text() +
                                L" connstat=OK");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(zandor.wait_for_request(" feature username "));
    ASSERT_TRUE(zandor.control("silent connstat"));
    const std::size_t before = zandor.requests().size();

    // A rebuilt connection asks about the feature again, right after its first connstat.
    std::size_t again = 0;
    ASSERT_TRUE(wait_for_request_after(zandor, before, " feature username ", &again, 75s));
    const auto requests = zandor.requests();
    ASSERT_GE(again, 1u);
    EXPECT_NE(requests[again - 1].text.find(" connstat 127.0.0.1 1 -1 0 0"), std::string::npos)
        << requests[again - 1].text;
    EXPECT_EQ(requests[again - 1].source, requests[again].source);
    int unanswered = 0;
    for (std::size_t i = before; i + 1 < again; ++i) {
        if (requests[i].text.find(" connstat ") != std::string::npos) {
            EXPECT_EQ(requests[i].disposition, "silent") << requests[i].text;
            ++unanswered;
        }
    }
    EXPECT_EQ(unanswered, 3);
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

TEST_F(MonitoringTest, SimulationModeSendsNothing) {
    ZandorSim zandor;
    ASSERT_TRUE(start_zandor(zandor));
    // Host only: a simulation entry.
    start_monitored_program(L"1 127.0.0.1", {list_entry(L"1,2,5", 100), list_entry(L"1,2,5", 101)},
                            kDemoConfiguration);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(switch_monitoring(true));
    EXPECT_EQ(monitoring_checked(), std::optional<bool>(true));
    // Requests the program could not route would show here; simulated ones show nothing.
    EXPECT_TRUE(status_never(
        kStatusTransmission, [](const std::wstring& text) { return !text.empty(); }, 3s));
    EXPECT_TRUE(status_never(
        kStatusConnection, [](const std::wstring& text) { return text != kDemoConfiguration; },
        1s));
    EXPECT_EQ(brixtel.status_text(kStatusMonitoring), std::optional<std::wstring>(kMonitoringOn));
    std::string count;
    EXPECT_TRUE(zandor.control("count", &count));
    EXPECT_EQ(count, "OK 0");
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

TEST_F(MonitoringTest, CancelledReadsDoNotStopThePolling) {
    ZandorSim zandor;
    ASSERT_TRUE(start_zandor(zandor));
    start_monitored_program(L"1.2 " + port_text() + L" 127.0.0.1",
                            {list_entry(L"1,2,5", 100), list_entry(L"1,2,5", 104)},
                            L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " + port_text() +
                                L" connstat=OK");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(switch_monitoring(true));
    ASSERT_TRUE(wait_for_reads(zandor, 2));
    ASSERT_TRUE(zandor.control("cancel 2"));
    ASSERT_TRUE(poll_until(
        [&] {
            int cancels = 0;
            for (const ZandorRequest& request : zandor.requests())
                cancels += request.disposition == "cancel" ? 1 : 0;
            return cancels == 2;
        },
        kWaitBound, 100ms));
    ASSERT_TRUE(zandor.control("cancel now"));
    const std::size_t reads = reads_of(zandor.requests()).size();
    EXPECT_TRUE(wait_for_reads(zandor, reads + 4));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
    EXPECT_EQ(brixtel.status_text(kStatusMonitoring), std::optional<std::wstring>(kMonitoringOn));
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

} // namespace
} // namespace brixtel::e2e
