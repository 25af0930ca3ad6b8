// Field helpers: little-endian numbers and zero-terminated, zero-padded texts at
// fixed offsets of a record's bytes. Every record field is read and written
// through these; records are never cast onto structures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace store {

inline std::uint8_t get_u8(const std::uint8_t* rec, std::size_t off) { return rec[off]; }
inline void put_u8(std::uint8_t* rec, std::size_t off, std::uint8_t v) { rec[off] = v; }

inline std::uint16_t get_u16(const std::uint8_t* rec, std::size_t off) {
  return static_cast<std::uint16_t>(rec[off] | (rec[off + 1] << 8));
}
inline void put_u16(std::uint8_t* rec, std::size_t off, std::uint16_t v) {
  rec[off] = static_cast<std::uint8_t>(v & 0xFF);
  rec[off + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline std::int16_t get_i16(const std::uint8_t* rec, std::size_t off) {
  return static_cast<std::int16_t>(get_u16(rec, off));
}
inline void put_i16(std::uint8_t* rec, std::size_t off, std::int16_t v) {
  put_u16(rec, off, static_cast<std::uint16_t>(v));
}

inline std::uint32_t get_u32(const std::uint8_t* rec, std::size_t off) {
  return static_cast<std::uint32_t>(rec[off]) | (static_cast<std::uint32_t>(rec[off + 1]) << 8) |
         (static_cast<std::uint32_t>(rec[off + 2]) << 16) |
         (static_cast<std::uint32_t>(rec[off + 3]) << 24);
}
inline void put_u32(std::uint8_t* rec, std::size_t off, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) rec[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The text of a field of `width` bytes: up to its first zero byte, at most
// `width` bytes when no zero byte follows (a damaged record).
inline std::string get_text(const std::uint8_t* rec, std::size_t off, std::size_t width) {
  const std::uint8_t* p = rec + off;
  std::size_t n = 0;
  while (n < width && p[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}
// Stores `s` zero-terminated and zero-padded; a text longer than width - 1 bytes
// is cut so that the terminating zero always fits.
inline void put_text(std::uint8_t* rec, std::size_t off, std::size_t width, const std::string& s) {
  std::size_t n = s.size() < width ? s.size() : width - 1;
  std::memset(rec + off, 0, width);
  std::memcpy(rec + off, s.data(), n);
}

}  // namespace store

// Accessor pairs for a record structure holding its bytes in the array `b`.
#define STORE_U8(fn, off)                                            \
  std::uint8_t fn() const { return ::store::get_u8(b.data(), off); } \
  void set_##fn(std::uint8_t v) { ::store::put_u8(b.data(), off, v); }
#define STORE_U16(fn, off)                                             \
  std::uint16_t fn() const { return ::store::get_u16(b.data(), off); } \
  void set_##fn(std::uint16_t v) { ::store::put_u16(b.data(), off, v); }
#define STORE_U32(fn, off)                                             \
  std::uint32_t fn() const { return ::store::get_u32(b.data(), off); } \
  void set_##fn(std::uint32_t v) { ::store::put_u32(b.data(), off, v); }
#define STORE_TEXT(fn, off, width)                                            \
  std::string fn() const { return ::store::get_text(b.data(), off, width); } \
  void set_##fn(const std::string& s) { ::store::put_text(b.data(), off, width, s); }
#define STORE_BYTES(fn, off)                                   \
  std::uint8_t* fn() { return b.data() + (off); }              \
  const std::uint8_t* fn() const { return b.data() + (off); }
