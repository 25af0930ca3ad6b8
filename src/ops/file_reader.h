// Buffered reading of an import file: the import reads byte by byte and moves
// about within records, which would cost one system call per byte unbuffered.
// Every move is a real positioning of the file (so that it can fail like one),
// and the position is asked of the file whenever a step needs it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace ops::detail {

class FileReader {
 public:
  explicit FileReader(platform::File& f) : f_(f), buf_(kBufferSize) {}

  // Positions the file at `offset`; false on failure.
  bool seek(std::int64_t offset) {
    if (!platform::file_seek(f_, offset)) return false;
    base_ = offset;
    len_ = pos_ = 0;
    return true;
  }
  // The position of the next byte to be read, as the file tells it; false on failure.
  bool tell(std::int64_t* offset) {
    std::int64_t at = 0;
    if (!platform::file_tell(f_, &at)) return false;
    *offset = at - static_cast<std::int64_t>(len_ - pos_);
    return true;
  }
  // The position of the next byte to be read, as counted here.
  std::int64_t offset() const { return base_ + static_cast<std::int64_t>(pos_); }

  // Reads up to n bytes into `out`; false when a read fails. Fewer than n come
  // only at the end of the file.
  bool read(std::size_t n, std::string* out) {
    out->clear();
    while (out->size() < n) {
      if (pos_ == len_) {
        int rc = fill();
        if (rc < 0) return false;
        if (rc == 0) break;
      }
      std::size_t take = std::min(n - out->size(), len_ - pos_);
      out->append(reinterpret_cast<const char*>(buf_.data() + pos_), take);
      pos_ += take;
    }
    return true;
  }
  // The next byte without taking it: 1, 0 at the end of the file, -1 on failure.
  int peek(std::uint8_t* c) {
    if (pos_ == len_) {
      int rc = fill();
      if (rc <= 0) return rc;
    }
    *c = buf_[pos_];
    return 1;
  }
  // The next byte: 1, 0 at the end of the file, -1 on failure.
  int get(std::uint8_t* c) {
    int rc = peek(c);
    if (rc == 1) ++pos_;
    return rc;
  }

 private:
  static constexpr std::size_t kBufferSize = 8192;

  // 1 when bytes came, 0 at the end of the file, -1 on failure.
  int fill() {
    base_ += static_cast<std::int64_t>(len_);
    len_ = pos_ = 0;
    std::size_t got = 0;
    if (!platform::file_read(f_, buf_.data(), buf_.size(), &got)) return -1;
    len_ = got;
    return got > 0 ? 1 : 0;
  }

  platform::File& f_;
  std::vector<std::uint8_t> buf_;
  std::int64_t base_ = 0;  // file offset of buf_[0]
  std::size_t len_ = 0;    // bytes held
  std::size_t pos_ = 0;    // next byte to hand out
};

}  // namespace ops::detail
