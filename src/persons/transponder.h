// Writing a person's templates (or Spezial PIN) onto the person's transponder
// at the enrol station, over a list window: the matching level from D_MATCHING,
// the Template-on-Card data block, then transparent mode on, the prompts on
// the overlay, waiting for the transponder, writing, the retry questions, and
// transparent mode off; then the offer to load the person into the readers and
// that load through the reader selection. The template list and the
// Template-on-Card list each run their own style of it.
#pragma once

#include <cstdint>

#include "ops/reader_loop.h"
#include "platform/ui.h"
#include "resources/catalogue.h"
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
  bool fore;               // while writing the window comes to the foreground and
                           // loses its system menu (it cannot be closed)
  res::TextId load_caption;  // caption of the question whether to load the readers
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

// D_MATCHING reported `level`: it closes, the write runs, and unless there was
// nothing to write, the load into the readers is offered (offer_load).
void level_reported(views::ListWindow& list, const WriteStyle& style, std::intptr_t level);

// When the current person is to be distributed to the readers, asks whether
// to load it now; Yes runs the list's command 8050 (the reader selection).
// True when the load was chosen.
bool offer_load(views::ListWindow& list, res::TextId caption);

// The list's command 8050 without an open dialog: the reader selection over
// the list. With the dialog open it reports: 1 loads the current person into
// the checked readers as `plan` says, 0 only closes it.
void open_person_load(views::ListWindow& list);
void person_load_reported(views::ListWindow& list, const ops::LoopPlan& plan, std::intptr_t value);

// True while a write runs (a list that must not close asks this).
bool writing();

}  // namespace persons
