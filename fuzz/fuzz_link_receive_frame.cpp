// receive_frame on whatever a device sends: never a byte outside the buffer,
// and a positive length always within the capacity.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz_link_transport.h"
#include "store/seal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static bool keyed = false;
  if (!keyed) {
    for (int i = 0; i < 16; ++i) store::key_row(0)[i] = static_cast<std::uint8_t>(i * 11 + 5);
    store::install_key(0);
    keyed = true;
  }
  // First byte: capacity 1..256 (or the full 1025), second: transport.
  int capacity = data[0] == 0xFF ? 1025 : data[0] + 1;
  fuzzlink::begin(data + 2, size - 2, data[1] & 1);
  std::unique_ptr<std::uint8_t[]> buf(new std::uint8_t[static_cast<std::size_t>(capacity)]);
  int r = rlink::receive_frame(buf.get(), capacity);
  if (r > capacity) std::abort();
  return 0;
}
