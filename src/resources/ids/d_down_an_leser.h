// Control ids of D_DOWN_AN_LESER, the reader selection.
#pragma once

#include "resources/ids/common.h"

namespace res::d_down_an_leser {

constexpr int kHeading = 100;  // "Attention!" in the large font
constexpr int kInstruction = 101;
constexpr int kEmpty = 102;
constexpr int kFirstReaderLabel = 110;  // reader k: label 110 + k
constexpr int kFirstReaderBox = 200;  // reader k: check box 200 + k
constexpr int kReaders = 32;  // readers the dialog can show
constexpr int kOperation = 150;  // status text: the operation
constexpr int kDetail = 160;  // status text: the detail
constexpr int kDone = 170;  // progress numbers
constexpr int kTotal = 171;
constexpr int kProgress = 7010;  // progress bar, created when the work starts

}  // namespace res::d_down_an_leser
