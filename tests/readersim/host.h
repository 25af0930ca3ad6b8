// A tiny host for driving the simulator in tests: raw bytes over the platform's
// TCP or serial transport, and frames built here by hand from the link's rules
// (independently of the simulator's own codec).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim.h"

namespace simtest {

using sim::Bytes;

constexpr std::uint8_t DLE = 0x10, STX = 0x02, ETX = 0x03, ENQ = 0x05, ACK = 0x06, NAK = 0x15, DC1 = 0x11,
                       DC2 = 0x12, SOH = 0x01, ETB = 0x17;

// DLE STX, stuffed payload, DLE ETX, two BCC characters.
Bytes frame(const Bytes& payload);
Bytes poll(int address);
// Payload from a string plus extra bytes: cmd("1Y", {0x0C}).
Bytes cmd(const std::string& text, const Bytes& more = {});
// The payload of a frame read from the line (stuffing undone), and whether its
// BCC characters are right.
Bytes payload_of(const Bytes& wire);
bool bcc_right(const Bytes& wire);

class Host {
 public:
  // Connects to 127.0.0.1:port, or opens the pty path as serial port 7.
  static Host tcp(int port);
  static Host serial(const std::string& path);
  Host(Host&& other) noexcept;
  ~Host();
  bool ok() const { return open_; }
  bool send(const Bytes& data);
  // Up to n bytes, waiting at most ms milliseconds for them.
  Bytes receive(std::size_t n, int ms = 500);
  // Everything that arrives until nothing came for quiet_ms.
  Bytes receive_all(int quiet_ms = 60);
  void close();

  // Link steps: a command frame and its acknowledgement (returns the 2 bytes).
  Bytes command(const Bytes& payload);
  // Reads one frame as it comes on the line (start, body, DLE ETX, BCC).
  Bytes read_frame();
  // Poll, fetch with "N", ACK, confirm with "Q" code: the delivered payload.
  // Empty when the poll was not answered with DC1.
  Bytes fetch(int address, std::uint8_t confirm);

 private:
  Host() = default;
  bool tcp_ = true;
  bool open_ = false;
};

}  // namespace simtest
