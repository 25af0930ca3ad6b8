// Control ids of D_EXPORT, the master data export.
#pragma once

#include "resources/ids/exchange_layout.h"

namespace res::d_export {

using namespace exchange_layout;
constexpr int kSeparator = 510;
constexpr int kStartAndLength = 520;
constexpr int kHeader = 530;
constexpr int kHeaderAsLength = 540;
constexpr int kSetLength = 550;
constexpr int kCr = 560;
constexpr int kLf = 570;

}  // namespace res::d_export
