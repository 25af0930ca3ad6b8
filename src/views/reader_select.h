// The reader selection D_DOWN_AN_LESER, one dialog for every operation that
// works on chosen readers: the downloads, the Template-on-Card and template
// lists' reader loads, the template-delete list's and the maintenance commands.
//
// It shows "Attention!" in red in the large font, the operation's instruction,
// one labelled check box per named reader (the k-th box belongs to the k-th
// slot in use with a non-empty name, checked when the reader is pre-selected),
// and while the work runs the status texts 150/160, the numbers 170/171 and the
// progress bar 7010.
//
// "Send" and "Exit Menu" report 1 and 0 (-1 and -2 in the operating-mode
// mode) to the first open window registered below, in this order, as its
// command 8050; when none is open, to the main window by the dialog mode: 2450
// (download), 5500 (reader test, delete data, parameter reset), 5520 (reader
// parameter download), 5540 (operating mode). The window under the dialog
// stays disabled until the completion closes the dialog.
#pragma once

#include <string>
#include <vector>

#include "ops/reader_loop.h"
#include "platform/ui.h"
#include "views/list_window.h"

namespace views {

// The command with which the dialog reports to a list window.
constexpr int kReaderSelectReport = 8050;

// The list windows the dialog reports to, in the order it looks for them.
enum class SelectTarget : int {
  TemplateList,
  DownloadPersons,
  TemplateDelete,
  TemplateOnCard,
};
constexpr int kSelectTargets = 4;
// A list window registers itself when it opens and kNoWindow when it is gone.
void set_select_target(SelectTarget target, ui::Window window);

// Opens the dialog over the main window as its open dialog with `mode`
// (views::DialogMode), the main window disabled.
ui::Window open_reader_select(int mode, const std::string& instruction);
// Opens it as the dialog of a list window, the list disabled.
ui::Window open_reader_select(ListWindow& list, const std::string& instruction);

// The reader-table slots whose boxes are checked, in slot order.
std::vector<int> checked_readers(ui::Window dialog);

// The dialog while a loop runs: the bar and the status texts.
class SelectProgress {
 public:
  // Creates the progress bar 7010 under the reader columns, range 0 to twice
  // `pairs`, step 1; status 150 `operation`, 170 "0", 171 `pairs`; the buttons
  // are disabled while the work runs. False, after "Progress Bar not created!",
  // when the bar cannot be made (nothing runs then, the dialog stays open).
  bool start(ui::Window dialog, int pairs, const std::string& operation);
  // Hooks for the reader loop: each step advances the bar, the status texts
  // follow the loop, and the dialog is repainted after each person (with 170
  // counting the persons done).
  ops::LoopHooks hooks();
  // Removes the bar and enables the buttons again.
  void finish();

 private:
  ui::Window dialog_ = ui::kNoWindow;
  int done_ = 0;
};

// The dialog's status texts 150/160 as the hooks of a loop without a bar (the
// maintenance commands): boxes owned by the dialog, the dialog repainted after
// each change of the texts and after each reader.
ops::LoopHooks status_hooks(ui::Window dialog);

// "Send": runs the reader loop with `plan` for the person slots `persons` on
// the readers checked in `dialog`, showing the bar (twice the number of
// reader and person pairs) and the status texts. `behind` (a list window under
// the dialog, or kNoWindow) is redrawn after each reader. False, with nothing
// run, when the bar cannot be made.
bool send_to_checked(ui::Window dialog, const ops::LoopPlan& plan, const std::vector<int>& persons,
                     ui::Window behind = ui::kNoWindow);

// Forgets the registered windows (tests, a new run).
void reset_reader_select();

}  // namespace views
