// The bulk download: commands 2400 and 2300 lead to the reader selection
// (command 2450), whose "Send" sends every person to every checked reader.
#include "readers/download.h"

#include "diag/log.h"
#include "ops/reader_loop.h"
#include "readers/state.h"
#include "resources/catalogue.h"
#include "views/boxes.h"
#include "views/host.h"
#include "views/reader_select.h"

namespace readers {

void open_download(std::intptr_t) {
  ui::Window main = views::main_window();
  if (ops::persons_in_use().empty()) {
    views::info(main, res::text(res::DS_NO_PERSONS));
    return;
  }
  if (!views::logged_in().download &&
      !views::ask(main, res::text(res::DS_ASK_SEND_ALL), res::DS_LOAD_PERSONAL_DATA)) {
    open_download_persons();
    return;
  }
  state().erase_mode = false;
  ui::send_command(main, kBulkCommand, 0);
}

void open_delete_all(std::intptr_t) {
  ui::Window main = views::main_window();
  if (ops::persons_in_use().empty()) {
    views::info(main, res::text(res::DS_NO_PERSONS));
    return;
  }
  if (!views::ask(main, res::text(res::DS_ASK_DELETE_ALL), res::DS_CAP_DELETE_TEMPLATES)) return;
  ops::delete_all_templates(main);
  state().erase_mode = true;
  ui::send_command(main, kBulkCommand, 0);
}

void open_bulk_selection(std::intptr_t) {
  views::open_reader_select(views::kModeNone, res::text(res::DS_SEND_INSTRUCTION));
}

namespace {

// "Send": every person to every checked reader. False when the progress bar
// could not be made (nothing ran, the dialog stays open).
bool run_bulk(ui::Window d) {
  const std::vector<int> readers = views::checked_readers(d);
  const std::vector<int> persons = ops::persons_in_use();
  const ops::LoopPlan plan = ops::bulk_plan(state().erase_mode);
  views::SelectProgress progress;
  const int pairs = static_cast<int>(readers.size() * persons.size());
  if (!progress.start(d, pairs, res::text(plan.start_status))) return false;
  // Like every line of the download, written whether or not -d is given.
  diag::log_line("DownAlle  - %s", res::text(res::DSL_START).c_str());
  ops::run_reader_loop(plan, readers, persons, progress.hooks());
  progress.finish();
  return true;
}

}  // namespace

void bulk_selected(std::intptr_t value) {
  State& s = state();
  ui::Window d = views::host().dialog;
  if (value == 1) {
    // Without a progress bar the selection stays for another try.
    if (!run_bulk(d)) return;
  } else if (s.erase_mode) {
    views::show_box(res::text(res::DS_EXIT_DELETED), res::text(res::DS_CAP_LOAD_DELETE));
  } else {
    views::show_box(res::text(res::DS_EXIT_DONE), res::text(res::DS_CAP_LOAD_INFO));
  }
  s.erase_mode = false;
  views::close_main_dialog();
}

}  // namespace readers
