// Control ids of D_MATCHING, the matching level for Template on Card.
#pragma once

#include "resources/ids/common.h"

namespace res::d_matching {

constexpr int kLevel = 200;  // drop-down list "01" to "09"

}  // namespace res::d_matching
