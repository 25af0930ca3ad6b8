// The restore of the whole database from a backup file. Everything is read and
// checked first; the six files and the ledger of unfinished removals are then
// written beside the ones they replace and put into place together as one
// change (store/commit.h), and only then do the tables in memory change.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "diag/log.h"
#include "ops/backup_internal.h"
#include "ops/revocation.h"
#include "store/commit.h"

namespace ops::detail {
namespace {

// One run of records going into a file, with the codes of its three steps.
struct Records {
  int count, size, slot, key_slot;
  int seal_code, size_code, write_code;
  std::function<const std::uint8_t*(int)> at;
  bool counted = true;  // each record is a step of the progress (the backup's records)
};

// Path, open and position codes of one file.
struct Codes {
  int no_dir, too_long, open, seek;
};

// Writes the runs as the new contents of `name` in `change`, each run sealed
// into memory and written in one piece. 0 or a code.
int write_target(store::Change& change, const char* name, const Codes& codes,
                 const std::vector<Records>& runs, Counter& progress) {
  switch (change.open(name)) {
    case store::Change::kDone: break;
    case store::Change::kNoDirectory: return codes.no_dir;
    case store::Change::kPathTooLong: return codes.too_long;
    case store::Change::kSeekFailed: return codes.seek;
    default: return codes.open;
  }
  std::vector<std::uint8_t> buf;
  for (const Records& r : runs) {
    buf.resize(static_cast<std::size_t>(r.count) * static_cast<std::size_t>(r.slot));
    for (int i = 0; i < r.count; ++i) {
      int s = seal_into(r.at(i), r.size, r.slot, r.key_slot,
                        buf.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(r.slot));
      if (s != 0) return s == -1 ? r.seal_code : r.size_code;
      if (r.counted) progress.step();
    }
    if (change.write(buf.data(), buf.size()) != store::Change::kDone) return r.write_code;
  }
  // A failed flush or close may have lost data: count it as a failed write.
  return change.close() == store::Change::kDone ? 0 : runs.back().write_code;
}

// What the restore writes: the backup's data with the configuration, key
// header and administrator chosen by the password question.
struct Chosen {
  store::Konfigsatz konfig;
  std::array<std::uint8_t, store::kKeyHeaderSize> header{};
};

template <typename Table>
std::function<const std::uint8_t*(int)> rows(const Table& table) {
  return [&table](int i) { return table[static_cast<std::size_t>(i)].b.data(); };
}

// The ledger after a restore: the readers' contents can no longer be known
// (persons made after the backup may still be held), so every reader of the
// restored table must be erased; open removals are covered by that.
void mark_restored(const BackupImage& img, store::Ledger& l) {
  l = store::Ledger{};
  const std::string now = store::ledger_stamp();
  for (int i = 0; i < store::kReaders; ++i) {
    if (!img.readers[i].used()) continue;
    l.head.set_reason(i, store::EraseReason::Restore);
    l.head.set_datum(i, now);
  }
}

// The device a reader record names: its connection and bus address.
bool same_device(const store::Lesersatz& x, const store::Lesersatz& y) {
  if (x.verbindung() != y.verbindung() || x.bus_address() != y.bus_address()) return false;
  if (x.verbindung() == 0) return x.com_port() == y.com_port();
  if (x.tcp_port() != y.tcp_port()) return false;
  const std::string a = x.ip(), b = y.ip();
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char p, char q) {
           return std::tolower(static_cast<unsigned char>(p)) == std::tolower(static_cast<unsigned char>(q));
         });
}

// The readers in use now that the backup does not name: nothing will erase
// them after the restore, so the operator is told which they are.
std::vector<store::Lesersatz> left_out(const BackupImage& img) {
  std::vector<store::Lesersatz> out;
  for (const store::Lesersatz& now : store::db().readers) {
    if (!now.used()) continue;
    bool named = false;
    for (const store::Lesersatz& kept : img.readers) named = named || (kept.used() && same_device(now, kept));
    if (!named) out.push_back(now);
  }
  return out;
}

// "Gate D (10.0.0.5:10001, address 04)" / "(COM 03, ...)".
std::string device_text(const store::Lesersatz& r) {
  const std::string where = r.verbindung() == 0 ? res::format(res::VW_COM_PORT, r.com_port() + 1)
                                                : r.ip() + ":" + std::to_string(r.tcp_port());
  return res::format(res::RV_LEFT_OUT_READER, r.name().c_str(), where.c_str(), r.bus_address() + 1);
}

void report_left_out(const std::vector<store::Lesersatz>& readers, ui::Window owner) {
  if (readers.empty()) return;
  std::string lines;
  for (const store::Lesersatz& r : readers) {
    const std::string what = device_text(r);
    diag::log_line("Widerruf  - %s", res::format(res::RVL_LEFT_OUT, what.c_str()).c_str());
    lines += what + "\r\n";
  }
  box(owner, res::text(res::RV_LEFT_OUT_HEAD) + lines + res::text(res::RV_LEFT_OUT_TODO), res::CAP_INFO,
      ui::kOk);
}

// Writes the whole database beside the files in use and puts it into place.
int write_database(const BackupImage& img, const Chosen& out, const store::Ledger& ledger,
                   Counter& progress) {
  static const char* const kNames[] = {store::kKonfigFile,  store::kPersonFile,  store::kTemplateFile,
                                       store::kReaderFile,  store::kEingabeFile, store::kUserFile,
                                       store::kLedgerFile};
  const int rec = store::kSlotRecord;
  std::vector<std::vector<Records>> runs = {
      {{1, store::kKeyHeaderSize, store::kKeyHeaderSlot, store::kSlotHeader, -82, -82, -83,
        [&out](int) { return out.header.data(); }},
       {1, store::Konfigsatz::kSize, store::Konfigsatz::kSlot, rec, -84, -84, -85,
        [&out](int) { return out.konfig.b.data(); }}},
      {{store::kPersons, store::Personensatz::kSize, store::Personensatz::kSlot, rec, -94, -95, -96,
        rows(img.persons)}},
      {{store::kPersons, store::Templatesatz::kSize, store::Templatesatz::kSlot, rec, -104, -105, -106,
        rows(img.templates)}},
      {{store::kReaders, store::Lesersatz::kSize, store::Lesersatz::kSlot, rec, -114, -115, -116,
        rows(img.readers)}},
      {{1, store::Eingabesatz::kSize, store::Eingabesatz::kSlot, rec, -124, -125, -126,
        [&img](int) { return img.eingabe.b.data(); }}},
      {{store::kUsers, store::Usersatz::kSize, store::Usersatz::kSlot, rec, -134, -135, -136,
        rows(img.users)}},
      {{1, store::Widerrufkopf::kSize, store::Widerrufkopf::kSlot, rec, -154, -155, -156,
        [&ledger](int) { return ledger.head.b.data(); }, false},
       {store::kLedgerEntries, store::Widerrufsatz::kSize, store::Widerrufsatz::kSlot, rec, -154,
        -155, -156, rows(ledger.entries), false}}};
  // Programm.cfg has -80 and -81 only.
  static constexpr Codes kCodes[] = {{-80, -80, -80, -81},    {-90, -91, -92, -93},
                                     {-100, -101, -102, -103}, {-110, -111, -112, -113},
                                     {-120, -121, -122, -123}, {-130, -131, -132, -133},
                                     {-150, -151, -152, -153}};
  // A failure before the commit leaves the files in use untouched; the
  // change removes the new files it holds.
  store::Change change;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    int rc = write_target(change, kNames[i], kCodes[i], runs[i], progress);
    if (rc != 0) return rc;
  }
  return change.commit() == store::Change::kCommitted ? 0 : kRestoreSwapFailed;
}

// Key 0 as it was, put back when the restore fails after installing another.
struct SavedKey {
  std::uint8_t row[store::kKeyBytes];
  SavedKey() { std::memcpy(row, store::key_row(store::kSlotRecord), sizeof row); }
  void put_back() const {
    std::memcpy(store::key_row(store::kSlotRecord), row, sizeof row);
    store::install_key(store::kSlotRecord);
  }
};

// Takes the restored database into memory (after the files are in place).
void take_over(const BackupImage& img, const Chosen& out, const store::Ledger& ledger,
               bool backup_password, const SavedKey& before) {
  store::Tables& t = store::db();
  t.ledger = ledger;
  t.konfig = out.konfig;
  t.konfig_saved = out.konfig;
  t.key_header = out.header;
  t.users = img.users;
  t.eingabe = img.eingabe;
  t.eingabe_saved = img.eingabe;
  t.readers = img.readers;
  t.persons = img.persons;
  // The administrator logged in reads his record as it now stands.
  if (t.user_read.nummer() == store::kAdminRecord) t.user_read = t.users[store::kAdminRecord - 1];
  if (t.user_current.nummer() == store::kAdminRecord) t.user_current = t.users[store::kAdminRecord - 1];
  if (backup_password) {
    // As after loading a configuration: the previous record key is the spare,
    // key 3 comes from the Konfigsatz.
    std::memcpy(store::key_row(store::kSlotSpare), before.row, store::kKeyBytes);
    store::install_key(store::kSlotSpare);
    std::memcpy(store::key_row(store::kSlotDerived), t.konfig.key3(), store::kKeyBytes);
    store::install_key(store::kSlotDerived);
  }
  for (int i = 0; i < store::kReaders; ++i)
    if (ledger.head.reason(i) != store::EraseReason::None)
      diag::log_line("Widerruf  - %s",
                     res::format(res::RVL_MARKED, i, t.readers[i].name().c_str(),
                                 erase_reason_text(store::EraseReason::Restore).c_str())
                         .c_str());
  store::ledger_changed();
}

// Reads the backup after its first record and asks the password question.
// 0 or a code; `backup_password` receives the answer.
int read_rest(platform::File& f, BackupImage& img, Chosen& out, bool* backup_password,
              std::uint8_t key[store::kKeyBytes], const Hooks& hooks, Counter& progress) {
  install_backup_key(img.konfig);
  int rc = read_group(f, 2, into(img, 2), &progress);
  if (rc != 0) return rc;
  rc = backup_record_key(img.konfig, img.header.data(), key);
  if (rc != 0) return rc;

  const store::Tables& t = store::db();
  *backup_password = box(hooks.owner, res::text(res::RS_ASK_PASSWORD), res::CAP_FRAGE_QM,
                         ui::kYesNo) == ui::kIdYes;
  if (hooks.status) hooks.status(res::text(res::BK_STATUS_RESTORE));
  for (int g = 3; g <= kBackupGroups; ++g) {
    rc = read_group(f, g, into(img, g), &progress);
    if (rc != 0) return rc;
  }
  if (*backup_password) {
    out.konfig = img.konfig;
    out.header = img.header;
  } else {
    out.konfig = t.konfig;
    out.header = t.key_header;
    std::memcpy(key, store::key_row(store::kSlotRecord), store::kKeyBytes);
    img.users[store::kAdminRecord - 1] = t.users[store::kAdminRecord - 1];
  }
  return 0;
}

}  // namespace

int restore(const std::string& path, const Hooks& hooks) {
  platform::File f;
  if (!platform::file_open(f, path, platform::Access::Read, platform::Create::OpenExisting)) return -1;
  if (!platform::file_seek(f, 0)) return -3;
  std::unique_ptr<BackupImage> img = new_image();
  if (!img) return -60;
  Counter progress(hooks, 2 * kBackupRecords);
  int rc = read_group(f, 1, into(*img, 1), &progress);
  if (rc != 0) return rc;

  std::string question = res::format(res::RS_ASK_RESTORE, stamp_display(img->konfig.backup_stamp()).c_str());
  if (box(hooks.owner, question, res::CAP_FRAGE_QM, ui::kYesNo) != ui::kIdYes) return 0;

  if (hooks.status) hooks.status(res::text(res::BK_STATUS_WAIT_TRANSPONDER));
  std::string number;
  int read = hooks.read_transponder ? hooks.read_transponder(&number)
                                    : read_backup_transponder(&number, hooks.owner);
  if (read != 1) return 0;
  if (number != img->konfig.backup_transponder()) {
    box(hooks.owner, res::text(res::RS_WRONG_TRANSPONDER), res::CAP_INFO, ui::kOk);
    return 0;
  }

  bool backup_password = false;
  std::uint8_t key[store::kKeyBytes];
  Chosen out;
  rc = read_rest(f, *img, out, &backup_password, key, hooks, progress);
  platform::file_close(f);
  if (rc != 0) return rc;

  // Everything is sealed under the record key that will be in use.
  const SavedKey before;
  std::memcpy(store::key_row(store::kSlotRecord), key, store::kKeyBytes);
  store::install_key(store::kSlotRecord);
  // About 230 KB: on the heap.
  auto ledger = std::make_unique<store::Ledger>();
  mark_restored(*img, *ledger);
  const std::vector<store::Lesersatz> forgotten = left_out(*img);
  rc = write_database(*img, out, *ledger, progress);
  if (rc != 0) {
    before.put_back();
    return rc;
  }
  take_over(*img, out, *ledger, backup_password, before);
  report_left_out(forgotten, hooks.owner);
  return 1;
}

}  // namespace ops::detail
