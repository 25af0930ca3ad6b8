// The main window's command table: every menu command once, with who may use
// it, what it opens and how its dialog's report completes it; and the menu
// state of the logged-in user.
#include "admin/admin.h"
#include "exchange/backup.h"
#include "exchange/exchange.h"
#include "persons/persons.h"
#include "persons/templates.h"
#include "persons/toc.h"
#include "ops/revocation.h"
#include "readers/download.h"
#include "readers/maintenance.h"
#include "readers/readers.h"
#include "readers/station.h"
#include "resources/catalogue.h"
#include "shell/internal.h"
#include "shell/shell.h"
#include "shell/users_views.h"
#include "store/commit.h"
#include "store/store.h"
#include "views/host.h"

namespace shell {

namespace {

void enable(int command) { views::enable_command(command, true); }

bool is_admin() { return views::logged_in().admin(); }

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

// The first administrator login of a new installation: the configuration and
// all data files are written beside whatever is there and put into place as
// one change, then loaded. When they cannot all be made nothing is replaced
// (loading then fails and ends the program), and the next start is a first
// start once more.
void create_installation_then_load() {
  Shell& s = state();
  {
    store::Change change;
    int r = store::create_konfig(123, &change);
    if (r != 1) {
      views::show_box(res::format(res::ST_KONFIG_READ_ERROR, r), res::text(res::CAP_FEHLER_MELDUNG));
      return;
    }
    r = store::create_db(&change);
    if (r == 1 && change.commit() != store::Change::kCommitted) r = -4;
    if (r != 1)
      views::show_box(res::format(res::SH_CREATE_DB_FAILED, r), res::text(res::CAP_FEHLER_MELDUNG));
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
    show_user_name();
    return;
  }
  grey_menu();
  ui::redraw(main_window());
  if (s.no_configuration && user == store::kAdminRecord) {
    create_installation_then_load();
    // Without a database nothing else can work: the login can be repeated.
    if (s.no_configuration || !ui::window_exists(main_window())) return;
  }
  const int previous = static_cast<int>(store::db().users[store::kLastUserRecord - 1].nummer());
  views::User& who = views::host().user;
  who.number = static_cast<int>(user);
  show_user_name();
  if (who.number != previous) {
    int r = store::write_last_user(who.number);
    if (r < 0)
      views::show_box(res::text(res::ST_USER_WRITE_FAILED) +
                          res::format(res::ST_USER_ERROR_CODE, static_cast<long>(r)),
                      res::text(res::CAP_FEHLER_MELDUNG));
  }
  if (store::db().user_read.must_change() != 0) {
    if (!is_admin()) enable(kCmdPassword);
    if (s.first_login_offer) {
      s.first_login_offer = false;
      open_password(0);
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
  // Readers that may still accept withdrawn cards are named after every login.
  const std::string cleaning = ops::cleaning_report();
  if (!cleaning.empty())
    ui::message_box(main_window(), cleaning, res::text(res::RV_CAP_READERS), ui::kOk | ui::kIconWarning);
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

// ------------------------------------------------------------------ openings

void open_initialization(std::intptr_t) { readers::open_initial(); }

void exit_program(std::intptr_t) { ui::destroy_window(main_window()); }

void help(std::intptr_t) {
  ui::message_box(main_window(), res::text(res::SH_HELP), res::text(res::CAP_INFO), ui::kOk);
}

void software_info(std::intptr_t) {
  ui::message_box(main_window(),
                  res::format(res::SH_SOFTWARE_INFO,
                              store::db().konfig.installation_number().c_str()),
                  res::text(res::CAP_INFO), ui::kOk);
}

void open_new_person(std::intptr_t) { persons::open_new_person(); }
void change_persons(std::intptr_t record) {
  persons::open_person_list(persons::kChangeMode, record);
}
void delete_persons(std::intptr_t record) {
  persons::open_person_list(persons::kDeleteMode, record);
}
void open_search(std::intptr_t) {
  if (persons::open_search() == ui::kNoWindow) state().template_search = false;
}
void search_done(std::intptr_t result) {
  const bool for_templates = state().template_search;
  state().template_search = false;
  state().templates_from_search = for_templates && result >= 1;
  persons::search_completed(result, for_templates);
}
// The same search, reporting to the template commands.
void search_templates(std::intptr_t) {
  state().template_search = true;
  on_command(persons::kSearchCommand, 0);
}
// Command 2100: a record number comes from the search, or from the person
// form or the question after a new person (the list then offers to go back to
// the person data).
void open_templates(std::intptr_t record) {
  const bool from_search = state().templates_from_search;
  state().templates_from_search = false;
  persons::open_template_list(record, record >= 1 && !from_search);
}
void delete_templates(std::intptr_t record) { persons::open_template_delete(record); }

void open_new_reader(std::intptr_t) { readers::open_new_reader(); }
void change_readers(std::intptr_t) { readers::open_reader_list(readers::kChangeMode); }
void delete_readers(std::intptr_t) { readers::open_reader_list(readers::kDeleteMode); }

// Every command of the main window. Commands whose views are not part of the
// program yet keep their menu items and accelerators and do nothing.
const CommandEntry kCommands[] = {
    {kCmdLogin, Access::Always, open_login, login_done},
    {kCmdExport, Access::NotDownload, exchange::open_export, exchange::export_completed},
    {kCmdImport, Access::Admin, exchange::open_import, exchange::import_completed},
    {kCmdPassword, Access::OrdinaryUser, open_password, password_done},
    {kCmdInitialization, Access::Admin, open_initialization, initialization_done},
    {kCmdExit, Access::Always, exit_program, nullptr},
    // Persons and templates.
    {2000, Access::NotDownload, open_new_person, persons::new_person_completed},
    {2010, Access::NotDownload, change_persons, nullptr},
    {2020, Access::NotDownload, delete_persons, nullptr},
    {2030, Access::NotDownload, open_search, search_done},
    {2100, Access::NotDownload, open_templates, nullptr},
    {2110, Access::NotDownload, delete_templates, nullptr},
    {2120, Access::NotDownload, search_templates, nullptr},
    // Readers.
    {2200, Access::NotDownload, open_new_reader, readers::new_reader_completed},
    {2210, Access::Everyone, change_readers, nullptr},
    {2220, Access::NotDownload, delete_readers, nullptr},
    // Distribution to the readers.
    {2300, Access::Admin, readers::open_delete_all, nullptr},
    {2400, Access::Everyone, readers::open_download, nullptr},
    {readers::kBulkCommand, Access::Internal, readers::open_bulk_selection, readers::bulk_selected,
     true},
    {2500, Access::NotDownload, persons::open_template_on_card, nullptr},
    // Parameters.
    {5000, Access::NotDownload, admin::open_input_mask, nullptr},
    {5050, Access::NotDownload, admin::open_field_descriptions, nullptr},
    {5075, Access::NotDownload, admin::open_field_defaults, nullptr},
    {5100, Access::NotDownload, admin::open_template_parameters, nullptr},
    {5200, Access::NotDownload, admin::open_reader_module, admin::reader_module_completed},
    {5300, Access::NotDownload, admin::open_write_key, nullptr},
    // Reader maintenance.
    // The reader selection of 5500 (also for 5510 and 5515), 5520 and 5540
    // stays open while the command runs on the ticked readers; 5530 opens
    // nothing and, with a dialog open, only focuses the main window.
    {5500, Access::NotDownload, readers::open_reader_test, readers::maintenance_selected, true},
    {5510, Access::Admin, readers::open_reader_erase, nullptr},
    {5515, Access::Admin, readers::open_parameter_reset, nullptr},
    {5520, Access::Admin, readers::open_reader_parameters, readers::maintenance_selected, true},
    {5530, Access::Admin, readers::download_enrol_parameters, readers::focus_main, true},
    {5540, Access::NotDownload, readers::open_operating_mode, readers::operating_mode_reported, true},
    {5550, Access::NotDownload, readers::open_release_info, nullptr},
    // Administration.
    {kCmdUsers, Access::Admin, open_users, nullptr},
    // The backup dialog stays open while its operation runs.
    {5810, Access::Admin, exchange::open_backup, exchange::backup_completed, true},
    {5820, Access::Admin, exchange::open_restore, exchange::backup_completed, true},
    {kCmdHelp, Access::Always, help, nullptr},
    {kCmdSoftwareInfo, Access::Always, software_info, nullptr},
};

// Whether the user logged in gets `access` in the full menu state.
bool granted(Access access) {
  const views::User& u = views::logged_in();
  switch (access) {
    case Access::Everyone:
      return true;
    case Access::NotDownload:
      return !u.download;
    case Access::Admin:
      return u.admin();
    case Access::OrdinaryUser:
      return !u.admin();
    case Access::Always:
    case Access::Internal:
      return false;
  }
  return false;
}

}  // namespace

const CommandEntry* commands(std::size_t* count) {
  *count = sizeof kCommands / sizeof kCommands[0];
  return kCommands;
}

const CommandEntry* find_command(int id) {
  for (const CommandEntry& c : kCommands)
    if (c.id == id) return &c;
  return nullptr;
}

void on_command(int id, std::intptr_t param) {
  const CommandEntry* c = find_command(id);
  if (views::host().dialog == ui::kNoWindow) {
    if (c && c->open) c->open(param);
    return;
  }
  // The open dialog reports with its opening command.
  if (!c || !c->keeps_dialog) views::close_main_dialog();
  if (c && c->complete) c->complete(param);
}

void grey_menu() {
  for (const CommandEntry& c : kCommands)
    if (c.access != Access::Always && c.access != Access::Internal)
      ui::menu_enable(main_window(), c.id, false);
}

void enable_full_menu() {
  for (const CommandEntry& c : kCommands)
    if (granted(c.access)) enable(c.id);
}

}  // namespace shell
