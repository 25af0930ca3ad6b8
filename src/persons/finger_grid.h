// The finger grid that the enrol dialog D_ENROL and the deletion dialog
// D_TEMP_DEL share: 25 owner-drawn buttons (rows 210-214 to 250-254) laid out
// by "Number finger" N and the person's fingerprint flag, each coloured by the
// quality value of its own finger block, and the quality display beside it
// (selection 113, finger type 114, quality word 207, quality box 208).
//
// With the fingerprint flag the ten finger blocks form 10 div N template
// groups of N positions and a button is labelled "group/position"; without it
// only the N positions of one unnumbered group are shown, labelled "0/p".
#pragma once

#include <string>

#include "platform/ui.h"
#include "resources/catalogue.h"
#include "store/records.h"

namespace persons {

constexpr int kGridRows = 5;
constexpr int kGridColumns = 5;
constexpr int kGridButtons = kGridRows * kGridColumns;
// The timer of both dialogs that sets the first selection 100 ms after opening.
constexpr unsigned kSelectionTimer = 999;
constexpr unsigned kSelectionDelayMs = 100;

// A choice in the grid: template group (0 before a button was pressed for a
// person without the fingerprint flag) and finger position.
struct Selection {
  int group = 0;
  int position = 0;
};

// "Number finger" of the input mask, kept within 1 to 10.
int fingers_per_person();

// Control id of grid button `index` (row * 5 + column), and back (-1: not a
// grid button).
int grid_button_id(int index);
int grid_index(int control_id);
// Label of grid button `index`; empty when the button is hidden.
std::string grid_label(int index, int fingers, bool fingerprint);
// The pair a label selects: the group is the first character's digit (0
// becomes 1) and the position the number after the "/"; a label whose second
// character is not "/" is group 10, position 1 ("10/1").
Selection selection_of_label(const std::string& label);
// Finger block of a selection: (g - 1) * N + p - 1 with the fingerprint flag,
// p - 1 without. -1 when the selection names no block.
int block_of(Selection s, int fingers, bool fingerprint);
// The selection as label 113 shows it: "g/p", or "0/p" without the flag.
std::string selection_text(Selection s, bool fingerprint);

// "Min. Q-value" and "Good Q value from" of the input mask.
struct Thresholds {
  int minimum = 0;
  int good = 0;
};
Thresholds thresholds();
// Background of a grid button: face colour (Q 0 or below the minimum), light
// yellow (below "good"), light green, pink for a dummy (255).
ui::Colour button_colour(int q, Thresholds t);
// Background of the quality box: grey (0), light red (below the minimum),
// yellow (below "good"), magenta (255), green.
ui::Colour quality_box_colour(int q, Thresholds t);
// "unknown" (0), "bad" (below the minimum), "ok" (below "good"), "good".
res::TextId quality_word(int q, Thresholds t);
// The finger type name of a code (label 114) and the entry of D_FINGER's list.
res::TextId finger_name(int code);
res::TextId finger_entry(int code);
constexpr int kFingerTypes = 11;

// Whether any block of the person's grid (groups 1 to 10 div N and positions
// 1 to N with the flag, positions 1 to N without) holds a template: length not
// 0 and quality not 0 (a dummy counts).
bool grid_holds_template(const store::Templatesatz& t, int fingers, bool fingerprint);

// The selection a dialog opens with: the first template group 1 .. 10 div N
// whose mark is not set (group 0 when all are), position 1, for a person with
// the fingerprint flag; group 0, position 1 otherwise.
Selection opening_selection(const store::Personensatz& p, int fingers);
// Every dummy block of `t` emptied (length, template group and Q 0).
void remove_dummy_blocks(store::Templatesatz& t);

// ---- the dialog side
// Timer 999 of a dialog: started at opening, stopped when it fires (each
// failure logged after `tag` and shown in a box owned by the dialog). The stop
// failure is written always; the start failure only with the debug switch,
// unless `start_failure_always` (the template deletion counts it among its
// failure lines). When fired, the selection then is group 1 (0 without the
// fingerprint flag), position 1.
void start_selection_timer(ui::Window d, const char* tag, bool start_failure_always);
Selection selection_timer_fired(ui::Window d, const char* tag, bool fingerprint);
// Edits 200 to 203 from the person (read-only) and the three template options
// 300 to 302, ticked as the person has them and disabled.
void show_person(ui::Window d, const store::Personensatz& p);
// Labels the buttons for N and the flag and hides those without a label.
void lay_out_grid(ui::Window d, int fingers, bool fingerprint);
// Colours every shown button by its own block.
void colour_grid(ui::Window d, const store::Templatesatz& t, int fingers, bool fingerprint);
// Box 208 with a quality value and label 207 with a word.
void show_quality(ui::Window d, int q, const std::string& word);
// The display of the selection: label 113, label 114 (the finger type name
// when `finger_name`, else empty; only where the dialog has it), 207 and 208.
void show_display(ui::Window d, Selection s, const store::Templatesatz& t, int fingers,
                  bool fingerprint, bool finger_name);

}  // namespace persons
