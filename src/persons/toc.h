// Template on Card: command 2500 opens the Template-on-Card list LView_dc of
// the persons who have templates; a person chosen there can have its templates
// (or Spezial PIN) written onto its transponder and be loaded into the readers.
#pragma once

#include <cstdint>

#include "platform/ui.h"

namespace persons {

// Command 2500: when at least one person has a template, the list opens (a
// list that is open already stays as it is); otherwise the operator is told.
void open_template_on_card(std::intptr_t);
// The open list, kNoWindow when none.
ui::Window toc_list();

// The RF-ID reader module of the input mask is one that Template on Card
// writes with (1 DESFire EV 1, 2 Legic advant, 3 Mifare Classic). (Command
// 5200's completion enables or greys 2500 by the same rule.)
bool toc_module();

// Forgets the list (tests, a new run; the window itself is not touched).
void reset_toc();

}  // namespace persons
