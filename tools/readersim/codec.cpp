#include "codec.h"

#include <cstring>

namespace sim {

namespace {

const std::uint8_t kSbox[256] = {
    0x63, 0x7c, 0x77, 0x7b, 0xf2, 0x6b, 0x6f, 0xc5, 0x30, 0x01, 0x67, 0x2b, 0xfe, 0xd7, 0xab, 0x76,
    0xca, 0x82, 0xc9, 0x7d, 0xfa, 0x59, 0x47, 0xf0, 0xad, 0xd4, 0xa2, 0xaf, 0x9c, 0xa4, 0x72, 0xc0,
    0xb7, 0xfd, 0x93, 0x26, 0x36, 0x3f, 0xf7, 0xcc, 0x34, 0xa5, 0xe5, 0xf1, 0x71, 0xd8, 0x31, 0x15,
    0x04, 0xc7, 0x23, 0xc3, 0x18, 0x96, 0x05, 0x9a, 0x07, 0x12, 0x80, 0xe2, 0xeb, 0x27, 0xb2, 0x75,
    0x09, 0x83, 0x2c, 0x1a, 0x1b, 0x6e, 0x5a, 0xa0, 0x52, 0x3b, 0xd6, 0xb3, 0x29, 0xe3, 0x2f, 0x84,
    0x53, 0xd1, 0x00, 0xed, 0x20, 0xfc, 0xb1, 0x5b, 0x6a, 0xcb, 0xbe, 0x39, 0x4a, 0x4c, 0x58, 0xcf,
    0xd0, 0xef, 0xaa, 0xfb, 0x43, 0x4d, 0x33, 0x85, 0x45, 0xf9, 0x02, 0x7f, 0x50, 0x3c, 0x9f, 0xa8,
    0x51, 0xa3, 0x40, 0x8f, 0x92, 0x9d, 0x38, 0xf5, 0xbc, 0xb6, 0xda, 0x21, 0x10, 0xff, 0xf3, 0xd2,
    0xcd, 0x0c, 0x13, 0xec, 0x5f, 0x97, 0x44, 0x17, 0xc4, 0xa7, 0x7e, 0x3d, 0x64, 0x5d, 0x19, 0x73,
    0x60, 0x81, 0x4f, 0xdc, 0x22, 0x2a, 0x90, 0x88, 0x46, 0xee, 0xb8, 0x14, 0xde, 0x5e, 0x0b, 0xdb,
    0xe0, 0x32, 0x3a, 0x0a, 0x49, 0x06, 0x24, 0x5c, 0xc2, 0xd3, 0xac, 0x62, 0x91, 0x95, 0xe4, 0x79,
    0xe7, 0xc8, 0x37, 0x6d, 0x8d, 0xd5, 0x4e, 0xa9, 0x6c, 0x56, 0xf4, 0xea, 0x65, 0x7a, 0xae, 0x08,
    0xba, 0x78, 0x25, 0x2e, 0x1c, 0xa6, 0xb4, 0xc6, 0xe8, 0xdd, 0x74, 0x1f, 0x4b, 0xbd, 0x8b, 0x8a,
    0x70, 0x3e, 0xb5, 0x66, 0x48, 0x03, 0xf6, 0x0e, 0x61, 0x35, 0x57, 0xb9, 0x86, 0xc1, 0x1d, 0x9e,
    0xe1, 0xf8, 0x98, 0x11, 0x69, 0xd9, 0x8e, 0x94, 0x9b, 0x1e, 0x87, 0xe9, 0xce, 0x55, 0x28, 0xdf,
    0x8c, 0xa1, 0x89, 0x0d, 0xbf, 0xe6, 0x42, 0x68, 0x41, 0x99, 0x2d, 0x0f, 0xb0, 0x54, 0xbb, 0x16};

std::uint8_t xtime(std::uint8_t x) {
  return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1b : 0x00));
}

// 11 round keys of 16 bytes.
void expand_key(const std::uint8_t key[16], std::uint8_t rk[176]) {
  std::memcpy(rk, key, 16);
  std::uint8_t rcon = 0x01;
  for (int i = 16; i < 176; i += 4) {
    std::uint8_t t[4] = {rk[i - 4], rk[i - 3], rk[i - 2], rk[i - 1]};
    if (i % 16 == 0) {
      const std::uint8_t first = t[0];
      t[0] = static_cast<std::uint8_t>(kSbox[t[1]] ^ rcon);
      t[1] = kSbox[t[2]];
      t[2] = kSbox[t[3]];
      t[3] = kSbox[first];
      rcon = xtime(rcon);
    }
    for (int j = 0; j < 4; ++j) rk[i + j] = static_cast<std::uint8_t>(rk[i - 16 + j] ^ t[j]);
  }
}

void sub_shift(std::uint8_t s[16]) {
  std::uint8_t t[16];
  // Column-major state: byte (row r, column c) is s[4c + r]; row r shifts left by r.
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) t[4 * c + r] = kSbox[s[4 * ((c + r) % 4) + r]];
  std::memcpy(s, t, 16);
}

void mix_columns(std::uint8_t s[16]) {
  for (int c = 0; c < 4; ++c) {
    std::uint8_t* col = s + 4 * c;
    const std::uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
    const std::uint8_t all = static_cast<std::uint8_t>(a0 ^ a1 ^ a2 ^ a3);
    col[0] = static_cast<std::uint8_t>(a0 ^ all ^ xtime(static_cast<std::uint8_t>(a0 ^ a1)));
    col[1] = static_cast<std::uint8_t>(a1 ^ all ^ xtime(static_cast<std::uint8_t>(a1 ^ a2)));
    col[2] = static_cast<std::uint8_t>(a2 ^ all ^ xtime(static_cast<std::uint8_t>(a2 ^ a3)));
    col[3] = static_cast<std::uint8_t>(a3 ^ all ^ xtime(static_cast<std::uint8_t>(a3 ^ a0)));
  }
}

void add_round_key(std::uint8_t s[16], const std::uint8_t* rk) {
  for (int i = 0; i < 16; ++i) s[i] ^= rk[i];
}

void put_stuffed(Bytes* out, std::uint8_t b) {
  out->push_back(b);
  if (b == kDle) out->push_back(kDle);
}

}  // namespace

void aes128_encrypt_block(const std::uint8_t key[16], std::uint8_t block[16]) {
  std::uint8_t rk[176];
  expand_key(key, rk);
  add_round_key(block, rk);
  for (int round = 1; round <= 10; ++round) {
    sub_shift(block);
    if (round != 10) mix_columns(block);
    add_round_key(block, rk + 16 * round);
  }
}

std::uint8_t crc8(const std::uint8_t* data, std::size_t n) {
  std::uint8_t crc = 0x53;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x1D : crc << 1);
  }
  return crc;
}

Bytes seal(const Bytes& plain, bool two_byte_length, const Bytes& key16) {
  const std::size_t n = plain.size();
  const std::size_t extra = two_byte_length ? 3 : 2;
  const std::size_t total = (n + extra + 15) / 16 * 16;
  Bytes out(total, 0);
  std::memcpy(out.data(), plain.data(), n);
  if (two_byte_length) out[total - 3] = static_cast<std::uint8_t>(n >> 8);
  out[total - 2] = static_cast<std::uint8_t>(n & 0xFF);
  out[total - 1] = crc8(out.data(), total - 1);
  std::uint8_t key[16] = {};
  std::memcpy(key, key16.data(), key16.size() < 16 ? key16.size() : 16);
  for (std::size_t off = 0; off < total; off += 16) aes128_encrypt_block(key, out.data() + off);
  return out;
}

std::uint8_t frame_bcc(const Bytes& payload) {
  // XOR over the bytes as sent: a stuffed DLE pair cancels itself out, so a
  // payload byte 0x10 adds nothing; then the closing DLE and ETX.
  std::uint8_t bcc = kDle ^ kEtx;
  for (std::uint8_t b : payload)
    if (b != kDle) bcc ^= b;
  return bcc;
}

Bytes build_frame(std::uint8_t start, const Bytes& payload, const FrameFaults& faults) {
  Bytes body = payload;
  if (faults.other_address && !body.empty()) body[0] = static_cast<std::uint8_t>(body[0] + 1);
  Bytes out = {kDle, start};
  for (std::uint8_t b : body) put_stuffed(&out, b);
  out.push_back(kDle);
  out.push_back(kEtx);
  std::uint8_t bcc = frame_bcc(body);
  if (faults.bad_bcc) bcc ^= 0x01;
  out.push_back(faults.bcc_range ? 0x40 : static_cast<std::uint8_t>(0x30 | (bcc >> 4)));
  out.push_back(static_cast<std::uint8_t>(0x30 | (bcc & 0x0F)));
  return out;
}

// ---------------------------------------------------------------- parser

void StreamParser::reset() {
  state_ = State::Idle;
  wire_.clear();
  payload_.clear();
  garbage_.clear();
  bcc_ = 0;
}

void StreamParser::feed(const std::uint8_t* data, std::size_t n, std::vector<InUnit>* out) {
  for (std::size_t i = 0; i < n; ++i) byte(data[i], out);
}

void StreamParser::flush_garbage(std::vector<InUnit>* out) {
  if (garbage_.empty()) return;
  InUnit u;
  u.unit = Unit::Garbage;
  u.wire.swap(garbage_);
  out->push_back(std::move(u));
}

void StreamParser::emit(Unit unit, std::vector<InUnit>* out) {
  flush_garbage(out);
  InUnit u;
  u.unit = unit;
  u.wire.swap(wire_);
  if (unit == Unit::Frame) {
    u.payload.swap(payload_);
    u.bcc_ok = frame_ok_;
    if (!u.payload.empty()) u.address = u.payload[0] - 0x30;
  } else if (unit == Unit::Poll) {
    u.address = u.wire.back() - 0x30;
  }
  payload_.clear();
  out->push_back(std::move(u));
  state_ = State::Idle;
}

// The unit read so far is not one; its bytes count as stray bytes.
void StreamParser::to_garbage() {
  garbage_.insert(garbage_.end(), wire_.begin(), wire_.end());
  wire_.clear();
  payload_.clear();
  state_ = State::Idle;
}

void StreamParser::after_dle(std::uint8_t b, std::vector<InUnit>* out) {
  // wire_ holds the DLE.
  wire_.push_back(b);
  switch (b) {
    case kEnq:
      state_ = State::PollAddress;
      return;
    case kAck:
      emit(Unit::Ack, out);
      return;
    case kNak:
      emit(Unit::Nak, out);
      return;
    case kStx:
      payload_.clear();
      bcc_ = 0;
      state_ = State::Frame;
      return;
    default:
      to_garbage();
      return;
  }
}

void StreamParser::byte(std::uint8_t b, std::vector<InUnit>* out) {
  switch (state_) {
    case State::Idle:
      if (b == kDle) {
        wire_.assign(1, b);
        state_ = State::AfterDle;
      } else {
        garbage_.push_back(b);
      }
      return;
    case State::AfterDle:
      after_dle(b, out);
      return;
    case State::PollAddress:
      wire_.push_back(b);
      emit(Unit::Poll, out);
      return;
    case State::Frame:
      wire_.push_back(b);
      bcc_ ^= b;
      if (b == kDle) {
        state_ = State::FrameDle;
      } else if (payload_.size() >= kMaxPayload) {
        to_garbage();
      } else {
        payload_.push_back(b);
      }
      return;
    case State::FrameDle:
      if (b == kDle) {
        wire_.push_back(b);
        bcc_ ^= b;
        payload_.push_back(kDle);
        state_ = State::Frame;
      } else if (b == kEtx) {
        wire_.push_back(b);
        bcc_ ^= b;
        state_ = State::BccHigh;
      } else {
        // A lone DLE followed by anything else ends this frame unfinished; the
        // DLE may start the next control sequence.
        wire_.pop_back();
        to_garbage();
        wire_.assign(1, kDle);
        state_ = State::AfterDle;
        after_dle(b, out);
      }
      return;
    case State::BccHigh:
      wire_.push_back(b);
      bcc_high_ = b;
      state_ = State::BccLow;
      return;
    case State::BccLow: {
      wire_.push_back(b);
      const bool in_range = bcc_high_ >= 0x30 && bcc_high_ <= 0x3F && b >= 0x30 && b <= 0x3F;
      frame_ok_ = in_range && (((bcc_high_ - 0x30) << 4) | (b - 0x30)) == bcc_;
      emit(Unit::Frame, out);
      return;
    }
  }
}

}  // namespace sim
