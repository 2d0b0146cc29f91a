// The socket layer over real loopback sockets: a connected UDP socket takes datagrams from its
// peer only, so nobody but the server can put an answer in front of the Receive thread.
#include "platform/net.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

// A sender with a source address and port of the test's choosing (0: any free port). The server
// is one too, bound to 127.0.0.1 alone, so that another address can take its port number.
class Stranger {
  public:
    Stranger(std::uint32_t address, std::uint16_t port) : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(address);
        local.sin_port = htons(port);
        bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0;
    }
    ~Stranger() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool bound() const { return bound_; }
    std::uint16_t port() const {
        sockaddr_in local{};
        socklen_t size = sizeof local;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
        return ntohs(local.sin_port);
    }
    bool send(std::uint16_t port, const std::string& bytes) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(kLoopback);
        to.sin_port = htons(port);
        return ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to),
                        sizeof to) == static_cast<ssize_t>(bytes.size());
    }

  private:
    int fd_;
    bool bound_ = false;
};

struct Sender {
    const char* name;
    std::uint32_t address;
    bool server_port; // the server's port number, else a free one
};

class ConnectedSocket : public ::testing::TestWithParam<Sender> {
  protected:
    void SetUp() override { ASSERT_EQ(net::startup(), 0); }
    void TearDown() override { net::cleanup(); }
};

TEST_P(ConnectedSocket, TakesNothingButItsPeersDatagrams) {
    const net::Socket program = net::create_udp_socket();
    ASSERT_TRUE(program);
    ASSERT_TRUE(net::bind_any(program, 0));
    const Stranger server(kLoopback, 0);
    ASSERT_TRUE(server.bound());
    const std::uint16_t program_port = net::local_port_of(program);
    const std::uint16_t server_port = server.port();
    ASSERT_TRUE(net::connect_to(program, kLoopback, server_port));
    ASSERT_TRUE(net::set_receive_timeout(program, 5000));

    const Sender& sender = GetParam();
    Stranger stranger(sender.address, sender.server_port ? server_port : 0);
    ASSERT_TRUE(stranger.bound()) << sender.name;
    // Empty, ordinary, forged and the largest datagrams; each would be read first if taken,
    // since loopback delivers every send before the call returns.
    const std::vector<std::string> forged = {
        "", "00010A2C,00000001 read output 1 02 05 1\nOK REAL\n-77777.25", std::string(65507, 'x')};
    for (const std::string& bytes : forged)
        ASSERT_TRUE(stranger.send(program_port, bytes));
    ASSERT_TRUE(server.send(program_port, "server"));

    char buffer[2048];
    const int got = net::receive_bytes(program, buffer, sizeof buffer);
    ASSERT_GE(got, 0) << net::last_error();
    EXPECT_EQ(std::string(buffer, got), "server") << sender.name;
    net::close_socket(program);
}

INSTANTIATE_TEST_SUITE_P(Strangers, ConnectedSocket,
                         ::testing::Values(Sender{"AnotherPort", kLoopback, false},
                                           Sender{"ServersPortOnAnotherAddress", 0x7F000002, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace brixtel
