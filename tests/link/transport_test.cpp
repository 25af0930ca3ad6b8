// The POSIX serial transport on a pseudo-terminal and the TCP/IP transport on
// loopback sockets: results, waits and rounds, fault injection. The peers are
// POSIX pseudo-terminals and sockets; on Windows the transports are exercised by
// the operation tests against the simulator instead.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/serial.h"
#include "platform/tcp.h"

namespace {

struct Pty {
  int master = -1;
  std::string slave;
  Pty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
    slave = ::ptsname(master);
  }
  ~Pty() {
    if (master >= 0) ::close(master);
  }
  void write_bytes(const std::string& s) { ASSERT_EQ(::write(master, s.data(), s.size()), static_cast<ssize_t>(s.size())); }
  std::string read_bytes(std::size_t n) {
    std::string s;
    for (int tries = 0; s.size() < n && tries < 200; ++tries) {
      char buf[256];
      ssize_t got = ::read(master, buf, sizeof buf);
      if (got > 0) s.append(buf, static_cast<std::size_t>(got));
      else ::usleep(1000);
    }
    return s;
  }
};

struct Serial : ::testing::Test {
  Pty pty;
  void SetUp() override {
    ASSERT_FALSE(pty.slave.empty());
    int flags = ::fcntl(pty.master, F_GETFL);
    ::fcntl(pty.master, F_SETFL, flags | O_NONBLOCK);
    platform::com_set_device(4, pty.slave);
    platform::fault::reset();
  }
  void TearDown() override {
    platform::com_close();
    platform::com_reset_devices();
    platform::fault::reset();
    platform::vclock::disable();
  }
};

TEST_F(Serial, BaudTableAndDeviceNames) {
  EXPECT_EQ(platform::com_baud_rate(0), 115200);
  EXPECT_EQ(platform::com_byte_rate(0), 10);
  EXPECT_EQ(platform::com_baud_rate(3), 19200);
  EXPECT_EQ(platform::com_byte_rate(3), 2);
  for (int odd : {4, 5, -1, 99}) {
    EXPECT_EQ(platform::com_baud_rate(odd), 9600);
    EXPECT_EQ(platform::com_byte_rate(odd), 1);
  }
  EXPECT_EQ(platform::com_device_name(0), "/dev/ttyS0");
  EXPECT_EQ(platform::com_device_name(4), pty.slave);
}

TEST_F(Serial, OpenTransferClose) {
  ASSERT_EQ(platform::com_open(4, 0), 1);
  EXPECT_TRUE(platform::com_is_open());
  const std::uint8_t out[] = {0x10, 0x05, 0x31};
  EXPECT_EQ(platform::com_send(out, 3), 1);
  EXPECT_EQ(pty.read_bytes(3), std::string("\x10\x05\x31", 3));
  EXPECT_EQ(platform::com_write_byte(0x06, 50), 1);
  EXPECT_EQ(pty.read_bytes(1), "\x06");
  pty.write_bytes("AB");
  EXPECT_EQ(platform::com_wait_input(200), 1);
  std::uint8_t in[2] = {};
  EXPECT_EQ(platform::com_read_exact(2, in), 2);
  EXPECT_EQ(in[0], 'A');
  EXPECT_EQ(in[1], 'B');
  // One byte where two are asked: nothing read, the byte stays queued.
  pty.write_bytes("C");
  EXPECT_EQ(platform::com_read_exact(2, in), 0);
  EXPECT_EQ(platform::com_input_waiting(), 1);
  EXPECT_EQ(platform::com_read_byte(), 'C');
  EXPECT_EQ(platform::com_close(), 1);
  EXPECT_FALSE(platform::com_is_open());
  EXPECT_EQ(platform::com_close(), 1);
}

TEST_F(Serial, WaitsCountRoundsOfTwoMilliseconds) {
  ASSERT_EQ(platform::com_open(4, 1), 1);
  platform::vclock::enable(platform::LocalTime{});
  EXPECT_EQ(platform::com_wait_input(1), 0);
  EXPECT_EQ(platform::vclock::elapsed(), 0u);
  EXPECT_EQ(platform::com_wait_input(101), 0);
  EXPECT_EQ(platform::vclock::elapsed(), 100u);
  std::uint8_t in[2];
  EXPECT_EQ(platform::com_read_exact(2, in), 0);
  EXPECT_EQ(platform::vclock::elapsed(), 200u);
}

TEST_F(Serial, OpenFailures) {
  platform::com_set_device(5, "/nonexistent/tty");
  EXPECT_EQ(platform::com_open(5, 0), -1);
  EXPECT_FALSE(platform::com_is_open());
  // A port held by another opener.
  int holder = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(platform::com_open(4, 0), -1);
  EXPECT_FALSE(platform::com_is_open());
  ::close(holder);
  platform::fault::arm(platform::fault::Op::SerialOpen, 1);
  EXPECT_EQ(platform::com_open(4, 0), -1);
  EXPECT_EQ(platform::com_open(4, 0), 1);
}

TEST_F(Serial, InjectedTransferFaults) {
  ASSERT_EQ(platform::com_open(4, 0), 1);
  const std::uint8_t out[] = {1, 2, 3, 4};
  platform::fault::arm(platform::fault::Op::SerialWrite, 1, platform::fault::Kind::Short);
  EXPECT_EQ(platform::com_send(out, 4), 0);
  EXPECT_EQ(pty.read_bytes(3), std::string("\x01\x02\x03", 3));
  platform::fault::arm(platform::fault::Op::SerialWrite, 1);
  EXPECT_EQ(platform::com_write_byte(9, 10), 0);
  pty.write_bytes("Z");
  ASSERT_EQ(platform::com_wait_input(200), 1);
  platform::fault::arm(platform::fault::Op::SerialRead, 1);
  EXPECT_EQ(platform::com_read_byte(), 0);
  // Nothing is sent or read once closed.
  platform::com_close();
  EXPECT_EQ(platform::com_send(out, 4), 0);
  EXPECT_EQ(platform::com_input_waiting(), 0);
  EXPECT_EQ(platform::com_purge_input(), 1);
}

struct Tcp : ::testing::Test {
  int listener = -1;
  int port = 0;
  int peer = -1;
  void SetUp() override {
    platform::fault::reset();
    ASSERT_EQ(platform::tcp_startup(), 0);
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    socklen_t len = sizeof a;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
  }
  void TearDown() override {
    platform::tcp_close();
    if (peer >= 0) ::close(peer);
    ::close(listener);
    platform::fault::reset();
    platform::vclock::disable();
  }
  void accept_peer() { peer = ::accept(listener, nullptr, nullptr); }
};

TEST_F(Tcp, ConnectSendReceiveClose) {
  ASSERT_EQ(platform::tcp_connect("127.0.0.1", port), 0);
  accept_peer();
  ASSERT_GE(peer, 0);
  const std::uint8_t out[] = {0x10, 0x06};
  EXPECT_EQ(platform::tcp_send(out, 2, 100), 2);
  char got[4] = {};
  EXPECT_EQ(::recv(peer, got, 2, MSG_WAITALL), 2);
  EXPECT_EQ(got[1], 0x06);
  ASSERT_EQ(::send(peer, "xyz", 3, 0), 3);
  EXPECT_EQ(platform::tcp_wait_readable(200), 1);
  std::uint8_t in[3] = {0xFF, 0xFF, 0xFF};
  EXPECT_EQ(platform::tcp_receive(in, 2, 200), 2);
  EXPECT_EQ(in[0], 'x');
  EXPECT_EQ(in[2], 0);  // terminating zero after the count
  EXPECT_EQ(platform::tcp_close(), 0);
  // The value is kept: closing again fails on the shutdown.
  EXPECT_EQ(platform::tcp_close(), -2);
}

TEST_F(Tcp, HostNamesAndAddresses) {
  ASSERT_EQ(platform::tcp_connect("localhost", port), 0);
  accept_peer();
  EXPECT_GE(peer, 0);
  EXPECT_EQ(platform::tcp_close(), 0);
  // Starts with a digit but is no dotted address: no lookup, no address.
  EXPECT_EQ(platform::tcp_connect("1x.example", port), -2);
  EXPECT_EQ(platform::tcp_close(), -2);
  EXPECT_EQ(platform::tcp_connect("no-such-host.invalid", port), -2);
  platform::fault::arm(platform::fault::Op::TcpConnect, 1);
  EXPECT_EQ(platform::tcp_connect("127.0.0.1", port), -2);
}

TEST_F(Tcp, SilentConnectionWaitsItsRounds) {
  ASSERT_EQ(platform::tcp_connect("127.0.0.1", port), 0);
  accept_peer();
  platform::vclock::enable(platform::LocalTime{});
  std::uint8_t in[8];
  EXPECT_EQ(platform::tcp_receive(in, 4, 100), -1);
  EXPECT_EQ(platform::vclock::elapsed(), 100u);
  EXPECT_EQ(platform::tcp_wait_readable(1), 0);
  EXPECT_EQ(platform::vclock::elapsed(), 100u);
  // Peer closed: readable, count 0.
  ::close(peer);
  peer = -1;
  EXPECT_EQ(platform::tcp_receive(in, 4, 100), 0);
}

TEST_F(Tcp, InjectedFaults) {
  ASSERT_EQ(platform::tcp_connect("127.0.0.1", port), 0);
  accept_peer();
  const std::uint8_t out[] = {1, 2, 3, 4};
  platform::fault::arm(platform::fault::Op::TcpSend, 1, platform::fault::Kind::Short);
  EXPECT_EQ(platform::tcp_send(out, 4, 100), 3);
  platform::fault::arm(platform::fault::Op::TcpSend, 1);
  EXPECT_EQ(platform::tcp_send(out, 4, 100), -1);
  ASSERT_EQ(::send(peer, "ab", 2, 0), 2);
  platform::fault::arm(platform::fault::Op::TcpReceive, 1);
  std::uint8_t in[8];
  EXPECT_EQ(platform::tcp_receive(in, 4, 200), -1);
  EXPECT_EQ(platform::tcp_receive(in, 4, 200), 2);
}

}  // namespace
#endif  // _WIN32
