// The reader list window LView_l: one row per reader, change by double click or
// Enter, delete by right click, header-click sorting, and the form's reports
// (command 8030).
#include <cstdint>

#include "readers/reader_rows.h"
#include "readers/readers.h"
#include "readers/views.h"
#include "resources/catalogue.h"
#include "store/store.h"

namespace readers {
namespace {

constexpr int kList = kReaderListControl;

const Column kColumns[] = {{8300, 200}, {8301, 100}, {8302, 100},
                           {8303, 100}, {8304, 100}, {8305, 100}};

void info(ui::Window owner, const std::string& text, unsigned icon = 0) {
  ui::message_box(owner, text, res::text(res::CAP_INFO), ui::kOk | icon);
}
void error_info(ui::Window owner, const std::string& text) {
  ui::message_box(owner, text, res::text(res::CAP_FEHLER_INFO), ui::kOk);
}

// Appends the row of table index `slot`; false (with its message) when the list
// refuses it.
bool append_row(ui::Window w, int slot) {
  const store::Lesersatz& r = store::db().readers[slot];
  if (ui::list_insert_row(w, kList, ui::list_count(w, kList), reader_row(r)) < 0) {
    error_info(w, res::text(res::RD_ROW_NOT_ADDED));
    return false;
  }
  return true;
}

void rewrite_row(ui::Window w, int row, int slot) {
  std::vector<std::string> texts = reader_row(store::db().readers[slot]);
  for (std::size_t c = 0; c < texts.size(); ++c)
    ui::list_set_text(w, kList, row, static_cast<int>(c), texts[c]);
}

// Double click or Enter: the first selected row's reader becomes the current
// reader and the form opens for it.
void change_selected(ui::Window w) {
  Views& v = views();
  if (v.list_mode == kDeleteMode) {
    info(w, res::text(res::RD_NOT_PERMITTED_DELETE), ui::kIconInfo);
    return;
  }
  int row = ui::list_first_selected(w, kList);
  if (row < 0) {
    info(w, res::text(res::RD_NONE_SELECTED_CHANGE));
    return;
  }
  int slot = find_reader(row_texts(w, kList, row));
  if (slot < 0) {
    error_info(w, res::text(res::RD_NOT_FOUND_CHANGE));
    return;
  }
  store::db().current_reader = store::db().readers[slot];
  v.changing_row = row;
  ui::send_command(w, kFormReport, 0);
}

// Deletes the reader of selected row `row` from the list and from Leser.dat.
// Returns true when the row was removed for good (the scan then starts again
// from the top).
bool delete_row(ui::Window w, int row) {
  std::vector<std::string> texts = row_texts(w, kList, row);
  int slot = find_reader(texts);
  if (slot < 0) {
    error_info(w, res::text(res::RD_NOT_FOUND_DELETE));
    return false;
  }
  if (!ui::list_delete_row(w, kList, row)) {
    error_info(w, res::format(res::RD_ROW_NOT_DELETED, row + 1));
    return false;
  }
  store::Tables& t = store::db();
  const std::string name = t.readers[slot].name();
  // Freeing the slot numbers both reader buffers; the current reader stays
  // what it was.
  const store::Lesersatz current = t.current_reader;
  t.edit_reader.set_nummer(static_cast<std::uint32_t>(slot + 1));
  int rc = store::rw_leser(store::kDelete);
  t.current_reader = current;
  if (rc < 0) {
    error_info(w, res::format(res::RD_DELETE_FAILED, static_cast<long>(rc) - 1));
    // The reader is still stored: its row comes back, no longer selected.
    if (ui::list_insert_row(w, kList, row, texts) < 0)
      error_info(w, res::text(res::RD_ROW_NOT_ADDED));
    return false;
  }
  info(w, res::format(res::RD_DELETED, static_cast<long>(slot), name.c_str()));
  return true;
}

// Right click: asks, then deletes every selected row. After each removal the
// scan starts again from the first row.
void delete_selected(ui::Window w) {
  Views& v = views();
  if (v.list_mode == kChangeMode) {
    info(w, res::text(res::RD_NOT_PERMITTED_CHANGE), ui::kIconInfo);
    return;
  }
  if (ui::list_first_selected(w, kList) < 0) {
    info(w, res::text(res::RD_NONE_SELECTED_DELETE), ui::kIconInfo);
    return;
  }
  if (ui::message_box(w, res::text(res::RD_ASK_DELETE), res::text(res::RD_CAP_QUESTION),
                      ui::kYesNo) != ui::kIdYes)
    return;
  int row = 0;
  while (row < ui::list_count(w, kList)) {
    std::vector<int> selected = ui::list_selected(w, kList);
    bool is_selected = false;
    for (int s : selected) is_selected = is_selected || s == row;
    if (is_selected && delete_row(w, row))
      row = 0;
    else
      ++row;
  }
  ui::redraw(w);
}

// Command 8030 from the form (or from the list itself with 0).
void form_report(ui::Window w, std::intptr_t param) {
  Views& v = views();
  if (v.form == ui::kNoWindow) {
    if (param == 0) open_change_form();
    return;
  }
  close_form();
  if (param == 0) {
    std::uint32_t number = store::db().current_reader.nummer();
    if (v.changing_row >= 0 && number >= 1 && number <= store::kReaders &&
        store::db().readers[number - 1].used())
      rewrite_row(w, v.changing_row, static_cast<int>(number - 1));
  } else if (param > 0 && param <= store::kReaders) {
    if (append_row(w, static_cast<int>(param - 1))) {
      ui::redraw(w);
      v.sort.resort(w, kList);
    }
  }
}

bool list_handler(ui::Window w, const ui::Event& e) {
  Views& v = views();
  switch (e.kind) {
    case ui::EventKind::Command:
      if (e.id != kFormReport) return false;
      form_report(w, e.param);
      return true;
    case ui::EventKind::HeaderClick:
      if (e.id == kList) v.sort.header_clicked(w, kList, e.column);
      return true;
    case ui::EventKind::DoubleClick:
    case ui::EventKind::ListEnter:
      if (e.id == kList) change_selected(w);
      return true;
    case ui::EventKind::RightClick:
      if (e.id == kList) delete_selected(w);
      return true;
    case ui::EventKind::Close:
      // The form goes with the list; the main window takes over again.
      if (ui::window_exists(v.main)) {
        ui::enable_window(v.main, true);
        ui::focus_window(v.main);
      }
      ui::destroy_window(w);
      return true;
    case ui::EventKind::Destroyed:
      if (v.list == w) {
        v.list = ui::kNoWindow;
        v.list_mode = 0;
        v.changing_row = -1;
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

int open_reader_list(ui::Window main, int mode, bool download_user) {
  Views& v = views();
  if (v.list != ui::kNoWindow && ui::window_exists(v.list)) {
    ui::focus_window(v.list);
    return 1;
  }
  ui::Rect rect = ui::window_rect(main);
  rect.x += 30;
  rect.y += 30;
  const std::string& title =
      res::text(mode == kDeleteMode ? res::RD_TITLE_DELETE : res::RD_TITLE_CHANGE);
  ui::Window w = ui::create_list_window(ui::kListReaders, main, title, rect, list_handler);
  if (w == ui::kNoWindow) return 0;
  if (!make_report_list(w, kList, kColumns, sizeof kColumns / sizeof kColumns[0], true)) {
    ui::destroy_window(w);
    return 0;
  }
  v.main = main;
  v.download_user = download_user;
  v.list = w;
  v.list_mode = mode == kDeleteMode ? kDeleteMode : kChangeMode;
  v.sort = ListSort{};
  v.changing_row = -1;
  const auto& table = store::db().readers;
  for (int i = 0; i < store::kReaders; ++i)
    if (table[i].used()) append_row(w, i);
  ui::enable_window(main, false);
  ui::focus_window(w);
  return 1;
}

ui::Window reader_list() { return views().list; }

}  // namespace readers
