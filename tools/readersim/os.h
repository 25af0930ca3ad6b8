// The few operating-system calls the simulator needs as a device: a listening
// TCP socket, a pseudo-terminal master, a wake-up pipe, waiting and moving
// bytes. Kept in one file per system (os_posix.cpp, os_win32.cpp) so that the
// rest of the simulator stays portable. Windows has no pseudo-terminal here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim::os {

// Listening socket on host:port (port 0: any free port); the bound port goes to
// *bound. -1 on failure.
int tcp_listen(const std::string& host, int port, int* bound);
// Accepts a waiting connection (non-blocking, no delay). -1 when none.
int tcp_accept(int listen_fd);
// Acknowledges received TCP data at once (the setting lapses after each read),
// so that a host that does not switch off Nagle's algorithm is not held up by
// delayed acknowledgements between its small writes.
void tcp_quick_ack(int fd);
// Opens a pseudo-terminal master in raw mode; the slave path goes to *slave.
// The slave has been opened and closed once, so the master reports a hang-up
// until the host opens it. -1 on failure (always on Windows).
int pty_open(std::string* slave);
// True while no one holds the slave side open.
bool pty_hung_up(int master);
// A pipe whose read end wakes the serving loop: fds[0] read, fds[1] write.
bool wake_pipe(int fds[2]);
void wake(int write_fd);
void drain(int read_fd);

struct Wait {
  int fd = -1;
  bool readable = false;  // out: data (or end of file, or a hang-up) waiting
};
// Waits up to timeout_ms for one of the descriptors to become readable.
void wait_readable(std::vector<Wait>* fds, int timeout_ms);

// Reads what is there: the count, 0 at end of file, -1 on error or hang-up,
// -2 when nothing was waiting.
long read_some(int fd, std::uint8_t* buf, std::size_t n);
// Writes everything within about a second. False on failure.
bool write_all(int fd, const std::uint8_t* data, std::size_t n);
void close_fd(int fd);

// A descriptor for the standard input that wait_readable and read_some take:
// 0 on POSIX; on Windows, where select waits on sockets only, a loopback socket
// that a thread of its own fills from the standard input (closed at its end).
// -1 on failure.
int stdin_fd();

}  // namespace sim::os
