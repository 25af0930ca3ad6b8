// A transport for the link fuzz targets: the device's bytes come from the fuzz
// input, whatever the host sends is accepted and dropped, and every wait is
// decided at once (the virtual clock is on, so sleeps cost nothing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "link/link.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/headless/boxes.h"

namespace fuzzlink {

struct Feed {
  std::vector<std::uint8_t> bytes;
  std::size_t at = 0;
  std::size_t left() const { return bytes.size() - at; }
  std::uint8_t next() { return at < bytes.size() ? bytes[at++] : 0; }
};

inline Feed& feed() {
  static Feed f;
  return f;
}

inline int ok_open(int, int) { return 1; }
inline int ok_close() { return 1; }
inline int ok_purge() { return 1; }
inline int wait_input(int) { return feed().left() > 0 ? 1 : 0; }
inline std::uint8_t read_byte() { return feed().next(); }
inline int write_byte(std::uint8_t, int) { return 1; }
inline int read_exact(int count, std::uint8_t* buf) {
  if (count <= 0 || feed().left() < static_cast<std::size_t>(count)) return 0;
  for (int i = 0; i < count; ++i) buf[i] = feed().next();
  return count;
}
inline int send(const std::uint8_t*, int) { return 1; }
inline int connect(const char*, int) { return 0; }
inline int tcp_close() { return 0; }
inline int tcp_send(const std::uint8_t*, int length, int) { return length; }
inline int tcp_receive(std::uint8_t* buf, int length, int) {
  if (feed().left() == 0) return -1;
  int n = 0;
  while (n < length && feed().left() > 0) buf[n++] = feed().next();
  buf[n] = 0;
  return n;
}
inline int readable(int) { return feed().left() > 0 ? 1 : 0; }

inline const rlink::Transport& transport() {
  static const rlink::Transport t = {ok_open,  ok_close,   ok_purge,   ok_purge,  wait_input,
                                     read_byte, write_byte, read_exact, send,      connect,
                                     tcp_close, tcp_send,   tcp_receive, readable};
  return t;
}

// Sets up the link for one input: the bytes the device sends, the transport
// switch, a clean state and no recorded boxes.
inline void begin(const std::uint8_t* data, std::size_t size, bool tcp) {
  static bool once = false;
  if (!once) {
    platform::vclock::enable(platform::LocalTime{});
    rlink::set_transport(&transport());
    once = true;
  }
  feed().bytes.assign(data, data + size);
  feed().at = 0;
  rlink::reset_link();
  rlink::state().via_tcp = tcp ? 1 : 0;
  ui::headless::clear_boxes();
}

}  // namespace fuzzlink
