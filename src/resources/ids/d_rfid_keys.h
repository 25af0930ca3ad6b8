// Control ids of D_RFID_KEYS, the transponder write key.
#pragma once

#include "resources/ids/common.h"

namespace res::d_rfid_keys {

constexpr int kLabel = 100;
constexpr int kKey = 800;

}  // namespace res::d_rfid_keys
