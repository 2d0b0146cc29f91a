// The hostile sender's traffic: which real requests it learns from a record, and that each kind
// of datagram is what its name says (the run's claims rest on it).
#include "tools/hostile-sender/traffic.h"

#include <gtest/gtest.h>

#include <string>

namespace brixtel::hostile {
namespace {

constexpr char kRecord[] =
    "0.1\t5001\t127.0.0.1:5100\tanswered\t00010A2C,00000001 read output 1 02 05 1 from root\n"
    "0.2\t5001\t127.0.0.1:5100\tanswered\t00010A2C,5001 connstat 127.0.0.1 1 2 0 0\n"
    "0.3\t5001\t127.0.0.1:5177\tanswered\t00020B00,00000009 read output 1 02 05 9\n"
    "0.4\t5001\t127.0.0.1:5100\tanswered\tAB\\nCD read output 1 02 05 3\n"
    "0.5\t5001\t127.0.0.1:5100\tdropped\t00010A2C,00000002 read output 1 02 05 2\n"
    "0.6\t5001\t127.0.0.1:5100\tanswered\t00010A2C,00000003 read out"; // still being written

TEST(HostileTraffic, LearnsTheLatestReadRequestsOfOnePort) {
    const auto all = read_requests_of(kRecord, 5100, 10);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].text, "00010A2C,00000001 read output 1 02 05 1 from root");
    EXPECT_EQ(all[1].text, "00010A2C,00000002 read output 1 02 05 2");
    const auto latest = read_requests_of(kRecord, 5100, 1);
    ASSERT_EQ(latest.size(), 1u);
    EXPECT_EQ(latest[0].text, all[1].text);
    EXPECT_TRUE(read_requests_of(kRecord, 5200, 10).empty());
}

TEST(HostileTraffic, AnswerKindsWaitForARequestToCopy) {
    Traffic traffic(1, "00BEEF00", "-1.5");
    for (size_t i = 0; i < 2 * kKinds.size(); ++i) {
        const Kind kind = traffic.next_kind();
        EXPECT_TRUE(kind == Kind::Random || kind == Kind::Empty || kind == Kind::Huge);
    }
    traffic.learn(read_requests_of(kRecord, 5100, 10));
    std::vector<Kind> turn;
    for (size_t i = 0; i < kKinds.size(); ++i)
        turn.push_back(traffic.next_kind());
    EXPECT_EQ(turn, std::vector<Kind>(kKinds.begin(), kKinds.end()));
}

TEST(HostileTraffic, EachKindIsWhatItSays) {
    Traffic traffic(5, "00BEEF00", "-1.5");
    traffic.learn({{"00010A2C,00000001 read output 1 02 05 1"}});
    for (int round = 0; round < 20; ++round) {
        const std::string random = traffic.make(Kind::Random);
        EXPECT_GE(random.size(), 1u);
        EXPECT_LE(random.size(), 2048u);
        EXPECT_TRUE(traffic.make(Kind::Empty).empty());

        const std::string huge = traffic.make(Kind::Huge);
        EXPECT_EQ(huge.size(), kMaxPayload);
        EXPECT_TRUE(huge.starts_with("00010A2C,00000001 read output 1 02 05 1\nOK REAL\n"));

        // The program's own window, an identifier it never gave out, the rest of the request.
        const std::string forged = traffic.make(Kind::ForgedId);
        EXPECT_TRUE(forged.starts_with("00010A2C,")) << forged;
        EXPECT_NE(forged.substr(9, 8), "00000001");
        EXPECT_TRUE(forged.ends_with(" read output 1 02 05 1\nOK REAL\n-1.5")) << forged;

        EXPECT_EQ(traffic.make(Kind::Bystander),
                  "00BEEF00,00000001 read output 1 02 05 1\nOK REAL\n-1.5");
        EXPECT_EQ(traffic.make(Kind::Replay),
                  "00010A2C,00000001 read output 1 02 05 1\nOK REAL\n-1.5");
    }
}

} // namespace
} // namespace brixtel::hostile
