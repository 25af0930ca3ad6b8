// Station and reader operations: connect, synchronise, transparent mode on, the
// operation's own telegrams and answer waits, transparent mode off after every
// outcome, close. Each returns one result and reports failures in boxes.
#include <cstring>

#include "link/link.h"
#include "link/link_internal.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "resources/catalogue.h"
#include "store/store.h"

namespace rlink {
namespace {

constexpr int kPrompt = 0x3E;  // ">": the unit took the command

// A status or answer byte as a box shows it ("%02X"): its low eight bits, so
// that a failure of the answer wait (-98, -99) shows as two digits ("9D"), not
// widened to "FFFFFF9D".
int status_byte(int answer) { return answer & 0xFF; }

struct Conn {
  int com_port = 0, baud = 0;
  std::string host;
  int port = 0;
};

Conn station_conn() {
  const store::Konfigsatz& k = store::db().konfig;
  return {k.com_port(), k.baud(), k.ip(), k.tcp_port()};
}

Conn reader_conn() {
  const store::Lesersatz& r = store::db().current_reader;
  return {r.com_port(), r.baud(), r.ip(), r.tcp_port()};
}

void use_station_transport() { state().via_tcp = store::db().konfig.station_connection() != 0; }

bool tcp() { return state().via_tcp != 0; }

// The bus address of the current reader: its stored index + 1, as one byte.
int reader_address() { return static_cast<std::uint8_t>(store::db().current_reader.bus_address() + 1); }

std::string reader_caption() { return res::format(CAP_INFO_READER, reader_name().c_str()); }

// 0 connected; kComOpenFailed or kTcpConnectFailed.
int connect(const Conn& c) {
  if (tcp()) return io().tcp_connect(c.host.c_str(), c.port) == 0 ? 0 : kTcpConnectFailed;
  return io().com_open(c.com_port, c.baud) == 1 ? 0 : kComOpenFailed;
}

// A failing clean-up step (transparent off, close) replaces the result when the
// operation itself had not failed yet, or when the link never opened (-1, -2);
// otherwise the first failure is the one reported.
int cleanup_result(int result, bool connected, int cleanup_failure) {
  return result >= 0 || !connected ? cleanup_failure : result;
}

// Closes the link; kComCloseFailed / kTcpCloseFailed (or `tcp_code`) on
// failure, as cleanup_result says.
int close_link(int result, bool connected, const std::string& caption, res::TextId tcp_text,
               int tcp_code = kTcpCloseFailed) {
  if (tcp()) {
    if (io().tcp_close() != 0) {
      show(res::text(tcp_text), caption);
      return cleanup_result(result, connected, tcp_code);
    }
    return result;
  }
  return io().com_close() == 1 ? result : cleanup_result(result, connected, kComCloseFailed);
}

// The caller's hook between two polls of a wait.
void idle() {
  if (state().between_polls) state().between_polls();
}

// leser_funk_antwort up to n times, `pause` ms apart, until it is nonzero.
int wait_answer(int address, int n, int pause) {
  for (int i = 0; i < n; ++i) {
    int r = leser_funk_antwort(address);
    if (r != 0) return r;
    platform::sleep_ms(static_cast<std::uint32_t>(pause));
    idle();
  }
  return 0;
}

// leser_funk_daten up to n times, `pause` ms apart, until it is nonzero.
int wait_delivery(int address, int n, int pause) {
  int r = 0;
  for (int i = 0; i < n; ++i) {
    r = leser_funk_daten(address);
    if (r != 0) return r;
    platform::sleep_ms(static_cast<std::uint32_t>(pause));
    idle();
  }
  return r;
}

// kOk, or kTransparentOnFailed / kTransparentOnAnswer.
int transparent_on(int address, const std::string& caption) {
  if (fp_transparent(address, 1) != 1) {
    show(res::text(LINK_TRANSPARENT_ON_FAILED), caption);
    return kTransparentOnFailed;
  }
  int answer = wait_answer(address, 10300, 25);
  if (answer != kPrompt) {
    show(res::format(LINK_TRANSPARENT_ANSWER, status_byte(answer)), caption);
    return kTransparentOnAnswer;
  }
  return kOk;
}

// kOk, or kTransparentOffFailed / kTransparentOffAnswer.
int transparent_off(int address, const std::string& caption, int n, int pause) {
  if (fp_transparent(address, 0) != 1) {
    show(res::text(LINK_TRANSPARENT_OFF_FAILED), caption);
    return kTransparentOffFailed;
  }
  int answer = wait_answer(address, n, pause);
  if (answer != kPrompt) {
    show(res::format(LINK_TRANSPARENT_ANSWER, status_byte(answer)), caption);
    return kTransparentOffAnswer;
  }
  return kOk;
}

// Runs `body` (steps 2 to 4 after l_zam_init and transparent on) inside the
// common frame of a transparent-mode operation. `connect_fail_returns`: a
// failed connect returns at once; otherwise transparent off and close still run
// against the link that is not open.
template <typename Body>
int transparent_operation(int address, const Conn& conn, const std::string& caption,
                          bool connect_fail_returns, int off_n, int off_pause, Body body,
                          int tcp_close_code = kTcpCloseFailed) {
  int result = connect(conn);
  if (result != 0 && connect_fail_returns) return result;
  bool connected = result == 0;
  if (connected) {
    if (l_zam_init(address) != address) {
      result = kNoSync;
    } else {
      result = transparent_on(address, caption);
      if (result == 1) result = body();
    }
  }
  int off = transparent_off(address, caption, off_n, off_pause);
  if (off != 1) result = cleanup_result(result, connected, off);
  return close_link(result, connected, caption, LINK_TCP_CLOSE, tcp_close_code);
}

// The common frame without transparent mode: connect (a failure goes straight
// to the close), optionally l_zam_init, the body, close.
template <typename Body>
int plain_operation(int address, const Conn& conn, const std::string& caption, bool init,
                    Body body) {
  int result = connect(conn);
  bool connected = result == 0;
  if (connected) {
    if (init && l_zam_init(address) != address)
      result = kNoSync;
    else
      result = body();
  }
  return close_link(result, connected, caption, LINK_ENROL_TCP_CLOSE);
}

}  // namespace

int enrol_init() {
  use_station_transport();
  const int address = 1;
  std::string caption = res::text(CAP_INFO);
  return plain_operation(address, station_conn(), caption, true, [&]() {
    State& st = state();
    store::Eingabesatz& mask = store::db().eingabe;
    for (int round = 0; round < 8; ++round) {
      leser_funk_daten(address);
      platform::sleep_ms(20);
      if (round == 2 && read_hw_info(address) != 1) {
        show(res::text(LINK_HW_INFO_FAILED), caption);
        return -4;
      }
      if (round == 4) {
        if (get_system_info(address) != 1) {
          show(res::text(LINK_SYSTEM_INFO_FAILED), caption);
          return -5;
        }
        st.last_delivery.fill(0);
        std::memcpy(st.last_delivery.data(), st.serial_number.data(), st.serial_number.size());
      }
      if (round == 6) {
        int type = st.hardware_type;
        int set = type == 2 ? 3 : (type == 3 || type == 4) ? 2 : type == 5 ? 4 : 0;
        if (set == 0) continue;
        if (fp_get_parameter_2_3_4(address, set) != 1) {
          show(res::text(LINK_RFID_SET_FAILED), caption);
          return -6;
        }
        const std::uint8_t* a = st.param_rfid.data();
        if (set == 2) std::memcpy(mask.rfid_module2() + 1, a + 4, 11);
        if (set == 3) {
          std::memcpy(mask.rfid_main(), a + 4, 2);
          std::memcpy(mask.rfid_main() + 6, a + 6, 6);
        }
        if (set == 4) std::memcpy(mask.rfid_main(), a + 4, 24);
      }
    }
    if (fp_led(address, 3, 1, 0) != 1) show(res::text(LINK_LED_FAILED), caption);
    return 1;
  });
}

int parameter_reset(int address) {
  if (address == 0) address = 1;
  // The reader's own transport, as select_reader set it: with the station on
  // a COM port and the reader on TCP/IP (or the other way round) the station's
  // switch would reach for the wrong kind of connection.
  std::string caption = res::text(CAP_INFO);
  return transparent_operation(address, reader_conn(), caption, false, 20, 50, [&]() {
    if (fp_parameter_reset(address) != 1) {
      show(res::text(LINK_PARAM_RESET_FAILED), caption);
      return -200;
    }
    int answer = wait_answer(address, 100, 25);
    if (answer != kPrompt) {
      show(res::format(LINK_PARAM_RESET_ANSWER, status_byte(answer)), caption);
      return -201;
    }
    return 1;
  });
}

int enrol_transparent(int address, int on) {
  if (address == 0) address = 1;
  use_station_transport();
  std::string caption = res::text(CAP_INFO);
  int result = connect(station_conn());
  bool connected = result == 0;
  if (connected) {
    if (l_zam_init(address) != address)
      result = kNoSync;
    else
      result = on ? transparent_on(address, caption) : transparent_off(address, caption, 50, 20);
  }
  return close_link(result, connected, caption, LINK_ENROL_TCP_CLOSE);
}

int enrol_wait_delivery(int address, int time_ms, int with_init) {
  if (address == 0) address = 1;
  use_station_transport();
  return plain_operation(address, station_conn(), res::text(CAP_INFO), with_init != 0,
                         [&]() { return wait_delivery(address, time_ms / 20, 10); });
}

int enrol_read_csn(int address, int time_ms) {
  if (address == 0) address = 1;
  use_station_transport();
  state().csn_answer.clear();
  std::string caption = res::text(CAP_INFO);
  return transparent_operation(address, station_conn(), caption, false, 20, 50, [&]() {
    int r = wait_delivery(address, time_ms / 20, 10);
    if (r != 1) return r;
    r = read_csn(address);
    if (r > 0) {
      State& st = state();
      st.last_delivery.fill(0);
      std::memcpy(st.last_delivery.data(), st.csn.data(), st.csn.size());
      return 1;
    }
    if (r == 0) {
      show(res::text(LINK_NO_CSN), caption);
      return 0;
    }
    show(res::format(LINK_CSN_FAILED, r), caption);
    return -11;
  });
}

int enrol_keyboard(int address, int time_ms) {
  if (address == 0) address = 1;
  use_station_transport();
  std::string caption = res::text(CAP_INFO);
  return transparent_operation(address, station_conn(), caption, false, 50, 20, [&]() {
    if (fp_keyboard(address, store::db().eingabe.user_pin_len(), 15) != 1) {
      show(res::text(LINK_KEYBOARD_FAILED), caption);
      return -35;
    }
    return wait_delivery(address, time_ms / 20, 10);
  });
}

int template_enrol(int address, int time_value) {
  if (address == 0) address = store::db().current_reader.bus_address();
  use_station_transport();
  std::string caption = res::text(CAP_INFO);
  int result = connect(station_conn());
  if (result != 0) return result;
  if (l_zam_init(address) != address) {
    result = kNoSync;
  } else {
    result = transparent_on(address, caption);
    if (result == 1) {
      int sent = fp_enrol(address, time_value, 0);
      if (sent != 1) {
        show(res::format(LINK_FP_ENROL_FAILED, status_byte(sent)), caption);
        result = -12;
      } else {
        int r = wait_delivery(address, time_value * 150, 20);
        if (r == 0) result = 0;
        else if (r == 1) result = state().template_quality;
        else if (r == 5) result = -5;
        else if (r == 7) result = -7;
        else {
          show(res::format(LINK_ENROL_RESULT, r), caption);
          result = kNoSync;
        }
      }
    }
  }
  if (fp_led(1, 3, 1, 0) != 1) show(res::text(LINK_LED_FAILED), caption);
  int off = transparent_off(address, caption, 20, 50);
  if (off != 1) result = cleanup_result(result, true, off);
  return close_link(result, true, caption, LINK_ENROL_TCP_CLOSE);
}

namespace {

// The parameter check after transparent on (steps 1 to 6).
int parameter_check(int address, const std::string& caption) {
  State& st = state();
  st.reader_data_deleted = false;
  const store::Eingabesatz& mask = store::db().eingabe;
  if (fp_get_parameter_allg(address) < 0) return -40;
  if (fp_get_parameter_1(address) != 1) return -13;
  int u = store::user_id_length(mask);
  int p = mask.user_pin_len();
  int with_fp = mask.with_fingerprint() != 0 ? 1 : 0;
  if (st.param_allg[9] != p) {
    st.param_allg[9] = static_cast<std::uint8_t>(p);
    if (fp_set_parameter_allg(address, st.param_allg.data()) != 1) {
      show(res::text(LINK_SET_ALLG_FAILED), caption);
      return -41;
    }
    int answer = wait_answer(address, 100, 20);
    if (answer != kPrompt) {
      show(res::format(LINK_FAULTY_STATUS, status_byte(answer)), caption);
      return -42;
    }
  }
  std::uint8_t* s1 = st.param_1.data();
  bool configured = s1[21] != 0 || s1[24] != 0;
  bool same_id = s1[6] == u && s1[7] == p;
  if (configured && same_id && s1[8] == with_fp) return 1;
  std::string question = res::text(LINK_PARAM_MISMATCH) + res::text(LINK_PARAM_UPDATE_ASK);
  if (!configured || !same_id)
    question += res::text(LINK_ATTENTION) + res::text(LINK_READER_DB_DELETED);
  if (ask_yes_no(question, caption) != ui::kIdYes) return -16;
  s1[6] = static_cast<std::uint8_t>(u);
  s1[7] = static_cast<std::uint8_t>(p);
  s1[8] = static_cast<std::uint8_t>(with_fp);
  if (!configured) {
    // A unit never configured gets the base values of set 1 (bytes 9 to 24).
    const std::uint8_t fresh[16] = {0, 5, 1, 1, 0, 0, 0, 9, 0, 0, 0, 0, 1, 0, 0, 1};
    s1[4] = 1;
    s1[5] = 0;
    std::memcpy(s1 + 9, fresh, sizeof fresh);
  }
  int sent = fp_set_parameter_1(address, s1);
  if (sent != 1) {
    show(res::format(LINK_SET1_FAILED, sent), caption);
    return -14;
  }
  st.reader_data_deleted = !configured || !same_id;
  int answer = wait_answer(address, 100, 20);
  if (answer != kPrompt) {
    show(res::format(LINK_FAULTY_STATUS, status_byte(answer)), caption);
    return -15;
  }
  show(res::text(LINK_PARAM_UPDATED) + res::text(LINK_ATTENTION) + res::text(LINK_RELOAD_READER),
       caption);
  return 2;
}

int parameter_download(int address, const ParameterSet* sets, const std::string& caption,
                       res::TextId done_text) {
  int result = 1;
  for (int k = 0; k < kParameterSets && sets && !sets[k].empty(); ++k) {
    int sent = fp_load_parameter_set(address, sets[k].data(), static_cast<int>(sets[k].size()));
    if (sent != 1) {
      show(res::format(LINK_LOAD_PARAM_FAILED, sent), caption);
      return -17;
    }
    int answer = wait_answer(address, 100, 20);
    if (answer != kPrompt) {
      show(res::format(LINK_SET_FAULTY, k, status_byte(answer)), caption);
      return -18;
    }
    show(res::format(done_text, k), caption);
    result = 1;
  }
  return result;
}

}  // namespace

int check_enrol_parameter() {
  use_station_transport();
  std::string caption = res::text(CAP_INFO_ENROL);
  return transparent_operation(1, station_conn(), caption, true, 20, 50,
                               [&]() { return parameter_check(1, caption); });
}

int check_leser_parameter() {
  int address = reader_address();
  if (address == 0) return 0;
  std::string caption = reader_caption();
  return transparent_operation(address, reader_conn(), caption, tcp(), 20, 50,
                               [&]() { return parameter_check(address, caption); });
}

int load_enrol_parameter(const ParameterSet* sets) {
  use_station_transport();
  std::string caption = res::text(CAP_INFO_ENROL);
  return transparent_operation(1, station_conn(), caption, true, 20, 50, [&]() {
    return parameter_download(1, sets, caption, LINK_ENROL_SET_UPDATED);
  });
}

int load_reader_parameter(const ParameterSet* sets) {
  int address = reader_address();
  if (address == 0) return -1;
  std::string caption = reader_caption();
  return transparent_operation(address, reader_conn(), caption, tcp(), 20, 50, [&]() {
    return parameter_download(address, sets, caption, LINK_READER_SET_UPDATED);
  });
}

namespace {

int mode_command(int (*send)(int), res::TextId answer_text) {
  int address = reader_address();
  if (address == 0) return 0;
  std::string caption = reader_caption();
  return transparent_operation(address, reader_conn(), caption, true, 20, 50, [&]() {
    if (send(address) != 1) return -45;
    platform::sleep_ms(500);
    int answer = wait_answer(address, 250, 20);
    if (answer != kPrompt) {
      show(res::format(answer_text, status_byte(answer)), caption);
      return -46;
    }
    return 1;
  });
}

int g_mode = 0;
std::string g_version;
int send_bmode(int address) { return fp_change_bmode(address, g_mode); }
int send_iversion(int address) { return fp_set_iversion(address, g_version); }

}  // namespace

int change_bmode(int mode) {
  g_mode = mode;
  return mode_command(send_bmode, LINK_BMODE_ANSWER);
}

int set_iversion(const std::string& version) {
  g_version = version;
  return mode_command(send_iversion, LINK_IVERSION_ANSWER);
}

namespace {

// del_template: all templates (all != 0), the user ID `id` when given, or the
// current person's.
int delete_in_reader(int all, const std::uint8_t* id, int length) {
  int address = reader_address();
  if (address == 0) return 0;
  std::string caption = reader_caption();
  return transparent_operation(address, reader_conn(), caption, tcp(), 20, 50, [&]() {
    if (all == 0) {
      const int sent = id ? fp_del_user_id(address, id, length) : fp_del_template(address);
      if (sent != 1) return -20;
    }
    if (all != 0 && fp_del_template_all(address) != 1) return -19;
    int answer = wait_answer(address, 100, 20);
    if (answer != kPrompt && answer != 0x3F) {
      show(res::format(LINK_DEL_STATUS, status_byte(answer)), caption);
      return -21;
    }
    return 1;
  });
}

}  // namespace

int del_template(int all) { return delete_in_reader(all, nullptr, 0); }

int del_user_id(const std::uint8_t* id, int length) { return delete_in_reader(0, id, length); }

namespace {

res::TextId add_status_text(int code) {
  switch (code) {
    case 3: return LINK_ADD_FINGER_IN_DB;
    case 4: return LINK_ADD_DB_FULL;
    case 12: return LINK_ADD_TWO_EQUAL;
    case 13: return LINK_ADD_USER_ID_USED;
    case 14: return LINK_ADD_WRONG_USER;
    case 15: return LINK_ADD_PARAMETER;
    default: return LINK_FAULTY_STATUS;
  }
}

// One fp_add and its answer: 0 nothing to add, 1 added, else -22 / -23.
int add_group(int address, int group, const std::string& caption) {
  int r = fp_add(address, group);
  if (r == 0) return 0;
  if (r != 1) {
    show(res::format(LINK_ADD_FAILED, status_byte(r)), caption);
    return -22;
  }
  int answer = wait_answer(address, 100, 20);
  if (answer != kPrompt) {
    res::TextId id = add_status_text(answer);
    show(id == LINK_FAULTY_STATUS ? res::format(id, status_byte(answer)) : res::text(id), caption);
    return -23;
  }
  state().templates_added = 1;
  return 1;
}

}  // namespace

int add_template() {
  state().templates_added = 0;
  int address = reader_address();
  if (address == 0) return 0;
  std::string caption = reader_caption();
  return transparent_operation(
      address, reader_conn(), caption, tcp(), 20, 50,
      [&]() {
        fp_del_template(address);
        wait_answer(address, 100, 20);
        const store::Tables& t = store::db();
        if (t.eingabe.with_fingerprint() == 0) {
          int r = add_group(address, 0, caption);
          return r == 0 ? 1 : r;
        }
        int fingers = t.eingabe.finger_count() >= 1 ? t.eingabe.finger_count() : 1;
        bool special = !t.person_read.spezial_pin().empty();
        for (int g = 1; g <= 10 / fingers; ++g) {
          int r = add_group(address, g, caption);
          if (r < 0) return r;
          if (r == 1 && special) break;
        }
        return 1;
      },
      -9);
}

int write_card_data(int address, const std::uint8_t* data, int length) {
  if (address == 0) address = 1;
  use_station_transport();
  std::string caption = res::text(CAP_INFO);
  return plain_operation(address, station_conn(), caption, true, [&]() {
    store::Eingabesatz& mask = store::db().eingabe;
    int type = mask.module_type();
    int (*send)(int, const std::uint8_t*, int) = nullptr;
    std::uint8_t* start = nullptr;  // the start address field, big-endian
    if (type == store::kDesfireModule) send = fp_write_card_16, start = mask.rfid_main() + 22;
    if (type == store::kLegicModule) send = fp_write_card, start = mask.rfid_module2() + 1;
    if (type == store::kMifareModule) send = fp_write_card_6, start = mask.rfid_main() + 22;
    if (!send) return 1;
    const int saved = start[0] << 8 | start[1];
    int result = 1;
    for (int offset = 0; offset < length; offset += 200) {
      int chunk = length - offset < 200 ? length - offset : 200;
      int at = saved + offset;
      start[0] = static_cast<std::uint8_t>(at >> 8);
      start[1] = static_cast<std::uint8_t>(at & 0xFF);
      int sent = send(address, data + offset, chunk);
      if (sent != 1) {
        show(res::format(LINK_CARD_WRITE_FAILED, sent), caption);
        result = -24;
        break;
      }
      int answer = wait_answer(address, 50, 20);
      if (answer != 0x43) {
        show(res::format(LINK_FAULTY_STATUS, status_byte(answer)), caption);
        result = -25;
        break;
      }
    }
    start[0] = static_cast<std::uint8_t>(saved >> 8);
    start[1] = static_cast<std::uint8_t>(saved & 0xFF);
    return result;
  });
}

}  // namespace rlink
