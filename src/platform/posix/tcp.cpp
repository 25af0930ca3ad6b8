// POSIX sockets backend of the TCP/IP transport. Readiness is checked in rounds:
// one 100 microsecond check per round, then a 2 ms sleep.
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/tcp.h"

namespace platform {
namespace {

struct Connection {
  int fd = -1;        // descriptor while it is ours
  bool made = false;  // a socket was created at least once (value not zero)
};

Connection& conn() {
  static Connection c;
  return c;
}

bool ready(short events) {
  if (conn().fd < 0) return false;
  pollfd p{conn().fd, events, 0};
  timespec wait{0, 100000};
  int n = ::ppoll(&p, 1, &wait, nullptr);
  return n > 0 && (p.revents & (events | POLLHUP | POLLERR)) != 0;
}

bool wait_ready(short events, int wait_ms) {
  int rounds = wait_ms / 2;
  if (rounds < 1) return ready(events);
  for (; rounds > 0; --rounds) {
    if (ready(events)) return true;
    sleep_ms(2);
  }
  return false;
}

}  // namespace

int tcp_startup() { return 0; }

int tcp_cleanup() { return 0; }

bool tcp_lookup(const char* host, std::uint32_t* address) {
  if (!host) return false;
  if (!std::isdigit(static_cast<unsigned char>(host[0]))) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) == 0 && found) {
      *address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
      ::freeaddrinfo(found);
      return true;
    }
  }
  *address = ::inet_addr(host);
  return *address != INADDR_NONE;
}

int tcp_connect(const char* host, int port) {
  Connection& c = conn();
  if (c.fd >= 0) ::close(c.fd);  // a socket the caller never closed
  c.fd = -1;
  std::uint32_t address = INADDR_NONE;
  const bool known = tcp_lookup(host, &address);
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  c.fd = fd;
  c.made = true;
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<std::uint16_t>(port));
  sa.sin_addr.s_addr = address;
  bool ok = !fault::hit(fault::Op::TcpConnect) && known &&
            ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
  if (!ok) {
    tcp_close();
    return -2;
  }
  // Frames are small and answered at once: no coalescing of small writes.
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return 0;
}

int tcp_close() {
  Connection& c = conn();
  if (!c.made) return 0;
  // The socket value is kept after closing: shutting down a socket that is
  // already released fails, as it does for the value kept on Windows.
  if (c.fd < 0) return -2;
  int fd = c.fd;
  c.fd = -1;
  if (::shutdown(fd, SHUT_RDWR) != 0) {
    // Released anyway, so that a failed shutdown never leaks the descriptor.
    ::close(fd);
    return -2;
  }
  if (::close(fd) != 0) return -3;
  return 0;
}

int tcp_send(const std::uint8_t* data, int length, int wait_ms) {
  if (!wait_ready(POLLOUT, wait_ms)) return -1;
  fault::Kind kind = fault::Kind::Fail;
  int n = length;
  if (fault::hit(fault::Op::TcpSend, &kind)) {
    if (kind == fault::Kind::Fail) return -1;
    n = length > 0 ? length - 1 : 0;
  }
  ssize_t sent = ::send(conn().fd, data, static_cast<std::size_t>(n), MSG_NOSIGNAL | MSG_DONTWAIT);
  return static_cast<int>(sent);
}

int tcp_receive(std::uint8_t* buf, int length, int wait_ms) {
  if (!wait_ready(POLLIN, wait_ms)) return -1;
  std::memset(buf, 0, static_cast<std::size_t>(length));
  fault::Kind kind = fault::Kind::Fail;
  int n = length;
  if (fault::hit(fault::Op::TcpReceive, &kind)) {
    if (kind == fault::Kind::Fail) return -1;
    n = length > 1 ? length - 1 : 1;
  }
  ssize_t got = ::recv(conn().fd, buf, static_cast<std::size_t>(n), MSG_DONTWAIT);
  if (got > 0) buf[got] = 0;
  return static_cast<int>(got);
}

int tcp_wait_readable(int wait_ms) { return wait_ready(POLLIN, wait_ms) ? 1 : 0; }

}  // namespace platform
