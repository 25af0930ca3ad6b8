// The part of the files interface that is the same on every system: the owner
// of an open file closes it when it goes.
#include "platform/files.h"

namespace platform {

File::~File() { file_close(*this); }

File::File(File&& other) noexcept : handle_(other.release()) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    file_close(*this);
    handle_ = other.release();
  }
  return *this;
}

}  // namespace platform
