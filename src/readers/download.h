// Template download to the readers: the bulk download (commands 2400, 2300 and
// 2450 of the main window) and the download-persons window LView_dp with its
// person download (its command 8050).
#pragma once

#include <cstdint>

#include "platform/ui.h"

namespace readers {

// The main window's command that opens the reader selection for the bulk
// download and, with the selection open, runs it (1) or ends it (0).
constexpr int kBulkCommand = 2450;

// Command 2400: the question whether all persons are to be sent; Yes (or the
// user "Download", who is not asked) goes on with 2450, No opens the
// download-persons window.
void open_download(std::intptr_t);
// Command 2300: after its question every person's templates are deleted in the
// database, then the bulk download follows in erase mode.
void open_delete_all(std::intptr_t);
// Command 2450 without an open dialog: the reader selection over the main
// window (dialog mode 0).
void open_bulk_selection(std::intptr_t);
// Command 2450 from the reader selection, with the dialog still open: 1 runs
// the bulk download, 0 ends it with its closing message; then the dialog is
// closed (unless the progress bar could not be made).
void bulk_selected(std::intptr_t value);

// Opens the download-persons window (or focuses it). 1 when it is shown, 0
// when there are no persons or it could not be made.
int open_download_persons();
ui::Window download_persons_window();

}  // namespace readers
