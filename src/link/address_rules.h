// The rules for a reader's or the enrol station's network address, shared by the
// reader form (D_LESER) and the enrol-station form (D_INITIAL).
#pragma once

#include <string>

namespace rlink {

// What an "IP address or name" text is worth.
enum class AddressCheck {
  Empty,  // nothing entered
  Bad,    // begins with a digit but is no acceptable dotted IPv4 address
  Ok,     // a dotted IPv4 address, or a host name (any text not beginning with a digit)
};

// A text beginning with a digit must be a dotted IPv4 address: digits and dots
// only, at most four groups of at most three digits, the first group 1 to 223,
// the others 0 to 255; an empty or missing group counts as 0 ("10.1" is
// 10.1.0.0). A text beginning with anything else is taken as a host name
// without further check.
AddressCheck check_address(const std::string& text);

// True for a dotted IPv4 address by the rule above (the text must begin with a
// digit).
bool is_dotted_ipv4(const std::string& text);

// A TCP port text: decimal digits only, 1000 to 65535. Puts the value into
// `port` when accepted.
bool parse_tcp_port(const std::string& text, unsigned* port);

}  // namespace rlink
