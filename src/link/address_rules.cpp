#include "link/address_rules.h"

namespace rlink {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool is_dotted_ipv4(const std::string& text) {
  if (text.empty() || !is_digit(text[0])) return false;
  int groups = 1;
  int digits = 0;
  int value = 0;
  // Checks the group just ended; an empty group counts as 0.
  auto group_ok = [&]() { return groups == 1 ? value >= 1 && value <= 223 : value <= 255; };
  for (char c : text) {
    if (c == '.') {
      if (!group_ok()) return false;
      if (++groups > 4) return false;
      digits = 0;
      value = 0;
    } else if (is_digit(c)) {
      if (++digits > 3) return false;
      value = value * 10 + (c - '0');
    } else {
      return false;
    }
  }
  return group_ok();
}

AddressCheck check_address(const std::string& text) {
  if (text.empty()) return AddressCheck::Empty;
  if (!is_digit(text[0])) return AddressCheck::Ok;
  return is_dotted_ipv4(text) ? AddressCheck::Ok : AddressCheck::Bad;
}

bool parse_tcp_port(const std::string& text, unsigned* port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (!is_digit(c)) return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value < 1000 || value > 65535) return false;
  *port = value;
  return true;
}

}  // namespace rlink
