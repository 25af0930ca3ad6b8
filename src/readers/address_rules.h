// Rules for the connection address of a reader or of the enrol station, shared by
// the reader form and the enrol-station initialisation: an IP address or host
// name and a TCP port.
#pragma once

#include <cstdint>
#include <string>

#include "resources/catalogue.h"

namespace readers {

enum class AddressFault {
  None,       // a dotted IPv4 address or a host name
  Empty,      // nothing entered
  Malformed,  // begins with a digit but is not a dotted IPv4 address
};

// A text that begins with a digit must be a dotted IPv4 address: digits and dots
// only, at most four groups of at most three digits, the first group 1 to 223,
// the others 0 to 255; an empty or missing group counts as 0. A text that begins
// with any other character is a host name and is not checked further.
AddressFault check_address(const std::string& text);

// The TCP port field: digits only, 1000 to 65535. False for anything else
// (empty, not a number, out of range); *port is set only on success.
bool parse_port(const std::string& text, std::uint16_t* port);

// The operator messages (caption "Info"): the address fault, and a port that
// parse_port refused.
res::TextId address_fault_text(AddressFault fault);
res::TextId port_fault_text();

}  // namespace readers
