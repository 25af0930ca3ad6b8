// Fingerprint unit telegrams: build a payload, send it as one frame, wait for the
// acknowledgement and, for the read commands, receive and store the answer.
#include <cstdio>
#include <cstring>

#include "link/link.h"
#include "link/link_internal.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "resources/catalogue.h"
#include "store/store.h"

namespace rlink {
namespace {

void clear_marks() {
  State& st = state();
  st.info_pending = 0;
  st.identify_pending = 0;
  st.enrol_mark = 0;
}

// Sends a payload and waits for the acknowledgement: 1, -1 not sent, -2 no ACK.
int command(const std::uint8_t* payload, int length, bool clears_marks, int pause_ms = 0) {
  if (send_frame(payload, length) != 1) return -1;
  if (pause_ms > 0) platform::sleep_ms(static_cast<std::uint32_t>(pause_ms));
  if (wait_ack() != 1) return -2;
  if (clears_marks) clear_marks();
  return 1;
}

std::string hex_of(const std::uint8_t* p, int n) {
  std::string s;
  char two[3];
  for (int i = 0; i < n; ++i) {
    std::snprintf(two, sizeof two, "%02X", p[i]);
    s += two;
  }
  return s;
}

void checksum_box() {
  show(res::format(LINK_CHECKSUM_WRONG, reader_name().c_str()), res::text(CAP_ERROR_MESSAGE));
}

// read_hw_info and get_system_info: the answer frame into `buf` (capacity 100).
// Its length, or -3 / -4 after DLE NAK.
int info_answer(int address, std::uint8_t* buf) {
  std::memset(buf, 0, 101);
  int r = receive_frame(buf, 100);
  if (r > 0 && buf[0] != address_char(address)) {
    send_nak();
    return -4;
  }
  if (r <= 0) {
    if (r == 0) checksum_box();
    send_nak();
    return -3;
  }
  send_ack();
  return r;
}

// The parameter reads: answer into `block` (capacity 200). `empty_at_3`: an
// answer whose byte 3 is 0 clears bytes 4 on. An answer carrying another
// unit's address is refused like one that does not check.
int block_answer(int address, std::array<std::uint8_t, kBlockSize>& block, bool empty_at_3,
                 res::TextId checksum_text, res::TextId nak_text) {
  std::uint8_t buf[kBlockSize + 1] = {};
  int r = receive_frame(buf, kBlockSize);
  if (r > 0 && buf[0] != address_char(address)) r = -4;
  if (r <= 0) {
    if (r == 0) show(res::text(checksum_text), res::text(CAP_INFO));
    show(res::text(nak_text), res::text(CAP_INFO));
    send_nak();
    return -3;
  }
  send_ack();
  if (r <= 3) return 0;
  std::memcpy(block.data(), buf, kBlockSize);
  if (empty_at_3 && block[3] == 0) std::memset(block.data() + 4, 0, kBlockSize - 4);
  return 1;
}

int simple(int address, std::initializer_list<std::uint8_t> after, bool clears_marks) {
  std::uint8_t p[16] = {address_char(address)};
  int n = 1;
  for (std::uint8_t b : after) p[n++] = b;
  return command(p, n, clears_marks);
}

// Waits for input before the acknowledgement of a long telegram: up to `rounds`
// rounds of 5 ms, ending as soon as something is waiting.
void wait_before_ack(int rounds) {
  for (int i = 0; i < rounds; ++i) {
    int waiting = state().via_tcp ? io().tcp_wait_readable(5) : io().com_wait_input(5);
    if (waiting) return;
  }
}

}  // namespace

int user_id(std::uint8_t* out, int max) {
  const store::Tables& t = store::db();
  std::string hex = store::identification_text(t.person_read, t.eingabe);
  return store::pack_hex(hex, out, max);
}

int read_hw_info(int address) {
  int sent = simple(address, {'H'}, false);
  if (sent != 1) return sent;
  std::uint8_t buf[101];
  int r = info_answer(address, buf);
  if (r < 0) return r;
  state().hardware_type = buf[2];
  return 1;
}

int get_system_info(int address) {
  int sent = simple(address, {'J'}, false);
  if (sent != 1) return sent;
  std::uint8_t buf[101];
  int r = info_answer(address, buf);
  if (r < 0) return r;
  state().serial_number = hex_of(buf + 15, 10);
  return 1;
}

int fp_parameter_reset(int address) { return simple(address, {'P', 'R', 0xAD}, false); }

int fp_keyboard(int address, int pin_length, int time) {
  return simple(address,
                {'T', static_cast<std::uint8_t>(pin_length), static_cast<std::uint8_t>(time), 0x00,
                 0x01, 0x01},
                false);
}

int read_csn(int address) {
  int sent = simple(address, {'G', 0x00}, false);
  if (sent != 1) return sent;
  platform::sleep_ms(500);
  std::uint8_t buf[51] = {};
  int r = receive_frame(buf, 50);
  state().csn_answer = r > 0 ? hex_of(buf, r) : "";
  if (r > 0 && buf[0] != address_char(address)) r = -4;  // another unit's answer
  if (r <= 2) {
    if (r == 0) checksum_box();
    send_nak();
    return -3;
  }
  send_ack();
  if (r < 13) {
    state().csn.clear();
    return 0;
  }
  state().csn = hex_of(buf + 3, 10);
  return 1;
}

int fp_transparent(int address, int on) {
  return simple(address, {'Y', static_cast<std::uint8_t>(on ? 0x0C : 0x0D)}, true);
}

int fp_enrol(int address, int time, int second_buffer) {
  int r = simple(address, {'Y', 0x02, static_cast<std::uint8_t>(time)}, false);
  if (r == 1) {
    state().info_pending = 0;
    state().identify_pending = 0;
    state().enrol_mark = second_buffer ? 2 : 1;
  }
  return r;
}

int fp_del_template(int address) {
  std::uint8_t id[60];
  int n = user_id(id, 60);
  if (n < 0) return -1;
  return fp_del_user_id(address, id, n);
}

int fp_del_user_id(int address, const std::uint8_t* id, int length) {
  std::uint8_t p[64] = {address_char(address), 'Y', 0x06};
  if (length < 0 || length > 60) return -1;
  std::memcpy(p + 3, id, static_cast<std::size_t>(length));
  return command(p, 3 + length, true);
}

int fp_del_template_all(int address) { return simple(address, {'Y', 0x07}, true); }

int fp_led(int address, int colour, int mode, int flag) {
  std::uint8_t c = colour >= 0 && colour <= 7 ? static_cast<std::uint8_t>(colour) : 0;
  std::uint8_t m = mode == 1 ? 0x40 : mode == 2 ? 0x80 : 0x00;
  std::uint8_t f1 = flag ? 0x10 : 0x00, f2 = flag ? 0x10 : 0x01;
  return simple(address, {'Y', 0x09, c, 0x46, m, f1, f2}, false);
}

int fp_change_bmode(int address, int mode) {
  std::uint8_t m = mode < 0 || mode > 5 ? 0 : static_cast<std::uint8_t>(mode);
  return simple(address, {'Y', 0x0E, m, 0x01}, true);
}

int fp_get_parameter_allg(int address) {
  int sent = simple(address, {'P', 'a'}, false);
  if (sent != 1) return sent;
  return block_answer(address, state().param_allg, false, LINK_ALLG_CHECKSUM, LINK_ALLG_NAK);
}

int fp_set_parameter_allg(int address, const std::uint8_t* block) {
  std::uint8_t p[47] = {address_char(address), 'P', 'A'};
  if (block[0] != 0) {
    std::memcpy(p + 3, block + 3, 20);
  } else {
    const std::uint8_t defaults[18] = {1, 1, 1, 1, 1, 1, block[9], 10, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0};
    std::memcpy(p + 3, defaults, sizeof defaults);
  }
  return command(p, 47, true);
}

int fp_get_parameter_1(int address) {
  int sent = simple(address, {'P', '/', 0x01}, false);
  if (sent != 1) return sent;
  return block_answer(address, state().param_1, true, LINK_SET1_CHECKSUM, LINK_SET1_NAK);
}

int fp_set_parameter_1(int address, const std::uint8_t* block) {
  std::uint8_t p[47] = {address_char(address), 'P', '?', 0x01};
  std::memcpy(p + 4, block + 4, 21);
  return command(p, 47, true);
}

int fp_get_parameter_2_3_4(int address, int set) {
  if (set < 2 || set > 4) return 0;
  int sent = simple(address, {'P', '/', static_cast<std::uint8_t>(set)}, false);
  if (sent != 1) return sent;
  return block_answer(address, state().param_rfid, true, LINK_SET234_CHECKSUM, LINK_SET234_NAK);
}

int fp_set_iversion(int address, const std::string& version) {
  std::uint8_t p[19] = {address_char(address), 'P', 'E', 0x01};
  std::memcpy(p + 4, version.data(), version.size() < 15 ? version.size() : 15);
  return command(p, 19, true);
}

int fp_load_parameter_set(int address, const std::uint8_t* set, int length) {
  if (length >= 149 || length < 0) return 0;
  std::uint8_t p[150] = {address_char(address)};
  std::memcpy(p + 1, set, static_cast<std::size_t>(length));
  return command(p, length + 1, false);
}

int fp_add(int address, int group) {
  const store::Tables& t = store::db();
  const store::Personensatz& person = t.person_read;
  const store::Templatesatz& tpl = t.template_read;
  const store::Eingabesatz& mask = t.eingabe;
  static std::uint8_t p[kMaxPayload + 64];
  std::memset(p, 0, sizeof p);
  int n = 0;
  p[n++] = address_char(address);
  p[n++] = 'Y';
  p[n++] = 0x01;
  int id = user_id(p + n, 64);
  if (id < 0) return -1;
  n += id;
  std::string special = person.spezial_pin();
  if (!special.empty()) {
    std::memcpy(p + n, special.data(), special.size());
    n += static_cast<int>(special.size());
  } else {
    int pin_len = mask.user_pin_len() > 12 ? 12 : mask.user_pin_len();
    std::memcpy(p + n, person.b.data() + 94, static_cast<std::size_t>(pin_len));
    n += pin_len;
  }
  p[n++] = static_cast<std::uint8_t>(person.combined_mode() + group);
  if (!special.empty()) {
    n += 21;  // template count 0 and ten empty length entries
    return command(p, n, true);
  }
  // The blocks of the group (all ten for group 0) that are in use. A block whose
  // length is beyond 31999 (a placeholder) or beyond what a finger block holds
  // is counted but carries no data.
  int fingers = mask.finger_count() >= 1 && mask.finger_count() <= 10 ? mask.finger_count() : 1;
  int first = group ? (group - 1) * fingers : 0;
  int last = group ? first + fingers - 1 : store::kFingerBlocks - 1;
  if (last >= store::kFingerBlocks) last = store::kFingerBlocks - 1;
  int blocks[store::kFingerBlocks];
  int count = 0;
  for (int i = first; i <= last; ++i) {
    if (tpl.length(i) == 0) continue;
    if (group && tpl.group(i) != group) continue;
    blocks[count++] = i;
  }
  if (count == 0) return 0;
  p[n++] = static_cast<std::uint8_t>(count);
  int entries = 0;
  for (int k = 0; k < count; ++k) {
    int len = tpl.length(blocks[k]);
    if (len < 0 || len > store::kTemplateDataSize) continue;
    p[n++] = static_cast<std::uint8_t>(len >> 8);
    p[n++] = static_cast<std::uint8_t>(len & 0xFF);
    ++entries;
  }
  n += 2 * (10 - entries);
  for (int k = 0; k < count; ++k) {
    int len = tpl.length(blocks[k]);
    if (len < 0 || len > store::kTemplateDataSize) continue;
    if (n + len > kMaxPayload + 1) return -1;  // too long for one frame
    std::memcpy(p + n, tpl.data(blocks[k]), static_cast<std::size_t>(len));
    n += len;
  }
  if (send_frame(p, n) != 1) return -1;
  wait_before_ack(n / 10 + 1);
  if (wait_ack() != 1) return -2;
  clear_marks();
  return 1;
}

namespace {

const std::uint8_t* rfid_main() { return store::db().eingabe.b.data() + 86; }
const std::uint8_t* rfid_module2() { return store::db().eingabe.b.data() + 112; }
const std::uint8_t* rfid_key_a() { return store::db().eingabe.b.data() + 46; }

bool chunk_fits(int length) { return length >= 0 && length <= 200; }

}  // namespace

int fp_write_card(int address, const std::uint8_t* data, int length) {
  if (!chunk_fits(length)) return -1;
  const std::uint8_t* m2 = rfid_module2();
  std::uint8_t p[18 + 200] = {address_char(address), 'W', 0x01, m2[0], m2[1], m2[2],
                              static_cast<std::uint8_t>(length), 0, 0, m2[3], m2[4]};
  if (m2[4] != 0) std::memcpy(p + 11, m2 + 5, 7);
  std::memcpy(p + 18, data, static_cast<std::size_t>(length));
  return command(p, 18 + length, false);
}

int fp_write_card_16(int address, const std::uint8_t* data, int length) {
  if (!chunk_fits(length)) return -1;
  const std::uint8_t* m = rfid_main();
  std::uint8_t p[29 + 200] = {address_char(address), 'W', 0x11};
  std::memcpy(p + 3, m, 6);
  std::memcpy(p + 9, rfid_key_a(), 16);
  p[25] = m[22];
  p[26] = m[23];
  p[27] = static_cast<std::uint8_t>(length >> 8);
  p[28] = static_cast<std::uint8_t>(length & 0xFF);
  std::memcpy(p + 29, data, static_cast<std::size_t>(length));
  return command(p, 29 + length, false, 50);
}

// Module type 3: main settings bytes 0 to 3, the 6-byte write key, the data.
int fp_write_card_6(int address, const std::uint8_t* data, int length) {
  if (!chunk_fits(length)) return -1;
  const std::uint8_t* m = rfid_main();
  std::uint8_t p[13 + 200] = {address_char(address), 'W', 0x10, m[0], m[1], m[2], m[3]};
  std::memcpy(p + 7, rfid_key_a(), 6);
  std::memcpy(p + 13, data, static_cast<std::size_t>(length));
  return command(p, 13 + length, false, 50);
}

}  // namespace rlink
