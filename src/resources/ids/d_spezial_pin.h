// Control ids of D_SPEZIAL_PIN, the special PIN.
#pragma once

#include "resources/ids/common.h"

namespace res::d_spezial_pin {

constexpr int kPin = 500;
constexpr int kRepeat = 510;

}  // namespace res::d_spezial_pin
