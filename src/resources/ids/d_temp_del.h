// Control ids of D_TEMP_DEL, finger-by-finger template deletion.
#pragma once

#include "resources/ids/finger_grid.h"

namespace res::d_temp_del {

using namespace finger_grid;

}  // namespace res::d_temp_del
