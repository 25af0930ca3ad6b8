// State shared by the person list, the person form and the search, kept in one
// place.
#pragma once

#include "platform/ui.h"
#include "views/list_window.h"

namespace persons {

enum class FormMode {
  None,
  New,     // command 2000, over the main window
  Change,  // from the list
  Copy,    // change mode after the first press of "Copy\n(new set)"
};

struct State {
  // The list window and its mode (kChangeMode or kDeleteMode); its sort state
  // is the kit's shared person sort order.
  views::ListWindow list;
  int list_mode = 0;
  int changing_row = -1;   // the row of the person the form shows
  int changing_slot = -1;  // and its person-table slot

  // The form and how it was opened.
  ui::Window form = ui::kNoWindow;
  FormMode form_mode = FormMode::None;
  bool filling = false;               // the form's fields are being filled
  int boxes_open = 0;                 // the form is showing a message box
  bool templates_after_save = false;  // "To the\ntemplate data" waits for a save
  // Transponder reading: running, polls left, blink phase, first poll.
  bool reading = false;
  int countdown = 0;
  int blink = 0;
  bool first_poll = false;

  // The search dialog: chosen record number (0 none), search text length at
  // the last refill, and the search key.
  ui::Window search = ui::kNoWindow;
  int chosen = 0;
  int refill_length = 0;
  bool by_number = false;
};

State& state();

// Opens the form for the current person over the list (change mode). False
// when the dialog cannot be made.
bool open_change_form();

// The transponder reading of the form ("Reader", 250, and timer 20).
constexpr unsigned kBlinkTimer = 20;
void start_card_reading(ui::Window form);
void card_reading_tick(ui::Window form);
// The form goes away while a reading runs: transparent mode off again.
void abandon_card_reading();

// Boxes owned by the form. While one is shown the form ignores the focus its
// edit loses to the box.
int form_box(ui::Window form, const std::string& text, const std::string& caption,
             unsigned style = ui::kOk);

}  // namespace persons
