// Control ids that D_ENROL and D_TEMP_DEL share: the person's data, the 5 x 5
// finger grid, the quality display and the person's options.
#pragma once

#include "resources/ids/common.h"

namespace res::finger_grid {

constexpr int kName = 200;  // read-only person data
constexpr int kFirstName = 201;
constexpr int kPersonnelNumber = 202;
constexpr int kIdentification = 203;
constexpr int kFirstFingerButton = 210;  // the 5 x 5 colour buttons: 210 + 10 * row + column
constexpr int kQualityLabel = 106;
constexpr int kQualityWord = 207;
constexpr int kQualityBox = 208;  // coloured Q value box
constexpr int kSelection = 113;  // "%d/%d" of the selected block
constexpr int kWriteOnTransponder = 300;  // the person's options, disabled
constexpr int kDistributeToReader = 301;
constexpr int kSaveInDatabase = 302;

}  // namespace res::finger_grid
