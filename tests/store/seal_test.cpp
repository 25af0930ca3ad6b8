// AES-128 known answers, the CRC-8 and the sealed layouts of both length forms.
#include <cstring>
#include <vector>

#include "store/seal.h"
#include "support/support.h"

namespace {

using testsupport::Bytes;

Bytes hex(const std::string& h) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < h.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(h.substr(i, 2), nullptr, 16)));
  return out;
}

void set_key(int slot, const Bytes& key) {
  std::memcpy(store::key_row(slot), key.data(), 16);
  store::install_key(slot);
}

class Seal : public ::testing::Test {
 protected:
  void SetUp() override { store::reset_keys(); }
  void TearDown() override { store::reset_keys(); }

  // AES-128 of one block under `slot`: a 16-byte payload in the one-byte form
  // takes two blocks, and the first is the payload enciphered on its own.
  Bytes encipher(const Bytes& block, int slot) {
    Bytes buf = block;
    buf.resize(32, 0);
    EXPECT_EQ(32, store::seal_encrypt(buf.data(), 16, slot, store::LengthForm::OneByte));
    return Bytes(buf.begin(), buf.begin() + 16);
  }
};

// FIPS-197 Appendix B and Appendix C.1 (AES-128).
struct Vector {
  const char *key, *plain, *cipher;
};
const Vector kVectors[] = {
    {"2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
     "3925841d02dc09fbdc118597196a0b32"},
    {"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
     "69c4e0d86a7b0430d8cdb78070b4c55a"},
};

TEST_F(Seal, Fips197Encryption) {
  int slot = 0;
  for (const Vector& v : kVectors) {
    set_key(slot, hex(v.key));
    EXPECT_TRUE(testsupport::same_bytes(hex(v.cipher), encipher(hex(v.plain), slot))) << v.key;
    slot += 3;  // a different slot keeps its own schedule
  }
  EXPECT_TRUE(testsupport::same_bytes(hex(kVectors[0].cipher), encipher(hex(kVectors[0].plain), 0)));
}

TEST_F(Seal, Fips197Decryption) {
  for (const Vector& v : kVectors) {
    set_key(7, hex(v.key));
    Bytes block = hex(v.cipher);
    int len = 16;
    // The plain text does not end in its own CRC, so the check fails, but the
    // block is deciphered in place all the same and the length stays.
    EXPECT_EQ(1, store::seal_decrypt(block.data(), &len, 7, store::LengthForm::OneByte));
    EXPECT_TRUE(testsupport::same_bytes(hex(v.plain), block)) << v.key;
    EXPECT_EQ(16, len);
  }
}

TEST_F(Seal, Crc8) {
  EXPECT_EQ(0x53, store::crc8(nullptr, 0));
  // Bitwise reference: polynomial 0x1D, MSB first, start 0x53.
  auto reference = [](const Bytes& d) {
    std::uint8_t c = 0x53;
    for (std::uint8_t b : d) {
      c ^= b;
      for (int i = 0; i < 8; ++i) c = static_cast<std::uint8_t>(c & 0x80 ? (c << 1) ^ 0x1D : c << 1);
    }
    return c;
  };
  Bytes d = testsupport::bytes_of("123456789");
  EXPECT_EQ(reference(d), store::crc8(d.data(), d.size()));
  Bytes one = {0x00};
  // 0x53 shifted through eight steps of the polynomial.
  EXPECT_EQ(reference(one), store::crc8(one.data(), 1));
  EXPECT_NE(store::crc8(d.data(), d.size()), store::crc8(d.data(), d.size() - 1));
}

TEST_F(Seal, SizesOfBothForms) {
  using store::LengthForm;
  EXPECT_EQ(16, store::sealed_size(0, LengthForm::OneByte));
  EXPECT_EQ(16, store::sealed_size(1, LengthForm::OneByte));
  EXPECT_EQ(16, store::sealed_size(14, LengthForm::OneByte));
  EXPECT_EQ(32, store::sealed_size(15, LengthForm::OneByte));
  EXPECT_EQ(16, store::sealed_size(13, LengthForm::TwoByte));
  EXPECT_EQ(32, store::sealed_size(14, LengthForm::TwoByte));
  EXPECT_EQ(1936, store::sealed_size(1932, LengthForm::TwoByte));
  EXPECT_EQ(128, store::sealed_size(120, LengthForm::TwoByte));
  EXPECT_EQ(10208, store::sealed_size(10204, LengthForm::TwoByte));
  EXPECT_EQ(2640, store::sealed_size(2624, LengthForm::TwoByte));
  EXPECT_EQ(2608, store::sealed_size(2604, LengthForm::TwoByte));
  EXPECT_EQ(160, store::sealed_size(156, LengthForm::TwoByte));
}

TEST_F(Seal, OneByteFormLayout) {
  set_key(0, hex("000102030405060708090a0b0c0d0e0f"));
  Bytes buf(16, 0xEE);
  buf[0] = 0x42;
  ASSERT_EQ(16, store::seal_encrypt(buf.data(), 1, 0, store::LengthForm::OneByte));
  int len = 16;
  ASSERT_EQ(0, store::seal_decrypt(buf.data(), &len, 0, store::LengthForm::OneByte));
  EXPECT_EQ(1, len);
  EXPECT_EQ(0x42, buf[0]);
  EXPECT_EQ(0xEE, buf[13]);  // padding is what the buffer held
  EXPECT_EQ(0x01, buf[14]);
  EXPECT_EQ(store::crc8(buf.data(), 15), buf[15]);
}

TEST_F(Seal, TwoByteFormLayoutAndRoundTrip) {
  set_key(2, hex("2b7e151628aed2a6abf7158809cf4f3c"));
  Bytes data(1932 + 4);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  Bytes buf = data;
  ASSERT_EQ(1936, store::seal_encrypt(buf.data(), 1932, 2, store::LengthForm::TwoByte));
  EXPECT_NE(0, std::memcmp(buf.data(), data.data(), 1932));
  int len = 1936;
  ASSERT_EQ(0, store::seal_decrypt(buf.data(), &len, 2, store::LengthForm::TwoByte));
  EXPECT_EQ(1932, len);
  EXPECT_EQ(0, std::memcmp(buf.data(), data.data(), 1932));
  EXPECT_EQ(1932 >> 8, buf[1933]);
  EXPECT_EQ(1932 & 0xFF, buf[1934]);
}

TEST_F(Seal, FailedCheckLeavesLength) {
  set_key(0, hex("000102030405060708090a0b0c0d0e0f"));
  Bytes buf(32, 0x11);
  ASSERT_EQ(32, store::seal_encrypt(buf.data(), 20, 0, store::LengthForm::TwoByte));
  buf[31] ^= 0x01;
  int len = 32;
  EXPECT_EQ(1, store::seal_decrypt(buf.data(), &len, 0, store::LengthForm::TwoByte));
  EXPECT_EQ(32, len);
  // A wrong key fails as well.
  Bytes again(32, 0x11);
  ASSERT_EQ(32, store::seal_encrypt(again.data(), 20, 0, store::LengthForm::TwoByte));
  set_key(1, hex("2b7e151628aed2a6abf7158809cf4f3c"));
  len = 32;
  EXPECT_EQ(1, store::seal_decrypt(again.data(), &len, 1, store::LengthForm::TwoByte));
  // Fewer than 16 bytes is no block at all.
  len = 15;
  EXPECT_EQ(1, store::seal_decrypt(again.data(), &len, 0, store::LengthForm::TwoByte));
  EXPECT_EQ(15, len);
}

TEST_F(Seal, RemainderBeyondWholeBlocksIsIgnored) {
  set_key(0, hex("000102030405060708090a0b0c0d0e0f"));
  Bytes buf(40, 0x5A);
  ASSERT_EQ(32, store::seal_encrypt(buf.data(), 17, 0, store::LengthForm::OneByte));
  int len = 40;
  ASSERT_EQ(0, store::seal_decrypt(buf.data(), &len, 0, store::LengthForm::OneByte));
  EXPECT_EQ(17, len);
  EXPECT_EQ(0x5A, buf[39]);
}

TEST_F(Seal, LengthBeyondTheBlocksIsRefused) {
  // A block with a right CRC whose length field claims more bytes than stand in
  // front of it was not made by seal_encrypt: refused, length unchanged.
  set_key(0, hex("000102030405060708090a0b0c0d0e0f"));
  Bytes plain(16, 0x20);
  plain[14] = 15;  // one-byte form: at most 14 payload bytes fit one block
  plain[15] = store::crc8(plain.data(), 15);
  Bytes block = encipher(plain, 0);
  int len = 16;
  EXPECT_EQ(1, store::seal_decrypt(block.data(), &len, 0, store::LengthForm::OneByte));
  EXPECT_EQ(16, len);

  plain[14] = 14;  // the largest that fits
  plain[15] = store::crc8(plain.data(), 15);
  block = encipher(plain, 0);
  EXPECT_EQ(0, store::seal_decrypt(block.data(), &len, 0, store::LengthForm::OneByte));
  EXPECT_EQ(14, len);

  plain[13] = 0xFF;  // two-byte form: 0xFF0E in one block
  plain[15] = store::crc8(plain.data(), 15);
  block = encipher(plain, 0);
  len = 16;
  EXPECT_EQ(1, store::seal_decrypt(block.data(), &len, 0, store::LengthForm::TwoByte));
  EXPECT_EQ(16, len);
}

TEST_F(Seal, FormSwitchesWithFirstInstall) {
  EXPECT_EQ(store::LengthForm::OneByte, store::sealing_form());
  set_key(4, hex("000102030405060708090a0b0c0d0e0f"));
  EXPECT_EQ(store::LengthForm::TwoByte, store::sealing_form());
}

TEST_F(Seal, OutOfRangeArguments) {
  Bytes buf(300, 0);
  EXPECT_EQ(0, store::seal_encrypt(buf.data(), -1, 0, store::LengthForm::OneByte));
  EXPECT_EQ(0, store::seal_encrypt(buf.data(), 256, 0, store::LengthForm::OneByte));
  EXPECT_EQ(272, store::seal_encrypt(buf.data(), 255, 0, store::LengthForm::OneByte));
  EXPECT_EQ(0, store::seal_encrypt(buf.data(), 1, 10, store::LengthForm::OneByte));
  EXPECT_EQ(nullptr, store::key_row(-1));
  EXPECT_EQ(nullptr, store::key_row(10));
  EXPECT_EQ(0, store::key_row(9)[16]);
}

}  // namespace
