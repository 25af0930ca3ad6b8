// State shared by the reader list and the reader form, kept in one place.
#pragma once

#include <array>

#include "platform/ui.h"
#include "readers/station.h"
#include "store/store.h"
#include "views/list_window.h"

namespace readers {

enum class FormMode { None, New, Change };

struct State {
  // The list window and its mode (kChangeMode or kDeleteMode); the sort state
  // is the reader list's own.
  views::ListWindow list;
  int list_mode = 0;
  views::SortState sort;
  int changing_row = -1;  // the row whose reader the form shows

  // The form, how it was opened, and whether "Copy" has prepared a new set.
  ui::Window form = ui::kNoWindow;
  FormMode form_mode = FormMode::None;
  bool copy_prepared = false;

  // The command-line switches the station check obeys (-e, -j).
  StationSwitches switches;
  // The bulk download runs in erase mode after command 2300.
  bool erase_mode = false;
  // The operating mode picked in D_BMODE (0 to 5), kept until the reader
  // selection after it has run.
  int chosen_mode = 0;
  // The download-persons window, its own sort order and the persons picked in
  // it (one flag per person slot).
  views::ListWindow persons_list;
  views::SortState persons_sort;
  std::array<bool, store::kPersons> picked{};
};

State& state();

// Opens the form for the current reader over the list (change mode). False when
// the dialog cannot be made.
bool open_change_form();

}  // namespace readers
