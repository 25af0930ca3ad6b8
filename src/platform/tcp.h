// TCP/IP transport: one process-wide stream connection, opened and closed per
// reader operation, with short bounded readiness waits. Every transfer goes
// through the fault seam (TcpConnect/Send/Receive); waits sleep through
// platform::sleep_ms.
#pragma once

#include <cstdint>

namespace platform {

// Starts the socket library (version 1.1 on Windows). 0 ok, -1 failed.
int tcp_startup();
// Releases the socket library. 0.
int tcp_cleanup();
// The IPv4 address of `host` in network byte order: host text starting with a
// digit is taken as a dotted address, anything else is looked up by name.
// False when it names no address. On Windows after tcp_startup.
bool tcp_lookup(const char* host, std::uint32_t* address);
// Connects to tcp_lookup(host) at `port`. 0 connected; -1 no socket; -2 the connection failed
// (tcp_close has then been called on the new socket).
int tcp_connect(const char* host, int port);
// 0 when there is no socket or it was shut down and closed; -2 shutting down
// failed; -3 closing failed. The socket value is kept until the next connect, so
// closing again (or closing after a failed connect) fails on the shutdown: -2.
int tcp_close();
// Waits up to wait_ms/2 rounds for writability, then one send call: returns its
// count (negative on error); -1 without sending when not writable in time.
int tcp_send(const std::uint8_t* data, int length, int wait_ms);
// Waits for readability, clears length bytes of buf, one receive call of at most
// length bytes: the count (0 peer closed, negative error), and after a positive
// count a terminating zero byte, so buf holds length + 1 bytes. -1 when nothing
// became readable in time.
int tcp_receive(std::uint8_t* buf, int length, int wait_ms);
// 1 as soon as data is waiting, 0 when wait_ms/2 rounds ran out (one check for a
// wait below 2 ms).
int tcp_wait_readable(int wait_ms);

}  // namespace platform
