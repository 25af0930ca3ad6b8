// The main window's command dispatcher: opening the dialogs, completing them when
// they report back, the menu state of the logged-in user, the info boxes.
#include "platform/files.h"
#include "readers/readers.h"
#include "readers/station.h"
#include "resources/catalogue.h"
#include "shell/internal.h"
#include "shell/shell.h"
#include "shell/users_views.h"
#include "store/store.h"

namespace shell {

namespace {

void enable(int command) { ui::menu_enable(state().main, command, true); }

bool is_admin() { return state().user == store::kAdminRecord; }

// What a user gets while the enrol station is missing or refused: an ordinary
// user may change the password, the administrator may initialise the station
// (and gets the initialisation dialog at once while `offer` is set).
void enable_without_station(bool* offer) {
  if (!is_admin()) {
    enable(kCmdPassword);
    return;
  }
  enable(kCmdInitialization);
  if (*offer) {
    *offer = false;
    readers::open_initial();
  }
}

// The first administrator login of a new installation: the configuration, then
// all data files, then loading them. When the data files cannot all be made,
// Programm.cfg is removed again (create_konfig does so itself for its own
// failures), so that the next start is a first start once more instead of a
// start that can never load its files.
void create_installation_then_load() {
  Shell& s = state();
  int r = store::create_konfig(123);
  if (r != 1) {
    show_box(res::format(res::ST_KONFIG_READ_ERROR, r), res::text(res::CAP_FEHLER_MELDUNG));
    return;
  }
  r = store::create_db();
  if (r != 1) {
    platform::file_delete(s.config_path);
    show_box(res::format(res::SH_CREATE_DB_FAILED, r), res::text(res::CAP_FEHLER_MELDUNG));
  }
  if (!load_all_or_end()) return;
  s.no_configuration = false;
}

// ------------------------------------------------------------------ completions

void login_done(std::intptr_t user) {
  Shell& s = state();
  if (user < 1) {
    s.first_login_offer = false;
    keep_previous_user();
    return;
  }
  grey_menu();
  ui::redraw(s.main);
  if (s.no_configuration && user == store::kAdminRecord) {
    create_installation_then_load();
    // Without a database nothing else can work: the login can be repeated.
    if (s.no_configuration || !ui::window_exists(s.main)) return;
  }
  const int previous = static_cast<int>(store::db().users[store::kLastUserRecord - 1].nummer());
  s.user = static_cast<int>(user);
  if (s.user != previous) {
    int r = store::write_last_user(s.user);
    if (r < 0)
      show_box(res::text(res::ST_USER_WRITE_FAILED) + res::format(res::ST_USER_ERROR_CODE, static_cast<long>(r)),
               res::text(res::CAP_FEHLER_MELDUNG));
  }
  if (store::db().user_read.must_change() != 0) {
    if (!is_admin()) enable(kCmdPassword);
    if (s.first_login_offer) {
      s.first_login_offer = false;
      open_password();
    }
  } else if (store::db().konfig.station_registered() == 0) {
    enable_without_station(&s.first_login_offer);
  } else {
    s.first_login_offer = false;
    if (readers::check_enrolstation() == 1)
      enable_full_menu();
    else
      enable_without_station(&s.init_offer);
  }
  repaint();
}

void password_done(std::intptr_t result) {
  Shell& s = state();
  if (result == 0) {
    s.init_offer = false;
    return;
  }
  if (store::db().konfig.station_registered() != 0 && readers::check_enrolstation() == 1)
    enable_full_menu();
  else
    enable_without_station(&s.init_offer);
  repaint();
}

void initialization_done(std::intptr_t result) {
  if (result >= 1 && readers::check_enrolstation() == 1) {
    enable_full_menu();
    repaint();
  }
}

void complete(int id, std::intptr_t param) {
  Shell& s = state();
  if (ui::window_exists(s.dialog)) ui::destroy_window(s.dialog);
  s.dialog = ui::kNoWindow;
  s.dialog_mode = kModeNone;
  ui::enable_window(s.main, true);
  ui::focus_window(s.main);
  switch (id) {
    case kCmdLogin:
      login_done(param);
      break;
    case kCmdPassword:
      password_done(param);
      break;
    case kCmdInitialization:
      initialization_done(param);
      break;
    case kCmdNewReader:
      readers::new_reader_completed(s.main, param);
      break;
    default:  // kCmdUsers: the dialog is closed, nothing more
      break;
  }
}

// ------------------------------------------------------------------ openings

void software_info() {
  ui::message_box(state().main,
                  res::format(res::SH_SOFTWARE_INFO,
                              store::db().konfig.installation_number().c_str()),
                  res::text(res::CAP_INFO), ui::kOk);
}

void open(int id) {
  Shell& s = state();
  switch (id) {
    case kCmdLogin:
      open_login();
      break;
    case kCmdPassword:
      open_password();
      break;
    case kCmdInitialization:
      readers::open_initial();
      break;
    case kCmdExit:
      ui::destroy_window(s.main);
      break;
    case kCmdUsers:
      open_users();
      break;
    case kCmdHelp:
      ui::message_box(s.main, res::text(res::SH_HELP), res::text(res::CAP_INFO), ui::kOk);
      break;
    case kCmdSoftwareInfo:
      software_info();
      break;
    // Reader administration.
    case kCmdNewReader:
      readers::open_new_reader(s.main);
      break;
    case kCmdChangeReader:
      readers::open_reader_list(s.main, readers::kChangeMode, s.download_user);
      break;
    case kCmdDeleteReader:
      readers::open_reader_list(s.main, readers::kDeleteMode, s.download_user);
      break;
    default:
      // Commands of views that are not part of this program yet keep their menu
      // items and accelerators and do nothing.
      break;
  }
}

}  // namespace

void on_command(int id, std::intptr_t param) {
  if (state().dialog != ui::kNoWindow)
    complete(id, param);
  else
    open(id);
}

ui::Window open_dialog(const char* resource, const ui::Handler& handler) {
  Shell& s = state();
  ui::Window d = ui::create_dialog(resource, s.main, handler);
  if (d == ui::kNoWindow) return d;
  ui::Rect r = ui::window_rect(d);
  ui::move_window(d, ui::centred_over(ui::window_rect(s.main), ui::Size{r.width, r.height}));
  s.dialog = d;
  ui::enable_window(s.main, false);
  return d;
}

void report_to_main(int command, std::intptr_t result) {
  ui::enable_window(state().main, true);
  ui::post_command(state().main, command, result);
}

int show_box(const std::string& text, const std::string& caption, unsigned style) {
  const Shell& s = state();
  ui::Window owner = s.dialog != ui::kNoWindow ? s.dialog : s.main;
  return ui::message_box(owner, text, caption, style);
}

void enable_full_menu() {
  const bool admin = is_admin();
  const bool download = state().download_user;
  if (!download) enable(kCmdExport);
  enable(admin ? kCmdInitialization : kCmdPassword);
  if (!download)
    for (int c : {2000, 2010, 2020, 2030, 2100, 2110, 2120, 2200, 2220}) enable(c);
  enable(2210);
  enable(2400);
  if (download) return;
  enable(2500);
  enable(5500);
  if (admin)
    for (int c : {5510, 5515, 5520, 5530}) enable(c);
  for (int c : {5000, 5100, 5050, 5075, 5200, 5300, 5540, 5550}) enable(c);
  if (admin)
    for (int c : {5800, 5810, 5820, 1200, 2300}) enable(c);
}

}  // namespace shell
