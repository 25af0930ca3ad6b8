// Control ids of D_RFID_PARA, the RF-ID reader module.
#pragma once

#include "resources/ids/common.h"

namespace res::d_rfid_para {

constexpr int kFirstModule = 200;  // module m (0 to 4): radio button 200 + 10 * m
constexpr int kModules = 5;

}  // namespace res::d_rfid_para
