// Reads arbitrary bytes as a reader parameter file in a temporary working
// directory, and checks what the parser promises: a result from 1 to 10 or
// one of its format error codes, and no set longer than a line can fill.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "ops/param_file.h"
#include "platform/workdir.h"

namespace {

void set_up_once() {
  static bool done = false;
  if (done) return;
  char tmpl[] = "/tmp/fuzz_param_XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  platform::set_working_directory(tmpl);
  done = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  set_up_once();
  std::string path;
  if (!platform::working_path(ops::kReaderParamFile, &path)) std::abort();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  int r = ops::read_parameter_file(ops::ParamFile::Reader);
  // Without injected faults only the format errors can occur.
  bool known = (r >= 1 && r <= 10) || r == -6 || r == -7 || r == -8 || r == -10;
  if (!known) std::abort();
  for (const auto& set : ops::table_of(ops::ParamFile::Reader)) {
    // A valid file fills at most 147 bytes a set; the over-long line that ends
    // with -8 leaves at most 148.
    std::size_t limit = r > 0 ? ops::kMaxLineDigits / 2 : ops::kMaxLineDigits / 2 + 1;
    if (set.size() > limit) std::abort();
  }
  return 0;
}
