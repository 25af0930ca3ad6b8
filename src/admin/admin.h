// The parameter dialogs of the "Admin" menu, over the main window: the input
// mask D_EINGABE (command 5000), the additional-field descriptions
// D_ZUSATZFELDER (5050) and defaults D_ZUSATZVORB (5075), the template
// parameters D_TEMPLATE (5100), the RF-ID reader module D_RFID_PARA (5200) and
// the Template-on-Card write key D_RFID_KEYS (5300). Every user who has the
// commands may open them and look; only the administrator may save. Each
// dialog reports to the main window with its command: 1 after a save, 0 for
// "Exit Menu".
#pragma once

#include <cstdint>

namespace admin {

void open_input_mask(std::intptr_t);
void open_field_descriptions(std::intptr_t);
// Opens D_ZUSATZVORB when at least one additional field is active; otherwise
// only tells that the function is not available.
void open_field_defaults(std::intptr_t);
void open_template_parameters(std::intptr_t);
void open_reader_module(std::intptr_t);
void open_write_key(std::intptr_t);

// Command 5200 completion: after a save, Template on Card (2500) is enabled for
// the modules that can write a transponder (1 to 3) and greyed for the others.
void reader_module_completed(std::intptr_t result);

// Forgets the open dialog (tests, a new run; the window itself is not touched).
void reset_admin();

}  // namespace admin
