// Reader maintenance, the "System" menu: reader test (5500), delete data in
// reader (5510), parameter reset (5515) and reader parameter download (5520)
// through the reader selection; the enrol parameter download (5530) without a
// dialog; the operating mode D_BMODE followed by the reader selection (5540);
// the release info D_LESER_VERS_INFO (5550).
#pragma once

#include <cstdint>

namespace readers {

// Commands 5500, 5510 and 5515: the reader selection in the command's mode
// with its instruction, the boxes ticked by the readers' pre-selection.
void open_reader_test(std::intptr_t);
void open_reader_erase(std::intptr_t);
void open_parameter_reset(std::intptr_t);
// Command 5520: L-Parameter.txt is read first; only a file that reads opens
// the reader selection, otherwise its boxes (owned by the main window) say why.
void open_reader_parameters(std::intptr_t);
// Commands 5500 and 5520 from the reader selection (the dialog still open):
// 1 ("Send") runs the command on every ticked reader, 0 ("Exit Menu") does
// not; the closing text follows either, then the selection is closed.
void maintenance_selected(std::intptr_t value);

// Command 5530: E-Parameter.txt is read and sent to the enrol station. With a
// dialog open it only focuses the main window.
void download_enrol_parameters(std::intptr_t);
void focus_main(std::intptr_t);

// Command 5540: D_BMODE, "Command mode" ticked.
void open_operating_mode(std::intptr_t);
// Command 5540 with a dialog open: from D_BMODE the chosen mode (0 to 5) opens
// the reader selection, -1 ends; from the reader selection -1 ("Send") changes
// the mode of every ticked reader, -2 ("Exit Menu") sends nothing.
void operating_mode_reported(std::intptr_t value);

// Command 5550: D_LESER_VERS_INFO with the stored release info.
void open_release_info(std::intptr_t);

}  // namespace readers
