// State of the template list with its dialogs and of the template-delete list,
// kept in one place, and the steps one file hands to another.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "persons/finger_grid.h"
#include "persons/station_feedback.h"
#include "platform/ui.h"
#include "store/store.h"
#include "views/list_window.h"

namespace persons {

// Close values of D_ENROL.
constexpr int kNothingStored = -1;
constexpr int kStored = 0;
constexpr int kPinToEnter = -10;

struct TemplateState {
  // The template list LView_t, its own sort order, and the came-from-person-
  // form marker (the person's record number, else 0).
  views::ListWindow list;
  views::SortState sort;
  std::uint32_t from_person_form = 0;

  // D_ENROL: its selection, the working minimum Q, the close value; D_FINGER
  // over it; D_SPEZIAL_PIN over the list.
  ui::Window enrol = ui::kNoWindow;
  Selection selection;
  int working_minimum = 0;
  int close_value = kNothingStored;
  ui::Window finger = ui::kNoWindow;
  ui::Window pin_dialog = ui::kNoWindow;

  // The template-delete list LView_dt (sorted by the person list's order): the
  // person selection (a flag per
  // person slot), the copy kept while one person is sent to the readers in
  // the middle of a finger-by-finger pass, the person D_TEMP_DEL shows, the
  // send-now flag, and D_TEMP_DEL with its selection and deletion result.
  views::ListWindow delete_list;
  std::array<bool, store::kPersons> selected{};
  std::array<bool, store::kPersons> saved{};
  int current_slot = -1;
  bool send_now = false;
  ui::Window temp_del = ui::kNoWindow;
  Selection delete_selection;
  int deletion_result = 0;
};

TemplateState& templates();

// A template window for its menu command: with no person stored the operator
// is told ("No personnel data is captured yet!") and false returned; a window
// that is open is focused; otherwise `open` makes it (false when it cannot).
bool show_for_command(views::ListWindow& list, const std::function<bool()>& open);

// The tag of the template list's log lines.
constexpr const char* kEnrolTag = "TView     - ";
// A trace line (only with the diagnostic log on) and a line written always,
// each the tag and a catalogue text.
void enrol_trace(res::TextId line);
void enrol_log(const std::string& line);

// D_ENROL over the template list for the current person; false when it cannot
// be made.
bool open_enrol();
// The Spezial PIN for the current person after a dummy template was stored
// (close value -10): at the station's keypad, or D_SPEZIAL_PIN over the list.
// True when the steps after the enrolment go on (a PIN was entered at the
// keypad, or the entry was given up for a person who keeps a PIN).
bool enter_spezial_pin();
// Stores `pin` as the current person's Spezial PIN, asking whether the
// Combined Mode is to follow (PIN required, finger not). The store's result.
int store_spezial_pin(ui::Window owner, const std::string& pin);
// Any person in use holds this Spezial PIN.
bool spezial_pin_taken(const std::string& pin);

}  // namespace persons
