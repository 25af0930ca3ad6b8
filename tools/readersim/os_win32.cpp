// Winsock backend of the simulator's OS layer. Sockets stand in for the
// descriptors of the POSIX backend (a SOCKET value fits an int on Windows); the
// wake-up "pipe" is a pair of loopback UDP sockets, since select waits on
// sockets only. There is no pseudo-terminal here: pty_open reports failure.
#include "os.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <mutex>
#include <thread>

namespace sim::os {

namespace {

// The simulator may run before (or after) the program under test has started
// Winsock; it keeps a reference of its own for the life of the process.
bool winsock_ready() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    WSADATA data;
    ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return ok;
}

SOCKET sock(int fd) { return static_cast<SOCKET>(fd); }

int fd_of(SOCKET s) { return s == INVALID_SOCKET ? -1 : static_cast<int>(s); }

bool set_nonblocking(SOCKET s) {
  u_long on = 1;
  return ioctlsocket(s, FIONBIO, &on) == 0;
}

bool loopback_address(const std::string& host, int port, sockaddr_in* addr) {
  *addr = sockaddr_in{};
  addr->sin_family = AF_INET;
  addr->sin_port = htons(static_cast<u_short>(port));
  return port >= 0 && port <= 65535 && inet_pton(AF_INET, host.c_str(), &addr->sin_addr) == 1;
}

bool would_block() {
  const int e = WSAGetLastError();
  return e == WSAEWOULDBLOCK || e == WSAEINTR;
}

}  // namespace

int tcp_listen(const std::string& host, int port, int* bound) {
  sockaddr_in addr;
  if (!loopback_address(host, port, &addr) || !winsock_ready()) return -1;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return -1;
  // No address reuse: on Windows it would let a second listener take the port.
  const BOOL one = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
  int len = sizeof addr;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 4) != 0 ||
      !set_nonblocking(s) || getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    closesocket(s);
    return -1;
  }
  *bound = ntohs(addr.sin_port);
  return fd_of(s);
}

int tcp_accept(int listen_fd) {
  const SOCKET s = accept(sock(listen_fd), nullptr, nullptr);
  if (s == INVALID_SOCKET) return -1;
  const BOOL one = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  if (!set_nonblocking(s)) {
    closesocket(s);
    return -1;
  }
  return fd_of(s);
}

// Winsock has no per-read quick acknowledgement; the program's own transport
// switches off Nagle's algorithm, so nothing waits on a delayed ACK.
void tcp_quick_ack(int) {}

int pty_open(std::string*) { return -1; }

bool pty_hung_up(int) { return true; }

bool wake_pipe(int fds[2]) {
  if (!winsock_ready()) return false;
  sockaddr_in addr;
  loopback_address("127.0.0.1", 0, &addr);
  const SOCKET r = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  const SOCKET w = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  int len = sizeof addr;
  if (r == INVALID_SOCKET || w == INVALID_SOCKET ||
      bind(r, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      getsockname(r, reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
      connect(w, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || !set_nonblocking(r) ||
      !set_nonblocking(w)) {
    if (r != INVALID_SOCKET) closesocket(r);
    if (w != INVALID_SOCKET) closesocket(w);
    return false;
  }
  fds[0] = fd_of(r);
  fds[1] = fd_of(w);
  return true;
}

void wake(int write_fd) {
  const char b = 1;
  send(sock(write_fd), &b, 1, 0);
}

void drain(int read_fd) {
  char buf[64];
  while (recv(sock(read_fd), buf, sizeof buf, 0) > 0) {
  }
}

void wait_readable(std::vector<Wait>* fds, int timeout_ms) {
  if (fds->empty()) {  // select refuses an empty set
    Sleep(static_cast<DWORD>(timeout_ms));
    return;
  }
  fd_set set;
  FD_ZERO(&set);
  for (const Wait& w : *fds) FD_SET(sock(w.fd), &set);
  timeval wait{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  const int r = select(0, &set, nullptr, nullptr, &wait);
  for (Wait& w : *fds) w.readable = r > 0 && FD_ISSET(sock(w.fd), &set);
}

long read_some(int fd, std::uint8_t* buf, std::size_t n) {
  const int want = n > 0x10000 ? 0x10000 : static_cast<int>(n);
  const int r = recv(sock(fd), reinterpret_cast<char*>(buf), want, 0);
  if (r >= 0) return r;
  return would_block() ? -2 : -1;
}

bool write_all(int fd, const std::uint8_t* data, std::size_t n) {
  std::size_t done = 0;
  int waits = 0;
  while (done < n) {
    const std::size_t left = n - done;
    const int chunk = left > 0x10000 ? 0x10000 : static_cast<int>(left);
    const int w = send(sock(fd), reinterpret_cast<const char*>(data + done), chunk, 0);
    if (w > 0) {
      done += static_cast<std::size_t>(w);
      continue;
    }
    if (w < 0 && !would_block()) return false;
    if (++waits > 100) return false;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(sock(fd), &set);
    timeval wait{0, 10000};
    select(0, nullptr, &set, nullptr, &wait);
  }
  return true;
}

void close_fd(int fd) {
  if (fd >= 0) closesocket(sock(fd));
}

// The standard input (console, pipe or file) is copied by a thread of its own
// into one end of a connected loopback TCP pair; the serving loop waits on the
// other end like on any socket. End of input closes the writing end, which the
// reader sees as the end of the stream.
int stdin_fd() {
  if (!winsock_ready()) return -1;
  int port = 0;
  const int listener = tcp_listen("127.0.0.1", 0, &port);
  if (listener < 0) return -1;
  sockaddr_in addr;
  loopback_address("127.0.0.1", port, &addr);
  const SOCKET writer = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  SOCKET reader = INVALID_SOCKET;
  if (writer != INVALID_SOCKET && connect(writer, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(sock(listener), &set);
    timeval wait{2, 0};
    if (select(0, &set, nullptr, nullptr, &wait) > 0) reader = accept(sock(listener), nullptr, nullptr);
  }
  closesocket(sock(listener));
  if (reader == INVALID_SOCKET || !set_nonblocking(reader)) {
    if (writer != INVALID_SOCKET) closesocket(writer);
    if (reader != INVALID_SOCKET) closesocket(reader);
    return -1;
  }
  std::thread([writer] {
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buf[256];
    DWORD got = 0;
    while (in != nullptr && in != INVALID_HANDLE_VALUE && ReadFile(in, buf, sizeof buf, &got, nullptr) &&
           got > 0) {
      if (send(writer, buf, static_cast<int>(got), 0) != static_cast<int>(got)) break;
    }
    closesocket(writer);
  }).detach();
  return fd_of(reader);
}

}  // namespace sim::os
