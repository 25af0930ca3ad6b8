// Windows-1252 <-> UTF-8 / UTF-16. Stored texts, log lines and everything the
// program passes around are Windows-1252 bytes; the catalogue source is UTF-8 and
// the ui backends speak UTF-16 (Win32) or UTF-8 (test assertions).
#pragma once

#include <cstddef>
#include <string>

namespace res {

// Characters that Windows-1252 cannot hold become '?'.
std::string utf8_to_cp1252(const std::string& utf8);
std::string cp1252_to_utf8(const std::string& bytes);
std::u16string cp1252_to_utf16(const std::string& bytes);
std::string utf16_to_cp1252(const std::u16string& text);

// The first `n` bytes of a text (all of it when shorter): how typed or
// delivered texts are cut to the length of the field they go into.
inline std::string cut(const std::string& text, std::size_t n) {
  return text.size() > n ? text.substr(0, n) : text;
}

}  // namespace res
