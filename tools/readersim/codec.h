// Device-side frame codec of the reader link: building answer frames (DLE
// stuffing, two-character BCC, optional sealed payload) and cutting the host's
// byte stream into polls, acknowledgements, frames and stray bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim.h"

namespace sim {

constexpr std::uint8_t kSoh = 0x01, kStx = 0x02, kEtx = 0x03, kEnq = 0x05, kAck = 0x06,
                       kDle = 0x10, kDc1 = 0x11, kDc2 = 0x12, kNak = 0x15, kEtb = 0x17;

// Largest payload the device takes from the host; a longer frame is dropped.
constexpr std::size_t kMaxPayload = 8192;

// How an answer frame is to be spoilt on purpose.
struct FrameFaults {
  bool bad_bcc = false;       // BCC with its low bit flipped
  bool bcc_range = false;     // first BCC character 0x40
  bool other_address = false; // address character + 1
};

// Builds DLE <start> stuffed-payload DLE ETX bcc-hi bcc-lo. `start` is STX, SOH or ETB.
Bytes build_frame(std::uint8_t start, const Bytes& payload, const FrameFaults& faults);
// BCC: XOR of the stuffed body as sent (after DLE <start>, up to and including DLE ETX).
std::uint8_t frame_bcc(const Bytes& payload);

// CRC-8, polynomial 0x1D, MSB first, start value 0x53.
std::uint8_t crc8(const std::uint8_t* data, std::size_t n);
// AES-128 encryption of one 16-byte block in place under a 16-byte key.
void aes128_encrypt_block(const std::uint8_t key[16], std::uint8_t block[16]);
// Seals `plain` the way the link's receiver opens it: padded with zeros, the
// length field (one byte, or two bytes big-endian), the CRC-8 over everything
// before it, enciphered block by block. The one-byte form keeps the low 8 bits
// of the length only.
Bytes seal(const Bytes& plain, bool two_byte_length, const Bytes& key16);

// One unit cut out of the host's byte stream.
struct InUnit {
  Unit unit = Unit::Garbage;
  Bytes wire;
  Bytes payload;      // frames: unstuffed
  int address = 0;    // polls: character - 0x30
  bool bcc_ok = true;
};

// Incremental parser; robust against any byte sequence: a lone DLE inside a
// frame followed by a control character starts the next unit, too long frames
// and unknown sequences come out as garbage.
class StreamParser {
 public:
  void feed(const std::uint8_t* data, std::size_t n, std::vector<InUnit>* out);
  // Stray bytes collected so far are handed out (end of a read).
  void flush_garbage(std::vector<InUnit>* out);
  void reset();

 private:
  enum class State { Idle, AfterDle, PollAddress, Frame, FrameDle, BccHigh, BccLow };
  void byte(std::uint8_t b, std::vector<InUnit>* out);
  void after_dle(std::uint8_t b, std::vector<InUnit>* out);
  void emit(Unit unit, std::vector<InUnit>* out);
  void to_garbage();

  State state_ = State::Idle;
  Bytes wire_;     // bytes of the unit being read
  Bytes payload_;
  Bytes garbage_;
  std::uint8_t bcc_ = 0;
  std::uint8_t bcc_high_ = 0;  // first BCC character as received
  bool frame_ok_ = false;
};

}  // namespace sim
