// Program entry, main window, start sequence, status bar with clock, painting.
#include <algorithm>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/tcp.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "link/link.h"
#include "ops/revocation.h"
#include "diag/log.h"
#include "shell/internal.h"
#include "admin/admin.h"
#include "exchange/backup.h"
#include "persons/persons.h"
#include "persons/templates.h"
#include "persons/toc.h"
#include "readers/readers.h"
#include "readers/station.h"
#include "shell/shell.h"
#include "store/commit.h"
#include "store/store.h"

namespace shell {

namespace {

Shell g_shell;

constexpr int kMainWidth = 790;
constexpr int kMainHeight = 580;
constexpr std::size_t kTitleMax = 29;
constexpr std::size_t kPathMax = 512;
constexpr int kTile = 80;
constexpr int kPictureWidth = 500;
constexpr int kPictureHeight = 300;

ui::Window main() { return views::host().main; }

int box(res::TextId text, res::TextId caption) {
  return ui::message_box(main(), res::text(text), res::text(caption), ui::kOk);
}

// ------------------------------------------------------------------ creation

int main_create() {
  Shell& s = g_shell;
  views::Host& h = views::host();
  h.dialog = ui::kNoWindow;
  h.dialog_mode = views::kModeNone;
  h.user = views::User{};
  s.picture = 0;
  s.first_login_offer = true;
  s.init_offer = true;
  s.config_path.clear();
  store::db().readers.fill(store::Lesersatz{});

  std::string dir;
  if (!platform::current_directory(&dir) || dir.empty() || dir.size() > kPathMax) {
    box(res::SH_NO_WORKDIR, res::CAP_FEHLER_MELDUNG);
    return 0;
  }
  platform::set_working_directory(dir);
  if (!platform::working_path(store::kKonfigFile, &s.config_path)) {
    box(res::SH_NO_CONFIG_PATH, res::CAP_FEHLER_MELDUNG);
    return 0;
  }
  // A change of several files that a crash cut off is finished or undone
  // before anything is read (Log.txt tells which).
  int recovered = store::recover_change();
  if (recovered < 0) {
    ui::message_box(main(), res::format(res::SH_RECOVER_FAILED, recovered),
                    res::text(res::CAP_FEHLER_MELDUNG), ui::kOk);
    return 0;
  }
  if (!platform::path_exists(s.config_path)) {
    s.no_configuration = true;
  } else {
    int r = store::load_konfig();
    if (r != 1) {
      ui::message_box(main(), res::format(res::SH_CONFIG_LOAD_FAILED, r),
                      res::text(res::CAP_FEHLER_MELDUNG), ui::kOk);
      return 0;
    }
  }

  s.tile = ui::load_image_resource("HGRUND");

  std::string picture_path;
  if (!platform::working_path("Programm.bmp", &picture_path)) {
    box(res::SH_NO_IMAGE_PATH, res::CAP_FEHLER_MELDUNG);
    return 0;
  }
  s.picture = ui::load_image_file(picture_path);
  if (s.picture == 0) {
    box(res::SH_NO_PICTURE, res::CAP_INFO);
  } else {
    s.picture_size = ui::image_size(s.picture);
    if (s.picture_size.width > kPictureWidth || s.picture_size.height > kPictureHeight)
      ui::message_box(main(),
                      res::format(res::SH_PICTURE_TOO_LARGE, static_cast<long>(s.picture_size.width),
                                  static_cast<long>(s.picture_size.height)),
                      res::text(res::CAP_IMAGE_INFO), ui::kOk);
  }

  if (platform::tcp_startup() != 0) box(res::SH_TCP_START_FAILED, res::CAP_INFO_TCPIP);

  if (!ui::set_timer(main(), kStartTimer, kStartDelayMs)) {
    box(res::SH_START_TIMER_FAILED, res::CAP_FEHLER_MELDUNG_TIMER);
    return 0;
  }
  return 1;
}

void main_destroy() {
  Shell& s = g_shell;
  views::Host& h = views::host();
  if (h.dialog != ui::kNoWindow && ui::window_exists(h.dialog)) ui::destroy_window(h.dialog);
  h.dialog = ui::kNoWindow;
  if (s.status_bar) ui::destroy_control(h.main, kStatusBar);
  s.status_bar = false;
  if (s.picture != 0) ui::free_image(s.picture);
  if (s.tile != 0) ui::free_image(s.tile);
  s.picture = s.tile = 0;
  platform::tcp_cleanup();
  h.main = ui::kNoWindow;
  ui::post_quit(0);
}

// ------------------------------------------------------------------ status bar and clock

void show_date_time() {
  platform::LocalTime now = platform::local_time();
  ui::set_status_text(main(), kStatusBar, 2, "\t" + platform::format_short_date(now));
  ui::set_status_text(main(), kStatusBar, 3, "\t" + platform::format_time(now));
}

// Part 0: how many readers still have to be cleaned (empty when none).
void show_cleaning_status() {
  if (!g_shell.status_bar || !ui::window_exists(main())) return;
  ui::set_status_text(main(), kStatusBar, 0, ops::cleaning_status());
}

void layout_status_bar() {
  if (!g_shell.status_bar) return;
  int part = ui::client_size(main()).width / 32;
  ui::status_parts(main(), kStatusBar, {part * 12, part * 21, part * 27, part * 32});
  show_date_time();
  show_cleaning_status();
}

void clock_tick() {
  if (g_shell.status_bar) show_date_time();
  if (!ui::set_timer(main(), kClockTimer, kClockMs))
    box(res::SH_CLOCK_TIMER_FAILED, res::CAP_INFO_TIMER);
}

// ------------------------------------------------------------------ start sequence

// Brings the data files up to the current database version, all of them and
// the new version as one change. Every message has the caption "Info"; a
// failing step leaves everything as it was, so that the next start tries again.
void update_database() {
  switch (store::update_database()) {
    case store::kUpdateNotNeeded: break;
    case store::kUpdateDone: box(res::SH_UPDATE_DONE, res::CAP_INFO); break;
    case store::kUpdatePersonsFailed: box(res::SH_UPDATE_PERSONS_FAILED, res::CAP_INFO); break;
    case store::kUpdateTemplatesFailed: box(res::SH_UPDATE_TEMPLATES_FAILED, res::CAP_INFO); break;
    case store::kUpdateEingabeFailed: box(res::SH_UPDATE_EINGABE_FAILED, res::CAP_INFO); break;
    default: box(res::SH_UPDATE_SAVE_FAILED, res::CAP_INFO); break;
  }
}

void start_sequence() {
  Shell& s = g_shell;
  s.starting = false;
  ui::attach_menu(main());
  grey_menu();
  repaint();

  s.status_bar = ui::create_status_bar(main(), kStatusBar);
  if (s.status_bar) {
    layout_status_bar();
    store::set_ledger_observer(show_cleaning_status);
  } else
    box(res::SH_NO_STATUS_BAR, res::CAP_INFO_STATUS_BAR);

  if (!s.no_configuration) {
    update_database();
    if (!load_all_or_end()) return;
  }
  const store::Konfigsatz& k = store::db().konfig;
  if (k.station_registered() != 0 && !k.station_identity().empty()) rlink::enrol_init();

  ui::send_command(main(), kCmdLogin, 0);

  if (!ui::set_timer(main(), kClockTimer, kClockMs))
    box(res::SH_CLOCK_TIMER_FAILED, res::CAP_INFO_TIMER);
}

// ------------------------------------------------------------------ painting

void paint() {
  const Shell& s = g_shell;
  ui::Size c = ui::client_size(main());
  if (s.tile != 0)
    for (int col = 0; col <= c.width / kTile; ++col)
      for (int row = 0; row <= c.height / kTile; ++row)
        ui::paint_image(main(), s.tile, col * kTile, row * kTile, kTile, kTile, ui::Blend::Copy);
  if (s.picture != 0) {
    // Only the top-left 500 x 300 pixels are drawn; a smaller picture is drawn whole.
    int w = std::min(s.picture_size.width, kPictureWidth);
    int h = std::min(s.picture_size.height, kPictureHeight);
    int y = c.height / 2 - (s.starting ? 44 : 64);
    ui::paint_image(main(), s.picture, c.width / 2 - 250, y, w, h, ui::Blend::And);
  }
  if (s.starting) {
    ui::Font font;
    font.face = "My_Font";
    font.height = 30;
    font.bold = font.italic = font.underline = true;
    font.fixed_pitch = true;
    ui::paint_text(main(), s.title, ui::Rect{10, 50, c.width - 20, 30}, font, ui::rgb(51, 0, 204));
  }
}

// ------------------------------------------------------------------ the window's handler

void on_timer(unsigned id) {
  if (!ui::kill_timer(main(), id)) {
    box(res::SH_TIMER_NOT_STOPPED, res::CAP_INFO_TIMER);
    return;
  }
  if (id == kStartTimer) start_sequence();
  if (id == kClockTimer) clock_tick();
}

bool main_handler(ui::Window w, const ui::Event& e) {
  switch (e.kind) {
    case ui::EventKind::Command:
      on_command(e.id, e.param);
      return true;
    case ui::EventKind::Timer:
      on_timer(static_cast<unsigned>(e.id));
      return true;
    case ui::EventKind::Paint:
      paint();
      return true;
    case ui::EventKind::Sized:
      layout_status_bar();
      return true;
    case ui::EventKind::Close:
      ui::destroy_window(w);
      return true;
    case ui::EventKind::Destroyed:
      if (w == main()) main_destroy();
      return true;
    default:
      return false;
  }
}

}  // namespace

// ------------------------------------------------------------------ public

bool load_all_or_end() {
  int r = store::load_all();
  if (r == store::kLoadAllOk) {
    // What the readers were asked to delete and did not confirm; a failure is
    // shown and the program goes on with every reader marked.
    ops::open_ledger(main());
    return true;
  }
  res::TextId text = r == store::kLoadPersonsFailed   ? res::SH_LOAD_PERSONS_FAILED
                     : r == store::kLoadReadersFailed ? res::SH_LOAD_READERS_FAILED
                     : r == store::kLoadEingabeFailed ? res::SH_LOAD_EINGABE_FAILED
                     : r == store::kLoadUsersFailed   ? res::SH_LOAD_USERS_FAILED
                                                      : res::SH_LOAD_UNKNOWN_FAILED;
  box(text, res::CAP_FEHLER_MELDUNG);
  ui::post_command(main(), kCmdExit, 0);
  return false;
}

Shell& state() { return g_shell; }

void show_user_name() {
  if (!g_shell.status_bar) return;
  const int number = views::logged_in().number;
  const auto& users = store::db().users;
  const bool known = number >= 1 && number <= static_cast<int>(users.size());
  ui::set_status_text(main(), kStatusBar, 1,
                      known ? users[static_cast<std::size_t>(number - 1)].name() : std::string());
}

void reset_shell() { g_shell = Shell{}; }

void reset_program() {
  store::reset_store();
  rlink::reset_link();
  diag::reset_diag();
  views::reset_host();
  readers::reset_readers();
  admin::reset_admin();
  exchange::reset_backup();
  persons::reset_persons();
  persons::reset_templates();
  persons::reset_toc();
  reset_shell();
}

ui::Window main_window() { return main(); }

void read_command_line(const std::string& command_line) {
  if (command_line.size() < 2 || command_line[0] != '-') return;
  readers::StationSwitches switches = readers::station_switches();
  switch (command_line[1]) {
    case 'd':
    case 'D':
      diag::set_debug_logging(true);
      break;
    case 'e':
    case 'E':
      switches.skip_check = true;
      break;
    case 'j':
    case 'J':
      switches.continue_after_mismatch = true;
      break;
    default:
      break;
  }
  readers::set_station_switches(switches);
}

int read_progname(std::string* title) {
  std::string dir;
  if (!platform::current_directory(&dir) || dir.empty()) return -1;
  std::string path = platform::path_join(dir, "Progname.txt");
  if (path.size() > kPathMax) return -2;
  platform::File f;
  if (!platform::file_open(f, path, platform::Access::Read, platform::Create::OpenExisting))
    return -3;
  if (!platform::file_seek(f, 0)) return -4;
  char buf[kTitleMax] = {};
  std::size_t got = 0;
  if (!platform::file_read(f, buf, kTitleMax, &got)) return -5;
  // The first character is never examined: a title needs two characters.
  while (got > 1 && (buf[got - 1] == ' ' || buf[got - 1] == '\r' || buf[got - 1] == '\n')) --got;
  if (got < 2) return 0;
  title->assign(buf, got);
  return 1;
}

bool start_program(const std::string& command_line) {
  Shell& s = g_shell;
  s.starting = true;
  readers::set_station_switches(readers::StationSwitches{});
  diag::set_debug_logging(false);
  diag::log_text()[0] = '\0';
  read_command_line(command_line);

  if (!ui::register_window_classes()) return false;

  if (read_progname(&s.title) != 1) s.title = res::text(res::SH_DEFAULT_TITLE);

  views::host().main = ui::create_main_window(s.title, kMainWidth, kMainHeight, main_handler);
  if (main() == ui::kNoWindow) return false;
  if (main_create() == 0) {
    ui::destroy_window(main());
    return false;
  }
  if (!ui::load_accelerators()) box(res::SH_NO_ACCELERATORS, res::CAP_ERROR_MESSAGE);
  return true;
}

int program_entry(const std::string& command_line, int show) {
  (void)show;
  if (!start_program(command_line)) return 0;
  return ui::run_message_loop(main());
}

void repaint() {
  ui::redraw(main());
  ui::menu_redraw(main());
}

}  // namespace shell
