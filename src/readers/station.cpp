#include "readers/station.h"

#include <string>

#include "link/link.h"
#include "readers/address_rules.h"
#include "resources/catalogue.h"
#include "diag/status.h"
#include "shell/shell.h"
#include "store/store.h"

namespace readers {

namespace {

// Controls of D_INITIAL.
constexpr int kRs232 = 101, kComPort = 102, kBaud = 104;
constexpr int kTcpIp = 111, kAddress = 112, kPort = 114;
constexpr int kComPorts = 32;
constexpr const char* kBauds[] = {"115200", "57600", "38400", "19200", "9600"};
constexpr int kBaudCount = 5;
// Stored lengths of the address, the station identity and the transponder number.
constexpr std::size_t kAddressChars = 15;
constexpr std::size_t kIdentityChars = 21;

constexpr int kStationAddress = 1;
constexpr int kCardWaitMs = 10000;

int box(const std::string& text, res::TextId caption, unsigned style = ui::kOk) {
  return shell::show_box(text, res::text(caption), style);
}

std::string cut(const std::string& s, std::size_t n) { return s.size() > n ? s.substr(0, n) : s; }

void switch_connection(ui::Window d, bool tcp) {
  ui::enable_control(d, kComPort, !tcp);
  ui::enable_control(d, kBaud, !tcp);
  ui::enable_control(d, kAddress, tcp);
  ui::enable_control(d, kPort, tcp);
}

// Takes the connection settings of the dialog into the Konfigsatz in use. Every
// field is checked before anything is taken over, so that a refused entry leaves
// the Konfigsatz as it was.
bool take_settings(ui::Window d) {
  store::Konfigsatz& k = store::db().konfig;
  if (!ui::checked(d, kTcpIp)) {
    int com = ui::items_selected(d, kComPort), baud = ui::items_selected(d, kBaud);
    k.set_station_connection(0);
    k.set_com_port(static_cast<std::uint8_t>(com < 0 ? 0 : com));
    k.set_baud(static_cast<std::uint8_t>(baud < 0 ? 0 : baud));
    return true;
  }
  std::string address = ui::get_text(d, kAddress);
  AddressCheck check = check_address(address);
  if (check != AddressCheck::Ok) {
    box(res::text(check == AddressCheck::Empty ? res::RD_NO_IP : res::RD_BAD_IP), res::CAP_INFO);
    return false;
  }
  unsigned port = 0;
  if (!parse_tcp_port(ui::get_text(d, kPort), &port)) {
    box(res::text(res::RD_BAD_PORT), res::CAP_INFO);
    return false;
  }
  k.set_station_connection(1);
  k.set_ip(cut(address, kAddressChars));
  k.set_tcp_port(static_cast<std::uint16_t>(port));
  return true;
}

// Reads a transponder at the station until a number arrives or the operator
// gives up. True with the number.
bool read_transponder(std::string* number) {
  for (;;) {
    int r = rlink::enrol_read_csn(kStationAddress, kCardWaitMs);
    if (r == 1) {
      *number = cut(rlink::last_delivery(), kIdentityChars);
      return true;
    }
    int answer = r == 0 ? box(res::text(res::STN_NO_DATA), res::CAP_QUESTION, ui::kYesNo)
                        : box(res::format(res::STN_READ_ERROR, r), res::CAP_FEHLER_MELDUNG_FRAGE,
                              ui::kYesNo);
    if (answer != ui::kIdYes) return false;
  }
}

void read_init_card(ui::Window d) {
  if (!take_settings(d)) return;
  int r = rlink::enrol_init();
  if (r != 1) {
    box(res::format(res::STN_INIT_FAILED, r), res::CAP_ERROR_MESSAGE);
    return;
  }
  store::Konfigsatz& k = store::db().konfig;
  const std::string candidate = cut(rlink::last_delivery(), kIdentityChars);
  const bool first = k.station_registered() == 0;
  const bool exchange = !first && !k.station_identity().empty() &&
                        !k.station_transponder().empty() && candidate != k.station_identity();
  if (first) box(res::text(res::STN_HOLD_TRANSPONDER), res::CAP_INFO);
  if (exchange) box(res::text(res::STN_EXCHANGED_HOLD), res::CAP_INFO);

  std::string number;
  if (first && read_transponder(&number)) {
    k.set_station_registered(1);
    k.set_station_identity(candidate);
    k.set_station_transponder(number);
    box(res::format(res::STN_TRANSPONDER_NUMBER, number.c_str()), res::CAP_INFO);
  }
  if (exchange && read_transponder(&number)) {
    if (number != k.station_transponder()) {
      box(res::text(res::STN_WRONG_TRANSPONDER), res::CAP_FEHLER_MELDUNG);
      shell::report_to_main(shell::kCmdInitialization, -1);
      return;
    }
    if (!read_transponder(&number)) {
      shell::report_to_main(shell::kCmdInitialization, -1);
      return;
    }
    k.set_station_identity(candidate);
    k.set_station_transponder(number);
  }

  if (k.b != store::db().konfig_saved.b) {
    r = store::rw_konfig(store::kWrite);
    if (r != 1) {
      box(res::format(res::STN_SAVE_FAILED, r), res::CAP_FEHLER_MELDUNG);
      return;
    }
  }
  shell::report_to_main(shell::kCmdInitialization, 1);
}

bool initial_handler(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command) return false;
  switch (e.id) {
    case kRs232:
    case kTcpIp:
      switch_connection(d, e.id == kTcpIp);
      return true;
    case 900:
      read_init_card(d);
      return true;
    case 950:
      shell::report_to_main(shell::kCmdInitialization, 0);
      return true;
    default:
      return false;
  }
}

void fill(ui::Window d) {
  const store::Konfigsatz& k = store::db().konfig;
  const bool tcp = k.station_connection() != 0;
  ui::check_radio(d, kRs232, kTcpIp, tcp ? kTcpIp : kRs232);
  for (int i = 1; i <= kComPorts; ++i) ui::items_add(d, kComPort, res::format(res::STN_COM_PORT, i));
  ui::items_select(d, kComPort, k.com_port() < kComPorts ? k.com_port() : 0);
  for (const char* b : kBauds) ui::items_add(d, kBaud, b);
  ui::items_select(d, kBaud, k.baud() < kBaudCount ? k.baud() : 0);
  ui::limit_text(d, kAddress, static_cast<int>(kAddressChars));
  ui::set_text(d, kAddress, k.ip());
  ui::limit_text(d, kPort, 5);
  ui::set_text(d, kPort, res::sformat("%u", static_cast<unsigned>(k.tcp_port())));
  switch_connection(d, tcp);
}

}  // namespace

void open_initial() {
  ui::Window d = shell::open_dialog("D_INITIAL", initial_handler);
  if (d != ui::kNoWindow) fill(d);
}

int check_enrolstation() {
  const shell::Shell& s = shell::state();
  if (s.skip_station_check) return 1;
  const store::Konfigsatz& k = store::db().konfig;
  if (k.station_registered() == 0) return 0;
  int r = rlink::enrol_init();
  if (r != 1) {
    box(res::text(res::STN_CHECK_FAILED) +
            res::format(res::STN_STATUS_LINE, diag::status_text(static_cast<std::int16_t>(r)).c_str()),
        res::CAP_ERROR_MESSAGE);
    return 0;
  }
  if (cut(rlink::last_delivery(), kIdentityChars) == k.station_identity()) return 1;
  std::string text = res::text(res::STN_EXCHANGED);
  if (s.user < 2)
    text += res::text(res::STN_RELEASE_ADMIN);
  else
    text += res::text(res::STN_RELEASE_USER) + res::text(res::STN_INFORM_ADMIN);
  box(text, res::CAP_FEHLER_MELDUNG);
  return s.continue_after_mismatch ? 1 : 0;
}

}  // namespace readers
