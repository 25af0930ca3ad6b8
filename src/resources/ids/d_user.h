// Control ids of D_USER, the user management.
#pragma once

#include "resources/ids/common.h"

namespace res::d_user {

constexpr int kUserName = 200;  // combo: stored users, or a new name typed
constexpr int kPassword = ui::kIdPassword;  // password field

}  // namespace res::d_user
