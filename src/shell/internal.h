// Internal seams between the shell's files.
#pragma once

#include <cstdint>

namespace shell {

// Menu command or dialog completion arriving at the main window.
void on_command(int id, std::intptr_t param);
// load_all; on failure its message is shown and the program ends through
// command 1500. False then.
bool load_all_or_end();
// Status-bar part 1: the name of the user logged in (empty before a login).
void show_user_name();

}  // namespace shell
