// Control ids of D_TEMPLATE, the template parameters.
#pragma once

#include "resources/ids/common.h"

namespace res::d_template {

constexpr int kLabel = 100;
constexpr int kMatchingLevel = 200;  // "01" to "09"

}  // namespace res::d_template
