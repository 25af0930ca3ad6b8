// Fingerprint templates: the template list LView_t with the enrol dialog
// D_ENROL (and D_FINGER, the Spezial PIN at the station's keypad or in
// D_SPEZIAL_PIN), and the template-delete list LView_dt with D_TEMP_DEL. The
// main window's command table calls these for the menu commands 2100 "Change
// template data" and 2110 "Delete template data".
#pragma once

#include <cstdint>

#include "platform/ui.h"

namespace persons {

// Commands of the template list window. kEnrolReport without an open dialog
// opens D_ENROL for the current person; with D_ENROL (or D_SPEZIAL_PIN) open
// it is the dialog's report with its close value: -1 nothing stored, 0
// something stored, -10 a dummy template was stored and the Spezial PIN is to
// be entered.
constexpr int kEnrolReport = 8020;
// D_ENROL's command: D_FINGER was accepted.
constexpr int kFingerAccepted = 9999;

// Commands of the template-delete list window: kDeleteOne with a record number
// opens D_TEMP_DEL for that person alone; kDeleteNext without an open dialog
// opens D_TEMP_DEL for the next selected person, with it open it is the
// dialog's report (0 nothing deleted, 1 no template left, 2 blocks deleted).
constexpr int kDeleteOne = 8055;
constexpr int kDeleteNext = 8060;

// Command 2100: opens the template list (a list that is open stays as it is).
// With a record number n >= 1 person n becomes the current person, its
// template record is read and D_ENROL opens for it; `from_person_form` marks
// that the list was reached from the person form (the question after the
// enrolment then offers to go back to it). False, after "No personnel data is
// captured yet!", when no person is stored, or when the list cannot be made.
bool open_template_list(std::intptr_t record, bool from_person_form);

// Command 2110: opens the template-delete list (a list that is open stays as
// it is). A record number +n or -n (from the search) opens D_TEMP_DEL for
// person n. False as open_template_list.
bool open_template_delete(std::intptr_t record);

// The open windows (kNoWindow when none).
ui::Window template_list();
ui::Window enrol_dialog();
ui::Window template_delete_list();

// Forgets the windows and the state of both lists (tests, a new run; the
// windows themselves are not touched).
void reset_templates();

}  // namespace persons
