// AES-128 (FIPS-197) with table lookups, the CRC-8 check byte, the key table and
// key slots, and the sealing of payloads in the one- and two-byte length forms.
#include "store/seal.h"

#include <cstring>

namespace store {
namespace {

struct CipherTables {
  std::uint8_t sbox[256];
  std::uint8_t inv_sbox[256];
  std::uint32_t te[4][256];  // SubBytes + MixColumns, one table per byte position
  std::uint32_t td[4][256];  // InvSubBytes + InvMixColumns
  std::uint8_t crc[256];
};

std::uint8_t xtime(std::uint8_t a) {
  return static_cast<std::uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1B : 0x00));
}

std::uint8_t gmul(std::uint8_t a, std::uint8_t b) {
  std::uint8_t r = 0;
  while (b) {
    if (b & 1) r ^= a;
    a = xtime(a);
    b >>= 1;
  }
  return r;
}

std::uint32_t word(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
  return (static_cast<std::uint32_t>(b0) << 24) | (static_cast<std::uint32_t>(b1) << 16) |
         (static_cast<std::uint32_t>(b2) << 8) | b3;
}

std::uint32_t rotr8(std::uint32_t w) { return (w >> 8) | (w << 24); }

// Builds the S-box from the multiplicative inverse in GF(2^8) and the affine
// map of FIPS-197 5.1.1, then the combined round tables and the CRC table.
CipherTables make_tables() {
  CipherTables t{};
  std::uint8_t p = 1, q = 1;
  // p runs through the multiplicative group by powers of 3, q through the
  // inverses by powers of 3^-1 = 0xF6.
  do {
    p = static_cast<std::uint8_t>(p ^ xtime(p));
    q ^= static_cast<std::uint8_t>(q << 1);
    q ^= static_cast<std::uint8_t>(q << 2);
    q ^= static_cast<std::uint8_t>(q << 4);
    if (q & 0x80) q ^= 0x09;
    std::uint8_t x = static_cast<std::uint8_t>(q ^ (q << 1 | q >> 7) ^ (q << 2 | q >> 6) ^
                                               (q << 3 | q >> 5) ^ (q << 4 | q >> 4));
    t.sbox[p] = static_cast<std::uint8_t>(x ^ 0x63);
  } while (p != 1);
  t.sbox[0] = 0x63;
  for (int i = 0; i < 256; ++i) t.inv_sbox[t.sbox[i]] = static_cast<std::uint8_t>(i);

  for (int i = 0; i < 256; ++i) {
    std::uint8_t s = t.sbox[i];
    std::uint32_t e = word(gmul(s, 2), s, s, gmul(s, 3));
    std::uint8_t v = t.inv_sbox[i];
    std::uint32_t d = word(gmul(v, 14), gmul(v, 9), gmul(v, 13), gmul(v, 11));
    for (int k = 0; k < 4; ++k) {
      t.te[k][i] = e;
      t.td[k][i] = d;
      e = rotr8(e);
      d = rotr8(d);
    }
  }

  for (int i = 0; i < 256; ++i) {
    std::uint8_t c = static_cast<std::uint8_t>(i);
    for (int bit = 0; bit < 8; ++bit)
      c = static_cast<std::uint8_t>((c & 0x80) ? (c << 1) ^ 0x1D : (c << 1));
    t.crc[i] = c;
  }
  return t;
}

const CipherTables& tables() {
  static const CipherTables t = make_tables();
  return t;
}

constexpr int kRounds = 10;

struct KeySlot {
  std::uint32_t enc[4 * (kRounds + 1)];  // round keys of FIPS-197 5.2
  std::uint32_t dec[4 * (kRounds + 1)];  // equivalent inverse cipher keys (5.3.5)
};

struct KeyState {
  std::uint8_t table[kKeySlots][kKeyBytes + 1];
  KeySlot slots[kKeySlots];
  LengthForm form = LengthForm::OneByte;
};

KeyState& keys() {
  static KeyState k{};
  return k;
}

std::uint32_t sub_word(std::uint32_t w) {
  const std::uint8_t* s = tables().sbox;
  return word(s[w >> 24], s[(w >> 16) & 0xFF], s[(w >> 8) & 0xFF], s[w & 0xFF]);
}

void expand_key(const std::uint8_t* key, KeySlot& slot) {
  const CipherTables& t = tables();
  std::uint32_t* w = slot.enc;
  for (int i = 0; i < 4; ++i) w[i] = word(key[4 * i], key[4 * i + 1], key[4 * i + 2], key[4 * i + 3]);
  std::uint8_t rcon = 1;
  for (int i = 4; i < 4 * (kRounds + 1); ++i) {
    std::uint32_t temp = w[i - 1];
    if (i % 4 == 0) {
      temp = sub_word((temp << 8) | (temp >> 24)) ^ (static_cast<std::uint32_t>(rcon) << 24);
      rcon = xtime(rcon);
    }
    w[i] = w[i - 4] ^ temp;
  }
  // Decryption keys: the encryption keys in reverse round order, with
  // InvMixColumns applied to all but the first and last.
  for (int r = 0; r <= kRounds; ++r) {
    for (int c = 0; c < 4; ++c) {
      std::uint32_t k = w[4 * (kRounds - r) + c];
      if (r != 0 && r != kRounds) {
        k = t.td[0][t.sbox[k >> 24]] ^ t.td[1][t.sbox[(k >> 16) & 0xFF]] ^
            t.td[2][t.sbox[(k >> 8) & 0xFF]] ^ t.td[3][t.sbox[k & 0xFF]];
      }
      slot.dec[4 * r + c] = k;
    }
  }
}

std::uint32_t load_be(const std::uint8_t* p) { return word(p[0], p[1], p[2], p[3]); }

void store_be(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

void encrypt_block(const CipherTables& t, const std::uint32_t* rk, std::uint8_t* block) {
  std::uint32_t s0 = load_be(block) ^ rk[0], s1 = load_be(block + 4) ^ rk[1];
  std::uint32_t s2 = load_be(block + 8) ^ rk[2], s3 = load_be(block + 12) ^ rk[3];
  for (int r = 1; r < kRounds; ++r) {
    rk += 4;
    std::uint32_t t0 = t.te[0][s0 >> 24] ^ t.te[1][(s1 >> 16) & 0xFF] ^
                       t.te[2][(s2 >> 8) & 0xFF] ^ t.te[3][s3 & 0xFF] ^ rk[0];
    std::uint32_t t1 = t.te[0][s1 >> 24] ^ t.te[1][(s2 >> 16) & 0xFF] ^
                       t.te[2][(s3 >> 8) & 0xFF] ^ t.te[3][s0 & 0xFF] ^ rk[1];
    std::uint32_t t2 = t.te[0][s2 >> 24] ^ t.te[1][(s3 >> 16) & 0xFF] ^
                       t.te[2][(s0 >> 8) & 0xFF] ^ t.te[3][s1 & 0xFF] ^ rk[2];
    std::uint32_t t3 = t.te[0][s3 >> 24] ^ t.te[1][(s0 >> 16) & 0xFF] ^
                       t.te[2][(s1 >> 8) & 0xFF] ^ t.te[3][s2 & 0xFF] ^ rk[3];
    s0 = t0; s1 = t1; s2 = t2; s3 = t3;
  }
  rk += 4;
  const std::uint8_t* s = t.sbox;
  store_be(block, word(s[s0 >> 24], s[(s1 >> 16) & 0xFF], s[(s2 >> 8) & 0xFF], s[s3 & 0xFF]) ^ rk[0]);
  store_be(block + 4, word(s[s1 >> 24], s[(s2 >> 16) & 0xFF], s[(s3 >> 8) & 0xFF], s[s0 & 0xFF]) ^ rk[1]);
  store_be(block + 8, word(s[s2 >> 24], s[(s3 >> 16) & 0xFF], s[(s0 >> 8) & 0xFF], s[s1 & 0xFF]) ^ rk[2]);
  store_be(block + 12, word(s[s3 >> 24], s[(s0 >> 16) & 0xFF], s[(s1 >> 8) & 0xFF], s[s2 & 0xFF]) ^ rk[3]);
}

void decrypt_block(const CipherTables& t, const std::uint32_t* rk, std::uint8_t* block) {
  std::uint32_t s0 = load_be(block) ^ rk[0], s1 = load_be(block + 4) ^ rk[1];
  std::uint32_t s2 = load_be(block + 8) ^ rk[2], s3 = load_be(block + 12) ^ rk[3];
  for (int r = 1; r < kRounds; ++r) {
    rk += 4;
    std::uint32_t t0 = t.td[0][s0 >> 24] ^ t.td[1][(s3 >> 16) & 0xFF] ^
                       t.td[2][(s2 >> 8) & 0xFF] ^ t.td[3][s1 & 0xFF] ^ rk[0];
    std::uint32_t t1 = t.td[0][s1 >> 24] ^ t.td[1][(s0 >> 16) & 0xFF] ^
                       t.td[2][(s3 >> 8) & 0xFF] ^ t.td[3][s2 & 0xFF] ^ rk[1];
    std::uint32_t t2 = t.td[0][s2 >> 24] ^ t.td[1][(s1 >> 16) & 0xFF] ^
                       t.td[2][(s0 >> 8) & 0xFF] ^ t.td[3][s3 & 0xFF] ^ rk[2];
    std::uint32_t t3 = t.td[0][s3 >> 24] ^ t.td[1][(s2 >> 16) & 0xFF] ^
                       t.td[2][(s1 >> 8) & 0xFF] ^ t.td[3][s0 & 0xFF] ^ rk[3];
    s0 = t0; s1 = t1; s2 = t2; s3 = t3;
  }
  rk += 4;
  const std::uint8_t* s = t.inv_sbox;
  store_be(block, word(s[s0 >> 24], s[(s3 >> 16) & 0xFF], s[(s2 >> 8) & 0xFF], s[s1 & 0xFF]) ^ rk[0]);
  store_be(block + 4, word(s[s1 >> 24], s[(s0 >> 16) & 0xFF], s[(s3 >> 8) & 0xFF], s[s2 & 0xFF]) ^ rk[1]);
  store_be(block + 8, word(s[s2 >> 24], s[(s1 >> 16) & 0xFF], s[(s0 >> 8) & 0xFF], s[s3 & 0xFF]) ^ rk[2]);
  store_be(block + 12, word(s[s3 >> 24], s[(s2 >> 16) & 0xFF], s[(s1 >> 8) & 0xFF], s[s0 & 0xFF]) ^ rk[3]);
}

bool valid_slot(int slot) { return slot >= 0 && slot < kKeySlots; }

// Largest payload each form can describe in its length field.
int max_payload(LengthForm form) { return form == LengthForm::OneByte ? 0xFF : 0xFFFF; }
int length_field_bytes(LengthForm form) { return form == LengthForm::OneByte ? 1 : 2; }

}  // namespace

std::uint8_t* key_row(int slot) { return valid_slot(slot) ? keys().table[slot] : nullptr; }

void install_key(int slot) {
  if (!valid_slot(slot)) return;
  KeyState& k = keys();
  expand_key(k.table[slot], k.slots[slot]);
  k.form = LengthForm::TwoByte;
}

LengthForm sealing_form() { return keys().form; }

std::uint8_t crc8(const std::uint8_t* data, std::size_t n) {
  const std::uint8_t* table = tables().crc;
  std::uint8_t c = 0x53;
  for (std::size_t i = 0; i < n; ++i) c = table[c ^ data[i]];
  return c;
}

int sealed_size(int n, LengthForm form) {
  int need = n + 1 + length_field_bytes(form);
  return (need + 15) / 16 * 16;
}

int seal_encrypt(std::uint8_t* buf, int n, int slot, LengthForm form) {
  if (n < 0 || n > max_payload(form) || !valid_slot(slot)) return 0;
  int total = sealed_size(n, form);
  if (form == LengthForm::TwoByte) buf[total - 3] = static_cast<std::uint8_t>(n >> 8);
  buf[total - 2] = static_cast<std::uint8_t>(n & 0xFF);
  buf[total - 1] = crc8(buf, static_cast<std::size_t>(total - 1));
  const CipherTables& t = tables();
  const std::uint32_t* rk = keys().slots[slot].enc;
  for (int off = 0; off < total; off += 16) encrypt_block(t, rk, buf + off);
  return total;
}

int seal_decrypt(std::uint8_t* buf, int* len, int slot, LengthForm form) {
  if (!valid_slot(slot) || *len < 16) return 1;
  int total = *len / 16 * 16;
  const CipherTables& t = tables();
  const std::uint32_t* rk = keys().slots[slot].dec;
  for (int off = 0; off < total; off += 16) decrypt_block(t, rk, buf + off);
  if (crc8(buf, static_cast<std::size_t>(total - 1)) != buf[total - 1]) return 1;
  int n = buf[total - 2];
  if (form == LengthForm::TwoByte) n |= buf[total - 3] << 8;
  // A length that points past the space in front of the length field cannot
  // have been written by seal_encrypt: refuse it rather than let a caller read
  // beyond the deciphered bytes.
  if (n > total - 1 - length_field_bytes(form)) return 1;
  *len = n;
  return 0;
}

void reset_keys() {
  KeyState& k = keys();
  std::memset(k.table, 0, sizeof k.table);
  std::memset(k.slots, 0, sizeof k.slots);
  k.form = LengthForm::OneByte;
}

}  // namespace store
