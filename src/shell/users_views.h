// The three user dialogs of the main window: login (D_ANMELDEN), password change
// (D_PASSWORT) and user management (D_USER). Their rules live in store/users.h;
// these views fill the controls, pass on what was entered and show the outcome.
#pragma once

#include <cstdint>

namespace shell {

// Command 1000: the login dialog with "Admin" first and, unless this is a new
// installation, the stored users, the last one logged in selected.
void open_login(std::intptr_t = 0);
// A login left with "Exit Menu": the user logged in before (and the user
// buffers) are taken back, so that the menu left enabled still belongs to them.
void keep_previous_user();
// Command 1300: the password change of the user logged in.
void open_password(std::intptr_t = 0);
// Command 5800: the user management.
void open_users(std::intptr_t = 0);

}  // namespace shell
