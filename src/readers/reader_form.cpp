// The reader form D_LESER: a new reader (command 2200, over the main window) or
// a reader of the list (over the list window), its checks, "Save Changes",
// "Copy\n(new set)" / "Create\nnew set" and "Exit Menu".
#include <cstdint>

#include "readers/address_rules.h"
#include "readers/reader_rows.h"
#include "readers/readers.h"
#include "readers/views.h"
#include "resources/catalogue.h"
#include "shell/shell.h"
#include "store/store.h"

namespace readers {
namespace {

// Controls of D_LESER.
constexpr int kRs232 = 101;
constexpr int kComPort = 102;
constexpr int kBaud = 104;
constexpr int kTcpIp = 111;
constexpr int kAddress = 112;
constexpr int kPort = 114;
constexpr int kName = 122;
constexpr int kBus = 132;
constexpr int kActive = 142;
constexpr int kSave = 900;
constexpr int kCopy = 930;
constexpr int kExit = 950;

constexpr int kComPorts = 32;
constexpr int kBusAddresses = 15;
constexpr int kAddressChars = 15;
constexpr int kPortChars = 5;
constexpr int kNameChars = 25;

constexpr int kNewReaderCommand = 2200;

void info(ui::Window owner, const std::string& text) {
  ui::message_box(owner, text, res::text(res::CAP_INFO), ui::kOk);
}

// RS232 enables the COM port and baud lists, TCP/IP the address and port fields.
void enable_connection(ui::Window d, bool serial) {
  ui::enable_control(d, kComPort, serial);
  ui::enable_control(d, kBaud, serial);
  ui::enable_control(d, kAddress, !serial);
  ui::enable_control(d, kPort, !serial);
}

void fill(ui::Window d, const store::Lesersatz& r) {
  bool serial = r.verbindung() == 0;
  ui::check_radio(d, kRs232, kTcpIp, serial ? kRs232 : kTcpIp);
  ui::items_clear(d, kComPort);
  for (int i = 1; i <= kComPorts; ++i)
    ui::items_add(d, kComPort, res::format(res::RD_ROW_COM_FORMAT, i));
  ui::items_select(d, kComPort, r.com_port());
  ui::items_clear(d, kBaud);
  for (int i = 0; i < kBaudRates; ++i) ui::items_add(d, kBaud, baud_text(i));
  ui::items_select(d, kBaud, r.baud());
  ui::limit_text(d, kAddress, kAddressChars);
  ui::limit_text(d, kPort, kPortChars);
  ui::limit_text(d, kName, kNameChars);
  if (!r.ip().empty()) ui::set_text(d, kAddress, r.ip());
  if (!r.name().empty()) ui::set_text(d, kName, r.name());
  ui::set_text(d, kPort, res::sformat("%u", static_cast<unsigned>(r.tcp_port())));
  ui::items_clear(d, kBus);
  for (int i = 1; i <= kBusAddresses; ++i) ui::items_add(d, kBus, res::sformat("%02d", i));
  ui::items_select(d, kBus, r.bus_address());
  ui::set_check(d, kActive, r.preselect() != 0);
  enable_connection(d, serial);
}

// The "Create\nnew set" button in the place of "Save Changes", which is put
// out of use.
void create_button_in_save_place(ui::Window d) {
  ui::enable_control(d, kSave, false);
  ui::show_control(d, kSave, false);
  ui::set_text(d, kCopy, res::text(res::RD_CREATE_NEW_SET));
  ui::move_control(d, kCopy, ui::control_rect(d, kSave));
}

// The selected entry of a list as an index; nothing selected counts as 0.
std::uint16_t selected_index(ui::Window d, int id) {
  int i = ui::items_selected(d, id);
  return static_cast<std::uint16_t>(i > 0 ? i : 0);
}

// Reads the form into the edit record and checks it; every failed check shows
// its message and returns false, the form keeping its inputs.
bool read_form(ui::Window d) {
  store::Lesersatz& e = store::db().edit_reader;
  if (ui::checked(d, kRs232)) {
    e.set_verbindung(0);
    e.set_com_port(selected_index(d, kComPort));
    e.set_baud(selected_index(d, kBaud));
  } else {
    e.set_verbindung(1);
    std::string address = ui::get_text(d, kAddress).substr(0, kAddressChars);
    switch (check_address(address)) {
      case AddressCheck::Empty:
        info(d, res::text(res::RD_NO_IP));
        return false;
      case AddressCheck::Bad:
        info(d, res::text(res::RD_BAD_IP));
        return false;
      case AddressCheck::Ok:
        break;
    }
    unsigned port = 0;
    if (!parse_tcp_port(ui::get_text(d, kPort).substr(0, kPortChars), &port)) {
      info(d, res::text(res::RD_BAD_PORT));
      return false;
    }
    e.set_ip(address);
    e.set_tcp_port(static_cast<std::uint16_t>(port));
  }
  std::string name = ui::get_text(d, kName).substr(0, kNameChars);
  if (name.empty()) {
    info(d, res::text(res::RD_NO_NAME));
    return false;
  }
  e.set_name(name);
  e.set_bus_address(selected_index(d, kBus));
  e.set_preselect(ui::checked(d, kActive) ? 1 : 0);
  switch (store::check_leser_eindeutig()) {
    case 0:
      return true;
    case 1:
      info(d, res::text(res::RD_NAME_EXISTS));
      return false;
    case 2:
    case 3:
      info(d, res::text(res::RD_CONNECTION_EXISTS));
      return false;
    default:
      info(d, res::text(res::RD_UNKNOWN_UNIQUE_RESULT));
      return false;
  }
}

// Ends the form the way it was opened: command 8030 to the list, or command
// 2200 to the main window for a new reader.
void report(ui::Window d, std::intptr_t result) {
  Views& v = views();
  if (v.list != ui::kNoWindow) {
    ui::send_command(v.list, kFormReport, result);
  } else if (v.form_mode == FormMode::New) {
    v.form_mode = FormMode::None;
    shell::report_to_main(kNewReaderCommand, result);
  } else {
    info(d, res::text(res::RD_CANNOT_HAPPEN));
  }
}

// "Save Changes": the reader rebuilt from the form under its record number.
void save_changes(ui::Window d) {
  store::Tables& t = store::db();
  std::uint32_t number = t.edit_reader.nummer();
  t.edit_reader = store::Lesersatz{};
  t.edit_reader.set_nummer(number);
  if (!read_form(d)) return;
  if (number >= 1 && number <= store::kReaders && t.edit_reader.b == t.readers[number - 1].b) {
    info(d, res::text(res::RD_NOTHING_TO_WRITE));
    report(d, 0);
    return;
  }
  if (store::rw_leser(store::kWrite) < 0) {
    info(d, res::text(res::RD_WRITE_FAILED));
    return;
  }
  report(d, 0);
}

// "Copy\n(new set)": in change mode the first press prepares the copy; the
// next press (or the first for a new reader) stores the form as a new reader.
void copy_or_create(ui::Window d) {
  Views& v = views();
  store::Tables& t = store::db();
  if (v.form_mode == FormMode::Change && !v.copy_prepared) {
    store::default_leser();
    create_button_in_save_place(d);
    ui::focus_control(d, kExit);
    v.copy_prepared = true;
    return;
  }
  // Only the edit record starts afresh; the current reader stays until the new
  // one is stored.
  store::Lesersatz current = t.current_reader;
  store::default_leser();
  t.current_reader = current;
  if (!read_form(d)) return;
  int number = store::rw_leser(store::kWrite);
  if (number < 0) {
    t.current_reader = current;  // the store numbered it for the slot it tried
    info(d, res::text(res::RD_WRITE_FAILED));
    return;
  }
  t.current_reader = t.edit_reader;
  report(d, number);
}

bool form_handler(ui::Window d, const ui::Event& e) {
  Views& v = views();
  switch (e.kind) {
    case ui::EventKind::Command:
      switch (e.id) {
        case kRs232:
        case kTcpIp:
          enable_connection(d, e.id == kRs232);
          return true;
        case kSave:
          save_changes(d);
          return true;
        case kCopy:
          copy_or_create(d);
          return true;
        case kExit:
          report(d, -1);
          return true;
        default:
          return false;
      }
    case ui::EventKind::Destroyed:
      if (v.form == d) {
        v.form = ui::kNoWindow;
        v.form_mode = FormMode::None;
        v.copy_prepared = false;
      }
      return true;
    default:
      return false;
  }
}

// The dialog's size from its rectangle.
ui::Size size_of(ui::Window d) {
  ui::Rect r = ui::window_rect(d);
  return ui::Size{r.width, r.height};
}

}  // namespace

Views& views() {
  static Views v;
  return v;
}

bool open_change_form() {
  Views& v = views();
  ui::Window d = ui::create_dialog("D_LESER", v.list, form_handler);
  if (d == ui::kNoWindow) return false;
  v.form = d;
  v.form_mode = FormMode::Change;
  v.copy_prepared = false;
  store::Tables& t = store::db();
  t.edit_reader = t.current_reader;
  fill(d, t.current_reader);
  if (ui::list_count(v.list, kReaderListControl) == 0) ui::enable_control(d, kSave, false);
  if (v.download_user) ui::destroy_control(d, kCopy);
  // Centred over the list; where the form is larger, at the screen's edge.
  ui::Rect list = ui::window_rect(v.list);
  ui::Size size = size_of(d);
  ui::Rect r{list.x + (list.width - size.width) / 2, list.y + (list.height - size.height) / 2,
             size.width, size.height};
  if (size.width > list.width) r.x = 0;
  if (size.height > list.height) r.y = 0;
  ui::move_window(d, r);
  ui::enable_window(v.list, false);
  return true;
}

void close_form() {
  Views& v = views();
  if (v.form != ui::kNoWindow) ui::destroy_window(v.form);
  v.form = ui::kNoWindow;
  v.form_mode = FormMode::None;
  v.copy_prepared = false;
  if (v.list != ui::kNoWindow && ui::window_exists(v.list)) {
    ui::enable_window(v.list, true);
    ui::focus_window(v.list);
  }
}

ui::Window open_new_reader(ui::Window main) {
  Views& v = views();
  // The main window's one dialog: centred over it, the main window disabled.
  ui::Window d = shell::open_dialog("D_LESER", form_handler);
  if (d == ui::kNoWindow) return ui::kNoWindow;
  shell::state().dialog_mode = shell::kModeNew;
  v.main = main;
  v.form = d;
  v.form_mode = FormMode::New;
  v.copy_prepared = false;
  store::default_leser();
  fill(d, store::db().edit_reader);
  create_button_in_save_place(d);
  return d;
}

void new_reader_completed(ui::Window main, std::intptr_t result) {
  if (result != -1)
    ui::message_box(main, res::text(res::RD_NEW_READER_DONE), res::text(res::CAP_INFO), ui::kOk);
}

ui::Window reader_form() { return views().form; }

void reset_readers() { views() = Views{}; }

}  // namespace readers
