// Dialogs over an owner window, and the table that tells a window what each of
// its commands does: a command arriving while the window has no dialog open
// opens something; the same command arriving while its dialog is open is that
// dialog's report and completes the operation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ui.h"

namespace views {

// Where a dialog goes in a direction in which it is larger than its owner.
enum class Edge {
  Owner,   // aligned with the owner's left or top edge (dialogs of the main window)
  Screen,  // at the screen's left or top edge (forms over a list window)
};

// The rectangle of a dialog of `size` centred over `owner` by the edge rule.
ui::Rect centre_over(const ui::Rect& owner, ui::Size size, Edge edge);

// Creates the dialog `resource` owned by `owner`, centres it over the owner by
// the edge rule and disables the owner. kNoWindow (nothing changed) when the
// dialog cannot be made.
ui::Window open_dialog_over(ui::Window owner, const char* resource, const ui::Handler& handler,
                            Edge edge);

// One command of a window: its opening step (no dialog of the window open) and
// its completion (the dialog reported with the command). Either may be null.
struct Route {
  int command;
  void (*open)(std::intptr_t param);
  void (*complete)(std::intptr_t value);
};

// Runs the step of `command` by whether the window's dialog is open. False when
// the command is not in the table.
bool route(const Route* routes, std::size_t count, int command, std::intptr_t param,
           bool dialog_open);
template <std::size_t N>
bool route(const Route (&routes)[N], int command, std::intptr_t param, bool dialog_open) {
  return route(routes, N, command, param, dialog_open);
}

}  // namespace views
