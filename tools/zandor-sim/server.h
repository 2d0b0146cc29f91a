// The running simulator: serves its ports, answers through the responder, records every
// request, obeys control commands, and always stops by itself in the end.
#pragma once

#include "tools/zandor-sim/options.h"
#include "tools/zandor-sim/responder.h"
#include "tools/zandor-sim/udp.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace brixtel::zandor {

class Server {
  public:
    Server(Options options, Plant plant);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds every port, opens the record and writes the ready file.
    bool open(std::string* error);
    std::vector<uint16_t> ports() const;
    uint16_t control_port() const;

    // Serves until a stop command, the request limit, the time limit or `stop` becoming true.
    void run(const std::atomic<bool>* stop = nullptr);

  private:
    using Clock = std::chrono::steady_clock;

    struct PendingAnswer {
        Clock::time_point due;
        size_t socket;
        Endpoint to;
        std::string datagram;
    };

    void serve(size_t socket, const Datagram& datagram);
    void obey(const Datagram& datagram);
    void send_cancels();
    // Sends what the flood rate makes due since the flood began.
    void flood(Clock::time_point now);
    void send_due(Clock::time_point now);
    void send(size_t socket, Endpoint to, const std::string& datagram);
    double plant_seconds() const;
    double seconds_since_start() const;
    bool write_ready_file(std::string* error) const;
    bool finished() const;

    Options options_;
    Responder responder_;
    SocketLayer layer_;
    std::vector<UdpSocket> sockets_;
    std::optional<UdpSocket> control_;
    FILE* record_ = nullptr;
    Clock::time_point started_ = Clock::now();
    long requests_ = 0;
    long reads_answered_ = 0;
    bool stopping_ = false;
    std::vector<PendingAnswer> pending_;
    // Latest read request line of each client, by serving socket and client address.
    std::map<std::pair<size_t, uint64_t>, std::pair<Endpoint, std::string>> clients_;
    // Latest answer sent to each client, by serving socket and client address.
    std::map<std::pair<size_t, uint64_t>, std::pair<Endpoint, std::string>> answers_;
    int flood_rate_ = 0;
    Clock::time_point flood_started_;
    long flood_sent_ = 0;
};

} // namespace brixtel::zandor
