// State shared by the reader list and the reader form, kept in one place.
#pragma once

#include "platform/ui.h"
#include "readers/list_window.h"

namespace readers {

enum class FormMode { None, New, Change };

struct Views {
  ui::Window main = ui::kNoWindow;
  bool download_user = false;

  // The list window and its mode (kChangeMode or kDeleteMode).
  ui::Window list = ui::kNoWindow;
  int list_mode = 0;
  ListSort sort;
  int changing_row = -1;  // the row whose reader the form shows

  // The form, how it was opened, whether "Copy" has prepared a new set, and the
  // record number of the reader it was opened on.
  ui::Window form = ui::kNoWindow;
  FormMode form_mode = FormMode::None;
  bool copy_prepared = false;
};

Views& views();

// Opens the form for the current reader over the list (change mode). False when
// the dialog cannot be made.
bool open_change_form();
// Closes the form opened from the list (if open) and enables and focuses the
// list.
void close_form();

}  // namespace readers
