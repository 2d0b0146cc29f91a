// Sends a numbered request every 20 ms on a connected UDP socket to an echo server on
// loopback and times each echo from its send to the moment a receive thread returns it. The
// first --skip requests are not counted: scripts/wine-receive-wake.sh starts the echo server
// after the first ones ("STARTED" says the first went out) when it wants the socket to meet a
// port-unreachable error first.
//
//   receive_probe.exe --port N [--wait-ms 50 (0: block)] [--select] [--requests 500]
//                     [--skip 100] [--after-error none|so-error|connect-again]
//
// Prints "RESULT counted=<n> answered=<n> median_ms=<x> p90_ms=<x> max_ms=<x> errors=<n>";
// exit code 2 for a bad command line, 1 when the socket cannot be set up.
#include <winsock2.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRequestGapMs = 20;
constexpr int kMaxRequests = 100000;

struct Options {
    int port = 0;
    int wait_ms = 50;
    bool use_select = false;
    int requests = 500;
    int skip = 100;
    std::string after_error = "none";
};

bool parse(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--select") {
            options->use_select = true;
            continue;
        }
        if (i + 1 == argc)
            return false;
        const std::string value = argv[++i];
        if (name == "--port")
            options->port = std::atoi(value.c_str());
        else if (name == "--wait-ms")
            options->wait_ms = std::atoi(value.c_str());
        else if (name == "--requests")
            options->requests = std::atoi(value.c_str());
        else if (name == "--skip")
            options->skip = std::atoi(value.c_str());
        else if (name == "--after-error")
            options->after_error = value;
        else
            return false;
    }
    const bool known_remedy = options->after_error == "none" ||
                              options->after_error == "so-error" ||
                              options->after_error == "connect-again";
    return options->port > 0 && options->port < 65536 && options->wait_ms >= 0 &&
           options->requests > 0 && options->requests <= kMaxRequests && options->skip >= 0 &&
           options->skip < options->requests && known_remedy;
}

double milliseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LONGLONG now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

// Waits for the socket to be readable first when asked to; false when nothing came in time.
bool wait_readable(SOCKET socket, const Options& options) {
    if (!options.use_select)
        return true;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval wait{0, options.wait_ms * 1000};
    return select(0, &readable, nullptr, nullptr, &wait) > 0;
}

void after_error(SOCKET socket, const sockaddr_in& peer, const Options& options) {
    if (options.after_error == "so-error") {
        int value = 0;
        int length = sizeof value;
        getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&value), &length);
    } else if (options.after_error == "connect-again") {
        connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, &options)) {
        std::fprintf(stderr, "usage: receive_probe.exe --port N [--wait-ms MS] [--select] "
                             "[--requests N] [--skip N] [--after-error none|so-error|"
                             "connect-again]\n");
        return 2;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 1;
    const SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<u_short>(options.port));
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const DWORD wait = static_cast<DWORD>(options.wait_ms);
    if (socket == INVALID_SOCKET ||
        connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0 ||
        setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait),
                   sizeof wait) != 0) {
        std::printf("ERROR cannot set the socket up: %d\n", WSAGetLastError());
        return 1;
    }

    std::vector<std::atomic<LONGLONG>> sent(static_cast<size_t>(options.requests));
    std::vector<double> latency(static_cast<size_t>(options.requests), -1.0);
    std::atomic<bool> stop{false};
    std::atomic<int> errors{0};
    std::thread receiver([&] {
        char buffer[64];
        while (!stop) {
            if (!wait_readable(socket, options))
                continue;
            const int got = recv(socket, buffer, sizeof buffer - 1, 0);
            if (got > 0) {
                buffer[got] = '\0';
                const int number = std::atoi(buffer);
                if (number >= 0 && number < options.requests)
                    latency[static_cast<size_t>(number)] =
                        milliseconds(now() - sent[static_cast<size_t>(number)]);
            } else if (WSAGetLastError() != WSAETIMEDOUT && !stop) {
                ++errors;
                after_error(socket, peer, options);
            }
        }
    });
    for (int i = 0; i < options.requests; ++i) {
        const std::string text = std::to_string(i);
        sent[static_cast<size_t>(i)] = now();
        send(socket, text.data(), static_cast<int>(text.size()), 0);
        if (i == 0) {
            std::printf("STARTED\n");
            std::fflush(stdout);
        }
        Sleep(kRequestGapMs);
    }
    Sleep(200);
    stop = true;
    closesocket(socket); // wakes a receiver that waits without end
    receiver.join();

    std::vector<double> counted;
    for (int i = options.skip; i < options.requests; ++i)
        if (latency[static_cast<size_t>(i)] >= 0)
            counted.push_back(latency[static_cast<size_t>(i)]);
    std::sort(counted.begin(), counted.end());
    const auto at = [&](double share) {
        return counted.empty() ? -1.0
                               : counted[std::min(counted.size() - 1,
                                                  static_cast<size_t>(share * counted.size()))];
    };
    std::printf("RESULT counted=%d answered=%zu median_ms=%.2f p90_ms=%.2f max_ms=%.2f "
                "errors=%d\n",
                options.requests - options.skip, counted.size(), at(0.5), at(0.9),
                counted.empty() ? -1.0 : counted.back(), errors.load());
    WSACleanup();
    return 0;
}
