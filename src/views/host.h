// The views' one seam to the program shell: the main window, its one modeless
// dialog with the dialog mode, the completion report to the main window, boxes
// owned by the right window, the user logged in and the menu items. The shell
// fills this in (it creates the main window and runs the login); the views read
// and use it and never reach into the shell's own state.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui.h"
#include "views/list_window.h"

namespace views {

// Values of the dialog mode: which operation the open dialog of the main window
// serves. The reader selection dialog and the backup dialog decide by it.
enum DialogMode : int {
  kModeNone = 0,  // none, or the template download
  kModeReaderTest = 1,
  kModeReaderErase = 2,
  kModeParameterReset = 3,
  kModeReaderParameters = 4,
  kModeOperatingMode = 10,
  kModeNew = 'N',      // new person, new reader, first login
  kModeRestore = 'R',  // restore from a backup
};

// Record number of the administrator; every other user is an ordinary user.
constexpr int kAdministrator = 1;

struct User {
  int number = 0;         // record number of the user logged in, 0 before a login
  bool download = false;  // the restricted user "Download"
  bool admin() const { return number == kAdministrator; }
};

struct Host {
  ui::Window main = ui::kNoWindow;
  ui::Window dialog = ui::kNoWindow;  // the one open modeless dialog of the main window
  int dialog_mode = kModeNone;
  User user;
  // The sort order of the person list, which the template-delete list and the
  // Template-on-Card list share (only one of them is open at a time). The
  // remembered column lasts for the run; views::person_sort() hands it out.
  SortState person_sort;
};

Host& host();
// Forgets the windows, the mode, the user and the person sort order (tests, a
// new run).
void reset_host();

ui::Window main_window();
const User& logged_in();

// Opens a modeless dialog of the main window from its template, centred over the
// main window (where it is larger, aligned with the main window's left or top
// edge), makes it the open dialog with `mode`, and disables the main window.
// kNoWindow (nothing changed) when the dialog cannot be made.
ui::Window open_main_dialog(const char* resource, const ui::Handler& handler,
                            int mode = kModeNone);
// How a dialog of the main window ends: the main window is enabled again and
// receives the dialog's opening command with the result; the command table then
// closes the dialog and completes the operation.
void report_to_main(int command, std::intptr_t result);
// Closes the open dialog of the main window (if any), resets the dialog mode,
// enables and focuses the main window.
void close_main_dialog();

// A message box owned by the open dialog of the main window, or by the main
// window when none is open.
int show_box(const std::string& text, const std::string& caption, unsigned style = ui::kOk);

// Enables or greys a menu command of the main window.
void enable_command(int command, bool on);

}  // namespace views
