// Control ids of D_BMODE, the operating mode.
#pragma once

#include "resources/ids/common.h"

namespace res::d_bmode {

constexpr int kGroup = 100;
constexpr int kFirstMode = 200;  // mode m (0 to 5): radio button 200 + 10 * m
constexpr int kModes = 6;

}  // namespace res::d_bmode
