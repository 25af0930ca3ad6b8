// Writing a person's templates (or Spezial PIN) onto the person's transponder
// at the enrol station, over a list window: the matching level from D_MATCHING,
// the Template-on-Card data block, then transparent mode on, the prompts on
// the overlay, waiting for the transponder, writing, the retry questions, and
// transparent mode off. The template list and the Template-on-Card list each
// run their own style of it.
#pragma once

#include "platform/ui.h"
#include "views/list_window.h"

namespace persons {

// The list window command with which D_MATCHING reports the chosen level.
constexpr int kMatchingReport = 8040;

// How a window's write differs.
struct WriteStyle {
  const char* log_prefix;  // "TView     - ", "ToC       - "
  int overlay_height;      // Arial height of the prompts
  bool log_steps;          // every step is a trace line (else only a failed transparent on)
  bool check_off;          // a failed transparent off is logged
  bool fore;               // the window comes to the foreground while writing
};

// D_MATCHING over the list: "01" to "09", the input mask's "Matching Level"
// selected; "Accept" reports the chosen entry's number (1 to 9, 0 with nothing
// chosen) to the list with kMatchingReport.
ui::Window open_matching(views::ListWindow& list);

enum WriteResult : int {
  kNothingToWrite = -1,  // no Spezial PIN and no template (the operator was told)
  kGivenUp = 0,          // the operator declined to retry
  kWritten = 1,
};
// Writes the block of the current person (store::db().person_read) and the
// current template record (template_read) with `level` (0: the input mask's
// "Matching Level"). The list is disabled while a prompt shows; afterwards it
// is enabled again (the caller focuses it when done).
int write_transponder(views::ListWindow& list, const WriteStyle& style, int level);

// True while a write runs (a list that must not close asks this).
bool writing();

}  // namespace persons
