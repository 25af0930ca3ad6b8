// The backup file: its time stamp and key, its record groups, and reading a
// whole file back (after a backup, for backup-info, and by the fuzz target).
#include <cstring>
#include <new>

#include "ops/backup_internal.h"

namespace ops {
namespace detail {
namespace {

// Added to the 16 stamp characters to give the backup key. Every backup file
// depends on these values: they must never change.
constexpr std::uint8_t kStampOffsets[kStampChars] = {7, 19, 3, 28, 11, 5, 23, 14,
                                                     2, 31, 9, 17, 26, 4, 21, 12};

constexpr GroupSpec kGroups[kBackupGroups + 1] = {
    {0, 0, 0, 0, 0},
    {store::Konfigsatz::kSize, store::Konfigsatz::kSlot, 1, -10, store::kSlotHeader},
    {store::kKeyHeaderSize, store::kKeyHeaderSlot, 1, -20, store::kSlotBackup},
    {store::Usersatz::kSize, store::Usersatz::kSlot, store::kUsers, -30, store::kSlotBackup},
    {store::Eingabesatz::kSize, store::Eingabesatz::kSlot, 1, -40, store::kSlotBackup},
    {store::Lesersatz::kSize, store::Lesersatz::kSlot, store::kReaders, -50, store::kSlotBackup},
    {store::Templatesatz::kSize, store::Templatesatz::kSlot, store::kPersons, -63, store::kSlotBackup},
    {store::Personensatz::kSize, store::Personensatz::kSlot, store::kPersons, -70, store::kSlotBackup},
};

constexpr std::int64_t file_size_from_groups() {
  std::int64_t n = 0;
  for (int g = 1; g <= kBackupGroups; ++g) n += static_cast<std::int64_t>(kGroups[g].slot) * kGroups[g].count;
  return n;
}
static_assert(file_size_from_groups() == kBackupFileSize, "backup layout");

// The largest stored record: the sealing buffer.
constexpr int kMaxSlot = store::Templatesatz::kSlot;

}  // namespace

std::unique_ptr<BackupImage> new_image() {
  return std::unique_ptr<BackupImage>(new (std::nothrow) BackupImage());
}

const GroupSpec& group_spec(int group) { return kGroups[group]; }

std::uint8_t* group_record(BackupImage& img, int group, int index) {
  switch (group) {
    case 1: return img.konfig.b.data();
    case 2: return img.header.data();
    case 3: return img.users[index].b.data();
    case 4: return img.eingabe.b.data();
    case 5: return img.readers[index].b.data();
    case 6: return img.templates[index].b.data();
    default: return img.persons[index].b.data();
  }
}

void Counter::step() {
  ++done_;
  if (hooks_.progress && (done_ % 25 == 0 || done_ == total_)) hooks_.progress(done_, total_);
}

bool read_exact(platform::File& f, void* data, std::size_t n) {
  std::size_t got = 0;
  return platform::file_read(f, data, n, &got) && got == n;
}

bool write_exact(platform::File& f, const void* data, std::size_t n) {
  std::size_t put = 0;
  return platform::file_write(f, data, n, &put) && put == n;
}

int seal_into(const std::uint8_t* rec, int size, int slot, int key_slot, std::uint8_t* out) {
  std::memset(out, 0, static_cast<std::size_t>(slot));
  std::memcpy(out, rec, static_cast<std::size_t>(size));
  int sealed = store::seal_encrypt(out, size, key_slot, store::LengthForm::TwoByte);
  if (sealed == 0) return -1;
  return sealed == slot ? 0 : -2;
}

RecordSink into(BackupImage& img, int group) {
  return [&img, group](int index) { return group_record(img, group, index); };
}

int read_group(platform::File& f, int group, const RecordSink& sink, Counter* progress) {
  const GroupSpec& g = kGroups[group];
  std::uint8_t buf[kMaxSlot];
  for (int i = 0; i < g.count; ++i) {
    if (!read_exact(f, buf, static_cast<std::size_t>(g.slot))) return g.base;
    int len = g.slot;
    if (store::seal_decrypt(buf, &len, g.key_slot, store::LengthForm::TwoByte) != 0) return g.base - 1;
    if (len != g.size) return g.base - 2;
    std::uint8_t* to = sink(i);
    if (to) std::memcpy(to, buf, static_cast<std::size_t>(g.size));
    if (progress) progress->step();
  }
  return 0;
}

int write_group(platform::File& f, int group, BackupImage& img, Counter* progress) {
  const GroupSpec& g = kGroups[group];
  std::uint8_t buf[kMaxSlot];
  for (int i = 0; i < g.count; ++i) {
    int rc = seal_into(group_record(img, group, i), g.size, g.slot, g.key_slot, buf);
    if (rc != 0) return g.base + rc + 1;
    if (!write_exact(f, buf, static_cast<std::size_t>(g.slot))) return g.base - 2;
    if (progress) progress->step();
  }
  return 0;
}

int backup_record_key(const store::Konfigsatz& k, const std::uint8_t* header,
                      std::uint8_t key[store::kKeyBytes]) {
  if (store::key_header_record_key(header, key) != 0) return -23;
  // The backup's Konfigsatz must carry the same keys, or an installation
  // restored from it with its own password would not load.
  if (std::memcmp(k.record_key_copy(), key, store::kKeyBytes) != 0) return -23;
  if (std::memcmp(k.key2_copy(), store::key_row(store::kSlotSecond), store::kKeyBytes) != 0) return -23;
  return 0;
}

int box(ui::Window owner, const std::string& text, res::TextId caption, unsigned style) {
  return ui::message_box(owner, text, res::text(caption), style);
}

}  // namespace detail

std::string backup_stamp(const platform::LocalTime& t) {
  return res::sformat("%04u%02u%02u%02u%02u%02u%02u", t.year % 10000, t.month % 100, t.day % 100,
                      t.second % 100, t.minute % 100, t.hour % 100, t.hour % 100);
}

std::string stamp_display(const std::string& stamp) {
  // Characters `from` .. `from + n - 1` of the stamp.
  auto part = [&](std::size_t from, std::size_t n) {
    std::string s;
    for (std::size_t i = from; i < from + n; ++i) {
      unsigned char c = i < stamp.size() ? static_cast<unsigned char>(stamp[i]) : 0;
      s += c < 0x20 ? '?' : static_cast<char>(c);
    }
    return s;
  };
  // Day, month, year, then hour, minute, second; the second copy of the hour
  // is not shown.
  return part(6, 2) + "." + part(4, 2) + "." + part(0, 4) + "-" + part(12, 2) + ":" + part(10, 2) +
         ":" + part(8, 2);
}

void backup_key(const std::uint8_t* stamp16, std::uint8_t key[store::kKeyBytes]) {
  for (int i = 0; i < kStampChars; ++i) key[i] = static_cast<std::uint8_t>(stamp16[i] + detail::kStampOffsets[i]);
}

void install_backup_key(const store::Konfigsatz& k) {
  backup_key(k.backup_stamp_bytes(), store::key_row(store::kSlotBackup));
  store::install_key(store::kSlotBackup);
}

int detail::check_file(const std::string& path, std::string* stamp, detail::Counter* progress) {
  platform::File f;
  if (!platform::file_open(f, path, platform::Access::Read, platform::Create::OpenExisting)) return -1;
  if (!platform::file_seek(f, 0)) return -3;
  // Only the Konfigsatz and the key header are kept; the other records are
  // unsealed, checked and dropped.
  struct Head {
    store::Konfigsatz konfig;
    std::array<std::uint8_t, store::kKeyHeaderSize> header{};
  } head;
  store::install_builtin_keys();
  int rc = detail::read_group(f, 1, [&head](int) { return head.konfig.b.data(); }, progress);
  if (rc != 0) return rc;
  if (stamp) *stamp = head.konfig.backup_stamp();
  install_backup_key(head.konfig);
  rc = detail::read_group(f, 2, [&head](int) { return head.header.data(); }, progress);
  for (int g = 3; g <= kBackupGroups && rc == 0; ++g)
    rc = detail::read_group(f, g, [](int) { return static_cast<std::uint8_t*>(nullptr); }, progress);
  if (rc != 0) return rc;
  std::uint8_t key[store::kKeyBytes];
  return detail::backup_record_key(head.konfig, head.header.data(), key) == 0 ? 1 : -23;
}

int check_backup_file(const std::string& path, std::string* stamp, const Hooks& hooks) {
  detail::Counter progress(hooks, kBackupRecords);
  return detail::check_file(path, stamp, &progress);
}

}  // namespace ops
