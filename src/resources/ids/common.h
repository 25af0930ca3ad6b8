// Control ids that every dialog shares: the action buttons.
#pragma once

namespace res {

// Save, OK, Login, Send ... (Enter on it presses it).
constexpr int kActionButton = 900;
// The second action: Copy, Delete, Export, Special PIN ...
constexpr int kSecondButton = 930;
// "Exit Menu": every dialog's way out, pressed also by its close box.
constexpr int kExitMenuButton = 950;
}  // namespace res
