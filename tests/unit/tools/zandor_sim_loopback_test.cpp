// The simulator served over real UDP on 127.0.0.1, in this process.
#include "tools/zandor-sim/record.h"
#include "tools/zandor-sim/server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace brixtel::zandor {
namespace {

using namespace std::chrono_literals;

std::string read_request(int id, int block) {
    char text[64];
    std::snprintf(text, sizeof text, "00C0FFEE,%08X read output 1 02 05 %d", id, block);
    return text;
}

class Loopback : public ::testing::Test {
  protected:
    void start(Options options) {
        const auto unique = std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name();
        record_path_ = std::filesystem::temp_directory_path() / ("zandor-sim-" + unique + ".rec");
        options.record_file = record_path_.string();
        options.control_port = 0;
        if (options.ports.empty())
            options.ports = {0, 0};
        server_.emplace(options, *parse_plant(default_plant_text()).plant);
        std::string error;
        ASSERT_TRUE(server_->open(&error)) << error;
        thread_ = std::thread([this] { server_->run(&stop_); });
        auto client = UdpSocket::bind({kLoopback, 0}, &error);
        ASSERT_TRUE(client) << error;
        client_.emplace(std::move(*client));
    }

    void TearDown() override {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        std::error_code ignored;
        std::filesystem::remove(record_path_, ignored);
    }

    std::optional<Datagram> receive(std::chrono::milliseconds bound = 2000ms) {
        if (UdpSocket::wait_readable({&*client_}, static_cast<int>(bound.count())).empty())
            return std::nullopt;
        return client_->receive();
    }

    std::optional<std::string> ask(std::string_view request, uint16_t port) {
        client_->send_to(request, {kLoopback, port});
        auto answer = receive();
        return answer ? std::optional(answer->bytes) : std::nullopt;
    }

    std::string control(std::string_view command) {
        return ask(command, server_->control_port()).value_or("<no reply>");
    }

    std::vector<RecordLine> record() const {
        std::ifstream file(record_path_, std::ios::binary);
        std::vector<RecordLine> lines;
        for (std::string text; std::getline(file, text);)
            if (auto line = parse_record_line(text))
                lines.push_back(*line);
        return lines;
    }

    std::optional<Server> server_;
    std::optional<UdpSocket> client_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::filesystem::path record_path_;
};

TEST_F(Loopback, AnswersOnEveryPortFromThatPortAndRecordsTheSender) {
    start({});
    const auto ports = server_->ports();
    ASSERT_EQ(ports.size(), 2u);
    for (const uint16_t port : ports) {
        client_->send_to(read_request(1, 100), {kLoopback, port});
        const auto answer = receive();
        ASSERT_TRUE(answer) << "port " << port;
        EXPECT_EQ(answer->bytes, read_request(1, 100) + "\nOK REAL\n12.5 degC");
        EXPECT_EQ(answer->source, (Endpoint{kLoopback, port}));
    }
    const auto lines = record();
    ASSERT_EQ(lines.size(), 2u);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].local_port, ports[i]);
        EXPECT_EQ(lines[i].source, (Endpoint{kLoopback, client_->local_port()}));
        EXPECT_EQ(lines[i].request, read_request(1, 100));
        EXPECT_EQ(lines[i].disposition, "answered");
    }
    EXPECT_LE(lines[0].seconds, lines[1].seconds);
}

TEST_F(Loopback, ControlCommandsSilenceDelayAndCancel) {
    start({});
    const uint16_t port = server_->ports()[0];
    const std::string connstat = "00C0FFEE,5001 connstat 127.0.0.1 1 2 0 0 from tester";

    EXPECT_EQ(control("silent connstat"), "OK silent connstat");
    EXPECT_FALSE(ask(connstat, port));
    EXPECT_TRUE(ask(read_request(2, 104), port));
    EXPECT_EQ(control("silent"), "OK silent");
    EXPECT_FALSE(ask(read_request(2, 104), port));
    EXPECT_EQ(control("resume"), "OK resume");
    EXPECT_EQ(ask(connstat, port).value_or(""), connstat + "\nSUCCESS");

    EXPECT_EQ(control("delay 300"), "OK delay 300");
    const auto sent = std::chrono::steady_clock::now();
    EXPECT_EQ(ask(read_request(3, 104), port).value_or(""), read_request(3, 104) + "\nOK INT\n42");
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 250ms);
    EXPECT_EQ(control("delay 0"), "OK delay 0");

    // The latest read of the client carries the cancel, from the port the client used.
    client_->send_to("cancel now", {kLoopback, server_->control_port()});
    std::map<uint16_t, std::string> arrived;
    for (int i = 0; i < 2; ++i)
        if (const auto datagram = receive())
            arrived[datagram->source.port] = datagram->bytes;
    EXPECT_EQ(arrived[server_->control_port()], "OK cancel now");
    EXPECT_EQ(arrived[port], read_request(3, 104) + "\n0 cancel");
    EXPECT_EQ(control("count"), "OK 5");

    std::vector<std::string> dispositions;
    for (const RecordLine& line : record())
        dispositions.push_back(line.disposition);
    EXPECT_EQ(dispositions,
              (std::vector<std::string>{"silent", "answered", "silent", "answered", "delayed"}));
    EXPECT_EQ(control("stop"), "OK stop");
    thread_.join();
}

TEST_F(Loopback, StopsByItselfAfterTheRequestLimit) {
    Options options;
    options.max_requests = 1;
    start(options);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(ask(read_request(4, 100), server_->ports()[0]));
    thread_.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

TEST_F(Loopback, StopsByItselfAtTheTimeLimit) {
    Options options;
    options.max_seconds = 1;
    start(options);
    const auto started = std::chrono::steady_clock::now();
    thread_.join();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 800ms);
    EXPECT_LT(took, 5s);
}

} // namespace
} // namespace brixtel::zandor
