#include "admin/rules.h"

#include <cstring>

#include "resources/cp1252.h"
#include "views/field_checks.h"

namespace admin {
namespace {

using store::Eingabesatz;

constexpr std::size_t kNumberChars = 2;
constexpr std::size_t kCompanyChars = 10;
constexpr int kLongestDefault = 10;
constexpr int kMaxFieldBytes = 5;

bool even_2_to_20(int v) { return v >= 2 && v <= 20 && v % 2 == 0; }

std::string value_refusal(res::TextId message, int value) { return res::format(message, value); }

// One number of "Save": its field, its range and its message, and where it goes.
struct SavedNumber {
  int index;
  int low, high;
  bool even;
  res::TextId message;
  void (Eingabesatz::*set)(std::uint16_t);
};

const SavedNumber kSaveOrder[] = {
    {0, 1, 20, false, res::AD_BAD_NAME, &Eingabesatz::set_name_len},
    {1, 0, 20, false, res::AD_BAD_FIRST_NAME, &Eingabesatz::set_vorname_len},
    {2, 1, 10, false, res::AD_BAD_PERSONNEL_NUMBER, &Eingabesatz::set_personalnummer_len},
    {3, 2, 20, true, res::AD_BAD_IDENTIFICATION, &Eingabesatz::set_ausweis_len},
    {5, 0, 7, false, res::AD_BAD_USER_PIN, &Eingabesatz::set_user_pin_len},
    {6, 0, 1, false, res::AD_BAD_FINGERPRINT, &Eingabesatz::set_with_fingerprint},
    {7, 1, 10, false, res::AD_BAD_NUMBER_FINGER, &Eingabesatz::set_finger_count},
    {8, 70, 99, false, res::AD_BAD_MIN_Q, &Eingabesatz::set_min_quality},
    {9, 70, 99, false, res::AD_BAD_GOOD_Q, &Eingabesatz::set_good_quality},
};

bool is_company_char(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// The value of a key character: digits and upper-case A to F; -1 for any other.
int key_nibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::uint8_t* module_key(Eingabesatz& mask, int module) {
  return module == store::kLegicModule ? mask.rfid_key_b() : mask.rfid_key_a();
}

}  // namespace

int mask_number(const std::string& text) {
  int v = 0;
  for (std::size_t i = 0; i < text.size() && i < kNumberChars; ++i) {
    if (text[i] < '0' || text[i] > '9') break;
    v = v * 10 + (text[i] - '0');
  }
  return v;
}

std::string mask_typed_refusal(int index, const std::string& text) {
  if (text.empty()) return std::string();
  const int v = mask_number(text);
  const bool one_digit = text.size() == 1;
  switch (index) {
    case 0:
      return v >= 1 && v <= 20 ? std::string() : value_refusal(res::AD_VALUE_1_20, v);
    case 1:
      return v <= 20 ? std::string() : value_refusal(res::AD_VALUE_0_20, v);
    case 2:
      return v >= 1 && v <= 10 ? std::string() : value_refusal(res::AD_VALUE_1_10, v);
    case 3: {
      // A first digit may still become 10 to 20.
      bool ok = one_digit ? (v == 0 || v == 1 || (v % 2 == 0)) : even_2_to_20(v);
      return ok ? std::string() : value_refusal(res::AD_VALUE_EVEN_2_20, v);
    }
    case 5:
      return v <= 7 ? std::string() : value_refusal(res::AD_VALUE_0_7, v);
    case 6:
      return text[0] == '0' || text[0] == '1'
                 ? std::string()
                 : res::format(res::AD_CHAR_0_1, static_cast<int>(text[0]));
    case 7: {
      bool ok = one_digit ? v > 0 : v >= 1 && v <= 10;
      return ok ? std::string() : value_refusal(res::AD_VALUE_1_10, v);
    }
    case 8:
    case 9:
      return one_digit || (v >= 70 && v <= 99) ? std::string()
                                               : value_refusal(res::AD_VALUE_70_99, v);
    default:
      return std::string();
  }
}

std::string mask_left_refusal(int index, const std::string& text) {
  if (index == MaskForm::kCompanyCode)
    return text.size() % 2 == 0
               ? std::string()
               : value_refusal(res::AD_COMPANY_LENGTH_TYPED, static_cast<int>(text.size()));
  if (text.empty()) return res::text(res::AD_VALUE_REQUIRED);
  const int v = mask_number(text);
  switch (index) {
    case 3:
      return even_2_to_20(v) ? std::string() : value_refusal(res::AD_VALUE_EVEN_2_20, v);
    case 8:
    case 9:
      return v >= 70 && v <= 99 ? std::string() : value_refusal(res::AD_VALUE_70_99, v);
    default:
      return std::string();
  }
}

std::string take_mask_form(const MaskForm& form, Eingabesatz& mask) {
  for (const SavedNumber& n : kSaveOrder) {
    const int v = mask_number(form.fields[n.index]);
    if (v < n.low || v > n.high || (n.even && v % 2 != 0)) return res::text(n.message);
    (mask.*n.set)(static_cast<std::uint16_t>(v));
  }
  const std::string company = res::cut(form.fields[MaskForm::kCompanyCode], kCompanyChars);
  if (company.size() % 2 != 0) return res::text(res::AD_BAD_COMPANY_LENGTH);
  for (char c : company)
    if (!is_company_char(c)) return res::text(res::AD_BAD_COMPANY_CHAR);
  mask.set_default_firma(company);
  const auto& s = form.switches;
  mask.set_spin_plain(s[0] ? 1 : 0);
  mask.set_spin_manual(s[1] ? 1 : 0);
  mask.set_spin_keyboard(s[2] ? 1 : 0);
  mask.set_assign_finger_name(s[3] ? 1 : 0);
  mask.set_show_quality(s[4] ? 1 : 0);
  mask.set_def_write_on_transponder(s[5] ? 1 : 0);
  mask.set_def_distribute_to_reader(s[6] ? 1 : 0);
  mask.set_def_save_in_db(s[7] ? 1 : 0);
  return std::string();
}

std::array<bool, MaskForm::kSwitches> mask_switches(const Eingabesatz& mask) {
  return {mask.spin_plain() != 0,         mask.spin_manual() != 0,
          mask.spin_keyboard() != 0,      mask.assign_finger_name() != 0,
          mask.show_quality() != 0,       mask.def_write_on_transponder() != 0,
          mask.def_distribute_to_reader() != 0, mask.def_save_in_db() != 0};
}

int default_digits(const Eingabesatz& mask, int field) {
  const int bytes = mask.zusatz_len(field);
  return bytes >= 1 && bytes <= kMaxFieldBytes ? 2 * bytes : kLongestDefault;
}

std::string default_refusal(const Eingabesatz& mask, int field, const std::string& text) {
  if (text.empty()) return std::string();
  const std::size_t bad = views::first_non_hex(text);
  if (bad != std::string::npos)
    return res::format(res::VW_HEX_CHAR_REFUSED, static_cast<int>(text[bad]));
  const int digits = default_digits(mask, field);
  if (static_cast<int>(text.size()) == digits) return std::string();
  return res::format(res::AD_DEFAULT_LENGTH, static_cast<int>(text.size()), digits);
}

int key_bytes(int module) {
  switch (module) {
    case store::kDesfireModule:
    case store::kLegicModule:
      return 16;
    case store::kMifareModule:
      return 6;
    default:
      return 0;
  }
}

std::string key_shown(const Eingabesatz& mask, bool administrator) {
  const int module = mask.module_type();
  const std::uint8_t* key =
      module == store::kLegicModule ? mask.rfid_key_b() : mask.rfid_key_a();
  std::string shown;
  for (int i = 0; i < key_bytes(module); ++i)
    shown += administrator ? res::sformat("%02X", key[i]) : std::string("**");
  return shown;
}

KeyReading read_key(const std::string& text, int bytes) {
  KeyReading r;
  for (int i = 0; i < bytes && i < static_cast<int>(r.key.size()); ++i) {
    const std::size_t at = 2 * static_cast<std::size_t>(i);
    if (at >= text.size()) {
      r.messages.push_back(res::AD_KEY_FIRST_CHAR);
      continue;
    }
    int high = key_nibble(text[at]);
    if (high < 0) r.messages.push_back(res::AD_KEY_FIRST_CHAR);
    int low = at + 1 < text.size() ? key_nibble(text[at + 1]) : -1;
    if (low < 0) r.messages.push_back(res::AD_KEY_SECOND_CHAR);
    r.key[i] = static_cast<std::uint8_t>(((high < 0 ? 0 : high) << 4) | (low < 0 ? 0 : low));
  }
  return r;
}

bool store_key(Eingabesatz& mask, int module, const KeyReading& reading) {
  const int bytes = key_bytes(module);
  if (bytes == 0) return false;
  std::uint8_t* key = module_key(mask, module);
  if (std::memcmp(key, reading.key.data(), static_cast<std::size_t>(bytes)) == 0) return false;
  std::memcpy(key, reading.key.data(), static_cast<std::size_t>(bytes));
  return true;
}

}  // namespace admin
