// Control ids of D_LESER_VERS_INFO, the release info.
#pragma once

#include "resources/ids/common.h"

namespace res::d_leser_vers_info {

constexpr int kLabel = 100;
constexpr int kText = 800;  // 5 characters

}  // namespace res::d_leser_vers_info
