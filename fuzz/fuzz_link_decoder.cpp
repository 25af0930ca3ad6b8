// The answer decoder on any text: it reads and writes only within the text and
// the template buffers.
#include <cstdlib>
#include <cstring>

#include "fuzz_link_transport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  fuzzlink::begin(nullptr, 0, false);
  rlink::state().enrol_mark = data[0] & 3;
  rlink::Text text;
  std::size_t n = size - 1 > rlink::kTextSize ? rlink::kTextSize : size - 1;
  std::memcpy(text.b.data(), data + 1, n);
  text.len = static_cast<int>(n);
  rlink::decode_answer(text);
  const rlink::State& st = rlink::state();
  if (st.template_len1 > rlink::kTemplateBuffer || st.template_len2 > rlink::kTemplateBuffer) std::abort();
  return 0;
}
