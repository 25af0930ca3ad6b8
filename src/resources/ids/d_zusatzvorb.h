// Control ids of D_ZUSATZVORB, the additional-field defaults.
#pragma once

#include "resources/ids/common.h"

namespace res::d_zusatzvorb {

constexpr int kFirstLabel = 100;  // field i (0 to 3): label 100 + 10 * i
constexpr int kFirstDefault = 200;  // field i: default 200 + 10 * i

}  // namespace res::d_zusatzvorb
