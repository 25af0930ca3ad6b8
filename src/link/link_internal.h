// Helpers shared by the files of the link layer.
#pragma once

#include <cstdint>
#include <string>

#include "resources/catalogue.h"

namespace rlink {

// Catalogue identifiers (LINK_..., CAP_...) by their plain names.
using namespace res;  // NOLINT

// Status deliveries l_zam_init accepts before it gives up on a reader.
constexpr int kMaxStatusDeliveries = 100;

// The address character of bus address a: 0x30 + a.
inline std::uint8_t address_char(int address) { return static_cast<std::uint8_t>(0x30 + address); }
// Address 0 of l_zam_init and the polling: the current reader's stored bus
// address index, as it is stored.
int default_address();
// The current reader's name, for link messages and captions.
std::string reader_name();
// An OK box (no owner); the answer of a Yes/No box.
void show(const std::string& text, const std::string& caption);
int ask_yes_no(const std::string& text, const std::string& caption);

}  // namespace rlink
