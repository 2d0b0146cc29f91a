#include "tools/zandor-sim/control.h"

#include <gtest/gtest.h>

#include <functional>

namespace brixtel::zandor {
namespace {

struct ControlCase {
    const char* command;
    const char* reply;
    ServerAction action;
    std::function<bool(const Behaviour&)> changed;
};

bool unchanged(const Behaviour& b) {
    return !b.silent && !b.silent_connstat && b.connstat == ReplyMode::Success &&
           b.username == ReplyMode::Success && b.drop_share == 0 && b.delay_ms == 0 &&
           b.cancels_pending == 0 && b.flood_per_second == 0;
}

class ControlCommands : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlCommands, ReplyAndChangeTheBehaviour) {
    Responder responder(Plant{}, Behaviour{}, 1);
    const ControlOutcome outcome = apply_control(GetParam().command, responder);
    EXPECT_EQ(outcome.reply, GetParam().reply);
    EXPECT_EQ(outcome.action, GetParam().action);
    EXPECT_TRUE(GetParam().changed(responder.behaviour()));
}

const auto kSilentAll = [](const Behaviour& b) { return b.silent && !b.silent_connstat; };

INSTANTIATE_TEST_SUITE_P(
    Commands, ControlCommands,
    ::testing::Values(
        ControlCase{"ping", "OK ready", ServerAction::None, unchanged},
        ControlCase{"silent", "OK silent", ServerAction::None, kSilentAll},
        ControlCase{"silent all\n", "OK silent", ServerAction::None, kSilentAll},
        ControlCase{"silent connstat", "OK silent connstat", ServerAction::None,
                    [](const Behaviour& b) { return b.silent_connstat && !b.silent; }},
        ControlCase{"silent reads", "ERROR silent takes all or connstat", ServerAction::None,
                    unchanged},
        ControlCase{"connstat failure", "OK connstat failure", ServerAction::None,
                    [](const Behaviour& b) { return b.connstat == ReplyMode::Failure; }},
        ControlCase{"username unsupported", "OK username unsupported", ServerAction::None,
                    [](const Behaviour& b) { return b.username == ReplyMode::Unsupported; }},
        ControlCase{"connstat maybe", "ERROR connstat takes success, failure, unsupported or none",
                    ServerAction::None, unchanged},
        ControlCase{"drop 0.5", "OK drop 0.5", ServerAction::None,
                    [](const Behaviour& b) { return b.drop_share == 0.5; }},
        ControlCase{"drop 1.5", "ERROR drop takes a share from 0 to 1", ServerAction::None,
                    unchanged},
        ControlCase{"drop nan", "ERROR drop takes a share from 0 to 1", ServerAction::None,
                    unchanged},
        ControlCase{"flood 5000", "OK flood 5000", ServerAction::None,
                    [](const Behaviour& b) { return b.flood_per_second == 5000; }},
        ControlCase{"flood 100001", "ERROR flood takes datagrams per second from 0 to 100000",
                    ServerAction::None, unchanged},
        ControlCase{"flood fast", "ERROR flood takes datagrams per second from 0 to 100000",
                    ServerAction::None, unchanged},
        ControlCase{"delay 250", "OK delay 250", ServerAction::None,
                    [](const Behaviour& b) { return b.delay_ms == 250; }},
        ControlCase{"delay -1", "ERROR delay takes milliseconds from 0 to 60000",
                    ServerAction::None, unchanged},
        ControlCase{"delay-share 0.05", "OK delay-share 0.05", ServerAction::None,
                    [](const Behaviour& b) { return b.delay_share == 0.05; }},
        ControlCase{"delay-share 2", "ERROR delay-share takes a share from 0 to 1",
                    ServerAction::None, unchanged},
        ControlCase{"cancel", "OK cancel 1", ServerAction::None,
                    [](const Behaviour& b) { return b.cancels_pending == 1; }},
        ControlCase{"cancel 3", "OK cancel 3", ServerAction::None,
                    [](const Behaviour& b) { return b.cancels_pending == 3; }},
        ControlCase{"cancel now", "OK cancel now", ServerAction::CancelNow, unchanged},
        ControlCase{"cancel later", "ERROR cancel takes now or a count", ServerAction::None,
                    unchanged},
        ControlCase{"count", "OK count", ServerAction::Count, unchanged},
        ControlCase{"stop", "OK stop", ServerAction::Stop, unchanged},
        ControlCase{"set 1 2 3", "ERROR expected <loop> <pcu> <module> <block> <kind> ...",
                    ServerAction::None, unchanged},
        ControlCase{"", "ERROR unknown command \"\"", ServerAction::None, unchanged},
        ControlCase{"reboot", "ERROR unknown command \"reboot\"", ServerAction::None, unchanged}));

TEST(ControlCommands, ResumeEndsBothSilencesAndSetChangesTheAnswer) {
    Responder responder(*parse_plant("1 2 5 100 int 1\n").plant, Behaviour{}, 1);
    apply_control("silent connstat", responder);
    apply_control("silent", responder);
    EXPECT_EQ(apply_control("resume", responder).reply, "OK resume");
    EXPECT_FALSE(responder.behaviour().silent);
    EXPECT_FALSE(responder.behaviour().silent_connstat);

    const Request read = parse_request("00000001,00000002 read output 1 02 05 100");
    EXPECT_EQ(apply_control("set 1 2 5 100 string Tank full", responder).reply, "OK set");
    EXPECT_EQ(responder.respond(read, 0).datagram.value_or(""),
              read.line + "\nOK STRING\nTank full");
}

} // namespace
} // namespace brixtel::zandor
