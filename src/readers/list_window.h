// The pieces every list window of the program is built from: a report list with
// its columns headed by string-table texts, header-click sorting with a direction
// flag per column and the column sorted by last, and the texts of a row (a list
// window keeps no link from a row to its record; it finds the record again from
// the row's texts).
//
// How a list window is put together (the reader list, reader_list.cpp, is one):
//   - open: ui::create_list_window at the main window's position + 30 with its
//     size, make_report_list with the window's columns, one row per table slot
//     in use, disable the main window and focus the list;
//   - HeaderClick: ListSort::header_clicked;
//   - DoubleClick / ListEnter / RightClick: row_texts() of the selected rows,
//     the record looked up from them (the rows hold no record numbers);
//   - the window's form reports with a command of the list's own (8030 ...):
//     the list closes the form, rewrites or appends the row and calls
//     ListSort::resort after an append;
//   - Close: enable and focus the main window, destroy the list (its form goes
//     with it); Destroyed: forget the window.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace readers {

// One column: header text by string-table number (8100 ...) and width in pixels.
struct Column {
  int string_id;
  int width;
};

// Creates the report list `list_id` filling `w` (grid lines, full-row selection,
// several rows selectable when `multi_select`) and adds the columns. False when
// the list or one of its columns cannot be made, or a string-table number is
// unknown.
bool make_report_list(ui::Window w, int list_id, const Column* columns, std::size_t count,
                      bool multi_select);

// Compares two Windows-1252 texts without regard to letter case: <0, 0, >0.
int compare_nocase(const std::string& a, const std::string& b);

// Header-click sorting. Every column starts ascending; a click on a header flips
// that column's flag and sorts by it, so the first click sorts descending. The
// column is remembered so that the list can be sorted again after a row is
// added.
struct ListSort {
  static constexpr int kColumns = 10;
  bool descending[kColumns] = {};
  int column = 0;

  void header_clicked(ui::Window w, int list_id, int clicked);
  // Sorts by the column sorted by last, in that column's present direction.
  void resort(ui::Window w, int list_id) const;
};

// The texts of every column of one row.
std::vector<std::string> row_texts(ui::Window w, int list_id, int row);

// Parses the decimal digits at the start of `text` from `from` on (0 when there
// are none), as the row texts of numbers are read back.
long leading_number(const std::string& text, std::size_t from = 0);

}  // namespace readers
