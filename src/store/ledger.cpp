// Widerruf.dat: the ledger of unfinished removals, its records and file.
#include "store/ledger.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "store/commit.h"
#include "store/internal.h"
#include "store/store.h"

namespace store {

const char* const kLedgerFile = "Widerruf.dat";

namespace {

constexpr detail::OpenCodes kLedgerCodes{-2, -3, -4, -5};

std::function<void()>& observer() {
  static std::function<void()> f;
  return f;
}

constexpr std::int64_t entry_offset(int index) {
  return Widerrufkopf::kSlot + static_cast<std::int64_t>(index) * Widerrufsatz::kSlot;
}

// Writes one sealed record at `offset` of the existing file.
int write_at(std::int64_t offset, const std::uint8_t* rec, int size) {
  platform::File f;
  int rc = detail::open_at(kLedgerFile, kLedgerCodes, true, offset, f);
  if (rc != 0) return rc;
  rc = detail::write_record(f, offset, rec, size, kLedgerCodes.seek);
  platform::file_close(f);
  return rc == 0 ? 1 : rc;
}

// Appends the sealed record to `out`; 0 or -20 / -21.
int seal_into(const std::uint8_t* rec, int size, int slot, std::vector<std::uint8_t>* out) {
  std::vector<std::uint8_t> sealed;
  int rc = detail::seal_record(rec, size, slot, &sealed);
  if (rc != 0) return rc;
  out->insert(out->end(), sealed.begin(), sealed.end());
  return 0;
}

// The whole file from `l` as new contents of `change`; without one it
// replaces the ledger in use at once.
int write_whole(const Ledger& l, Change* change) {
  std::vector<std::uint8_t> all;
  all.reserve(static_cast<std::size_t>(entry_offset(kLedgerEntries)));
  Widerrufkopf head = l.head;
  head.set_version(Widerrufkopf::kVersion);
  int rc = seal_into(head.b.data(), Widerrufkopf::kSize, Widerrufkopf::kSlot, &all);
  for (int i = 0; i < kLedgerEntries && rc == 0; ++i)
    rc = seal_into(l.entries[i].b.data(), Widerrufsatz::kSize, Widerrufsatz::kSlot, &all);
  if (rc != 0) return rc;
  std::optional<Change> own;
  if (!change) change = &own.emplace();
  switch (change->put(kLedgerFile, all.data(), all.size())) {
    case Change::kDone: break;
    case Change::kNoDirectory: return kLedgerCodes.no_directory;
    case Change::kPathTooLong: return kLedgerCodes.too_long;
    case Change::kOpenFailed: return kLedgerCodes.open;
    default: return -22;
  }
  if (own && own->commit() != Change::kCommitted) return -23;
  return 1;
}

}  // namespace

bool UserId::operator==(const UserId& o) const {
  return len == o.len && std::equal(b.begin(), b.begin() + len, o.b.begin());
}

std::string UserId::hex() const {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  for (int i = 0; i < len; ++i) {
    s += kDigits[b[i] >> 4];
    s += kDigits[b[i] & 0x0F];
  }
  return s;
}

UserId user_id_of(const Personensatz& p, const Eingabesatz& mask) {
  UserId id;
  const int n = pack_hex(identification_text(p, mask), id.b.data(), kUserIdBytes);
  id.len = n < 0 ? 0 : n;
  return id;
}

bool same_user_id_rule(const Eingabesatz& a, const Eingabesatz& b) {
  if (a.default_firma() != b.default_firma() || a.ausweis_len() != b.ausweis_len()) return false;
  for (int i = 1; i <= 4; ++i) {
    const bool on = a.zusatz_active(i) != 0;
    if (on != (b.zusatz_active(i) != 0)) return false;
    if (on && a.zusatz_len(i) != b.zusatz_len(i)) return false;
  }
  return true;
}

UserId Widerrufsatz::user_id() const {
  UserId id;
  id.len = std::min<int>(get_u8(b.data(), 5), kUserIdBytes);
  std::copy(b.begin() + 6, b.begin() + 6 + id.len, id.b.begin());
  return id;
}

void Widerrufsatz::set_user_id(const UserId& id) {
  put_u8(b.data(), 5, static_cast<std::uint8_t>(id.len));
  std::fill(b.begin() + 6, b.begin() + 6 + kUserIdBytes, 0);
  std::copy(id.b.begin(), id.b.begin() + id.len, b.begin() + 6);
}

int create_ledger(Change* change) {
  Ledger& l = db().ledger;
  l = Ledger{};
  int rc = write_whole(l, change);
  ledger_changed();
  return rc;
}

int rewrite_ledger() { return write_whole(db().ledger, nullptr); }

int load_ledger() {
  Ledger& l = db().ledger;
  std::string path;
  int rc = detail::build_path(kLedgerFile, kLedgerCodes, &path);
  if (rc != 0) return rc;
  if (!platform::path_exists(path)) {
    l = Ledger{};
    ledger_changed();
    return 0;
  }
  platform::File f;
  rc = detail::open_at(kLedgerFile, kLedgerCodes, false, 0, f);
  if (rc != 0) return rc;
  Widerrufkopf head;
  rc = detail::read_record(f, Widerrufkopf::kSize, head.b.data());
  if (rc == 0) l.head = head;
  for (int i = 0; i < kLedgerEntries && rc == 0; ++i) {
    Widerrufsatz e;
    rc = detail::read_record(f, Widerrufsatz::kSize, e.b.data());
    // An entry is taken only when it names its own place and a reader slot.
    if (rc == 0)
      l.entries[i] = e.nummer() == static_cast<std::uint32_t>(i + 1) && e.reader() == i / kLedgerPerReader
                         ? e
                         : Widerrufsatz{};
  }
  platform::file_close(f);
  ledger_changed();
  return rc == 0 ? 1 : rc;
}

int write_ledger_head() {
  Widerrufkopf head = db().ledger.head;
  head.set_version(Widerrufkopf::kVersion);
  return write_at(0, head.b.data(), Widerrufkopf::kSize);
}

int write_ledger_entry(int index) {
  if (index < 0 || index >= kLedgerEntries) return -1;
  return write_at(entry_offset(index), db().ledger.entries[index].b.data(), Widerrufsatz::kSize);
}

std::string ledger_stamp() {
  const platform::LocalTime t = platform::local_time();
  char buf[24];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u", t.year % 10000, t.month % 100,
                t.day % 100, t.hour % 100, t.minute % 100);
  return buf;
}

void set_ledger_observer(std::function<void()> f) { observer() = std::move(f); }

void ledger_changed() {
  if (observer()) observer()();
}

}  // namespace store
