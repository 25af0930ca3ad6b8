// Record helpers: finger blocks, hexadecimal texts and the identification data.
#include <cstring>

#include "store/records.h"

namespace store {

int finger_block_index(int group, int position, int fingers) {
  if (fingers < 1 || fingers > kFingerBlocks) return -1;
  if (position < 1 || position > fingers) return -1;
  if (group < 1 || group > kFingerBlocks / fingers) return -1;
  return (group - 1) * fingers + (position - 1);
}

bool holds_real_template(const Templatesatz& t, int block) {
  int len = t.length(block);
  return len > 0 && len <= kMaxTemplateLength && t.quality(block) != 0;
}

int group_template_count(const Templatesatz& t, int group, int fingers) {
  int count = 0;
  for (int p = 1; p <= fingers; ++p) {
    int i = finger_block_index(group, p, fingers);
    if (i >= 0 && t.length(i) != 0 && t.group(i) == group) ++count;
  }
  return count;
}

void clear_finger_block(Templatesatz& t, int block) {
  std::memset(t.block(block), 0, kFingerBlockSize);
}

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// `s` cut to `digits` characters or padded on the left with "0".
std::string fit(const std::string& s, int digits) {
  if (digits <= 0) return std::string();
  if (static_cast<int>(s.size()) >= digits) return s.substr(0, static_cast<std::size_t>(digits));
  return pad_left_zero(s, digits);
}

}  // namespace

bool is_hex_text(const std::string& s) {
  for (char c : s)
    if (hex_value(c) < 0) return false;
  return true;
}

std::string pad_left_zero(const std::string& s, int digits) {
  if (static_cast<int>(s.size()) >= digits) return s;
  return std::string(static_cast<std::size_t>(digits) - s.size(), '0') + s;
}

std::string identification_text(const Personensatz& p, const Eingabesatz& mask) {
  auto field = [&](int i) {
    return mask.zusatz_active(i) ? fit(p.zusatz(i), 2 * mask.zusatz_len(i)) : std::string();
  };
  return field(1) + mask.default_firma() + field(2) + field(3) +
         fit(p.ausweisnummer(), mask.ausweis_len()) + field(4);
}

int pack_hex(const std::string& hex, std::uint8_t* out, int max) {
  int n = 0;
  for (std::size_t i = 0; i + 1 < hex.size() && n < max; i += 2) {
    int hi = hex_value(hex[i]);
    int lo = hex_value(hex[i + 1]);
    if (hi < 0 || lo < 0) return -1;
    out[n++] = static_cast<std::uint8_t>(hi << 4 | lo);
  }
  return n;
}

int user_id_length(const Eingabesatz& mask) {
  int total = static_cast<int>(mask.default_firma().size()) + mask.ausweis_len();
  for (int i = 1; i <= 4; ++i)
    if (mask.zusatz_active(i)) total += 2 * mask.zusatz_len(i);
  return total / 2;
}

}  // namespace store
