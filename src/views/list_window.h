// The list windows (LView_p, LView_t, LView_l, LView_dt, LView_dp, LView_dc):
// a top-level window owned by the main window, at the main window's position
// plus 30 pixels with its size, holding one report list (control 8000) with
// grid lines, full-row selection and multiple selection. While a list window is
// open the main window is disabled; closing it closes its dialog with it and
// enables and focuses the main window again.
//
// A list window keeps no link from a row to its record: rows are matched to
// records by their texts (find_slot). Header clicks sort by a SortState that the
// window owns or shares with other list windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "views/dialogs.h"

namespace views {

// The report list of every list window.
constexpr int kListControl = 8000;

// One column: header text by string-table number (8100 ...) and width in pixels.
// A non-empty `title` replaces the string-table text (the company-code caption);
// with string_id 0 the title is taken as it is, also when it is empty.
struct Column {
  int string_id;
  int width;
  std::string title;
};

// Compares two Windows-1252 texts without regard to letter case: <0, 0, >0.
int compare_nocase(const std::string& a, const std::string& b);
// Parses the decimal digits at the start of `text` from `from` on (0 when there
// are none), as the row texts of numbers are read back.
long leading_number(const std::string& text, std::size_t from = 0);

// Header-click sorting. Every column starts ascending; a click on a header
// flips that column's flag and sorts by it, so the first click sorts
// descending. The column is remembered so that the list can be sorted again
// after a row is added.
struct SortState {
  static constexpr int kColumns = 10;
  bool descending[kColumns] = {};
  int column = 0;
  // All columns ascending again; the remembered column stays.
  void reset_directions();
};

// What a list window does with the operator's actions. Unset hooks do nothing.
struct ListHooks {
  std::function<void()> choose;  // double click or Enter on the list
  std::function<void()> right_click;
  // Header click: sorts by the SortState unless set (a list with a rule of its own).
  std::function<void(int column)> header_click;
  // The window's own commands (forms and dialogs report with them).
  const Route* routes = nullptr;
  std::size_t route_count = 0;
  // Asked before the close box closes the window; false keeps it open.
  std::function<bool()> may_close;
  // The window is gone (after its dialog): forget what the view kept of it.
  std::function<void()> destroyed;
};

class ListWindow {
 public:
  // Opens the window with its columns, sorted by `sort` on header clicks, and
  // lets `fill` add the rows; then the main window is disabled and the list
  // focused. When it is open already it is focused and nothing else changes.
  // False (nothing left behind) when the window, the list or a column cannot be
  // made, or `fill` returns false.
  bool open(const char* class_name, const std::string& title, const std::vector<Column>& columns,
            SortState* sort, ListHooks hooks, const std::function<bool()>& fill);
  bool is_open() const;
  ui::Window window() const { return window_; }
  // Closes the window (and its dialog), enabling and focusing the main window.
  void close();
  // Forgets the window without touching it (tests, a new run).
  void forget();

  // ---- rows
  // Inserts a row before `row` (unsorted). False (with "Kann den Datensatz
  // nicht hinzufügen", caption "Fehler Info") when the list refuses it.
  bool insert(int row, const std::vector<std::string>& texts);
  // Appends a row at the end, unsorted; false as insert.
  bool append(const std::vector<std::string>& texts) { return insert(count(), texts); }
  // Appends a row, redraws and sorts the list by the remembered column.
  bool append_sorted(const std::vector<std::string>& texts);
  void refresh(int row, const std::vector<std::string>& texts);
  // Removes a row; false (with "Line %d konnte nicht gelöscht werden" and the
  // row counted from 1, caption "Fehler Info") when the list refuses.
  bool remove(int row);
  int count() const;
  std::vector<std::string> texts(int row) const;
  int first_selected() const;
  bool is_selected(int row) const;
  // Visits the selected rows from the top. `visit` returns true when it removed
  // the row; the walk then starts again from the first row.
  void for_each_selected(const std::function<bool(int row)>& visit);
  // Sorts by the remembered column in its present direction.
  void resort();
  // Sorts with a comparator of the view's own (a tie rule, say).
  void sort(const ui::RowCompare& compare);
  void select_only(int row);

  // ---- the window's one dialog
  // Opens a dialog (a form, the reader selection ...) owned by the list window,
  // centred over it (at the screen's edge where it is larger) and disables the
  // list. kNoWindow when it cannot be made.
  ui::Window open_dialog(const char* resource, const ui::Handler& handler);
  ui::Window dialog() const { return dialog_; }
  bool dialog_open() const { return dialog_ != ui::kNoWindow; }
  // Closes the dialog and enables and focuses the list again.
  void close_dialog();

 private:
  bool handle(ui::Window w, const ui::Event& e);
  ui::Window window_ = ui::kNoWindow;
  ui::Window dialog_ = ui::kNoWindow;
  SortState* sort_ = nullptr;
  ListHooks hooks_;
};

// The first slot in use of `table` (records with used()) whose record `match`
// accepts for the row's texts; -1 when there is none.
template <typename Table, typename Match>
int find_slot(const Table& table, const std::vector<std::string>& row, Match match) {
  for (std::size_t i = 0; i < table.size(); ++i)
    if (table[i].used() && match(row, table[i])) return static_cast<int>(i);
  return -1;
}

}  // namespace views
