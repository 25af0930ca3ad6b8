// Control ids of D_ANMELDEN, the login dialog.
#pragma once

#include "resources/ids/common.h"

namespace res::d_anmelden {

constexpr int kUserList = 200;  // drop-down list of the users
constexpr int kPassword = ui::kIdPassword;  // password field (Enter here presses Login)

}  // namespace res::d_anmelden
