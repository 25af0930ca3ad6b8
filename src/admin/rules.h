// The rules of the parameter dialogs as plain functions: what typing may leave
// in a field of the input mask, what leaving a field needs, how "Save" takes the
// input mask over in its order, the exact length of an additional-field
// default, and how a write key is shown and read back. Each returns the
// message to show (empty when the entry is taken).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "resources/catalogue.h"
#include "store/records.h"

namespace admin {

// ---------------------------------------------------------------- input mask
// The field texts of D_EINGABE, by control id - 200: 0 name length, 1 first
// name, 2 Personalnummer, 3 Ausweisnummer, 4 company code, 5 UserPIN, 6 with
// fingerprint, 7 number of fingers, 8 minimum Q value, 9 good Q value; and the
// eight switches 300 to 307.
struct MaskForm {
  static constexpr int kFields = 10;
  static constexpr int kCompanyCode = 4;
  static constexpr int kSwitches = 8;
  std::array<std::string, kFields> fields;
  std::array<bool, kSwitches> switches{};
};

// A number field as "Save" reads it: the decimal value of its first two
// characters (0 when they hold no digit).
int mask_number(const std::string& text);

// Field `index` (0 to 9, not the company code) after a change of its text: the
// refusal (the field is then emptied), or empty. An empty text is not checked.
std::string mask_typed_refusal(int index, const std::string& text);
// Field `index` (0 to 9) when it is left: the refusal (the field keeps its text
// and gets the focus back), or empty.
std::string mask_left_refusal(int index, const std::string& text);

// "Save": takes the numbers in the order name, first name, Personalnummer,
// Ausweisnummer, UserPIN, with fingerprint, number of fingers, minimum Q, good Q,
// then the company code, then the switches, into `mask`. The first refused
// value ends it with its message; the values taken before it stay in `mask`.
std::string take_mask_form(const MaskForm& form, store::Eingabesatz& mask);

// The switches of the input mask in the order of the check boxes 300 to 307.
std::array<bool, MaskForm::kSwitches> mask_switches(const store::Eingabesatz& mask);

// ---------------------------------------------------------------- additional fields
// Hex digits of additional field i's default: twice its data length, or the 10
// characters of the longest field when the length is not 1 to 5.
int default_digits(const store::Eingabesatz& mask, int field);
// A default of field i: empty or exactly default_digits long, else the refusal.
std::string default_refusal(const store::Eingabesatz& mask, int field, const std::string& text);

// ---------------------------------------------------------------- write keys
// Bytes of the write key that RF-ID module `module` uses: 16 for modules 1 and
// 2, 6 for module 3, 0 for the others (which write no key).
int key_bytes(int module);
// The key of the module as the field shows it: two upper-case hex digits per
// byte to the administrator, "**" per byte to anyone else.
std::string key_shown(const store::Eingabesatz& mask, bool administrator);

// A key text read back two characters per byte for `bytes` bytes. A pair's
// first character that is no digit or upper-case A to F (a missing pair counts
// once) gives the first message and leaves its half byte 0; a bad or missing
// second character gives the second message. The reading goes on after each.
struct KeyReading {
  std::array<std::uint8_t, 16> key{};
  std::vector<res::TextId> messages;
};
KeyReading read_key(const std::string& text, int bytes);
// Stores a key read for module `module` (key A for 1, key B for 2, the first 6
// bytes of key A for 3). True when that changed the record.
bool store_key(store::Eingabesatz& mask, int module, const KeyReading& reading);

}  // namespace admin
