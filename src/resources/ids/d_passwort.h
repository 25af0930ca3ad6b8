// Control ids of D_PASSWORT, the password change.
#pragma once

#include "resources/ids/common.h"

namespace res::d_passwort {

constexpr int kOldLabel = 110;
constexpr int kOld = 111;  // the password now
constexpr int kNewLabel = 120;
constexpr int kNew = 121;  // the new password
constexpr int kRepeatLabel = 130;
constexpr int kRepeat = 131;  // the new password again

}  // namespace res::d_passwort
