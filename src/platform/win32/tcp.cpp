// Winsock 1.1 backend of the TCP/IP transport. Readiness is checked in rounds:
// one select with a 100 microsecond time-out per round, then a 2 ms sleep.
#include <winsock2.h>

#include <cctype>
#include <cstring>

#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/tcp.h"

namespace platform {
namespace {

struct Connection {
  SOCKET sock = 0;    // kept after closing until the next connect
  bool live = false;  // the socket is still ours to shut down and close
  sockaddr_in address{};
};

Connection& conn() {
  static Connection c;
  return c;
}

bool ready(bool write) {
  if (!conn().live) return false;
  fd_set set;
  FD_ZERO(&set);
  FD_SET(conn().sock, &set);
  timeval wait{0, 100};
  int n = select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &wait);
  return n > 0 && FD_ISSET(conn().sock, &set);
}

bool wait_ready(bool write, int wait_ms) {
  int rounds = wait_ms / 2;
  if (rounds < 1) return ready(write);
  for (; rounds > 0; --rounds) {
    if (ready(write)) return true;
    sleep_ms(2);
  }
  return false;
}

}  // namespace

int tcp_startup() {
  WSADATA data;
  return WSAStartup(0x0101, &data) == 0 ? 0 : -1;
}

int tcp_cleanup() {
  WSACleanup();
  return 0;
}

bool tcp_lookup(const char* host, std::uint32_t* address) {
  if (!host) return false;
  if (!std::isdigit(static_cast<unsigned char>(host[0]))) {
    const hostent* found = gethostbyname(host);
    if (found && found->h_addrtype == AF_INET && found->h_addr_list && found->h_addr_list[0]) {
      std::memcpy(address, found->h_addr_list[0], sizeof *address);
      return true;
    }
  }
  *address = inet_addr(host);
  return *address != INADDR_NONE;
}

int tcp_connect(const char* host, int port) {
  Connection& c = conn();
  c.address = sockaddr_in{};
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return -1;
  c.sock = s;
  c.live = true;
  c.address.sin_family = AF_INET;
  c.address.sin_port = htons(static_cast<u_short>(port));
  std::uint32_t address = INADDR_NONE;
  tcp_lookup(host, &address);
  c.address.sin_addr.s_addr = address;
  if (fault::hit(fault::Op::TcpConnect) ||
      connect(s, reinterpret_cast<sockaddr*>(&c.address), sizeof c.address) != 0) {
    tcp_close();
    return -2;
  }
  // Frames are small and answered at once: no coalescing of small writes.
  BOOL on = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return 0;
}

int tcp_close() {
  Connection& c = conn();
  if (c.sock == 0) return 0;
  // A released socket is never touched again (its value may belong to another
  // socket by now): shutting it down counts as failed.
  if (!c.live) return -2;
  c.live = false;
  if (shutdown(c.sock, SD_BOTH) != 0) {
    // Released anyway so that a failed shutdown never leaks the socket.
    closesocket(c.sock);
    return -2;
  }
  // A socket handle is not a C runtime descriptor, so a failed closesocket is
  // only reported.
  if (closesocket(c.sock) != 0) return -3;
  return 0;
}

int tcp_send(const std::uint8_t* data, int length, int wait_ms) {
  if (!wait_ready(true, wait_ms)) return -1;
  fault::Kind kind = fault::Kind::Fail;
  int n = length;
  if (fault::hit(fault::Op::TcpSend, &kind)) {
    if (kind == fault::Kind::Fail) return -1;
    n = length > 0 ? length - 1 : 0;
  }
  return send(conn().sock, reinterpret_cast<const char*>(data), n, 0);
}

int tcp_receive(std::uint8_t* buf, int length, int wait_ms) {
  if (!wait_ready(false, wait_ms)) return -1;
  std::memset(buf, 0, static_cast<std::size_t>(length));
  fault::Kind kind = fault::Kind::Fail;
  int n = length;
  if (fault::hit(fault::Op::TcpReceive, &kind)) {
    if (kind == fault::Kind::Fail) return -1;
    n = length > 1 ? length - 1 : 1;
  }
  int got = recv(conn().sock, reinterpret_cast<char*>(buf), n, 0);
  if (got > 0) buf[got] = 0;
  return got;
}

int tcp_wait_readable(int wait_ms) { return wait_ready(false, wait_ms) ? 1 : 0; }

}  // namespace platform
