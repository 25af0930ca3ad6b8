// Reads the ledger of unfinished removals (Widerruf.dat) from arbitrary bytes,
// then reports it and changes it as the program does. The first input byte
// chooses the form: even, the bytes are the file as it stands; odd, they are
// the plain head and entry records, sealed here with the record key so that
// what lies behind the check byte is reached too.
#include <algorithm>
#include <fstream>
#include <vector>

#include "fuzz_install.h"
#include "ops/revocation.h"
#include "platform/headless/boxes.h"
#include "store/seal.h"

namespace {

std::uint8_t g_key0[store::kKeyBytes];

void put_file(const std::vector<std::uint8_t>& bytes) {
  std::string path;
  if (!platform::working_path(store::kLedgerFile, &path)) std::abort();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The plain bytes cut into a head record and entries, each sealed.
std::vector<std::uint8_t> sealed_records(const std::uint8_t* data, std::size_t n) {
  std::vector<std::uint8_t> out;
  for (std::size_t at = 0, r = 0; at < n && r <= store::kLedgerEntries; ++r) {
    const int size = r == 0 ? store::Widerrufkopf::kSize : store::Widerrufsatz::kSize;
    std::vector<std::uint8_t> rec(static_cast<std::size_t>(store::sealed_slot(size)), 0);
    const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(size), n - at);
    std::memcpy(rec.data(), data + at, take);
    at += take;
    store::seal_encrypt(rec.data(), size, store::kSlotRecord, store::LengthForm::TwoByte);
    out.insert(out.end(), rec.begin(), rec.end());
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsupport::install_once("fuzz_ledger_", g_key0);
  if (size < 1) return 0;
  fuzzsupport::with_record_key(g_key0);
  ui::headless::clear_boxes();
  store::Tables& t = store::db();
  for (int i = 0; i < 3; ++i) {
    t.readers[i].set_nummer(static_cast<std::uint32_t>(i + 1));
    t.readers[i].set_name("Reader");
  }
  if (data[0] & 1)
    put_file(sealed_records(data + 1, size - 1));
  else
    put_file(std::vector<std::uint8_t>(data + 1, data + size));

  ops::open_ledger(ui::kNoWindow);
  ops::cleaning_report();
  ops::cleaning_status();
  store::UserId id;
  id.len = 3;
  ops::remember_removal(data[0] % store::kReaders, id, "P", "A");
  ops::removal_done(data[0] % store::kReaders, id);
  ops::reader_erased(1);
  return 0;
}
