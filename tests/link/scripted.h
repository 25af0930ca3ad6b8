// A scripted device behind the link's transport table, for tests under the
// virtual clock: the host's bytes are cut into polls, acknowledgements and
// frames, and a small reader model answers them. Waits advance the virtual
// clock instead of sleeping.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/support.h"

namespace scripted {

using testsupport::Bytes;

// The wire form of a frame: DLE start, stuffed payload, DLE ETX, BCC characters.
Bytes frame(const Bytes& payload, std::uint8_t start = 0x02);
// A plain frame with a wrong BCC.
Bytes bad_bcc_frame(const Bytes& payload);

struct HostUnit {
  enum Kind { Poll, Ack, Nak, Frame } kind;
  int address = 0;  // polls
  Bytes payload;    // frames
  bool bcc_ok = true;
};

struct Device {
  // What the device has sent and the host not yet read.
  std::deque<std::uint8_t> out;
  // Everything the host sent, cut into units, and the raw bytes.
  std::vector<HostUnit> seen;
  Bytes raw;
  // Deliveries queued per address (payload after the address character). A poll
  // answers DC1 while one is queued; "N" sends the first, "Q" removes it.
  std::deque<std::pair<int, Bytes>> deliveries;
  // Payloads (after the address character) of answer frames sent right after the
  // ACK of a command whose first byte matches the key.
  std::vector<std::pair<Bytes, Bytes>> answers;
  // Deliveries queued after the ACK of a command starting with the key (the
  // transparent and add commands are answered ">" unless overridden here).
  std::vector<std::pair<Bytes, Bytes>> followups;
  bool auto_prompt = true;    // "Y"/"P"/"W" commands get a ">" (or "C" for W) delivery
  bool silent = false;        // nothing is answered
  int nak_frames = 0;         // the next n frames are answered with DLE NAK
  int open_result = 1;        // com_open result / tcp_connect 0 or -2
  int close_result_serial = 1;
  int close_result_tcp = 0;
  int opens = 0, closes = 0;
  bool is_open = true;  // single exchanges run without an open; com_open/tcp_connect set it
  // Called for every unit the host sent, before the model answers; return true
  // when the hook answered the unit itself.
  std::function<bool(Device&, const HostUnit&)> hook;

  void send(const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); }
  void deliver(int address, const Bytes& after_address) { deliveries.push_back({address, after_address}); }
  // Frames the host sent, payload only.
  std::vector<Bytes> frames() const;
  // The frames whose second byte is `letter` (address character skipped).
  std::vector<Bytes> commands(std::uint8_t letter) const;
};

// Installs `d` as the link's transport (and the virtual clock); uninstalls at
// destruction.
class Install {
 public:
  explicit Install(Device& d);
  ~Install();
};

}  // namespace scripted
