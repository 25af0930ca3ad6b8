// The link layer reaches the serial and TCP/IP transports through this table of
// functions. It points at the platform transports; tests put a scripted device
// behind it (and run under the virtual clock), so that long waits never sleep.
#pragma once

#include <cstdint>

namespace rlink {

struct Transport {
  int (*com_open)(int port_index, int baud_index);
  int (*com_close)();
  int (*com_purge_output)();
  int (*com_purge_input)();
  int (*com_wait_input)(int ms);
  std::uint8_t (*com_read_byte)();
  int (*com_write_byte)(std::uint8_t byte, int ms);
  int (*com_read_exact)(int count, std::uint8_t* buf);
  int (*com_send)(const std::uint8_t* buf, int length);
  int (*tcp_connect)(const char* host, int port);
  int (*tcp_close)();
  int (*tcp_send)(const std::uint8_t* data, int length, int wait_ms);
  int (*tcp_receive)(std::uint8_t* buf, int length, int wait_ms);
  int (*tcp_wait_readable)(int wait_ms);
};

// The platform transports.
const Transport& platform_transport();
// The table in use.
const Transport& io();
// Replaces the table (null: back to the platform transports). The table must
// outlive its use.
void set_transport(const Transport* t);

}  // namespace rlink
