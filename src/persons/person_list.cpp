// The person list window LView_p: one row per person, change by double click or
// Enter, delete by right click (in the file and in every reader), header-click
// sorting, and the form's reports (command 8010).
#include <cstdint>
#include <string>
#include <vector>

#include "ops/persons.h"
#include "persons/persons.h"
#include "persons/state.h"
#include "resources/catalogue.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/host.h"
#include "views/list_window.h"
#include "views/person_rows.h"

namespace persons {
namespace {

views::ListWindow& list() { return state().list; }
ui::Window window() { return list().window(); }

bool in_use(std::intptr_t record) {
  return record >= 1 && record <= store::kPersons && store::db().persons[record - 1].used();
}

// The row showing the person of `slot` (matched by its Personalnummer and
// Ausweisnummer, as rows carry no slot); -1 when none does.
int row_of(int slot) {
  const store::Personensatz& p = store::db().persons[slot];
  for (int row = 0; row < list().count(); ++row) {
    std::vector<std::string> texts = list().texts(row);
    if (texts.size() > views::kIdentificationColumn &&
        texts[views::kPersonnelNumberColumn] == p.personalnummer() &&
        texts[views::kIdentificationColumn] == p.ausweisnummer())
      return row;
  }
  return -1;
}

// Makes the person of `slot` the current person and opens the form for it.
void change(int row, int slot) {
  State& s = state();
  store::db().person_read = store::db().persons[slot];
  s.changing_row = row;
  s.changing_slot = slot;
  ui::send_command(window(), kFormReport, 0);
}

// Double click or Enter: the first selected row's person goes into the form.
void change_selected() {
  if (state().list_mode == kDeleteMode) {
    views::info(window(), res::text(res::PS_NOT_PERMITTED_DELETE), ui::kIconInfo);
    return;
  }
  int row = list().first_selected();
  if (row < 0) {
    views::info(window(), res::text(res::PS_NONE_SELECTED), ui::kIconInfo);
    return;
  }
  int slot = views::find_person(list().texts(row), false);
  if (slot < 0) {
    views::error_info(window(), res::text(res::PS_NOT_FOUND));
    return;
  }
  change(row, slot);
}

// Deletes the person of selected row `row`: the row, then the person in the
// files and in every reader. True when the row was removed for good (the scan
// then starts again from the top).
bool delete_row(int row) {
  std::vector<std::string> texts = list().texts(row);
  int slot = views::find_person(texts, true);
  if (slot < 0) {
    views::error_info(window(), res::text(res::PS_NOT_FOUND_DELETE));
    return false;
  }
  if (!list().remove(row)) return false;
  if (ops::delete_person(slot, window()).person <= 0) {
    // The person is still stored: its row comes back, no longer selected.
    list().insert(row, texts);
    return false;
  }
  return true;
}

// Right click: asks, then deletes every selected row, starting again from the
// top after each removal.
void delete_selected() {
  if (state().list_mode == kChangeMode) {
    views::info(window(), res::text(res::PS_NOT_PERMITTED_CHANGE), ui::kIconInfo);
    return;
  }
  if (list().first_selected() < 0) {
    views::info(window(), res::text(res::PS_NONE_SELECTED), ui::kIconInfo);
    return;
  }
  if (!views::ask(window(), res::text(res::VW_ASK_DELETE), res::CAP_QUESTION)) return;
  list().for_each_selected(delete_row);
  ui::redraw(window());
}

// Command 8010 without the form: opens it for the current person.
void open_form(std::intptr_t param) {
  if (param == 0) open_change_form();
}

// Command 8010 from the form: closes it, then rewrites the changed row or adds
// the new person's row and sorts.
void form_reported(std::intptr_t param) {
  State& s = state();
  list().close_dialog();
  const auto& table = store::db().persons;
  if (param == 0) {
    if (s.changing_row >= 0 && s.changing_row < list().count() && s.changing_slot >= 0 &&
        table[s.changing_slot].used())
      list().refresh(s.changing_row, views::person_row(table[s.changing_slot]));
  } else if (in_use(param)) {
    list().append_sorted(views::person_row(table[param - 1]));
  }
}

// Command 8015: the row of the current person (same name, letter case aside,
// and same Personalnummer) is selected alone and deleted as by a right click.
void delete_current(std::intptr_t) {
  const store::Personensatz& p = store::db().person_read;
  for (int row = 0; row < list().count(); ++row) {
    std::vector<std::string> texts = list().texts(row);
    if (texts.size() > views::kPersonnelNumberColumn &&
        views::compare_nocase(texts[0], p.name()) == 0 &&
        texts[views::kPersonnelNumberColumn] == p.personalnummer()) {
      list().select_only(row);
      delete_selected();
      return;
    }
  }
  views::info(window(), res::text(res::PS_PERSON_NOT_FOUND));
}

const views::Route kRoutes[] = {{kFormReport, open_form, form_reported},
                                {kDeleteCurrent, delete_current, nullptr}};

}  // namespace

int open_person_list(int mode, std::intptr_t record) {
  State& s = state();
  if (!list().is_open()) {
    const int list_mode = mode == kDeleteMode ? kDeleteMode : kChangeMode;
    views::ListHooks hooks;
    hooks.choose = change_selected;
    hooks.right_click = delete_selected;
    hooks.routes = kRoutes;
    hooks.route_count = sizeof kRoutes / sizeof kRoutes[0];
    hooks.destroyed = [] {
      state().list_mode = 0;
      state().changing_row = state().changing_slot = -1;
    };
    views::SortState& sort = views::person_sort();
    sort.reset_directions();
    const std::string& title =
        res::text(list_mode == kDeleteMode ? res::PS_TITLE_DELETE : res::PS_TITLE_CHANGE);
    bool shown = list().open(ui::kListPersons, title, views::person_columns(), &sort, hooks, [] {
      for (const store::Personensatz& p : store::db().persons)
        if (p.used() && !list().append(views::person_row(p))) return false;
      return true;
    });
    if (!shown) return 0;
    s.list_mode = list_mode;
    s.changing_row = s.changing_slot = -1;
  } else {
    ui::focus_window(window());
  }
  // Opened from the search: straight on to the person.
  if (record > 0 && in_use(record)) {
    int slot = static_cast<int>(record - 1);
    change(row_of(slot), slot);
  } else if (record < 0 && in_use(-record)) {
    store::db().person_read = store::db().persons[-record - 1];
    ui::send_command(window(), kDeleteCurrent, 0);
  }
  return 1;
}

ui::Window person_list() { return window(); }

}  // namespace persons
