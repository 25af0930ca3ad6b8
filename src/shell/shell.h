// The program shell: entry, main window, start sequence, menu state and command
// dispatch. Everything runs on the one GUI thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ui.h"
#include "store/records.h"
#include "views/host.h"

namespace shell {

// Command numbers the shell itself sends or that tests drive directly.
enum Command : int {
  kCmdLogin = 1000,
  kCmdExport = 1100,
  kCmdImport = 1200,
  kCmdPassword = 1300,
  kCmdInitialization = 1400,
  kCmdExit = 1500,
  kCmdUsers = 5800,
  kCmdHelp = 6000,
  kCmdSoftwareInfo = 6100,
};

// Who may use a menu command once a login has passed the station check.
enum class Access {
  Always,        // login, exit, help, software info: never greyed
  Everyone,      // every user, the restricted user "Download" too
  NotDownload,   // every user but "Download"
  Admin,         // the administrator only
  OrdinaryUser,  // every user but the administrator
  Internal,      // no menu item: sent by the program itself
};

// One command of the main window: who may use it, what it opens when no dialog
// is open, and how it completes when the open dialog reports with it. The
// dialog is closed before `complete` runs unless `keeps_dialog` (an operation
// that works with the dialog still open, then closes it itself).
struct CommandEntry {
  int id;
  Access access;
  void (*open)(std::intptr_t param);
  void (*complete)(std::intptr_t result);
  bool keeps_dialog = false;
};

// Every command of the main window, each once.
const CommandEntry* commands(std::size_t* count);
// The command's entry, null when there is none.
const CommandEntry* find_command(int id);

// Timers of the main window.
constexpr unsigned kStartTimer = 10;
constexpr unsigned kClockTimer = 11;
constexpr unsigned kStartDelayMs = 2000;
constexpr unsigned kClockMs = 1000;
// Control id of the status bar.
constexpr int kStatusBar = 7000;

// Process-wide state of the shell.
struct Shell {
  // The command-line switches live with what obeys them: -d with the log,
  // -e and -j with the station check.
  bool starting = true;                  // until start timer 10 fired
  bool no_configuration = false;         // Programm.cfg did not exist at creation
  std::string title;
  std::string config_path;
  bool status_bar = false;
  ui::Image tile = 0;
  ui::Image picture = 0;
  ui::Size picture_size;
  // Once-per-run offers of the login (the main window, its dialog, the dialog
  // mode and the user logged in are held by views::host()).
  bool first_login_offer = true;
  bool init_offer = true;
  // Set by command 2120: the search of command 2030 reports to the template
  // commands 2100 and 2110 instead of 2010 and 2020.
  bool template_search = false;
  // Set when that search has just sent its choice to command 2100: the
  // template list was not reached from the person form.
  bool templates_from_search = false;
  // Who was logged in when the login dialog opened (kept when it is left with
  // "Exit Menu").
  struct LoggedIn {
    views::User user;
    store::Usersatz read, current;
  };
  LoggedIn before_login;
};

Shell& state();
// Back to the state of a program that has not started (tests).
void reset_shell();
// Every folder's process-wide state back to that of a program that has not
// started: store, link, log and status texts, the views and the shell (tests,
// and a second run in one process). The ui backend is not touched.
void reset_program();
// The main window (views::host().main).
ui::Window main_window();

// The program: reads the command line, registers the window classes, creates
// the main window and runs the message loop. Returns the quit code, or 0 when a
// window class cannot be registered or the main window cannot be made. The ui
// layer shows the main window in its normal state; `show` is taken for the
// entry's signature only.
int program_entry(const std::string& command_line, int show);
// Everything program_entry does before the message loop. False when the program
// ended already (a class could not be registered, or the main window closed
// itself during creation).
bool start_program(const std::string& command_line);

// The switches of the command line: only its first two characters count.
void read_command_line(const std::string& command_line);
// Reads the title file Progname.txt of the current directory (at most 29
// bytes, trailing blanks and line ends removed). 1 title read, 0 nothing usable,
// -1 no current directory, -2 path, -3 file missing, -4 positioning, -5 reading.
int read_progname(std::string* title);

// Menu state: greys every command but login, exit, help and software info;
// the full state of the logged-in user after a passed station check.
void grey_menu();
void enable_full_menu();
void repaint();

}  // namespace shell
