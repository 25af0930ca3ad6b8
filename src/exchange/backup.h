// The backup dialog D_BACKUP_RESTORE over the main window: command 5810 opens
// it for a backup, command 5820 for a restore (dialog mode 'R'). The dialog
// takes the file name (with a file dialog behind "search") and, for a backup,
// the backup transponder read at the enrol station ("Reader"); its start button
// reports the command with 1, "Exit Menu" with 0. The completion runs the
// backup or restore while the dialog stays on screen, its status line showing
// how far the work is, then shows the result box owned by the dialog and
// closes it.
#pragma once

#include <cstdint>

namespace exchange {

// Command 5810: the dialog in backup mode.
void open_backup(std::intptr_t);
// Command 5820: the dialog in restore mode.
void open_restore(std::intptr_t);
// Completion of 5810 and 5820; the dialog is still open (the command table
// keeps it) and is closed here.
void backup_completed(std::intptr_t result);

// Forgets the open dialog (tests, a new run; the window itself is not touched).
void reset_backup();

}  // namespace exchange
