// The program shell: entry, main window, start sequence, menu state and command
// dispatch. Everything runs on the one GUI thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui.h"
#include "store/records.h"

namespace shell {

// Command numbers of the main window that the shell itself serves.
enum Command : int {
  kCmdLogin = 1000,
  kCmdExport = 1100,
  kCmdImport = 1200,
  kCmdPassword = 1300,
  kCmdInitialization = 1400,
  kCmdExit = 1500,
  kCmdNewReader = 2200,
  kCmdChangeReader = 2210,
  kCmdDeleteReader = 2220,
  kCmdUsers = 5800,
  kCmdHelp = 6000,
  kCmdSoftwareInfo = 6100,
};

// Timers of the main window.
constexpr unsigned kStartTimer = 10;
constexpr unsigned kClockTimer = 11;
constexpr unsigned kStartDelayMs = 2000;
constexpr unsigned kClockMs = 1000;
// Control id of the status bar.
constexpr int kStatusBar = 7000;

// Values of the dialog mode shared with the reader and backup views.
constexpr int kModeNone = 0;
constexpr int kModeNew = 'N';

// Process-wide state of the shell.
struct Shell {
  // Command-line switches (the debug switch lives with the log).
  bool skip_station_check = false;       // -e
  bool continue_after_mismatch = false;  // -j
  bool starting = true;                  // until start timer 10 fired
  bool no_configuration = false;         // Programm.cfg did not exist at creation
  std::string title;
  std::string config_path;
  ui::Window main = ui::kNoWindow;
  ui::Window dialog = ui::kNoWindow;  // the one open modeless dialog
  bool status_bar = false;
  ui::Image tile = 0;
  ui::Image picture = 0;
  ui::Size picture_size;
  // Menu state.
  int dialog_mode = kModeNone;
  int user = 0;  // record number of the user logged in (1 = administrator)
  bool download_user = false;
  bool first_login_offer = true;
  bool init_offer = true;
  // Who was logged in when the login dialog opened (kept when it is left with
  // "Exit Menu").
  struct LoggedIn {
    int user = 0;
    bool download_user = false;
    store::Usersatz read, current;
  };
  LoggedIn before_login;
};

Shell& state();
// Back to the state of a program that has not started (tests).
void reset_shell();

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

// ---- for the views

// Opens a modeless dialog of the main window from its template, centred over
// the main window, and disables the main window. kNoWindow (nothing changed)
// when the dialog cannot be made.
ui::Window open_dialog(const char* resource, const ui::Handler& handler);
// How a dialog of the main window ends: the main window is enabled again and
// receives the dialog's opening command with the result; the command handler
// then closes the dialog and completes the operation.
void report_to_main(int command, std::intptr_t result);
// Shows a message box owned by the open dialog (or the main window).
int show_box(const std::string& text, const std::string& caption, unsigned style = ui::kOk);

// Menu state: greys every command but login, exit, help and software info;
// the full state of the logged-in user after a passed station check.
void grey_menu();
void enable_full_menu();
void repaint();

}  // namespace shell
