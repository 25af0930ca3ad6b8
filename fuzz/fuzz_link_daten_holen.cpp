// A delivery fetch against any device answer: daten_holen and the polling that
// calls it never read or write outside their buffers, and the delivered text
// stays within its 1024 bytes.
#include <cstdlib>

#include "fuzz_link_transport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The request's acknowledgement first, then the fuzzed answer frame, then the
  // confirmation's acknowledgement.
  std::vector<std::uint8_t> stream{0x10, 0x06};
  stream.insert(stream.end(), data + 1, data + size);
  stream.push_back(0x10);
  stream.push_back(0x06);
  fuzzlink::begin(stream.data(), stream.size(), data[0] & 1);
  rlink::state().enrol_mark = (data[0] >> 1) & 3;
  rlink::Text text;
  rlink::daten_holen(1, text);
  if (text.len < 0 || text.len > rlink::kTextSize || text.b[static_cast<std::size_t>(text.len)] != 0)
    std::abort();
  // The same bytes through the polling, which maps what it fetched.
  std::vector<std::uint8_t> polled{0x10, 0x11};
  polled.insert(polled.end(), stream.begin(), stream.end());
  fuzzlink::begin(polled.data(), polled.size(), data[0] & 1);
  rlink::leser_funk_antwort(1);
  return 0;
}
