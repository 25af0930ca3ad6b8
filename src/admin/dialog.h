// What the six parameter dialogs share: the one open dialog with its command,
// the guard against events while it is filled or after it reported, the rights
// check of "Save" and the write of the input mask.
#pragma once

#include <cstdint>

#include "platform/ui.h"
#include "resources/catalogue.h"

namespace admin {

// A dialog's own events. "Exit Menu" and Destroyed are handled for it, and it
// gets nothing while it is filled, after it reported, or FocusLost while a
// field check's box is up (views/field_checks.h).
using DialogEvents = bool (*)(ui::Window d, const ui::Event& e);

// Opens `resource` over the main window for `command`; `fill` runs with the
// dialog's change events held back. kNoWindow when it cannot be made.
ui::Window open_parameter_dialog(int command, const char* resource, DialogEvents events,
                                 void (*fill)(ui::Window d));

// "Save" of a user who may only look shows the rights message and gives false.
bool may_save(ui::Window d);
// Writes the input mask in use; a failure shows `failure` and gives false (the
// dialog stays open).
bool write_mask(ui::Window d, res::TextId failure);
// Ends the dialog with `result` (1 saved, 0 "Exit Menu").
void report(std::intptr_t result);

}  // namespace admin
