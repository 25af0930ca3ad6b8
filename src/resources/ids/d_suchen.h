// Control ids of D_SUCHEN, the person search.
#pragma once

#include "resources/ids/common.h"

namespace res::d_suchen {

constexpr int kByName = 101;  // search key radio buttons
constexpr int kByPersonnelNumber = 102;
constexpr int kSearchText = 200;
constexpr int kMatches = 201;  // list box
constexpr int kShowPersonnelNumber = 300;  // read-only displays
constexpr int kShowName = 301;
constexpr int kShowFirstName = 302;

}  // namespace res::d_suchen
