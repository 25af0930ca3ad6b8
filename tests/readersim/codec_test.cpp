// The simulator's frame codec, cipher and stream parser.
#include <gtest/gtest.h>

#include <cstring>

#include "codec.h"
#include "store/seal.h"
#include "support/support.h"

using sim::Bytes;
using testsupport::same_bytes;

TEST(ReadersimCipher, Aes128MatchesTheStandardsExample) {
  std::uint8_t key[16], block[16];
  for (int i = 0; i < 16; ++i) {
    key[i] = static_cast<std::uint8_t>(i);
    block[i] = static_cast<std::uint8_t>(i * 0x11);
  }
  sim::aes128_encrypt_block(key, block);
  const Bytes expected = {0x69, 0xc4, 0xe0, 0xd8, 0x6a, 0x7b, 0x04, 0x30,
                          0xd8, 0xcd, 0xb7, 0x80, 0x70, 0xb4, 0xc5, 0x5a};
  EXPECT_TRUE(same_bytes(expected, Bytes(block, block + 16)));
}

TEST(ReadersimCipher, Crc8OfNothingIsTheStartValue) {
  EXPECT_EQ(0x53, sim::crc8(nullptr, 0));
  // One bit through the polynomial: 0x53 ^ 0x80 = 0xD3 shifted eight times.
  const std::uint8_t one = 0x80;
  std::uint8_t crc = 0x53 ^ 0x80;
  for (int i = 0; i < 8; ++i) crc = static_cast<std::uint8_t>(crc & 0x80 ? (crc << 1) ^ 0x1D : crc << 1);
  EXPECT_EQ(crc, sim::crc8(&one, 1));
}

// The sealed layout: payload, zero padding, length field, CRC-8, enciphered.
TEST(ReadersimCipher, SealLaysOutLengthAndCheckBeforeEnciphering) {
  const Bytes key(16, 0x5A);
  auto encipher = [&](Bytes plain) {
    for (std::size_t off = 0; off < plain.size(); off += 16) sim::aes128_encrypt_block(key.data(), plain.data() + off);
    return plain;
  };
  Bytes one(16, 0);
  one[0] = 0x41;
  one[14] = 1;
  one[15] = sim::crc8(one.data(), 15);
  EXPECT_TRUE(same_bytes(encipher(one), sim::seal({0x41}, false, key)));

  // 14 bytes fit one block in the one-byte form, not in the two-byte form.
  EXPECT_EQ(16u, sim::seal(Bytes(14, 7), false, key).size());
  EXPECT_EQ(32u, sim::seal(Bytes(15, 7), false, key).size());
  Bytes two(32, 0);
  for (int i = 0; i < 14; ++i) two[static_cast<std::size_t>(i)] = 7;
  two[29] = 0;
  two[30] = 14;
  two[31] = sim::crc8(two.data(), 31);
  EXPECT_TRUE(same_bytes(encipher(two), sim::seal(Bytes(14, 7), true, key)));
  // 300 bytes: the two-byte length field holds 0x01 0x2C.
  Bytes big(300, 1);
  Bytes sealed = sim::seal(big, true, key);
  EXPECT_EQ(304u, sealed.size());
}

TEST(ReadersimFrame, StuffsDleAndKeepsTheBccOfTheUnstuffedPayload) {
  const Bytes f = sim::build_frame(sim::kStx, {0x31, 0x10, 0x41}, {});
  // BCC over the bytes sent: 31 ^ 10 ^ 10 ^ 41 ^ 10 ^ 03 = 0x63; the pair cancels.
  EXPECT_TRUE(same_bytes({0x10, 0x02, 0x31, 0x10, 0x10, 0x41, 0x10, 0x03, 0x36, 0x33}, f));
  sim::FrameFaults bad;
  bad.bad_bcc = true;
  EXPECT_EQ(0x32, sim::build_frame(sim::kStx, {0x31, 0x10, 0x41}, bad).back());
  // The parser checks the same way.
  std::vector<sim::InUnit> units;
  sim::StreamParser p;
  p.feed(f.data(), f.size(), &units);
  ASSERT_EQ(1u, units.size());
  EXPECT_TRUE(units[0].bcc_ok);
  sim::FrameFaults range;
  range.bcc_range = true;
  EXPECT_EQ(0x40, sim::build_frame(sim::kStx, {0x31}, range)[5]);
  sim::FrameFaults other;
  other.other_address = true;
  EXPECT_EQ(0x32, sim::build_frame(sim::kStx, {0x31, 'H'}, other)[2]);
}

namespace {
std::vector<sim::InUnit> parse(const Bytes& in) {
  sim::StreamParser p;
  std::vector<sim::InUnit> units;
  p.feed(in.data(), in.size(), &units);
  p.flush_garbage(&units);
  return units;
}
}  // namespace

TEST(ReadersimParser, CutsPollsAcknowledgementsAndFrames) {
  Bytes in = {0x10, 0x05, 0x33, 0x10, 0x06, 0x10, 0x15};
  const Bytes f = sim::build_frame(sim::kStx, {0x31, 0x10, 0x10, 'Y'}, {});
  in.insert(in.end(), f.begin(), f.end());
  const auto units = parse(in);
  ASSERT_EQ(4u, units.size());
  EXPECT_EQ(sim::Unit::Poll, units[0].unit);
  EXPECT_EQ(3, units[0].address);
  EXPECT_EQ(sim::Unit::Ack, units[1].unit);
  EXPECT_EQ(sim::Unit::Nak, units[2].unit);
  EXPECT_EQ(sim::Unit::Frame, units[3].unit);
  EXPECT_TRUE(units[3].bcc_ok);
  EXPECT_TRUE(same_bytes({0x31, 0x10, 0x10, 'Y'}, units[3].payload));
  EXPECT_TRUE(same_bytes(f, units[3].wire));
}

TEST(ReadersimParser, FlagsWrongAndOutOfRangeBccCharacters) {
  Bytes f = sim::build_frame(sim::kStx, {0x31, 'H'}, {});
  f.back() ^= 1;
  auto units = parse(f);
  ASSERT_EQ(1u, units.size());
  EXPECT_FALSE(units[0].bcc_ok);
  f = sim::build_frame(sim::kStx, {0x31, 'H'}, {});
  f[f.size() - 2] = 0x40;
  units = parse(f);
  ASSERT_EQ(1u, units.size());
  EXPECT_FALSE(units[0].bcc_ok);
}

TEST(ReadersimParser, RecoversFromBrokenFramesAndStrayBytes) {
  // Stray bytes, half a frame cut off by a poll, then a good frame.
  Bytes in = {0x41, 0x42, 0x10, 0x02, 0x31, 0x48, 0x10, 0x05, 0x31};
  const Bytes f = sim::build_frame(sim::kStx, {0x31, 'J'}, {});
  in.insert(in.end(), f.begin(), f.end());
  const auto units = parse(in);
  ASSERT_EQ(3u, units.size());
  EXPECT_EQ(sim::Unit::Garbage, units[0].unit);
  EXPECT_TRUE(same_bytes({0x41, 0x42, 0x10, 0x02, 0x31, 0x48}, units[0].wire));
  EXPECT_EQ(sim::Unit::Poll, units[1].unit);
  EXPECT_EQ(1, units[1].address);
  EXPECT_EQ(sim::Unit::Frame, units[2].unit);
  EXPECT_TRUE(units[2].bcc_ok);
}

TEST(ReadersimParser, SurvivesArbitraryBytesAndOverlongFrames) {
  sim::StreamParser p;
  std::vector<sim::InUnit> units;
  std::uint32_t x = 12345;
  for (int round = 0; round < 20000; ++round) {
    x = x * 1103515245u + 12345u;
    std::uint8_t b = static_cast<std::uint8_t>(x >> 16);
    if ((x >> 8) % 4 == 0) b = 0x10;  // plenty of DLE
    p.feed(&b, 1, &units);
  }
  // A frame longer than the largest payload is dropped as stray bytes.
  Bytes longer = {0x10, 0x02};
  longer.insert(longer.end(), sim::kMaxPayload + 10, 0x41);
  units.clear();
  p.reset();
  p.feed(longer.data(), longer.size(), &units);
  const Bytes f = sim::build_frame(sim::kStx, {0x31, 'H'}, {});
  p.feed(f.data(), f.size(), &units);
  p.flush_garbage(&units);
  ASSERT_FALSE(units.empty());
  EXPECT_EQ(sim::Unit::Frame, units.back().unit);
  EXPECT_TRUE(units.back().bcc_ok);
  for (std::size_t i = 0; i + 1 < units.size(); ++i) EXPECT_EQ(sim::Unit::Garbage, units[i].unit);
}

// The store's unsealing (what the host uses on received frames) opens what the
// simulator seals, in both length forms.
TEST(ReadersimCipher, StoreUnsealsWhatTheSimulatorSeals) {
  store::reset_keys();
  const Bytes key = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE, 1, 2, 3, 4, 5, 6, 7, 8};
  std::memcpy(store::key_row(store::kSlotRecord), key.data(), key.size());
  store::install_key(store::kSlotRecord);
  for (bool two_byte : {false, true}) {
    for (std::size_t n : {1u, 13u, 14u, 200u}) {
      Bytes plain(n);
      for (std::size_t i = 0; i < n; ++i) plain[i] = static_cast<std::uint8_t>(i * 7 + 3);
      Bytes sealed = sim::seal(plain, two_byte, key);
      int len = static_cast<int>(sealed.size());
      ASSERT_EQ(0, store::seal_decrypt(sealed.data(), &len, store::kSlotRecord,
                                       two_byte ? store::LengthForm::TwoByte : store::LengthForm::OneByte))
          << n << " " << two_byte;
      ASSERT_EQ(static_cast<int>(n), len);
      EXPECT_TRUE(same_bytes(plain, Bytes(sealed.begin(), sealed.begin() + len)));
    }
  }
  // Sealed under another key: the check fails.
  Bytes other = sim::seal({1, 2, 3}, true, Bytes(16, 0xEE));
  int len = static_cast<int>(other.size());
  EXPECT_EQ(1, store::seal_decrypt(other.data(), &len, store::kSlotRecord, store::LengthForm::TwoByte));
  store::reset_keys();
}
