// Control ids of D_ENROL, the enrolment dialog.
#pragma once

#include "resources/ids/finger_grid.h"

namespace res::d_enrol {

using namespace finger_grid;
constexpr int kFingerName = 114;  // finger type name of the selected block
constexpr int kSpecialPinLabel = 400;
constexpr int kSpecialPin = 410;

}  // namespace res::d_enrol
