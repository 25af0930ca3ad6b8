// The answer decoder of "Y"/"e" deliveries and the answer polling (leser_funk).
#include <cstring>

#include "link/link.h"
#include "link/link_internal.h"
#include "resources/catalogue.h"

namespace rlink {
namespace {

struct UnitStatus {
  res::TextId text;  // kTextCount: no text
  bool box;
  int result;  // -1: result character unchanged
};

// Class 0x01 codes 0x01 to 0x0E.
const UnitStatus kUnitStatus[] = {
    {LINK_FP_ALREADY_IN_DB, false, 0x7C},   {LINK_FP_DB_FULL, true, 0x7B},
    {LINK_FP_TIMEOUT, false, 0x7A},         {LINK_FP_TEMPLATE_FORMAT, false, -1},
    {res::kTextCount, false, 0x78},         {LINK_FP_WRONG_PIN, false, -1},
    {LINK_FP_WRONG_CARD_ID, false, 0x7F},   {LINK_FP_PIR_MOTION, false, -1},
    {LINK_FP_PIR_NO_MOTION, false, -1},     {LINK_FP_ADD_TWO_EQUAL, false, 0x6E},
    {LINK_FP_ADD_USER_ID_USED, false, 0x6D}, {LINK_FP_ADD_WRONG_USER, false, 0x6C},
    {LINK_FP_ADD_PARAMETER, false, 0x6B},   {LINK_FP_CARD_TIMEOUT, false, -1},
};

void place(const std::string& text, bool box) {
  state().message = text;
  if (box) show(text, res::text(CAP_INFO));
}

int be16(const Text& t, int at) { return t.b[static_cast<std::size_t>(at)] << 8 | t.b[static_cast<std::size_t>(at) + 1]; }

void decode_unit_status(Text& text) {
  int code = text.b[2];
  if (code == 0) {
    text.clear();
    text.b[0] = '0';
    text.len = 1;
    return;
  }
  if (code > 0x0E) {
    place(res::format(LINK_FP_UNKNOWN_ERROR, code), true);
    return;
  }
  const UnitStatus& s = kUnitStatus[code - 1];
  if (s.text != res::kTextCount) place(res::text(s.text), s.box);
  if (s.result >= 0) text.b[1] = static_cast<std::uint8_t>(s.result);
}

// Class 0x66 code 0x02: quality at 3, block length (big-endian) at 4, block from
// 6 whose last byte is the XOR of the bytes before it. A length the text does
// not hold, or one beyond the template buffer, is refused like a bad check.
void decode_template(Text& text) {
  State& st = state();
  bool first = st.enrol_mark == 1;
  st.enrol_mark = 0;
  int n = text.len >= 6 ? be16(text, 4) : 0;
  bool fits = n >= 1 && n <= kTemplateBuffer && 6 + n <= text.len;
  bool good = false;
  if (fits) {
    auto& dest = first ? st.template1 : st.template2;
    dest.fill(0);
    std::memcpy(dest.data(), text.b.data() + 6, static_cast<std::size_t>(n));
    (first ? st.template_len1 : st.template_len2) = n;
    std::uint8_t x = 0;
    for (int i = 0; i < n - 1; ++i) x ^= dest[static_cast<std::size_t>(i)];
    good = x == dest[static_cast<std::size_t>(n - 1)];
  }
  if (!good) {
    show(res::text(LINK_ENROL_BCC), res::text(CAP_INFO));
    return;
  }
  st.template_quality = text.b[3];
  text.b[1] = 0x7E;
}

void decode_unit_data(Text& text) {
  State& st = state();
  switch (text.b[2]) {
    case 0x02:
      decode_template(text);
      break;
    case 0x05:
      if (text.len >= 4 && text.b[3] > 2) show(res::text(LINK_IDENTIFY_UNKNOWN), res::text(CAP_INFO));
      st.identify_pending = 0;
      break;
    case 0x08: {
      if (text.len < 11) break;
      std::string version(reinterpret_cast<const char*>(text.b.data()) + 11);
      std::string msg = res::text(LINK_DB_INFO_HEAD);
      msg += res::format(LINK_DB_INFO_FP_MAX, be16(text, 3));
      msg += res::format(LINK_DB_INFO_FP_NOW, be16(text, 5));
      msg += res::format(LINK_DB_INFO_FLASH_MAX, be16(text, 7));
      msg += res::format(LINK_DB_INFO_FLASH_NOW, be16(text, 9));
      msg += res::format(LINK_DB_INFO_VERSION, version.c_str());
      show(msg, res::text(CAP_INFO));
      st.info_pending = 0;
      break;
    }
    case 0x0B: {
      if (text.len < 15) break;
      const std::uint8_t* e = text.b.data() + 3;
      std::string msg = res::format(LINK_ERROR_CODE_1, e[0], e[1], e[2], e[3]);
      msg += res::format(LINK_ERROR_CODE_2, e[4], e[5], e[6], e[7]);
      msg += res::format(LINK_ERROR_CODE_3, e[8], e[9], e[10], e[11]);
      show(msg, res::text(CAP_INFO));
      break;
    }
    default:
      break;
  }
}

void message_a(const Text& t) {
  show(res::format(LINK_FUNK_MESSAGE_A, t.b[2], t.b[3], t.b[4]), res::text(CAP_ERROR_MESSAGE));
}

// Fetch after a DC1 or return the poll's own outcome. `delivered` is set when
// daten_holen returned 0 (an answer to map).
int poll_and_fetch(int address, Text& text, int* fetch) {
  int poll = leser_poll(address);
  if (poll <= 0) return poll;
  text.clear();
  *fetch = daten_holen(address, text);
  return 1;
}

// Maps an answer text; `antwort` selects the leser_funk_antwort column.
int map_answer(const Text& t, bool antwort) {
  std::uint8_t first = t.b[0];
  if (first == 'D') return antwort ? 0x44 : -37;
  if (first != 'Y') return antwort ? first : 0;
  switch (t.b[1]) {
    case 0x7E: return 1;
    case 0x7C: return 3;
    case 0x7B: return 4;
    case 0x7A: return 5;
    case 0x78: return 7;
    case 0x6E: if (!antwort) message_a(t); return antwort ? 12 : 0;
    case 0x6D: if (!antwort) message_a(t); return antwort ? 13 : 0;
    case 0x6C: if (!antwort) message_a(t); return antwort ? 14 : 0;
    case 0x6B: if (!antwort) message_a(t); return antwort ? 15 : 0;
    case 0x7F: return antwort ? 0x59 : 0;
    case 0x01:
      if (t.b[2] > 9)
        show(res::format(LINK_FUNK_UNKNOWN_ANSWER, t.b[2]), res::text(CAP_ERROR_MESSAGE));
      return antwort ? 0x59 : 0;
    case 0x66:
      show(res::format(LINK_FUNK_UNKNOWN_STATUS, t.b[2]), res::text(CAP_ERROR_MESSAGE));
      return antwort ? 0x59 : 0;
    default:
      message_a(t);
      return antwort ? 0x59 : 0;
  }
}

int funk(int address, bool antwort) {
  if (address == 0) address = default_address();
  Text text;
  int fetch = 0;
  int poll = poll_and_fetch(address, text, &fetch);
  if (poll == 0) return 0;
  if (poll < 0) {
    show(res::format(LINK_FUNK_POLL_ERROR, poll, address), res::text(CAP_ERROR_MESSAGE));
    return antwort ? -98 : -99;
  }
  if (fetch == address && fetch != 0) {
    State& st = state();
    st.last_delivery.fill(0);
    std::memcpy(st.last_delivery.data(), text.b.data(), 62);
    return antwort ? 1000 : 1;
  }
  if (fetch != 0) {
    show(res::format(LINK_FUNK_FETCH_ERROR, fetch, address), res::text(CAP_ERROR_MESSAGE));
    return antwort ? -99 : -98;
  }
  return map_answer(text, antwort);
}

}  // namespace

void decode_answer(Text& text) {
  if (text.len < 3) return;  // no class and code: nothing to decode
  switch (text.b[1]) {
    case 0x01:
      decode_unit_status(text);
      break;
    case 0x66:
      decode_unit_data(text);
      break;
    default:
      show(res::format(LINK_UNKNOWN_RETURN, text.b[1]), res::text(CAP_INFO));
      break;
  }
}

int leser_funk_daten(int address) { return funk(address, false); }
int leser_funk_antwort(int address) { return funk(address, true); }

}  // namespace rlink
