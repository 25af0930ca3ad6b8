// Control ids that D_EXPORT and D_IMPORT share: the file, the ten positions and
// the footer.
#pragma once

#include "resources/ids/common.h"

namespace res::exchange_layout {

constexpr int kFile = 500;  // file name
constexpr int kSearch = 955;  // "search": the file dialog
constexpr int kFieldTitle = 125;  // column titles of the positions
constexpr int kStartTitle = 126;  // "Start" or "Trennz."
constexpr int kLengthTitle = 127;
constexpr int kFirstField = 102;  // position i (0 to 9): field list 102 + i
constexpr int kFirstStart = 131;  // position i: start or column 131 + 10 * i
constexpr int kFirstLength = 132;  // position i: length 132 + 10 * i
constexpr int kPositions = 10;
constexpr int kFooter = 240;
constexpr int kFooterAsLength = 245;
constexpr int kTemplates = 250;  // with templates

}  // namespace res::exchange_layout
