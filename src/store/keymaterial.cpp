// The built-in key material of every installation: header and second keys, the
// key-header template and positions, the check bytes, the record-key offsets,
// the key-3 rearrangement and the filler of free records. Each value is put
// together from pieces at run time. Every data file depends on these values:
// they must never change.
#include <cstring>

#include "store/internal.h"

namespace store::detail {
namespace {

// The scrambled constant: filler text and check bytes. Byte i is stored XORed
// with (0x5A + 7 * i).
constexpr std::uint8_t kScrambled[] = {
    0x1F, 0x0F, 0x1A, 0x00, 0x1A, 0x50, 0xD7, 0xFF, 0xF3, 0xED, 0xC9, 0xC8, 0xC0,
    0x95, 0xFA, 0xB6, 0xAF, 0xBD, 0xB4, 0xA8, 0x83, 0x9F, 0x9F, 0xDB, 0x35, 0x58,
    0x22, 0x60, 0x3E, 0x6E, 0x48, 0x0A, 0x1A, 0x0D, 0x25, 0x7B, 0x76, 0x07, 0x1C,
    0x53, 0x52, 0x29, 0xF6, 0xB6, 0xAE, 0xC7, 0xE8, 0x95, 0x8A, 0xE8, 0xDA, 0x8C,
    0xE6, 0x83, 0xB7, 0xEE, 0xC2, 0xA1, 0x83, 0xC7, 0xDE, 0x42, 0x66};
constexpr int kScrambledLen = sizeof kScrambled;

std::uint8_t plain(int i) {
  i %= kScrambledLen;
  return static_cast<std::uint8_t>(kScrambled[i] ^ ((0x5A + 7 * i) & 0xFF));
}

// Key pieces: the header key interleaves the first two, the second key the
// other two, and both are mixed with the constant.
constexpr std::uint8_t kPieceA[8] = {0x3C, 0x91, 0x4E, 0xA7, 0x12, 0xD8, 0x65, 0xFB};
constexpr std::uint8_t kPieceB[8] = {0x8A, 0x27, 0xC3, 0x5D, 0xE9, 0x40, 0xB6, 0x1F};
constexpr std::uint8_t kPieceC[8] = {0x56, 0xE2, 0x0B, 0x98, 0x7D, 0x31, 0xAF, 0xC4};
constexpr std::uint8_t kPieceD[8] = {0xD1, 0x6B, 0x94, 0x2E, 0x53, 0xF7, 0x08, 0x8C};

// Per-position reduction of the password characters that gives the record key.
constexpr std::uint8_t kPasswordOffsets[16] = {3, 7, 1, 5, 2, 8, 4, 6, 9, 2, 5, 1, 7, 3, 6, 4};

// Key 3: byte i is record-key byte kKey3Order[i]; bytes 4 and 13 are altered.
constexpr std::uint8_t kKey3Order[16] = {11, 4, 15, 0, 7, 2, 13, 9, 5, 14, 1, 8, 3, 12, 6, 10};

}  // namespace

void builtin_key1(std::uint8_t out[16]) {
  for (int i = 0; i < 16; ++i) {
    std::uint8_t piece = (i % 2 == 0) ? kPieceA[i / 2] : kPieceB[i / 2];
    out[i] = static_cast<std::uint8_t>(piece ^ plain(5 + i));
  }
}

void builtin_key2(std::uint8_t out[16]) {
  for (int i = 0; i < 16; ++i) {
    std::uint8_t piece = (i < 8) ? kPieceC[7 - i] : kPieceD[i - 8];
    out[i] = static_cast<std::uint8_t>(piece ^ plain(40 - i) ^ (i * 0x1B));
  }
}

void header_template(std::uint8_t out[120]) {
  std::uint32_t x = 0x2545F491u;
  for (int i = 0; i < 120; ++i) {
    x = x * 1103515245u + 12345u;
    out[i] = static_cast<std::uint8_t>(plain(i * 5) ^ (x >> 16));
  }
}

int header_position(int item, int copy) {
  // 7 and 120 have no common factor, so the 60 positions are all different.
  return (7 * (item + 20 * copy) + 3) % 120;
}

std::uint8_t check_byte(int j) { return plain(17 + 6 * j); }

void derive_record_key(const std::string& password, std::uint8_t out[16]) {
  for (int i = 0; i < 16; ++i) {
    std::uint8_t c = i < static_cast<int>(password.size()) ? static_cast<std::uint8_t>(password[i]) : 0;
    out[i] = static_cast<std::uint8_t>(c - kPasswordOffsets[i]);
  }
}

void derive_key3(const std::uint8_t key0[16], std::uint8_t out[16]) {
  for (int i = 0; i < 16; ++i) out[i] = key0[kKey3Order[i]];
  out[4] = static_cast<std::uint8_t>(out[4] + 3);
  out[13] = static_cast<std::uint8_t>(out[13] - 5);
}

void default_rfid_key(std::uint8_t out[16]) {
  for (int i = 0; i < 16; ++i) out[i] = static_cast<std::uint8_t>(kPieceD[i % 8] ^ plain(23 + i));
}

void default_rfid_value(std::uint8_t out[16]) {
  for (int i = 0; i < 16; ++i) out[i] = static_cast<std::uint8_t>(kPieceA[(i + 3) % 8] + plain(50 - i));
}

void put_filler(std::uint8_t* rec, std::size_t off, std::size_t width, int start) {
  std::memset(rec + off, 0, width);
  for (std::size_t i = 0; i + 1 < width; ++i) rec[off + i] = plain(start + static_cast<int>(i));
}

int filler_start(int number, int field) { return (number * 3 + field) % 7; }

}  // namespace store::detail
