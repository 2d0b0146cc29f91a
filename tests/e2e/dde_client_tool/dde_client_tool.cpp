// A DDE client that churns hot links, for the reliability run (scripts/dde-reliability.sh):
// it connects to a service and topic, fills up to --links hot links on random points among
// "Module 1,2,5 Block <first> ... <first + points - 1>", then, after random pauses, stops a
// random link when it holds --links of them and starts one on a random free point otherwise,
// until --seconds have passed. It counts the values that arrive, stops every link it holds,
// disconnects and prints one SUMMARY line.
//
//   dde_client_tool.exe [--service Brixtel] [--topic Output] [--points 10] [--first-block 1]
//                       [--links 10] [--seconds 600] [--seed 1] [--mean-ms 100]
//                       [--format text|xltable] [--connect-seconds 30]
//
// Output: "CONNECTED", a PROGRESS line a minute, then "SUMMARY key=value ...". Exit status 0
// when every link started and stopped and the conversation held; 1 when it could not connect;
// 2 for a bad command line; 3 for failed link starts or stops or a conversation the server
// ended. Text links are the default: under Wine the stop of an XlTable link never reaches the
// server, which would leave its point behind. Under Wine two clients should not link the same
// items either (--first-block sets them apart): DDEML then loses item names between processes.
#include "tests/e2e/driver/dde_client.h"
#include "tests/e2e/driver/window_query.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using Clock = std::chrono::steady_clock;

constexpr Millis kLinkBound = 10s;
constexpr int kFailuresShown = 10;

struct Options {
    std::wstring service = L"Brixtel";
    std::wstring topic = L"Output";
    int points = 10;
    int first_block = 1;
    int links = 10;
    int seconds = 600;
    unsigned seed = 1;
    int mean_ms = 100;
    bool xltable = false;
    int connect_seconds = 30;
};

std::optional<Options> parse(int argc, wchar_t** argv) {
    Options options;
    if (argc % 2 == 0)
        return std::nullopt;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        const std::wstring value = argv[i + 1];
        const int number = _wtoi(value.c_str());
        if (name == L"--service")
            options.service = value;
        else if (name == L"--topic")
            options.topic = value;
        else if (name == L"--points")
            options.points = number;
        else if (name == L"--first-block")
            options.first_block = number;
        else if (name == L"--links")
            options.links = number;
        else if (name == L"--seconds")
            options.seconds = number;
        else if (name == L"--seed")
            options.seed = static_cast<unsigned>(number);
        else if (name == L"--mean-ms")
            options.mean_ms = number;
        else if (name == L"--connect-seconds")
            options.connect_seconds = number;
        else if (name == L"--format" && (value == L"text" || value == L"xltable"))
            options.xltable = value == L"xltable";
        else
            return std::nullopt;
    }
    if (options.points <= 0 || options.first_block < 0 || options.links <= 0 ||
        options.links > options.points || options.seconds <= 0 || options.mean_ms < 0 ||
        options.connect_seconds < 0 || options.service.empty() || options.topic.empty())
        return std::nullopt;
    return options;
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Pumps messages for `span`, whatever arrives: DDEML delivers the links' values meanwhile.
void pump_for(Millis span) {
    const auto until = Clock::now() + span;
    while (true) {
        const auto left = std::chrono::duration_cast<Millis>(until - Clock::now());
        if (left.count() <= 0)
            return;
        pump_messages(left < Millis(25) ? left : Millis(25));
    }
}

std::unique_ptr<DdeConversation> connect_within(DdeClient& client, const Options& options,
                                                std::string* reason) {
    std::unique_ptr<DdeConversation> conversation;
    const auto until = Clock::now() + std::chrono::seconds(options.connect_seconds);
    while (true) {
        const auto connected = client.connect(options.service, options.topic, &conversation);
        if (connected)
            return conversation;
        *reason = connected.message();
        if (Clock::now() >= until)
            return nullptr;
        pump_for(Millis(500));
    }
}

struct Tally {
    long long starts = 0;
    long long stops = 0;
    long long start_failures = 0;
    long long stop_failures = 0;
    long long values = 0;
    long long undecodable = 0;
};

class Churn {
  public:
    Churn(const Options& options, DdeConversation& conversation)
        : options_(options), conversation_(conversation),
          format_(options.xltable ? xltable_format() : CF_TEXT),
          linked_(static_cast<size_t>(options.points), false), random_(options.seed) {}

    void step() {
        const int held = linked_count();
        if (held < options_.links)
            start(pick(false));
        else
            stop(pick(true));
    }

    void stop_all() {
        for (int point = 0; point < options_.points; ++point)
            if (linked_[static_cast<size_t>(point)])
                stop(point);
    }

    Millis pause() {
        if (options_.mean_ms == 0)
            return Millis(0);
        std::uniform_int_distribution<int> spread(0, 2 * options_.mean_ms);
        return Millis(spread(random_));
    }

    void count_values() {
        for (const auto& [item, values] : conversation_.take_values())
            for (const DdeValue& value : values) {
                ++tally_.values;
                const bool readable = options_.xltable ? decode_xltable(value.bytes).has_value()
                                                       : decode_text(value.bytes).has_value();
                if (!readable || !same_format(value.format, format_)) {
                    // The first one says what went wrong: the run counts them all.
                    if (tally_.undecodable++ == 0)
                        say("UNDECODABLE after " + std::to_string(tally_.values - 1) +
                            " values: format " + std::to_string(value.format) + ", " +
                            std::to_string(value.bytes.size()) + " bytes");
                }
            }
    }

    int linked_count() const {
        int count = 0;
        for (const bool linked : linked_)
            count += linked ? 1 : 0;
        return count;
    }
    const Tally& tally() const { return tally_; }

  private:
    std::wstring item(int point) const {
        return L"Module 1,2,5 Block " + std::to_wstring(options_.first_block + point);
    }

    // A random point that is (or is not) linked; there is always one when asked.
    int pick(bool linked) {
        std::vector<int> candidates;
        for (int point = 0; point < options_.points; ++point)
            if (linked_[static_cast<size_t>(point)] == linked)
                candidates.push_back(point);
        std::uniform_int_distribution<size_t> choice(0, candidates.size() - 1);
        return candidates[choice(random_)];
    }

    void start(int point) {
        const DdeReply reply = conversation_.start_advise(item(point), format_, kLinkBound);
        if (reply.status == DdeReply::Status::acknowledged) {
            linked_[static_cast<size_t>(point)] = true;
            ++tally_.starts;
        } else if (++tally_.start_failures <= kFailuresShown) {
            say("FAILED start " + narrow(item(point)) + ": " + reply.describe());
        }
    }

    void stop(int point) {
        const DdeReply reply = conversation_.stop_advise(item(point), format_, kLinkBound);
        // A link whose stop failed is not tried again: the server may have dropped it or not.
        linked_[static_cast<size_t>(point)] = false;
        if (reply.status == DdeReply::Status::acknowledged)
            ++tally_.stops;
        else if (++tally_.stop_failures <= kFailuresShown)
            say("FAILED stop " + narrow(item(point)) + ": " + reply.describe());
    }

    const Options& options_;
    DdeConversation& conversation_;
    const UINT format_;
    std::vector<bool> linked_;
    std::mt19937 random_;
    Tally tally_;
};

std::string seconds_text(Clock::duration span) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::chrono::duration<double>(span).count());
    return text;
}

int run(const Options& options) {
    const std::string where = narrow(options.service) + "|" + narrow(options.topic);
    DdeClient client;
    if (!client.ready()) {
        say("ERROR DdeInitializeW failed");
        return 3;
    }
    std::string reason;
    std::unique_ptr<DdeConversation> conversation = connect_within(client, options, &reason);
    if (!conversation) {
        // The reason reads "could not connect to <service>|<topic>: <why>".
        say("ERROR " + reason + " (tried for " + std::to_string(options.connect_seconds) + " s)");
        return 1;
    }
    say("CONNECTED " + where);

    Churn churn(options, *conversation);
    const auto started = Clock::now();
    const auto until = started + std::chrono::seconds(options.seconds);
    auto next_progress = started + std::chrono::minutes(1);
    while (Clock::now() < until && conversation->connected()) {
        churn.step();
        pump_for(churn.pause());
        churn.count_values();
        if (Clock::now() >= next_progress) {
            next_progress += std::chrono::minutes(1);
            say("PROGRESS seconds=" + seconds_text(Clock::now() - started) +
                " links=" + std::to_string(churn.linked_count()) +
                " starts=" + std::to_string(churn.tally().starts) +
                " values=" + std::to_string(churn.tally().values));
        }
    }
    const bool ended_by_server = conversation->ended_by_server();
    if (!ended_by_server)
        churn.stop_all();
    pump_for(Millis(200));
    churn.count_values();
    conversation->disconnect();

    const Tally& tally = churn.tally();
    say("SUMMARY seed=" + std::to_string(options.seed) +
        " seconds=" + seconds_text(Clock::now() - started) +
        " starts=" + std::to_string(tally.starts) + " stops=" + std::to_string(tally.stops) +
        " start_failures=" + std::to_string(tally.start_failures) + " stop_failures=" +
        std::to_string(tally.stop_failures) + " values=" + std::to_string(tally.values) +
        " undecodable=" + std::to_string(tally.undecodable) +
        " links_at_end=" + std::to_string(churn.linked_count()) +
        " ended_by_server=" + (ended_by_server ? "yes" : "no"));
    const bool clean = tally.start_failures == 0 && tally.stop_failures == 0 && !ended_by_server;
    return clean ? 0 : 3;
}

} // namespace
} // namespace brixtel::e2e

int wmain(int argc, wchar_t** argv) {
    const auto options = brixtel::e2e::parse(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: dde_client_tool.exe [--service S] [--topic T] [--points N] "
                             "[--first-block N] [--links N<=points] [--seconds N] [--seed N] "
                             "[--mean-ms N] [--format text|xltable] [--connect-seconds N]\n");
        return 2;
    }
    return brixtel::e2e::run(*options);
}
