#include "tools/zandor-sim/responder.h"

#include <gtest/gtest.h>

namespace brixtel::zandor {
namespace {

Plant built_in_plant() {
    return *parse_plant(default_plant_text()).plant;
}

struct AnswerCase {
    const char* request;
    const char* result; // after the echoed line; nullptr: no answer
};

class BuiltInAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(BuiltInAnswers, EchoTheRequestLineThenTheResult) {
    Responder responder(built_in_plant(), Behaviour{}, 1);
    const Reply reply = responder.respond(parse_request(GetParam().request), 0.0);
    if (!GetParam().result) {
        EXPECT_FALSE(reply.datagram) << *reply.datagram;
        return;
    }
    ASSERT_TRUE(reply.datagram);
    EXPECT_EQ(*reply.datagram, std::string(GetParam().request) + "\n" + GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Plant, BuiltInAnswers,
    ::testing::Values(
        // A unit after the number: the client must cut at the blank.
        AnswerCase{"0000ABCD,00000001 read output 1 02 05 100", "OK REAL\n12.5 degC"},
        AnswerCase{"0000ABCD,00000001 read output 1 02 05 100 from anna", "OK REAL\n12.5 degC"},
        // Varying values at plant time 0.
        AnswerCase{"0000ABCD,00000002 read output 1 02 05 101", "OK REAL\n50.00 %"},
        AnswerCase{"0000ABCD,00000003 read output 1 02 05 102", "OK INT\n0"},
        AnswerCase{"0000ABCD,00000004 read output 1 02 05 103",
                   "OK STRING\nPump 3 running normally"},
        AnswerCase{"0000ABCD,00000005 read output 1 2 5 104", "OK INT\n42"},
        // Loop 2 answers for every PCU.
        AnswerCase{"0000ABCD,00000006 read output 2 07 01 3", "OK STRING\nValve open"},
        AnswerCase{"0000ABCD,00000007 read output 1 02 09 1", "ERROR 105"},
        AnswerCase{"0000ABCD,00000007 read output 1 02 09 6", "ERROR Unknown response code 99"},
        AnswerCase{"0000ABCD,00000007 read output 1 02 09 9", "INFO Cannot reach PCU"},
        AnswerCase{"0000ABCD,00000007 read output 1 02 09 10", "IP_BLOCKED Invalid IP Address"},
        AnswerCase{"0000ABCD,00000007 read output 1 02 09 15",
                   "OK STRING\nERROR LOG FULL ON PCU 2"},
        AnswerCase{"0000ABCD,00000007 read output 1 02 09 16", "OK REAL"},
        AnswerCase{"0000ABCD,00000007 read output 1 02 09 17", nullptr},
        AnswerCase{"0000ABCD,00000008 read output 0 00 03 4", "ERROR Invalid Zero Loop and PCU"},
        AnswerCase{"0000ABCD,00000009 read output 7 01 01 1", "ERROR 105"},
        AnswerCase{"0000ABCD,00000009 read output 1 02 xx 1", "ERROR Missing Parameter"},
        AnswerCase{"0000ABCD,00000009 read output 1 02 05", "ERROR Missing Parameter"},
        AnswerCase{"0000ABCD,00000009 write output 1 02 05 1", "ERROR Unsupported command"},
        AnswerCase{"0000ABCD,5001 connstat 127.0.0.1 1 -1 0 0 from anna", "SUCCESS"},
        AnswerCase{"0000ABCD,5001 feature username zandor.local 1 2 0 0", "SUCCESS"}));

struct ModeCase {
    ReplyMode mode;
    const char* result;
};

class FeatureModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(FeatureModes, ConnstatAndUsernameFollowTheirOwnModes) {
    Behaviour behaviour;
    behaviour.connstat = GetParam().mode;
    Responder responder(built_in_plant(), behaviour, 1);
    const std::string connstat = "00001111,5001 connstat 127.0.0.1 3 -1 0 0";
    const std::string username = "00001111,5001 feature username 127.0.0.1 3 -1 0 0";
    const Reply reply = responder.respond(parse_request(connstat), 0);
    if (GetParam().result)
        EXPECT_EQ(reply.datagram.value_or("none"), connstat + "\n" + GetParam().result);
    else
        EXPECT_FALSE(reply.datagram);
    EXPECT_EQ(responder.respond(parse_request(username), 0).datagram.value_or("none"),
              username + "\nSUCCESS");

    responder.behaviour() = Behaviour{};
    responder.behaviour().username = GetParam().mode;
    const Reply feature = responder.respond(parse_request(username), 0);
    if (GetParam().result)
        EXPECT_EQ(feature.datagram.value_or("none"), username + "\n" + GetParam().result);
    else
        EXPECT_FALSE(feature.datagram);
}

INSTANTIATE_TEST_SUITE_P(Modes, FeatureModes,
                         ::testing::Values(ModeCase{ReplyMode::Success, "SUCCESS"},
                                           ModeCase{ReplyMode::Failure, "FAILURE"},
                                           ModeCase{ReplyMode::Unsupported,
                                                    "ERROR Unsupported command"},
                                           ModeCase{ReplyMode::None, nullptr}));

TEST(Responder, SilenceAndCancelsChangeWhatIsAnswered) {
    Responder responder(built_in_plant(), Behaviour{}, 1);
    const Request read = parse_request("00000001,0000000A read output 1 02 05 100");
    const Request connstat = parse_request("00000001,5001 connstat h 1 2 0 0");

    responder.behaviour().silent_connstat = true;
    EXPECT_EQ(responder.respond(connstat, 0).disposition, "silent");
    EXPECT_EQ(responder.respond(read, 0).disposition, "answered");

    responder.behaviour().silent = true;
    EXPECT_EQ(responder.respond(read, 0).disposition, "silent");

    responder.behaviour() = Behaviour{};
    responder.behaviour().cancels_pending = 2;
    // A connstat does not use up a cancel.
    EXPECT_EQ(responder.respond(connstat, 0).disposition, "answered");
    for (int i = 0; i < 2; ++i) {
        const Reply reply = responder.respond(read, 0);
        EXPECT_EQ(reply.disposition, "cancel");
        EXPECT_EQ(reply.datagram.value_or(""), read.line + "\n0 cancel");
    }
    EXPECT_EQ(responder.respond(read, 0).datagram.value_or(""), read.line + "\nOK REAL\n12.5 degC");
}

std::vector<bool> losses(uint64_t seed, double share, int count) {
    Behaviour behaviour;
    behaviour.drop_share = share;
    Responder responder(built_in_plant(), behaviour, seed);
    const Request read = parse_request("00000001,0000000A read output 1 02 05 100");
    std::vector<bool> lost;
    for (int i = 0; i < count; ++i)
        lost.push_back(responder.respond(read, 0).disposition == "dropped");
    return lost;
}

TEST(Responder, DropsAShareOfAnswersRepeatablyForASeed) {
    const auto first = losses(7, 0.25, 2000);
    EXPECT_EQ(first, losses(7, 0.25, 2000));
    EXPECT_NE(first, losses(8, 0.25, 2000));
    const auto dropped = std::count(first.begin(), first.end(), true);
    EXPECT_GT(dropped, 400);
    EXPECT_LT(dropped, 600);
    const auto none = losses(7, 0.0, 200);
    const auto all = losses(7, 1.0, 200);
    EXPECT_EQ(std::count(none.begin(), none.end(), true), 0);
    EXPECT_EQ(std::count(all.begin(), all.end(), true), 200);
}

// The dispositions of 2,000 answers to one read with the given shares and a 300 ms delay.
std::vector<std::string> fates(uint64_t seed, double drop, double delay) {
    Behaviour behaviour;
    behaviour.drop_share = drop;
    behaviour.delay_share = delay;
    behaviour.delay_ms = 300;
    Responder responder(built_in_plant(), behaviour, seed);
    const Request read = parse_request("00000001,0000000A read output 1 02 05 100");
    std::vector<std::string> dispositions;
    for (int i = 0; i < 2000; ++i) {
        const Reply reply = responder.respond(read, 0);
        // A delayed answer carries its delay; no other does.
        EXPECT_EQ(reply.delay_ms, reply.disposition == "delayed" ? 300 : 0);
        dispositions.push_back(reply.disposition);
    }
    return dispositions;
}

TEST(Responder, DelaysAShareOfAnswersIndependentlyOfTheDrops) {
    const auto both = fates(7, 0.25, 0.25);
    EXPECT_EQ(both, fates(7, 0.25, 0.25));
    const auto delayed = std::count(both.begin(), both.end(), "delayed");
    // A dropped answer is not also delayed, so about 0.75 * 0.25 of them are late.
    EXPECT_GT(delayed, 300);
    EXPECT_LT(delayed, 460);

    // The same answers are lost whatever share is delayed.
    const auto undelayed = fates(7, 0.25, 0.0);
    for (size_t i = 0; i < both.size(); ++i)
        EXPECT_EQ(both[i] == "dropped", undelayed[i] == "dropped") << i;
    EXPECT_EQ(std::count(undelayed.begin(), undelayed.end(), "delayed"), 0);

    // The default share delays every answer, as a bare --delay always did.
    Behaviour behaviour;
    behaviour.delay_ms = 300;
    Responder responder(built_in_plant(), behaviour, 7);
    const Request read = parse_request("00000001,0000000A read output 1 02 05 100");
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(responder.respond(read, 0).disposition, "delayed");
}

} // namespace
} // namespace brixtel::zandor
