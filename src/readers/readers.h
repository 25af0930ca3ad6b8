// Reader administration: the reader list window (LView_l) and the reader form
// D_LESER. The main window's command table calls these for the menu commands
// 2200 "new Reader set", 2210 "Change reader set" and 2220 "Delete reader set".
#pragma once

#include <cstdint>

#include "platform/ui.h"

namespace readers {

// Modes of the reader list, as the commands open it.
constexpr int kDeleteMode = 1;  // command 2220
constexpr int kChangeMode = 2;  // command 2210

// Command the reader form sends to the reader list: 0 without an open form opens
// the form for the current reader; with the form open -1 closes it, 0 closes it
// and rewrites the row being changed, n > 0 closes it and appends record n.
constexpr int kFormReport = 8030;

// Commands 2210 and 2220: opens the reader list in change or delete mode at the
// main window's position plus 30 pixels, with its size, and disables the main
// window. When the list is open already it is focused and keeps its mode. 1 when
// the list is shown, 0 when it could not be made (nothing is left behind).
int open_reader_list(int mode);

// Command 2200 opening: the form for a new reader, with the defaults of a new
// reader, as the main window's open dialog (centred over it, the main window
// disabled; dialog mode 'N'). Returns the form, or kNoWindow when it could not
// be made. The form ends through views::report_to_main with command 2200 and
// -1 ("Exit Menu") or the new record number.
ui::Window open_new_reader();

// Command 2200 completion, after the main window closed the form: any result
// other than -1 shows "A new reader set was captured successfully!\n".
void new_reader_completed(std::intptr_t result);

// The open reader list and reader form (kNoWindow when none).
ui::Window reader_list();
ui::Window reader_form();

// Forgets the windows and modes (tests; the windows themselves are not touched).
void reset_readers();

}  // namespace readers
