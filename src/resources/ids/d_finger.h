// Control ids of D_FINGER, the finger type.
#pragma once

#include "resources/ids/common.h"

namespace res::d_finger {

constexpr int kFingerType = 200;  // drop-down list of the eleven finger types

}  // namespace res::d_finger
