// Control ids of D_LESER, the reader form.
#pragma once

#include "resources/ids/connection_rows.h"

namespace res::d_leser {

using namespace connection_rows;
constexpr int kNameLabel = 121;
constexpr int kName = 122;  // reader name
constexpr int kBusLabel = 131;
constexpr int kBus = 132;  // bus address 01 to 15
constexpr int kAddressLabel = 133;
constexpr int kActiveLabel = 141;
constexpr int kPreselected = 142;  // check box

}  // namespace res::d_leser
