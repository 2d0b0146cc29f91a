#include "tools/zandor-sim/server.h"

#include "tools/zandor-sim/control.h"
#include "tools/zandor-sim/record.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace brixtel::zandor {

namespace {

// Longest wait of one round, so stop requests and the time limit are seen promptly.
constexpr auto kRound = std::chrono::milliseconds(100);
// Datagrams read from one socket per round, so one busy client cannot starve the others.
constexpr int kBurst = 256;
// How often the loop wakes while a flood runs.
constexpr auto kFloodRound = std::chrono::milliseconds(1);

uint64_t key_of(Endpoint endpoint) {
    return (uint64_t(endpoint.address) << 16) | endpoint.port;
}

void say(bool verbose, const std::string& text) {
    if (!verbose)
        return;
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

Server::Server(Options options, Plant plant)
    : options_(std::move(options)),
      responder_(std::move(plant), options_.behaviour, options_.seed) {}

Server::~Server() {
    if (record_)
        std::fclose(record_);
}

bool Server::open(std::string* error) {
    if (!layer_.ready()) {
        *error = "the socket layer could not be started";
        return false;
    }
    for (const uint16_t port : options_.ports) {
        auto socket = UdpSocket::bind({options_.address, port}, error);
        if (!socket)
            return false;
        sockets_.push_back(std::move(*socket));
    }
    if (options_.control_port) {
        control_ = UdpSocket::bind({kLoopback, *options_.control_port}, error);
        if (!control_)
            return false;
    }
    if (!options_.record_file.empty()) {
        // Binary, so the lines end with a line feed alone on every system.
        record_ = std::fopen(options_.record_file.c_str(), "wb");
        if (!record_) {
            *error = "cannot write the record file " + options_.record_file;
            return false;
        }
    }
    started_ = Clock::now();
    return write_ready_file(error);
}

std::vector<uint16_t> Server::ports() const {
    std::vector<uint16_t> ports;
    for (const UdpSocket& socket : sockets_)
        ports.push_back(socket.local_port());
    return ports;
}

uint16_t Server::control_port() const {
    return control_ ? control_->local_port() : 0;
}

bool Server::write_ready_file(std::string* error) const {
    if (options_.ready_file.empty())
        return true;
    std::string text;
    for (const uint16_t port : ports())
        text += "port " + std::to_string(port) + "\n";
    if (control_)
        text += "control " + std::to_string(control_port()) + "\n";
    // Written whole under another name first: a reader polling for the file never sees half.
    const std::string partial = options_.ready_file + ".partial";
    FILE* file = std::fopen(partial.c_str(), "wb");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file)
        std::fclose(file);
    std::remove(options_.ready_file.c_str());
    if (!written || std::rename(partial.c_str(), options_.ready_file.c_str()) != 0) {
        *error = "cannot write the ready file " + options_.ready_file;
        return false;
    }
    return true;
}

double Server::seconds_since_start() const {
    return std::chrono::duration<double>(Clock::now() - started_).count();
}

double Server::plant_seconds() const {
    return options_.time_step ? *options_.time_step * static_cast<double>(reads_answered_)
                              : seconds_since_start();
}

bool Server::finished() const {
    if (stopping_)
        return true;
    return options_.max_requests && requests_ >= *options_.max_requests && pending_.empty();
}

void Server::run(const std::atomic<bool>* stop) {
    const auto deadline = started_ + std::chrono::seconds(options_.max_seconds);
    std::vector<const UdpSocket*> watched;
    for (const UdpSocket& socket : sockets_)
        watched.push_back(&socket);
    if (control_)
        watched.push_back(&*control_);
    while (!finished() && !(stop && stop->load())) {
        const auto now = Clock::now();
        if (now >= deadline) {
            say(options_.verbose, "time limit reached");
            break;
        }
        auto wake = std::min(now + (flood_rate_ > 0 ? kFloodRound : kRound), deadline);
        for (const PendingAnswer& answer : pending_)
            wake = std::min(wake, answer.due);
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - now);
        for (const size_t ready : UdpSocket::wait_readable(
                 watched, static_cast<int>(std::max<long long>(0, wait.count())))) {
            for (int burst = 0; burst < kBurst; ++burst) {
                const auto datagram = watched[ready]->receive();
                if (!datagram)
                    break;
                if (ready < sockets_.size())
                    serve(ready, *datagram);
                else
                    obey(*datagram);
            }
        }
        send_due(Clock::now());
        flood(Clock::now());
    }
}

void Server::serve(size_t socket, const Datagram& datagram) {
    if (options_.max_requests && requests_ >= *options_.max_requests)
        return;
    ++requests_;
    const Request request = parse_request(datagram.bytes);
    Reply reply = responder_.respond(request, plant_seconds());
    if (request.kind == RequestKind::Read) {
        clients_[{socket, key_of(datagram.source)}] = {datagram.source, request.line};
        if (reply.datagram)
            ++reads_answered_;
    }
    const RecordLine line{seconds_since_start(), sockets_[socket].local_port(), datagram.source,
                          reply.disposition, datagram.bytes};
    const std::string text = record_line(line);
    if (record_) {
        std::fputs(text.c_str(), record_);
        std::fputc('\n', record_);
        std::fflush(record_);
    }
    say(options_.verbose, "<- " + text);
    if (!reply.datagram)
        return;
    answers_[{socket, key_of(datagram.source)}] = {datagram.source, *reply.datagram};
    pending_.push_back({Clock::now() + std::chrono::milliseconds(reply.delay_ms), socket,
                        datagram.source, std::move(*reply.datagram)});
}

void Server::obey(const Datagram& datagram) {
    ControlOutcome outcome = apply_control(datagram.bytes, responder_);
    switch (outcome.action) {
    case ServerAction::CancelNow:
        send_cancels();
        break;
    case ServerAction::Count:
        outcome.reply = "OK " + std::to_string(requests_);
        break;
    case ServerAction::Stop:
        stopping_ = true;
        break;
    case ServerAction::None:
        break;
    }
    say(options_.verbose, "control: " + datagram.bytes + " -> " + outcome.reply);
    control_->send_to(outcome.reply, datagram.source);
}

void Server::send_cancels() {
    for (const auto& [key, client] : clients_)
        send(key.first, client.first, cancel_answer(client.second));
}

void Server::flood(Clock::time_point now) {
    const int rate = responder_.behaviour().flood_per_second;
    if (rate != flood_rate_) {
        flood_rate_ = rate;
        flood_started_ = now;
        flood_sent_ = 0;
    }
    if (rate <= 0 || answers_.empty())
        return;
    const double elapsed = std::chrono::duration<double>(now - flood_started_).count();
    const long due = std::min<long>(static_cast<long>(elapsed * rate) - flood_sent_, kBurst);
    for (long i = 0; i < due; ++i) {
        for (const auto& [key, answer] : answers_)
            sockets_[key.first].send_to(answer.second, answer.first);
    }
    flood_sent_ += std::max<long>(due, 0);
}

void Server::send_due(Clock::time_point now) {
    // In arrival order, so equal delays keep the order of the requests.
    auto due =
        std::stable_partition(pending_.begin(), pending_.end(),
                              [&](const PendingAnswer& answer) { return answer.due <= now; });
    for (auto answer = pending_.begin(); answer != due; ++answer)
        send(answer->socket, answer->to, answer->datagram);
    pending_.erase(pending_.begin(), due);
}

void Server::send(size_t socket, Endpoint to, const std::string& datagram) {
    sockets_[socket].send_to(datagram, to);
    say(options_.verbose, "-> " + text_of(to) + " " + datagram);
}

} // namespace brixtel::zandor
