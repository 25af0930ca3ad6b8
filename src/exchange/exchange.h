// Master-data export and import windows: the layout dialogs D_EXPORT (command
// 1100) and D_IMPORT (command 1200) over the main window, and the completion of
// both commands, which runs the operation and shows its result.
#pragma once

#include <cstdint>

namespace exchange {

// Command 1100 opening: D_EXPORT filled from the export layout of the
// Konfigsatz in use. The dialog reports 1100 with 1 ("Export" after a
// successful save) or 0 ("Exit Menu").
void open_export(std::intptr_t param);
// Command 1100 completion: a result of 1 or more runs the export and shows its
// result ("Daten Export").
void export_completed(std::intptr_t result);

// Command 1200 opening: D_IMPORT filled from the import layout; it reports 1200
// with 1 ("Import") or 0.
void open_import(std::intptr_t param);
// Command 1200 completion: a result of 1 or more runs the import, logs the
// three lines of a completed import and shows its result ("Daten Import").
void import_completed(std::intptr_t result);

}  // namespace exchange
