#include "ops/toc_block.h"

#include "store/store.h"

namespace ops {

std::vector<std::uint8_t> toc_block(const store::Personensatz& person,
                                    const store::Templatesatz& templates, int level) {
  if (level <= 0) level = store::db().eingabe.matching_level();
  std::vector<std::uint8_t> block(kTocHeaderSize, 0);
  block[0] = static_cast<std::uint8_t>(level);
  block[1] = 1;
  const std::string pin = person.spezial_pin();
  if (!pin.empty()) {
    block[2] = 1;
    block[3] = 0xF0;
    block[4] = static_cast<std::uint8_t>(pin.size());
    for (std::size_t i = 0; i < pin.size(); ++i) block[5 + i] = static_cast<std::uint8_t>(pin[i]);
  } else {
    int entries = 0;
    for (int i = 0; i < store::kFingerBlocks; ++i) {
      const int length = templates.length(i);
      // A length beyond what a finger block holds would read past its data.
      if (length < 1 || length > store::kTemplateDataSize) continue;
      block[3 + 2 * entries] = static_cast<std::uint8_t>(templates.group(i) * 16 + length / 256);
      block[4 + 2 * entries] = static_cast<std::uint8_t>(length % 256);
      block.insert(block.end(), templates.data(i), templates.data(i) + length);
      ++entries;
    }
    if (entries == 0) return {};
    block[2] = static_cast<std::uint8_t>(entries);
  }
  std::uint8_t x = 0;
  for (int i = 0; i < 23; ++i) x ^= block[i];
  block[23] = x;
  return block;
}

}  // namespace ops
