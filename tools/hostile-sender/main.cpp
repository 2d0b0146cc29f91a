// hostile-sender: sends hostile and broken datagrams to a program's bound UDP port on 127.0.0.1
// from ports of its own (never the server's), at a given rate, for a given time: random bytes,
// empty datagrams, 65,507-byte datagrams, answers with forged Request identifiers, answers that
// name another process's window, and answers that copy a real request exactly but carry a
// forged value. Real request lines are learnt from the simulator's record file as it grows.
//
//   hostile-sender --target-port N --record FILE [--seconds 60] [--rate 10000] [--sockets 8]
//                  [--bystander HEX] [--value TEXT] [--seed 1] [--avoid-port N]
//
// At the end one line: "SENT seconds=... total=... random=... empty=... huge=... forged_id=...
// bystander=... replay=... failed=...". Exit status 0, 2 for a bad command line, 3 when no
// socket could be had.
#include "tools/hostile-sender/traffic.h"
#include "tools/zandor-sim/udp.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

namespace {

using namespace brixtel;
using Clock = std::chrono::steady_clock;

struct Options {
    uint16_t target_port = 0;
    std::string record;
    int seconds = 60;
    int rate = 10000;
    int sockets = 8;
    std::string bystander = "00000000";
    std::string value = "-77777.25";
    uint64_t seed = 1;
    uint16_t avoid_port = 0;
};

template <class Number> bool number_into(std::string_view text, Number* value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

bool parse(int argc, char** argv, Options* options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i], value = argv[i + 1];
        bool ok = true;
        if (name == "--target-port")
            ok = number_into(value, &options->target_port);
        else if (name == "--record")
            options->record = value;
        else if (name == "--seconds")
            ok = number_into(value, &options->seconds) && options->seconds > 0;
        else if (name == "--rate")
            ok =
                number_into(value, &options->rate) && options->rate > 0 && options->rate <= 1000000;
        else if (name == "--sockets")
            ok = number_into(value, &options->sockets) && options->sockets > 0 &&
                 options->sockets <= 64;
        else if (name == "--bystander")
            options->bystander = value;
        else if (name == "--value")
            options->value = value;
        else if (name == "--seed")
            ok = number_into(value, &options->seed);
        else if (name == "--avoid-port")
            ok = number_into(value, &options->avoid_port);
        else
            ok = false;
        if (!ok)
            return false;
    }
    return argc % 2 == 1 && options->target_port != 0 && !options->record.empty();
}

std::string whole_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, &options)) {
        std::fprintf(stderr, "usage: hostile-sender --target-port N --record FILE [--seconds N] "
                             "[--rate N] [--sockets N] [--bystander HEX] [--value TEXT] "
                             "[--seed N] [--avoid-port N]\n");
        return 2;
    }
    zandor::SocketLayer layer;
    std::vector<zandor::UdpSocket> sockets;
    std::string error;
    while (static_cast<int>(sockets.size()) < options.sockets) {
        auto socket = zandor::UdpSocket::bind({zandor::kLoopback, 0}, &error);
        if (!socket) {
            std::fprintf(stderr, "hostile-sender: %s\n", error.c_str());
            return 3;
        }
        // Never the server's port: answers from there are the ones the program must take.
        if (socket->local_port() != options.avoid_port)
            sockets.push_back(std::move(*socket));
    }

    hostile::Traffic traffic(options.seed, options.bystander, options.value);
    std::map<hostile::Kind, long> sent;
    long failed = 0, total = 0;
    const zandor::Endpoint target{zandor::kLoopback, options.target_port};
    const auto started = Clock::now();
    const auto until = started + std::chrono::seconds(options.seconds);
    auto next_learn = started;
    while (Clock::now() < until) {
        const auto now = Clock::now();
        if (now >= next_learn) {
            // The program's requests come from the port it is bound to: the target.
            traffic.learn(
                hostile::read_requests_of(whole_file(options.record), options.target_port, 200));
            next_learn = now + std::chrono::seconds(1);
        }
        // Keeps to the rate over the whole run, in bursts of at most a millisecond's worth.
        const double elapsed = std::chrono::duration<double>(now - started).count();
        const long due = static_cast<long>(elapsed * options.rate) - total;
        if (due <= 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            continue;
        }
        for (long i = 0; i < std::min<long>(due, 1 + options.rate / 1000); ++i) {
            const hostile::Kind kind = traffic.next_kind();
            const auto& socket = sockets[static_cast<size_t>(total) % sockets.size()];
            if (socket.send_to(traffic.make(kind), target))
                ++sent[kind];
            else
                ++failed;
            ++total;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf("SENT seconds=%.1f total=%ld", seconds, total);
    for (const hostile::Kind kind : hostile::kKinds)
        std::printf(" %s=%ld", std::string(hostile::name_of(kind)).c_str(), sent[kind]);
    std::printf(" failed=%ld\n", failed);
    return 0;
}
