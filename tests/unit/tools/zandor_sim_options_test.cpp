#include "tools/zandor-sim/options.h"

#include <gtest/gtest.h>

namespace brixtel::zandor {
namespace {

OptionsParse parsed(std::vector<std::string_view> arguments) {
    return parse_options(arguments);
}

TEST(Options, DefaultsServeOnePortOnLoopbackForAnHour) {
    const auto result = parsed({});
    ASSERT_TRUE(result.options) << result.error;
    EXPECT_EQ(result.options->address, kLoopback);
    EXPECT_EQ(result.options->ports, std::vector<uint16_t>{kDefaultPort});
    EXPECT_EQ(result.options->max_seconds, 3600);
    EXPECT_FALSE(result.options->control_port);
    EXPECT_FALSE(result.options->max_requests);
}

TEST(Options, ReadEveryValue) {
    const auto result = parsed({"--port",      "5001",      "--port",         "0",
                                "--address",   "127.0.0.2", "--control-port", "6000",
                                "--connstat",  "none",      "--username",     "failure",
                                "--silent",    "connstat",  "--drop",         "0.1",
                                "--delay",     "20",        "--seed",         "99",
                                "--time-step", "0.5",       "--max-seconds",  "30",
                                "--once",      "--record",  "r.txt",          "--ready-file",
                                "ready",       "--plant",   "p.txt",          "--verbose"});
    ASSERT_TRUE(result.options) << result.error;
    const Options& o = *result.options;
    EXPECT_EQ(o.ports, (std::vector<uint16_t>{5001, 0}));
    EXPECT_EQ(o.address, 0x7F000002u);
    EXPECT_EQ(o.control_port, 6000);
    EXPECT_EQ(o.behaviour.connstat, ReplyMode::None);
    EXPECT_EQ(o.behaviour.username, ReplyMode::Failure);
    EXPECT_TRUE(o.behaviour.silent_connstat);
    EXPECT_EQ(o.behaviour.drop_share, 0.1);
    EXPECT_EQ(o.behaviour.delay_ms, 20);
    EXPECT_EQ(o.seed, 99u);
    EXPECT_EQ(o.time_step, 0.5);
    EXPECT_EQ(o.max_seconds, 30);
    EXPECT_EQ(o.max_requests, 1);
    EXPECT_EQ(o.record_file, "r.txt");
    EXPECT_EQ(o.ready_file, "ready");
    EXPECT_EQ(o.plant_file, "p.txt");
    EXPECT_TRUE(o.verbose);
}

struct RefusedCase {
    std::vector<std::string_view> arguments;
    const char* error_start;
};

class RefusedOptions : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedOptions, NameTheFault) {
    const auto result = parse_options(GetParam().arguments);
    EXPECT_FALSE(result.options);
    EXPECT_TRUE(result.error.starts_with(GetParam().error_start)) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RefusedOptions,
    ::testing::Values(RefusedCase{{"--address", "192.168.1.5"}, "192.168.1.5 is not a loopback"},
                      RefusedCase{{"--address", "0.0.0.0"}, "0.0.0.0 is not a loopback"},
                      RefusedCase{{"--address", "127.0.0"}, "\"127.0.0\" is not an IPv4"},
                      RefusedCase{{"--address", "127.0.0.256"}, "\"127.0.0.256\" is not"},
                      RefusedCase{{"--port", "65536"}, "\"65536\" is not a port"},
                      RefusedCase{{"--port", "-1"}, "\"-1\" is not a port"},
                      RefusedCase{{"--port"}, "--port needs a value"},
                      RefusedCase{{"--drop", "2"}, "--drop takes"},
                      RefusedCase{{"--drop", "nan"}, "--drop takes"},
                      RefusedCase{{"--delay-share", "-0.1"}, "--delay-share takes"},
                      RefusedCase{{"--time-step", "nan"}, "--time-step takes"},
                      RefusedCase{{"--max-seconds", "0"}, "--max-seconds takes"},
                      RefusedCase{{"--max-requests", "x"}, "--max-requests takes"},
                      RefusedCase{{"--connstat", "yes"}, "\"yes\" is not success"},
                      RefusedCase{{"--silent", "reads"}, "--silent takes"},
                      RefusedCase{{"--frobnicate"}, "unknown option"}));

TEST(Options, AnyAddressOnlyWhenAskedFor) {
    const auto result = parsed({"--address", "0.0.0.0", "--allow-any-address"});
    ASSERT_TRUE(result.options) << result.error;
    EXPECT_EQ(result.options->address, 0u);
}

} // namespace
} // namespace brixtel::zandor
