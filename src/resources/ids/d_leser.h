// Control ids of D_LESER, the reader form.
#pragma once

#include "resources/ids/common.h"

namespace res::d_leser {

constexpr int kConnectionGroup = 100;
constexpr int kRs232 = 101;  // radio button
constexpr int kComPort = 102;  // COM 01 to COM 32
constexpr int kBaudLabel = 103;
constexpr int kBaud = 104;  // baud rates by index
constexpr int kTcpIp = 111;  // radio button
constexpr int kAddress = 112;  // IP address or host name
constexpr int kPortLabel = 113;
constexpr int kPort = 114;  // TCP port
constexpr int kNameLabel = 121;
constexpr int kName = 122;  // reader name
constexpr int kBusLabel = 131;
constexpr int kBus = 132;  // bus address 01 to 15
constexpr int kAddressLabel = 133;
constexpr int kActiveLabel = 141;
constexpr int kPreselected = 142;  // check box

}  // namespace res::d_leser
