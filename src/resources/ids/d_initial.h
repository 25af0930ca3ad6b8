// Control ids of D_INITIAL, the enrol-station initialisation.
#pragma once

#include "resources/ids/connection_rows.h"

namespace res::d_initial {

using namespace connection_rows;

}  // namespace res::d_initial
