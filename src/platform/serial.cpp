// The parts of the serial transport that are the same on every system: the one
// table of baud indices.
#include "platform/serial.h"

namespace platform {
namespace {

struct Baud {
  int rate;
  int bytes_per_ms;
  const char* text;
};
constexpr Baud kBauds[kBaudCount] = {
    {115200, 10, "115200"}, {57600, 5, "57600"}, {38400, 4, "38400"}, {19200, 2, "19200"},
    {9600, 1, "9600"}};

const Baud& baud(int index) {
  return index >= 0 && index < kBaudCount ? kBauds[index] : kBauds[kBaudCount - 1];
}

}  // namespace

int com_baud_rate(int baud_index) { return baud(baud_index).rate; }

int com_byte_rate(int baud_index) { return baud(baud_index).bytes_per_ms; }

const char* baud_text(int baud_index) {
  return baud_index >= 0 && baud_index < kBaudCount ? kBauds[baud_index].text : "0";
}

}  // namespace platform
