// The Template-on-Card data block written onto a person's transponder:
//
//   0      matching level (1 to 9)
//   1      1
//   2      number of entries (1 for a Spezial PIN)
//   3..22  two bytes per template entry: group * 16 + length div 256, length
//          mod 256; or, for a Spezial PIN: 0xF0, the PIN length, the PIN
//   23     XOR of bytes 0 to 22
//   24..   the template data of the entries, back to back
//
// A person with a Spezial PIN gets the PIN and no templates (24 bytes).
#pragma once

#include <cstdint>
#include <vector>

#include "store/records.h"

namespace ops {

// The room the block has (24 header bytes and ten templates fit with ease).
constexpr int kTocBlockCapacity = 10240;
constexpr int kTocHeaderSize = 24;

// The block for `person` and its template record `templates` with matching
// level `level` (0 means the input mask's "Matching Level"). A finger block is
// an entry when its length is 1 to 1010 (the data a finger block holds); a
// dummy template is none. Empty when there is nothing to write (no Spezial PIN
// and no entry).
std::vector<std::uint8_t> toc_block(const store::Personensatz& person,
                                    const store::Templatesatz& templates, int level);

}  // namespace ops
