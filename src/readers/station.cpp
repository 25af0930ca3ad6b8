#include "readers/station.h"

#include <string>

#include "link/link.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/ids/d_initial.h"
#include "diag/status.h"
#include "readers/state.h"
#include "store/store.h"
#include "views/connection.h"
#include "views/host.h"

namespace readers {

namespace {

constexpr int kInitialization = 1400;  // the command D_INITIAL reports with
// Stored length of the station identity and of the transponder number.
constexpr std::size_t kIdentityChars = 21;

constexpr int kStationAddress = 1;
constexpr int kCardWaitMs = 10000;

int box(const std::string& text, res::TextId caption, unsigned style = ui::kOk) {
  return views::show_box(text, res::text(caption), style);
}

// Takes the connection settings of the dialog into the Konfigsatz in use. Every
// field is checked before anything is taken over, so that a refused entry leaves
// the Konfigsatz as it was.
bool take_settings(ui::Window d) {
  views::Connection c;
  if (!views::read_connection(d, &c)) return false;
  store::Konfigsatz& k = store::db().konfig;
  k.set_station_connection(c.tcp ? 1 : 0);
  if (c.tcp) {
    k.set_ip(c.address);
    k.set_tcp_port(static_cast<std::uint16_t>(c.port));
  } else {
    k.set_com_port(static_cast<std::uint8_t>(c.com_port));
    k.set_baud(static_cast<std::uint8_t>(c.baud));
  }
  return true;
}

// Reads a transponder at the station until a number arrives or the operator
// gives up. True with the number.
bool read_transponder(std::string* number) {
  for (;;) {
    int r = rlink::enrol_read_csn(kStationAddress, kCardWaitMs);
    if (r == 1) {
      *number = res::cut(rlink::last_delivery(), kIdentityChars);
      return true;
    }
    int answer = r == 0 ? box(res::text(res::STN_NO_DATA), res::CAP_QUESTION_MARK, ui::kYesNo)
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
  const std::string candidate = res::cut(rlink::last_delivery(), kIdentityChars);
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
      views::report_to_main(kInitialization, -1);
      return;
    }
    if (!read_transponder(&number)) {
      views::report_to_main(kInitialization, -1);
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
  views::report_to_main(kInitialization, 1);
}

bool initial_handler(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command) return false;
  switch (e.id) {
    case res::d_initial::kRs232:
    case res::d_initial::kTcpIp:
      views::switch_connection(d, e.id == res::d_initial::kTcpIp);
      return true;
    case ui::kIdAction:
      read_init_card(d);
      return true;
    case ui::kIdExitMenu:
      views::report_to_main(kInitialization, 0);
      return true;
    default:
      return false;
  }
}

void fill(ui::Window d) {
  const store::Konfigsatz& k = store::db().konfig;
  views::Connection c;
  c.tcp = k.station_connection() != 0;
  c.com_port = k.com_port();
  c.baud = k.baud();
  c.address = k.ip();
  c.port = k.tcp_port();
  views::fill_connection(d, c);
}

}  // namespace

void set_station_switches(const StationSwitches& switches) { state().switches = switches; }

const StationSwitches& station_switches() { return state().switches; }

void open_initial() {
  ui::Window d = views::open_main_dialog("D_INITIAL", initial_handler);
  if (d != ui::kNoWindow) fill(d);
}

int check_enrolstation() {
  if (state().switches.skip_check) return 1;
  const store::Konfigsatz& k = store::db().konfig;
  if (k.station_registered() == 0) return 0;
  int r = rlink::enrol_init();
  if (r != 1) {
    box(res::text(res::STN_CHECK_FAILED) +
            res::format(res::STN_STATUS_LINE, diag::status_text(static_cast<std::int16_t>(r)).c_str()),
        res::CAP_ERROR_MESSAGE);
    return 0;
  }
  if (res::cut(rlink::last_delivery(), kIdentityChars) == k.station_identity()) return 1;
  std::string text = res::text(res::STN_EXCHANGED);
  if (views::logged_in().number <= views::kAdministrator)
    text += res::text(res::STN_RELEASE_ADMIN);
  else
    text += res::text(res::STN_RELEASE_USER) + res::text(res::STN_INFORM_ADMIN);
  box(text, res::CAP_FEHLER_MELDUNG);
  return state().switches.continue_after_mismatch ? 1 : 0;
}

}  // namespace readers
