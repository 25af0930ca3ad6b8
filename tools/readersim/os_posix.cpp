#include "os.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace sim::os {

namespace {

bool set_nonblocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

int tcp_listen(const std::string& host, int port, int* bound) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  if (port < 0 || port > 65535 || inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) return -1;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0 ||
      !set_nonblocking(fd) || getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    return -1;
  }
  *bound = ntohs(addr.sin_port);
  return fd;
}

int tcp_accept(int listen_fd) {
  const int fd = accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return -1;
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

void tcp_quick_ack(int fd) {
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
}

int pty_open(std::string* slave) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return -1;
  char name[128];
  termios tio{};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0 ||
      tcgetattr(master, &tio) != 0) {
    close(master);
    return -1;
  }
  cfmakeraw(&tio);
  tcsetattr(master, TCSANOW, &tio);
  // Open and close the slave once: from then on the master shows a hang-up
  // while no one holds the slave, which is how opens and closes are seen.
  const int s = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (s < 0 || !set_nonblocking(master)) {
    if (s >= 0) close(s);
    close(master);
    return -1;
  }
  close(s);
  *slave = name;
  return master;
}

bool pty_hung_up(int master) {
  pollfd p{master, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0;
}

bool wake_pipe(int fds[2]) { return pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0; }

void wake(int write_fd) {
  const std::uint8_t b = 1;
  (void)!write(write_fd, &b, 1);
}

void drain(int read_fd) {
  std::uint8_t buf[64];
  while (read(read_fd, buf, sizeof buf) > 0) {
  }
}

void wait_readable(std::vector<Wait>* fds, int timeout_ms) {
  std::vector<pollfd> p;
  for (const Wait& w : *fds) p.push_back(pollfd{w.fd, POLLIN, 0});
  const int r = poll(p.data(), p.size(), timeout_ms);
  for (std::size_t i = 0; i < p.size(); ++i)
    (*fds)[i].readable = r > 0 && (p[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

long read_some(int fd, std::uint8_t* buf, std::size_t n) {
  const ssize_t r = read(fd, buf, n);
  if (r >= 0) return static_cast<long>(r);
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? -2 : -1;
}

bool write_all(int fd, const std::uint8_t* data, std::size_t n) {
  std::size_t done = 0;
  int waits = 0;
  while (done < n) {
    const ssize_t r = send(fd, data + done, n - done, MSG_NOSIGNAL);
    const ssize_t w = r < 0 && errno == ENOTSOCK ? write(fd, data + done, n - done) : r;
    if (w > 0) {
      done += static_cast<std::size_t>(w);
      continue;
    }
    if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    if (++waits > 100) return false;
    pollfd p{fd, POLLOUT, 0};
    poll(&p, 1, 10);
  }
  return true;
}

void close_fd(int fd) {
  if (fd >= 0) close(fd);
}

int stdin_fd() { return 0; }

}  // namespace sim::os
