// Record files in older layouts, for conversion tests: `count` records of `size`
// bytes made by `make(n, record)` and sealed into their slots under the record
// key, as an older program version wrote them.
#pragma once

#include <cstdint>

#include <gtest/gtest.h>

#include "store/seal.h"
#include "store/store.h"
#include "support/support.h"

namespace testsupport {

template <typename Make>
Bytes sealed_file(int count, int size, Make make) {
  int slot = store::sealed_slot(size);
  Bytes file(static_cast<std::size_t>(count) * slot, 0);
  for (int n = 1; n <= count; ++n) {
    std::uint8_t* rec = file.data() + static_cast<std::size_t>(n - 1) * slot;
    make(n, rec);
    EXPECT_EQ(slot, store::seal_encrypt(rec, size, store::kSlotRecord, store::LengthForm::TwoByte));
  }
  return file;
}

}  // namespace testsupport
