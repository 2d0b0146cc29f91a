// A hostile network and a server that goes away, as the program meets them: datagrams from
// strangers on other loopback ports (garbage, empty, the largest, forged answers, answers for a
// bystander's window) change nothing the program shows or posts, while its server's answers go
// on arriving; and a server that is restarted on its port is served again without the user
// doing anything.
#include "tests/e2e/driver/dde_client.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

constexpr UINT kMonitoring = 40012;
constexpr int kStatusMonitoring = 0;
constexpr int kStatusConnection = 5;
constexpr wchar_t kMonitoringOn[] = L"Monitoring: ON (00:00:00.200)";
constexpr char kReadWords[] = " read output ";
constexpr char kForgedValue[] = "-77777.25";
constexpr wchar_t kLinkedItem[] = L"Module 1,2,5 Block 100";
constexpr int kRounds = 400; // each round sends one datagram of every kind from every stranger

// A window of the test's own that forged answers name; it counts what is posted to it.
class Bystander {
  public:
    Bystander() {
        WNDCLASSW window_class = {};
        window_class.lpfnWndProc = procedure;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = L"BrixtelE2eBystander";
        RegisterClassW(&window_class);
        window_ = CreateWindowW(window_class.lpszClassName, L"Bystander", WS_OVERLAPPED, 0, 0, 10,
                                10, nullptr, nullptr, window_class.hInstance, nullptr);
        messages_ = 0;
    }
    ~Bystander() {
        if (window_)
            DestroyWindow(window_);
    }
    HWND window() const { return window_; }
    // Takes what the queue holds and says how many WM_USER messages came, ever.
    int user_messages() const {
        MSG message;
        while (PeekMessageW(&message, window_, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        return messages_;
    }

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_USER)
            ++messages_;
        return DefWindowProcW(window, message, wparam, lparam);
    }
    static inline int messages_ = 0;
    HWND window_ = nullptr;
};

std::string hex8(const void* handle) {
    char text[9] = {};
    snprintf(text, sizeof text, "%08X",
             static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(handle)));
    return text;
}

int port_of_source(const std::string& source) {
    return std::stoi(source.substr(source.rfind(':') + 1));
}

class HostileNetworkTest : public BrixtelTest {
  protected:
    // Brixtel monitors five points of the built-in plant every 200 ms; returns once the
    // simulator has answered reads, with the program's bound port.
    void start_monitoring(ZandorSim& zandor, int* program_port) {
        ASSERT_TRUE(zandor.start_on_free_port(&server_port));
        std::vector<std::wstring> points;
        for (int block = 100; block <= 104; ++block)
            points.push_back(L"Module 1,2,5 Block " + std::to_wstring(block) +
                             L" -- NO_TAG -- NO_DATABASE");
        ASSERT_TRUE(store_loop_entries({L"1.2 " + std::to_wstring(server_port) + L" 127.0.0.1"}));
        ASSERT_TRUE(store_startup_tag_list(L"Plant", points));
        ASSERT_TRUE(store_update_interval(200));
        ASSERT_TRUE(brixtel.launch());
        ASSERT_TRUE(brixtel.wait_for_status_text(
            kStatusConnection, L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " +
                                   std::to_wstring(server_port) + L" connstat=OK"));
        ASSERT_TRUE(brixtel.post_command(kMonitoring));
        ASSERT_TRUE(brixtel.wait_for_status_text(kStatusMonitoring, kMonitoringOn));
        ZandorRequest read;
        ASSERT_TRUE(zandor.wait_for_request(kReadWords, &read));
        *program_port = port_of_source(read.source);
    }

    int server_port = 0;
};

TEST_F(HostileNetworkTest, StrangersDatagramsReachNeitherThePointsNorAnotherWindow) {
    ZandorSim zandor;
    int program_port = 0;
    ASSERT_NO_FATAL_FAILURE(start_monitoring(zandor, &program_port));
    const std::string request = [&] {
        ZandorRequest read;
        zandor.wait_for_request(" 1 02 05 100", &read);
        return read.text;
    }();
    ASSERT_FALSE(request.empty());
    const std::string after_window = request.substr(request.find(','));

    DdeClient client;
    std::unique_ptr<DdeConversation> conversation;
    ASSERT_TRUE(client.connect(L"Brixtel", L"Output", &conversation));
    ASSERT_EQ(conversation->start_advise(kLinkedItem, CF_TEXT).status,
              DdeReply::Status::acknowledged);

    Bystander bystander;
    ASSERT_TRUE(bystander.window());
    const std::vector<std::string> kinds = {
        "",
        std::string(65507, '9'),
        request + "\nOK REAL\n" + kForgedValue,                 // the server's answer, forged
        request.substr(0, request.find(',') + 1) + "7FFFFFFF" + // an identifier never given
            request.substr(request.find(' ')) + "\nOK REAL\n" + kForgedValue,
        hex8(bystander.window()) + after_window + "\nOK REAL\n" + kForgedValue,
    };
    std::mt19937 random(7);
    std::array<LoopbackPeer, 4> strangers;
    ASSERT_TRUE(pump_until([&] { return !conversation->values(kLinkedItem).empty(); }, kWaitBound));
    const size_t taken_before = conversation->values(kLinkedItem).size();
    for (int round = 0; round < kRounds; ++round) {
        for (const LoopbackPeer& stranger : strangers) {
            ASSERT_TRUE(stranger.ready());
            ASSERT_NE(stranger.port(), server_port);
            std::string garbage(1 + random() % 2048, '\0');
            for (char& c : garbage)
                c = static_cast<char>(random());
            stranger.send_to(program_port, garbage);
            for (const std::string& datagram : kinds)
                stranger.send_to(program_port, datagram);
        }
    }
    // Values taken after the traffic show the program went on receiving: a stranger's
    // datagram that got through would have been taken before them.
    ASSERT_TRUE(pump_until(
        [&] { return conversation->values(kLinkedItem).size() >= taken_before + 3; }, kWaitBound));

    EXPECT_TRUE(brixtel.running());
    EXPECT_EQ(bystander.user_messages(), 0);
    const std::vector<DdeValue> values = conversation->values(kLinkedItem);
    EXPECT_FALSE(values.empty());
    for (const DdeValue& value : values) {
        const std::wstring text = decode_text(value.bytes).value_or(L"?");
        EXPECT_EQ(text, L"12.5"); // the plant's value; a forged one would read -77777.25
    }
    conversation->stop_advise(kLinkedItem, CF_TEXT);
    EXPECT_TRUE(brixtel.close());
}

TEST_F(HostileNetworkTest, AServerRestartedOnItsPortIsServedAgainUnasked) {
    int program_port = 0;
    {
        ZandorSim first;
        ASSERT_NO_FATAL_FAILURE(start_monitoring(first, &program_port));
        ASSERT_TRUE(first.stop());
    }
    // Requests sent while nobody listens come back as port-unreachable reports, which the
    // program's receiving must outlive: the next server's answers are taken at once, long
    // before a silent connection would be rebuilt.
    pause_for(Millis(1000));
    ZandorSim second;
    ASSERT_TRUE(second.start({server_port}));
    ASSERT_TRUE(second.control("set 1 2 5 100 real 99.5"));
    ZandorRequest read;
    ASSERT_TRUE(second.wait_for_request(kReadWords, &read));
    EXPECT_EQ(port_of_source(read.source), program_port);

    DdeClient client;
    std::unique_ptr<DdeConversation> conversation;
    ASSERT_TRUE(client.connect(L"Brixtel", L"Output", &conversation));
    ASSERT_EQ(conversation->start_advise(kLinkedItem, CF_TEXT).status,
              DdeReply::Status::acknowledged);
    size_t taken = 0;
    EXPECT_TRUE(pump_until(
        [&] {
            const std::vector<DdeValue> values = conversation->values(kLinkedItem);
            taken = values.size();
            return taken > 0 && decode_text(values.back().bytes) == L"99.5";
        },
        kWaitBound))
        << "values taken since the restart: " << taken;
    conversation->stop_advise(kLinkedItem, CF_TEXT);
    EXPECT_TRUE(brixtel.running());
}

} // namespace
} // namespace brixtel::e2e
