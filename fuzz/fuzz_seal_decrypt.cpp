// Unsealing arbitrary bytes in both length forms must never read or write past
// the given blocks, and whatever it accepts must describe bytes that are there.
// Sealing the input and unsealing it again must give it back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "store/seal.h"

namespace {

void install_test_key() {
  static bool done = false;
  if (done) return;
  for (int i = 0; i < store::kKeyBytes; ++i) store::key_row(0)[i] = static_cast<std::uint8_t>(i * 17 + 3);
  store::install_key(0);
  done = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  install_test_key();
  if (size == 0 || size > 70000) return 0;
  store::LengthForm form = (data[0] & 1) ? store::LengthForm::TwoByte : store::LengthForm::OneByte;
  const std::uint8_t* body = data + 1;
  int n = static_cast<int>(size - 1);

  std::vector<std::uint8_t> buf(body, body + n);
  int len = n;
  if (store::seal_decrypt(buf.data(), &len, 0, form) == 0) {
    if (len < 0 || len > n) std::abort();
  } else if (len != n) {
    std::abort();
  }

  if (n <= (form == store::LengthForm::OneByte ? 0xFF : 0xFFFF)) {
    std::vector<std::uint8_t> sealed(static_cast<std::size_t>(store::sealed_size(n, form)), 0);
    std::memcpy(sealed.data(), body, static_cast<std::size_t>(n));
    int total = store::seal_encrypt(sealed.data(), n, 0, form);
    if (total != static_cast<int>(sealed.size())) std::abort();
    int back = total;
    if (store::seal_decrypt(sealed.data(), &back, 0, form) != 0 || back != n) std::abort();
    if (std::memcmp(sealed.data(), body, static_cast<std::size_t>(n)) != 0) std::abort();
  }
  return 0;
}
