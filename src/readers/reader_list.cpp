// The reader list window LView_l: one row per reader, change by double click or
// Enter, delete by right click, header-click sorting, and the form's reports
// (command 8030).
#include <cstdint>

#include "ops/revocation.h"
#include "readers/reader_rows.h"
#include "readers/readers.h"
#include "readers/state.h"
#include "resources/catalogue.h"
#include "store/store.h"
#include "views/boxes.h"
#include "views/host.h"

namespace readers {
namespace {

const std::vector<views::Column> kColumns = {{8300, 200, {}}, {8301, 100, {}}, {8302, 100, {}},
                                             {8303, 100, {}}, {8304, 100, {}}, {8305, 100, {}}};

views::ListWindow& list() { return state().list; }
ui::Window window() { return list().window(); }

bool append_row(int slot) { return list().append(reader_row(store::db().readers[slot])); }

// Double click or Enter: the first selected row's reader becomes the current
// reader and the form opens for it.
void change_selected() {
  State& s = state();
  if (s.list_mode == kDeleteMode) {
    views::info(window(), res::text(res::RD_NOT_PERMITTED_DELETE), ui::kIconInfo);
    return;
  }
  int row = list().first_selected();
  if (row < 0) {
    views::info(window(), res::text(res::RD_NONE_SELECTED_CHANGE));
    return;
  }
  int slot = find_reader(list().texts(row));
  if (slot < 0) {
    views::error_info(window(), res::text(res::RD_NOT_FOUND_CHANGE));
    return;
  }
  store::db().current_reader = store::db().readers[slot];
  s.changing_row = row;
  ui::send_command(window(), kFormReport, 0);
}

// Deletes the reader of selected row `row` from the list and from Leser.dat.
// Returns true when the row was removed for good (the scan then starts again
// from the top).
bool delete_row(int row) {
  std::vector<std::string> texts = list().texts(row);
  int slot = find_reader(texts);
  if (slot < 0) {
    views::error_info(window(), res::text(res::RD_NOT_FOUND_DELETE));
    return false;
  }
  if (!list().remove(row)) return false;
  store::Tables& t = store::db();
  const std::string name = t.readers[slot].name();
  // Freeing the slot numbers both reader buffers; the current reader stays
  // what it was.
  const store::Lesersatz current = t.current_reader;
  t.edit_reader.set_nummer(static_cast<std::uint32_t>(slot + 1));
  int rc = store::rw_leser(store::kDelete);
  t.current_reader = current;
  if (rc < 0) {
    views::error_info(window(), res::format(res::RD_DELETE_FAILED, static_cast<long>(rc) - 1));
    // The reader is still stored: its row comes back, no longer selected.
    list().insert(row, texts);
    return false;
  }
  // What was noted for this reader cannot be done any more through the program.
  ops::reader_deleted(slot);
  views::info(window(), res::format(res::RD_DELETED, static_cast<long>(slot), name.c_str()));
  return true;
}

// Right click: asks, then deletes every selected row. After each removal the
// scan starts again from the first row.
void delete_selected() {
  if (state().list_mode == kChangeMode) {
    views::info(window(), res::text(res::RD_NOT_PERMITTED_CHANGE), ui::kIconInfo);
    return;
  }
  if (list().first_selected() < 0) {
    views::info(window(), res::text(res::RD_NONE_SELECTED_DELETE), ui::kIconInfo);
    return;
  }
  if (!views::ask(window(), res::text(res::VW_ASK_DELETE), res::CAP_QUESTION)) return;
  list().for_each_selected(delete_row);
  ui::redraw(window());
}

// Command 8030 without the form: opens it for the current reader.
void open_form(std::intptr_t param) {
  if (param == 0) open_change_form();
}

// Command 8030 from the form: closes it, then rewrites the changed row or
// appends the new reader.
void form_reported(std::intptr_t param) {
  State& s = state();
  list().close_dialog();
  if (param == 0) {
    std::uint32_t number = store::db().current_reader.nummer();
    if (s.changing_row >= 0 && number >= 1 && number <= store::kReaders &&
        store::db().readers[number - 1].used())
      list().refresh(s.changing_row, reader_row(store::db().readers[number - 1]));
  } else if (param > 0 && param <= store::kReaders) {
    list().append_sorted(reader_row(store::db().readers[param - 1]));
  }
}

const views::Route kRoutes[] = {{kFormReport, open_form, form_reported}};

}  // namespace

int open_reader_list(int mode) {
  State& s = state();
  if (list().is_open()) {
    ui::focus_window(window());
    return 1;
  }
  const int list_mode = mode == kDeleteMode ? kDeleteMode : kChangeMode;
  views::ListHooks hooks;
  hooks.choose = change_selected;
  hooks.right_click = delete_selected;
  hooks.routes = kRoutes;
  hooks.route_count = 1;
  hooks.destroyed = [] {
    state().list_mode = 0;
    state().changing_row = -1;
  };
  s.sort = views::SortState{};
  const std::string& title =
      res::text(list_mode == kDeleteMode ? res::RD_TITLE_DELETE : res::RD_TITLE_CHANGE);
  bool shown = list().open(ui::kListReaders, title, kColumns, &s.sort, hooks, [] {
    const auto& table = store::db().readers;
    for (int i = 0; i < store::kReaders; ++i)
      if (table[i].used()) append_row(i);
    return true;
  });
  if (!shown) return 0;
  s.list_mode = list_mode;
  s.changing_row = -1;
  return 1;
}

ui::Window reader_list() { return window(); }

}  // namespace readers
