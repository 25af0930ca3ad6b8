#include "readers/address_rules.h"

namespace readers {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

AddressFault check_address(const std::string& text) {
  if (text.empty()) return AddressFault::Empty;
  if (!is_digit(text[0])) return AddressFault::None;
  int groups = 1, digits = 0, value = 0;
  for (char c : text) {
    if (c == '.') {
      if ((groups == 1 && (value < 1 || value > 223)) || value > 255) return AddressFault::Malformed;
      if (++groups > 4) return AddressFault::Malformed;
      digits = value = 0;
      continue;
    }
    if (!is_digit(c) || ++digits > 3) return AddressFault::Malformed;
    value = value * 10 + (c - '0');
  }
  if ((groups == 1 && (value < 1 || value > 223)) || value > 255) return AddressFault::Malformed;
  return AddressFault::None;
}

bool parse_port(const std::string& text, std::uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  long value = 0;
  for (char c : text) {
    if (!is_digit(c)) return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1000 || value > 65535) return false;
  *port = static_cast<std::uint16_t>(value);
  return true;
}

res::TextId address_fault_text(AddressFault fault) {
  return fault == AddressFault::Empty ? res::ADDR_EMPTY : res::ADDR_MALFORMED;
}

res::TextId port_fault_text() { return res::ADDR_PORT; }

}  // namespace readers
