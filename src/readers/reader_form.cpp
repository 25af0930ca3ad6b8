// The reader form D_LESER: a new reader (command 2200, over the main window) or
// a reader of the list (over the list window), its checks, "Save Changes",
// "Copy\n(new set)" / "Create\nnew set" and "Exit Menu".
#include <cstdint>

#include "ops/reader_entry.h"
#include "readers/reader_rows.h"
#include "readers/readers.h"
#include "readers/state.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/ids/d_leser.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/connection.h"
#include "views/host.h"

namespace readers {
namespace {

using namespace res::d_leser;

constexpr int kBusAddresses = 15;
constexpr int kNameChars = 25;
constexpr int kNewReaderCommand = 2200;

void info(ui::Window owner, const std::string& text) { views::info(owner, text); }

void fill(ui::Window d, const store::Lesersatz& r) {
  views::Connection c;
  c.tcp = r.verbindung() != 0;
  c.com_port = r.com_port();
  c.baud = r.baud();
  c.address = r.ip();
  c.port = r.tcp_port();
  views::fill_connection(d, c);
  ui::limit_text(d, kName, kNameChars);
  if (!r.name().empty()) ui::set_text(d, kName, r.name());
  ui::items_clear(d, kBus);
  for (int i = 1; i <= kBusAddresses; ++i) ui::items_add(d, kBus, res::sformat("%02d", i));
  ui::items_select(d, kBus, r.bus_address());
  ui::set_check(d, kPreselected, r.preselect() != 0);
}

// The "Create\nnew set" button in the place of "Save Changes", which is put
// out of use.
void create_button_in_save_place(ui::Window d) {
  ui::enable_control(d, ui::kIdAction, false);
  ui::show_control(d, ui::kIdAction, false);
  ui::set_text(d, ui::kIdSecond, res::text(res::RD_CREATE_NEW_SET));
  ui::move_control(d, ui::kIdSecond, ui::control_rect(d, ui::kIdAction));
}

// The selected entry of a list as an index; nothing selected counts as 0.
int selected_index(ui::Window d, int id) {
  int i = ui::items_selected(d, id);
  return i > 0 ? i : 0;
}

// Reads the form into the edit record and checks it; every failed check shows
// its message and returns false, the form keeping its inputs.
bool read_form(ui::Window d) {
  ops::ReaderEntry entry;
  entry.tcp = !ui::checked(d, kRs232);
  entry.com_port = selected_index(d, kComPort);
  entry.baud = selected_index(d, kBaud);
  entry.address = ui::get_text(d, kAddress);
  entry.port = ui::get_text(d, kPort);
  entry.name = ui::get_text(d, kName);
  entry.bus = selected_index(d, kBus);
  entry.preselect = ui::checked(d, kPreselected);
  std::string refusal;
  if (ops::enter_reader(entry, &refusal)) return true;
  info(d, refusal);
  return false;
}

// Ends the form the way it was opened: command 8030 to the list, or command
// 2200 to the main window for a new reader.
void report(ui::Window d, std::intptr_t result) {
  State& s = state();
  if (s.list.is_open()) {
    ui::send_command(s.list.window(), kFormReport, result);
  } else if (s.form_mode == FormMode::New) {
    s.form_mode = FormMode::None;
    views::report_to_main(kNewReaderCommand, result);
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
  State& s = state();
  store::Tables& t = store::db();
  if (s.form_mode == FormMode::Change && !s.copy_prepared) {
    store::default_leser();
    create_button_in_save_place(d);
    ui::focus_control(d, ui::kIdExitMenu);
    s.copy_prepared = true;
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
  State& s = state();
  switch (e.kind) {
    case ui::EventKind::Command:
      switch (e.id) {
        case kRs232:
        case kTcpIp:
          views::switch_connection(d, e.id == kTcpIp);
          return true;
        case ui::kIdAction:
          save_changes(d);
          return true;
        case ui::kIdSecond:
          copy_or_create(d);
          return true;
        case ui::kIdExitMenu:
          report(d, -1);
          return true;
        default:
          return false;
      }
    case ui::EventKind::Destroyed:
      if (s.form == d) {
        s.form = ui::kNoWindow;
        s.form_mode = FormMode::None;
        s.copy_prepared = false;
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

State& state() {
  static State s;
  return s;
}

bool open_change_form() {
  State& s = state();
  ui::Window d = s.list.open_dialog("D_LESER", form_handler);
  if (d == ui::kNoWindow) return false;
  s.form = d;
  s.form_mode = FormMode::Change;
  s.copy_prepared = false;
  store::Tables& t = store::db();
  t.edit_reader = t.current_reader;
  fill(d, t.current_reader);
  if (s.list.count() == 0) ui::enable_control(d, ui::kIdAction, false);
  if (views::logged_in().download) ui::destroy_control(d, ui::kIdSecond);
  return true;
}

ui::Window open_new_reader() {
  State& s = state();
  ui::Window d = views::open_main_dialog("D_LESER", form_handler, views::kModeNew);
  if (d == ui::kNoWindow) return ui::kNoWindow;
  s.form = d;
  s.form_mode = FormMode::New;
  s.copy_prepared = false;
  store::default_leser();
  fill(d, store::db().edit_reader);
  create_button_in_save_place(d);
  return d;
}

void new_reader_completed(std::intptr_t result) {
  if (result != -1)
    views::info(views::main_window(), res::text(res::RD_NEW_READER_DONE));
}

ui::Window reader_form() { return state().form; }

void reset_readers() { state() = State{}; }

}  // namespace readers
