// Reader maintenance: reader test, delete data in reader, parameter reset,
// reader parameter download and operating mode on chosen readers (each a run
// of the reader loop with work at the reader itself and no persons), and the
// enrol parameter download at the enrol station.
#pragma once

#include <vector>

#include "ops/reader_loop.h"
#include "platform/message_box.h"

namespace ops {

enum class Maintenance { Test, Erase, Reset, ReaderParameters, OperatingMode };

// The step of `kind` at the current reader, whose check passed: Test nothing
// more (1); Erase del_template for all templates; Reset parameter_reset with
// the bus address `address` (1 to 15); ReaderParameters load_reader_parameter
// with the reader parameter table; OperatingMode change_bmode with `mode`
// (0 to 5). The operation's result, 1 for success.
int maintenance_step(Maintenance kind, int address, int mode);

// What clearing a reader's bit in the persons' reader masks did.
struct MaskClearing {
  int written = 0;   // person records written
  int failures = 0;  // writes that failed (each shown)
};
// Every person in use whose reader mask has the bit of reader slot `reader`
// loses it, and its record is written. A failed write is shown through `show`
// ("Fehler beim updaten der Personendaten !, Fehlernummer %ld", caption
// "Update Fehler"), the person keeps the bit in memory as on disk, and the
// scan goes on.
MaskClearing clear_reader_bit(int reader, const ShowBox& show);

// The loop plan of `kind`: the first check with its box, the step with its
// status texts and failure box, the closing text after every run. Erase clears
// the reader's bit in the persons after the reader's data were deleted.
// OperatingMode sends `mode`.
LoopPlan maintenance_plan(Maintenance kind, int mode = 0);

// The closing text of `kind` and its caption, as shown after a run and after
// "Exit Menu".
void show_maintenance_closing(Maintenance kind, ui::Window owner);

// Runs `kind` on the reader slots `readers` in their order: the reader loop
// with the plan above and no persons.
LoopResult run_maintenance(Maintenance kind, const std::vector<int>& readers,
                           const LoopHooks& hooks, int mode = 0);

// The enrol parameter download, with the enrol parameter table read already:
// check_enrol_parameter at the enrol station, then load_enrol_parameter. Each
// failure shows its box (caption "Error Enrol Parameter Download"), success
// "Enrol Parameter Download carried out succesfully!"; all owned by `owner`.
// 1, or the failing operation's result (the check's when it is 0 or below).
int download_enrol_parameters(ui::Window owner);

}  // namespace ops
