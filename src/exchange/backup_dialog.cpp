// D_BACKUP_RESTORE: the file name with "search", the backup transponder with
// "Reader" (backup only), the status line, the start button and "Exit Menu";
// and the run of the backup or restore behind it.
#include <string>

#include "exchange/backup.h"
#include "ops/backup.h"
#include "platform/files.h"
#include "platform/ui.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/ids/d_backup_restore.h"
#include "store/store.h"
#include "views/host.h"

namespace exchange {
namespace {

using namespace res::d_backup_restore;

constexpr int kBackupCommand = 5810;
constexpr int kRestoreCommand = 5820;
constexpr int kNameChars = 510;

struct State {
  ui::Window dialog = ui::kNoWindow;
  bool reported = false;  // the report is on its way; the dialog takes nothing more
  std::string path;       // the file named at the start
};

State& state() {
  static State s;
  return s;
}

// The dialog's mode, from the dialog mode of the main window.
int mode() {
  return views::host().dialog_mode == views::kModeRestore ? ops::kRestore : ops::kBackup;
}

bool absolute(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() >= 2 && path[1] == ':');
}

// A relative name is looked for in the current directory: the file dialog is
// handed the full path so that it opens there, not in the folder it used last.
std::string in_current_directory(const std::string& name) {
  std::string dir;
  if (absolute(name) || !platform::current_directory(&dir)) return name;
  return platform::path_join(dir, name);
}

// Blanks around a name are no part of it; a name of blanks only is no name.
std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "search": a save dialog for a backup (asking before it overwrites), an open
// dialog for a restore; the path chosen goes into the file name field.
void search(ui::Window d) {
  const bool backup = mode() == ops::kBackup;
  ui::FileDialog f;
  f.save = backup;
  f.title = res::text(backup ? res::BK_SAVE_TITLE : res::BK_OPEN_TITLE);
  f.filter_name = res::text(res::ALL_FILES);
  f.filter_pattern = res::text(res::BK_FILTER_PATTERN);
  f.initial = in_current_directory(ops::search_start_name(ui::get_text(d, kFile)));
  f.overwrite_prompt = backup;
  f.path_must_exist = true;
  std::string chosen;
  if (ui::file_dialog(d, f, &chosen)) ui::set_text(d, kFile, res::cut(chosen, kNameChars));
}

// "Reader": the backup transponder read at the enrol station.
void read_transponder(ui::Window d) {
  std::string number;
  if (ops::read_backup_transponder(&number, d) == 1) ui::set_text(d, kTransponder, number);
}

void report(std::intptr_t result) {
  State& s = state();
  s.reported = true;
  views::report_to_main(mode() == ops::kRestore ? kRestoreCommand : kBackupCommand, result);
}

// The start button: the checks of the entries, then the report. The file the
// operation works on is the one named here, also when the name is not
// remembered as the last backup path (a name without a letter).
void start(ui::Window d) {
  const std::string name = trimmed(ui::get_text(d, kFile));
  const std::string number = mode() == ops::kBackup ? ui::get_text(d, kTransponder) : "";
  if (!ops::take_start(mode(), name, number, d)) return;
  state().path = name;
  report(1);
}

bool handle(ui::Window d, const ui::Event& e) {
  State& s = state();
  if (e.kind == ui::EventKind::Destroyed) {
    if (s.dialog == d) s = State{};
    return true;
  }
  if (d != s.dialog || s.reported || e.kind != ui::EventKind::Command) return false;
  switch (e.id) {
    case kSearch:
      search(d);
      return true;
    case kReadCard:
      read_transponder(d);
      return true;
    case ui::kIdAction:
      start(d);
      return true;
    case ui::kIdExitMenu:
      report(0);
      return true;
    default:
      return false;
  }
}

void open(int dialog_mode) {
  ui::Window d = views::open_main_dialog("D_BACKUP_RESTORE", handle, dialog_mode);
  if (d == ui::kNoWindow) return;
  State& s = state();
  s = State{};
  s.dialog = d;
  ui::limit_text(d, kFile, kNameChars);
  ui::set_text(d, kFile, res::cut(store::db().konfig.backup_path(), kNameChars));
  if (dialog_mode == views::kModeRestore) {
    ui::destroy_control(d, kTransponderLabel);
    ui::destroy_control(d, kTransponder);
    ui::destroy_control(d, kReadCard);
    ui::set_text(d, ui::kIdAction, res::text(res::BK_RESTORE_BUTTON));
  } else {
    ui::limit_text(d, kTransponder, ops::kTransponderChars);
    ui::set_text(d, kTransponder, "");
  }
  ui::focus_control(d, kFile);
}

// Runs the operation with the dialog on screen: its status line takes the
// operation's status texts and the dialog is repainted as the records are
// read and written; the result box is owned by the dialog.
void run(ui::Window d, const std::string& path) {
  // The questions of the operation are modal to the dialog only; the main
  // window, enabled again by the report, stays out of use until the end.
  ui::enable_window(views::main_window(), false);
  ops::Hooks hooks;
  hooks.owner = d;
  hooks.status = [d](const std::string& text) {
    ui::set_text(d, kStatus, text);
    ui::redraw(d);
  };
  hooks.progress = [d](int, int) { ui::redraw(d); };
  const int m = mode();
  ops::show_result(m, ops::backup_restore(m, path, hooks), d);
}

}  // namespace

void open_backup(std::intptr_t) { open(views::kModeNone); }

void open_restore(std::intptr_t) { open(views::kModeRestore); }

void backup_completed(std::intptr_t result) {
  State& s = state();
  const ui::Window d = views::host().dialog;
  if (result == 1 && d != ui::kNoWindow && d == s.dialog) run(d, s.path);
  views::close_main_dialog();
}

void reset_backup() { state() = State{}; }

}  // namespace exchange
