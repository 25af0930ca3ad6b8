// POSIX serial backend (termios). "Not shared" is an exclusive advisory lock
// plus TIOCEXCL; the port runs raw 8N1 with no flow control and reads that return
// at once with whatever is buffered (VMIN 0, VTIME 0). Windows driver queue
// sizes and time-out records have no POSIX counterpart; the time-outs are part
// of the termios settings and are saved and restored with them.
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/serial.h"

namespace platform {
namespace {

struct Channel {
  int fd = -1;
  termios saved{};
  int byte_rate = 1;
  std::map<int, std::string> devices;
};

Channel& chan() {
  static Channel c;
  return c;
}

speed_t speed_of(int baud_index) {
  switch (baud_index) {
    case 0: return B115200;
    case 1: return B57600;
    case 2: return B38400;
    case 3: return B19200;
    default: return B9600;
  }
}

bool output_drained() {
  int pending = 0;
  if (::ioctl(chan().fd, TIOCOUTQ, &pending) != 0) return true;
  return pending == 0;
}

// Up to `rounds` checks 2 ms apart for an empty output queue.
bool wait_output_drained(int rounds) {
  for (int i = 0; i < rounds; ++i) {
    if (output_drained()) return true;
    sleep_ms(2);
  }
  return output_drained();
}

int bytes_waiting() {
  int n = 0;
  if (::ioctl(chan().fd, FIONREAD, &n) != 0) return 0;
  return n;
}

void close_fd() {
  ::close(chan().fd);
  chan().fd = -1;
}

}  // namespace

std::string com_device_name(int port_index) {
  auto it = chan().devices.find(port_index);
  if (it != chan().devices.end()) return it->second;
  return "/dev/ttyS" + std::to_string(port_index);
}

void com_set_device(int port_index, const std::string& path) { chan().devices[port_index] = path; }

void com_reset_devices() { chan().devices.clear(); }

bool com_is_open() { return chan().fd >= 0; }

int com_open(int port_index, int baud_index) {
  Channel& c = chan();
  if (c.fd >= 0) com_close();
  if (fault::hit(fault::Op::SerialOpen)) return -1;
  int fd = ::open(com_device_name(port_index).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  c.fd = fd;
  termios work{};
  if (::tcgetattr(fd, &c.saved) != 0) {
    close_fd();
    return -3;
  }
  if (::tcgetattr(fd, &work) != 0) {
    close_fd();
    return -4;
  }
  ::cfmakeraw(&work);
  work.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE | CRTSCTS);
  work.c_cflag |= CS8 | CLOCAL | CREAD;
  work.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
  work.c_cc[VMIN] = 0;
  work.c_cc[VTIME] = 0;
  ::cfsetispeed(&work, speed_of(baud_index));
  ::cfsetospeed(&work, speed_of(baud_index));
  if (::tcsetattr(fd, TCSANOW, &work) != 0) {
    close_fd();
    return -5;
  }
  // DTR and RTS on; a pseudo-terminal has no modem lines, so a refusal is fine.
  int lines = TIOCM_DTR | TIOCM_RTS;
  (void)::ioctl(fd, TIOCMBIS, &lines);
  // Keeps other openers out while we hold the port.
  (void)::ioctl(fd, TIOCEXCL);
  c.byte_rate = com_byte_rate(baud_index);
  ::tcflush(fd, TCIOFLUSH);
  return 1;
}

int com_close() {
  Channel& c = chan();
  if (c.fd < 0) return 1;
  (void)::ioctl(c.fd, TIOCNXCL);
  bool restored = ::tcsetattr(c.fd, TCSANOW, &c.saved) == 0;
  // On POSIX the descriptor is released even when close reports an error, so
  // the channel is closed either way.
  int rc = ::close(c.fd);
  c.fd = -1;
  if (rc != 0) return restored ? -5 : -6;
  return 1;
}

int com_purge_output() {
  if (chan().fd >= 0) ::tcflush(chan().fd, TCOFLUSH);
  return 1;
}

int com_purge_input() {
  if (chan().fd >= 0) ::tcflush(chan().fd, TCIFLUSH);
  return 1;
}

int com_input_waiting() {
  if (chan().fd < 0) return 0;
  return bytes_waiting() > 0 ? 1 : 0;
}

int com_wait_input(int ms) {
  for (int round = ms / 2; round > 0; --round) {
    if (com_input_waiting()) return 1;
    sleep_ms(2);
  }
  return 0;
}

std::uint8_t com_read_byte() {
  if (chan().fd < 0) return 0;
  if (fault::hit(fault::Op::SerialRead)) return 0;
  std::uint8_t cell = 0;
  if (::read(chan().fd, &cell, 1) != 1) return 0;
  return cell;
}

int com_write_byte(std::uint8_t byte, int ms) {
  if (chan().fd < 0) return 0;
  wait_output_drained(ms / 2);
  if (fault::hit(fault::Op::SerialWrite)) return 0;
  return ::write(chan().fd, &byte, 1) == 1 ? 1 : 0;
}

int com_read_exact(int count, std::uint8_t* buf) {
  if (chan().fd < 0 || count <= 0) return 0;
  int rounds = 50;
  while (bytes_waiting() < count) {
    if (rounds-- == 0) return 0;
    sleep_ms(2);
  }
  int got = 0;
  for (; got < count; ++got) {
    if (fault::hit(fault::Op::SerialRead)) break;
    if (::read(chan().fd, buf + got, 1) != 1) break;
  }
  return got;
}

int com_send(const std::uint8_t* buf, int length) {
  Channel& c = chan();
  if (c.fd < 0 || length < 0) return 0;
  if (!wait_output_drained(50)) return 0;
  fault::Kind kind = fault::Kind::Fail;
  int to_write = length;
  if (fault::hit(fault::Op::SerialWrite, &kind)) {
    if (kind == fault::Kind::Fail) return 0;
    to_write = length > 0 ? length - 1 : 0;
  }
  // Completion must come within length / byte-rate + 50 ms.
  int rounds = length / c.byte_rate + 50;
  int done = 0;
  while (done < to_write) {
    ssize_t n = ::write(c.fd, buf + done, static_cast<std::size_t>(to_write - done));
    if (n > 0) {
      done += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return 0;
    if (rounds-- <= 0) break;
    sleep_ms(1);
  }
  if (done < to_write) ::tcflush(c.fd, TCOFLUSH);
  return done == length ? 1 : 0;
}

}  // namespace platform
