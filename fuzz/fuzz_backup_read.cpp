// Reads a backup file from arbitrary bytes with the reading the restore uses
// (every record group unsealed and length-checked, the key header checked).
// The first input byte chooses how the file is made:
//   even: the rest of the input is the file as it stands;
//   odd:  the input is sealed into a file that passes the check bytes, so that
//         the stamp, the key derivation, the length checks and the key-header
//         check see arbitrary contents: the Konfigsatz (from the input, with an
//         input-chosen length) under the header key, the key header under the
//         backup key of that Konfigsatz's stamp, then an input-chosen number of
//         further records (at most 63: the users, the input mask, the readers
//         and a few templates; more only repeat the same code, and slowly).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "ops/backup.h"
#include "store/store.h"

namespace {

std::string g_path;

void set_up_once() {
  if (!g_path.empty()) return;
  char tmpl[] = "/tmp/fuzz_backup_XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  g_path = std::string(tmpl) + "/backup.bin";
  store::install_builtin_keys();
}

void put(const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(g_path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Seals `n` bytes of `payload` (zero padded) as a record of `slot` bytes whose
// length field says `len`.
void append_sealed(std::vector<std::uint8_t>& file, const std::uint8_t* payload, std::size_t n, int len,
                   int slot, int key_slot) {
  std::vector<std::uint8_t> rec(static_cast<std::size_t>(slot), 0);
  std::memcpy(rec.data(), payload, n < rec.size() - 3 ? n : rec.size() - 3);
  // A length that does not fit the slot is sealed into a slot of its own size.
  if (store::sealed_size(len, store::LengthForm::TwoByte) != slot) len = slot - 3;
  store::seal_encrypt(rec.data(), len, key_slot, store::LengthForm::TwoByte);
  file.insert(file.end(), rec.begin(), rec.end());
}

std::vector<std::uint8_t> sealed_file(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file;
  if (size < 4) return file;
  int konfig_len = store::Konfigsatz::kSize - (data[0] % 4);
  int header_len = store::kKeyHeaderSize - (data[1] % 4);
  int further = ((data[2] << 8) | data[3]) % 64;
  data += 4;
  size -= 4;
  store::Konfigsatz k;
  std::memcpy(k.b.data(), data, size < k.b.size() ? size : k.b.size());
  append_sealed(file, k.b.data(), k.b.size(), konfig_len, store::Konfigsatz::kSlot, store::kSlotHeader);
  std::size_t used = size < k.b.size() ? size : k.b.size();
  ops::install_backup_key(k);
  append_sealed(file, data + used, size - used, header_len, store::kKeyHeaderSlot, store::kSlotBackup);
  // Further records: zero contents with the right length, group after group.
  static const int kSizes[][2] = {{store::Usersatz::kSize, store::kUsers},
                                  {store::Eingabesatz::kSize, 1},
                                  {store::Lesersatz::kSize, store::kReaders},
                                  {store::Templatesatz::kSize, store::kPersons},
                                  {store::Personensatz::kSize, store::kPersons}};
  static const std::uint8_t kZero[store::Templatesatz::kSize] = {};
  for (const auto& g : kSizes) {
    for (int i = 0; i < g[1] && further > 0; ++i, --further)
      append_sealed(file, kZero, 0, g[0], store::sealed_slot(g[0]), store::kSlotBackup);
  }
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  set_up_once();
  if (size < 1) return 0;
  if (data[0] % 2 == 0)
    put(std::vector<std::uint8_t>(data + 1, data + size));
  else
    put(sealed_file(data + 1, size - 1));
  std::string stamp;
  int rc = ops::check_backup_file(g_path, &stamp);
  std::string shown = ops::stamp_display(stamp);
  if (shown.size() != 19) std::abort();
  if (rc > 1) std::abort();
  return 0;
}
