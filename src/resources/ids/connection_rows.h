// Control ids of the connection rows that D_LESER and D_INITIAL share.
#pragma once

#include "resources/ids/common.h"

namespace res::connection_rows {

constexpr int kConnectionGroup = 100;
constexpr int kRs232 = 101;  // radio button
constexpr int kComPort = 102;  // COM 01 to COM 32
constexpr int kBaudLabel = 103;
constexpr int kBaud = 104;  // baud rates by index
constexpr int kTcpIp = 111;  // radio button
constexpr int kAddress = 112;  // IP address or host name
constexpr int kPortLabel = 113;
constexpr int kPort = 114;  // TCP port

}  // namespace res::connection_rows
