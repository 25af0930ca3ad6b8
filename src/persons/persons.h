// Person administration: the person list window (LView_p), the person form
// D_PERSON and the search D_SUCHEN. The main window's command table calls these
// for the menu commands 2000 "new person set", 2010 "Change person", 2020
// "Delete person", 2030 "Search person" and 2120 "Serarch template data".
#pragma once

#include <cstdint>

#include "platform/ui.h"

namespace persons {

// Modes of the person list, as the commands open it.
constexpr int kDeleteMode = 1;  // command 2020
constexpr int kChangeMode = 2;  // command 2010

// Commands of the person list window. kFormReport without an open form opens
// the form for the current person; with the form open it is the form's report:
// -1 closed without saving, 0 the current person was saved (its row is
// rewritten), n > 0 record n was created (a row is added and the list sorted).
// kDeleteCurrent finds the current person's row and deletes it as a right
// click would.
constexpr int kFormReport = 8010;
constexpr int kDeleteCurrent = 8015;

// Main-window commands this folder sends on.
constexpr int kNewPersonCommand = 2000;
constexpr int kChangeCommand = 2010;
constexpr int kDeleteCommand = 2020;
constexpr int kSearchCommand = 2030;
constexpr int kTemplatesCommand = 2100;
constexpr int kTemplateDeleteCommand = 2110;

// Commands 2010 and 2020: opens the person list in change or delete mode and
// disables the main window; a list that is open already is focused and keeps
// its mode. `record` n >= 1 then opens the form for person n (change), -n
// deletes person n as a right click on its row would. 1 when the list is
// shown, 0 when it could not be made (nothing is left behind).
int open_person_list(int mode, std::intptr_t record = 0);

// Command 2000 opening: the form for a new person as the main window's open
// dialog (dialog mode 'N'). It reports with command 2000: -1 "Exit Menu", or
// the new record number.
ui::Window open_new_person();
// Command 2000 completion, after the main window closed the form: for a new
// record asks whether to capture its templates now; Yes sends command 2100
// with its record number.
void new_person_completed(std::intptr_t result);

// Commands 2030 and 2120 opening: the search dialog over the main window. It
// reports with command 2030: n >= 1 change person n, -n delete person n, 0
// "Exit Menu".
ui::Window open_search();
// Command 2030 completion: sends 2010 / 2020 with the result, or 2100 / 2110
// when the search was opened for the templates; nothing for 0.
void search_completed(std::intptr_t result, bool for_templates);

// The open windows (kNoWindow when none).
ui::Window person_list();
ui::Window person_form();
ui::Window search_dialog();

// Forgets the windows and modes (tests; the windows themselves are not touched).
void reset_persons();

}  // namespace persons
