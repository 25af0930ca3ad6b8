// Paths and sealed slot transfers shared by the record operations.
#include <algorithm>

#include "platform/workdir.h"
#include "store/internal.h"
#include "store/seal.h"

namespace store::detail {

int build_path(const char* name, const OpenCodes& codes, std::string* path) {
  if (platform::working_directory().empty()) return codes.no_directory;
  if (!platform::working_path(pending_name(name), path)) return codes.too_long;
  return 0;
}

int open_at(const char* name, const OpenCodes& codes, bool write, std::int64_t offset,
            platform::File& f) {
  std::string path;
  int rc = build_path(name, codes, &path);
  if (rc != 0) return rc;
  if (!platform::file_open(f, path, write ? platform::Access::ReadWrite : platform::Access::Read,
                           platform::Create::OpenExisting))
    return codes.open;
  if (!platform::file_seek(f, offset)) {
    platform::file_close(f);
    return codes.seek;
  }
  return 0;
}

int seal_record(const std::uint8_t* rec, int size, int slot, std::vector<std::uint8_t>* out) {
  out->assign(static_cast<std::size_t>(slot), 0);
  std::copy(rec, rec + size, out->begin());
  int sealed = seal_encrypt(out->data(), size, kSlotRecord, LengthForm::TwoByte);
  if (sealed == 0) return -20;
  if (sealed != slot) return -21;
  return 0;
}

int unseal_record(std::uint8_t* sealed, int slot, int size, int key_slot) {
  int len = slot;
  if (seal_decrypt(sealed, &len, key_slot, LengthForm::TwoByte) != 0) return -11;
  if (len != size) return -12;
  return 0;
}

bool write_all(platform::File& f, const void* data, std::size_t n) {
  std::size_t put = 0;
  return platform::file_write(f, data, n, &put) && put == n;
}

bool read_all(platform::File& f, void* data, std::size_t n) {
  std::size_t got = 0;
  return platform::file_read(f, data, n, &got) && got == n;
}

int read_record(platform::File& f, int size, std::uint8_t* out) {
  int slot = sealed_size(size, LengthForm::TwoByte);
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(slot));
  if (!read_all(f, buf.data(), buf.size())) return -10;
  int rc = unseal_record(buf.data(), slot, size);
  if (rc != 0) return rc;
  std::copy(buf.begin(), buf.begin() + size, out);
  return 0;
}

int write_record(platform::File& f, std::int64_t offset, const std::uint8_t* rec, int size,
                 int seek_code) {
  int slot = sealed_size(size, LengthForm::TwoByte);
  std::vector<std::uint8_t> sealed;
  int rc = seal_record(rec, size, slot, &sealed);
  if (rc != 0) return rc;
  // Keep the slot's present bytes so that a failed write can be undone.
  std::vector<std::uint8_t> before(sealed.size());
  std::size_t kept = 0;
  if (!platform::file_read(f, before.data(), before.size(), &kept)) kept = 0;
  if (!platform::file_seek(f, offset)) return seek_code;
  if (write_all(f, sealed.data(), sealed.size())) return 0;
  if (kept > 0 && platform::file_seek(f, offset)) write_all(f, before.data(), kept);
  return -22;
}

}  // namespace store::detail
