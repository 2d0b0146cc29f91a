// The Zandor simulator as the suite uses it: started on loopback ports, answering, recording
// what it got and obeying control commands.
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

namespace brixtel::e2e {
namespace {

// Outside the program's default local port range (5100-5200).
constexpr int kFirstPort = 5301;
constexpr int kSecondPort = 5302;

const std::string kRead = "0000BEEF,00000011 read output 1 02 05 100";
const std::string kConnstat = "0000BEEF,5302 connstat 127.0.0.1 2 -1 0 0 from tester";

TEST(ZandorSim, AnswersRecordsAndObeysControlOverLoopback) {
    ZandorSim zandor;
    ASSERT_TRUE(zandor.start({kFirstPort, kSecondPort}, L"--connstat failure"));
    LoopbackPeer client;
    ASSERT_TRUE(client.ready());

    ASSERT_TRUE(client.send_to(kFirstPort, kRead));
    int from = 0;
    EXPECT_EQ(client.receive(kWaitBound, &from).value_or("<none>"), kRead + "\nOK REAL\n12.5 degC");
    EXPECT_EQ(from, kFirstPort);
    ASSERT_TRUE(client.send_to(kSecondPort, kConnstat));
    EXPECT_EQ(client.receive(kWaitBound, &from).value_or("<none>"), kConnstat + "\nFAILURE");
    EXPECT_EQ(from, kSecondPort);

    ZandorRequest recorded;
    ASSERT_TRUE(zandor.wait_for_request("connstat", &recorded));
    EXPECT_EQ(recorded.text, kConnstat);
    EXPECT_EQ(recorded.local_port, kSecondPort);
    EXPECT_EQ(recorded.source, "127.0.0.1:" + std::to_string(client.port()));

    ASSERT_TRUE(zandor.control("silent"));
    ASSERT_TRUE(client.send_to(kFirstPort, kRead));
    EXPECT_FALSE(client.receive(1000ms)) << "answered while silent";
    ASSERT_TRUE(zandor.control("resume"));
    ASSERT_TRUE(zandor.control("cancel"));
    ASSERT_TRUE(client.send_to(kFirstPort, kRead));
    EXPECT_EQ(client.receive().value_or("<none>"), kRead + "\n0 cancel");

    std::string refusal;
    EXPECT_FALSE(zandor.control("reboot", &refusal));
    EXPECT_EQ(refusal.rfind("ERROR", 0), 0u) << refusal;

    const auto requests = zandor.requests();
    ASSERT_EQ(requests.size(), 4u) << zandor.output();
    EXPECT_EQ(requests[2].disposition, "silent");
    EXPECT_EQ(requests[3].disposition, "cancel");

    EXPECT_TRUE(zandor.stop());
    EXPECT_FALSE(zandor.running());
}

} // namespace
} // namespace brixtel::e2e
