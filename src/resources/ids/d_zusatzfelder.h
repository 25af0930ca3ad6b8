// Control ids of D_ZUSATZFELDER, the additional fields.
#pragma once

#include "resources/ids/common.h"

namespace res::d_zusatzfelder {

constexpr int kChangeCompanyCode = 200;
constexpr int kCompanyCodeDescription = 300;
// Rows of the additional fields 1 to 4: check box, description = check + 100,
// length list = check + 200, fix box = check + 240.
constexpr int kField1 = 210;
constexpr int kField2 = 220;
constexpr int kField3 = 230;
constexpr int kField4 = 240;
// The two fixed rows, which only show where those fields stand.
constexpr int kCompanyCodeRow = 225;
constexpr int kCompanyCodeRowDescription = 315;
constexpr int kIdentificationRow = 235;
constexpr int kIdentificationRowDescription = 335;
constexpr int kDescriptionOffset = 100;
constexpr int kLengthOffset = 200;
constexpr int kFixOffset = 240;

}  // namespace res::d_zusatzfelder
