// The download-persons window LView_dp: the persons to choose from, and the
// download of the chosen ones to the readers checked in the reader selection
// (command 8050). The window stays open for further downloads.
#include "ops/reader_loop.h"
#include "readers/download.h"
#include "readers/state.h"
#include "resources/catalogue.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/host.h"
#include "views/person_rows.h"
#include "views/reader_select.h"

namespace readers {
namespace {

views::ListWindow& list() { return state().persons_list; }
ui::Window window() { return list().window(); }

// Marks the person of a row as picked; false when no person matches it.
bool pick(int row) {
  int slot = views::find_person(list().texts(row), true);
  if (slot < 0) return false;
  state().picked[static_cast<std::size_t>(slot)] = true;
  return true;
}

// Right click: every selected person.
void pick_selected() {
  if (list().first_selected() < 0) {
    views::info(window(), res::text(res::DS_NO_PERSON_SELECTED), ui::kIconInfo);
    return;
  }
  if (!views::ask(window(), res::text(res::DS_ASK_LOAD_SELECTED), res::CAP_FRAGE)) return;
  state().picked.fill(false);
  bool any = false;
  list().for_each_selected([&any](int row) {
    any = pick(row) || any;
    return false;
  });
  if (any) ui::send_command(window(), views::kReaderSelectReport, 0);
}

// Double click or Enter: the first selected person only.
void pick_first() {
  if (list().count() == 0) {
    views::info(window(), res::text(res::DS_NO_PERSONS_AVAILABLE));
    return;
  }
  int row = list().first_selected();
  if (row < 0) {
    views::info(window(), res::text(res::DS_NO_PERSON_SELECTED));
    return;
  }
  if (!views::ask(window(), res::text(res::DS_ASK_LOAD_FIRST), res::CAP_QUESTION)) return;
  state().picked.fill(false);
  if (pick(row)) ui::send_command(window(), views::kReaderSelectReport, 0);
}

void open_selection(std::intptr_t) {
  views::open_reader_select(list(), res::text(res::DS_SEND_INSTRUCTION));
}

// The reader selection reported: 1 sends the picked persons, 0 only closes it.
void selection_reported(std::intptr_t value) {
  if (value == 1) {
    std::vector<int> persons;
    for (int i = 0; i < store::kPersons; ++i)
      if (state().picked[static_cast<std::size_t>(i)] && store::db().persons[i].used())
        persons.push_back(i);
    // Without a bar nothing runs and the dialog stays open.
    if (!views::send_to_checked(list().dialog(), ops::persons_plan(), persons)) return;
  }
  list().close_dialog();
}

const views::Route kRoutes[] = {{views::kReaderSelectReport, open_selection, selection_reported}};

}  // namespace

int open_download_persons() {
  State& s = state();
  if (ops::persons_in_use().empty()) {
    views::info(views::main_window(), res::text(res::DS_NO_PERSONS));
    return 0;
  }
  if (list().is_open()) {
    ui::focus_window(window());
    return 1;
  }
  views::ListHooks hooks;
  hooks.choose = pick_first;
  hooks.right_click = pick_selected;
  hooks.routes = kRoutes;
  hooks.route_count = 1;
  hooks.destroyed = [] { views::set_select_target(views::SelectTarget::DownloadPersons, ui::kNoWindow); };
  s.persons_sort = views::SortState{};
  bool shown = list().open(ui::kListDownloadPersons, res::text(res::DS_LOAD_PERSONAL_DATA),
                           views::person_columns(), &s.persons_sort, hooks, [] {
                             // A row the list refuses is reported and left out.
                             for (int slot : ops::persons_in_use())
                               list().append(views::person_row(store::db().persons[slot]));
                             return true;
                           });
  if (!shown) return 0;
  views::set_select_target(views::SelectTarget::DownloadPersons, window());
  return 1;
}

ui::Window download_persons_window() { return window(); }

}  // namespace readers
