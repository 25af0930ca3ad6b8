// The parts of the serial transport that are the same on every system: the baud
// index table.
#include "platform/serial.h"

namespace platform {

int com_baud_rate(int baud_index) {
  switch (baud_index) {
    case 0: return 115200;
    case 1: return 57600;
    case 2: return 38400;
    case 3: return 19200;
    default: return 9600;
  }
}

int com_byte_rate(int baud_index) {
  switch (baud_index) {
    case 0: return 10;
    case 1: return 5;
    case 2: return 4;
    case 3: return 2;
    default: return 1;
  }
}

}  // namespace platform
