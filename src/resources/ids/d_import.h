// Control ids of D_IMPORT, the master data import.
#pragma once

#include "resources/ids/exchange_layout.h"

namespace res::d_import {

using namespace exchange_layout;
constexpr int kSeparator = 505;
constexpr int kStartAndLength = 510;
constexpr int kHeader = 515;
constexpr int kHeaderAsLength = 520;
constexpr int kSetLength = 530;
constexpr int kCr = 540;
constexpr int kLf = 550;
constexpr int kTemplateStart = 301;  // start of the template data

}  // namespace res::d_import
