// Pieces shared by the backup, the restore and the reading of backup files.
// Not for other folders.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ops/backup.h"
#include "resources/catalogue.h"

namespace ops::detail {

// A backup's contents in memory (about 5.3 MB: always on the heap).
struct BackupImage {
  store::Konfigsatz konfig;
  std::array<std::uint8_t, store::kKeyHeaderSize> header{};
  std::array<store::Usersatz, store::kUsers> users;
  store::Eingabesatz eingabe;
  std::array<store::Lesersatz, store::kReaders> readers;
  std::array<store::Templatesatz, store::kPersons> templates;
  std::array<store::Personensatz, store::kPersons> persons;
};
// A zeroed image, or null when there is no memory for it.
std::unique_ptr<BackupImage> new_image();

// One record group of the file.
struct GroupSpec {
  int size;      // record size
  int slot;      // stored size
  int count;     // records
  int base;      // first of its three codes (read/sealing, check byte/size, length/write)
  int key_slot;  // key it is sealed with
};
const GroupSpec& group_spec(int group);
std::uint8_t* group_record(BackupImage& img, int group, int index);

// Counts records and tells the hooks now and then.
class Counter {
 public:
  Counter(const Hooks& hooks, int total) : hooks_(hooks), total_(total) {}
  void step();

 private:
  const Hooks& hooks_;
  int total_;
  int done_ = 0;
};

// Where record `index` of a group goes; null discards it once it unsealed.
using RecordSink = std::function<std::uint8_t*(int index)>;
// Reads and unseals group `group` from the current position of `f` into
// `sink`. 0, or the group's base code (read), base - 1 (check byte), base - 2
// (length).
int read_group(platform::File& f, int group, const RecordSink& sink, Counter* progress);
// The sink that puts a group's records into their places in `img`.
RecordSink into(BackupImage& img, int group);
// Seals group `group` of `img` and writes it at the current position of `f`.
// 0, or base (sealing gave nothing), base - 1 (sealed size), base - 2 (write).
int write_group(platform::File& f, int group, BackupImage& img, Counter* progress);
// The record key of a backup's key header: 0, or -23 when the header's copies
// disagree, or the backup's Konfigsatz `k` does not carry that record key and
// the built-in second key.
int backup_record_key(const store::Konfigsatz& k, const std::uint8_t* header,
                      std::uint8_t key[store::kKeyBytes]);

// check_backup_file with the records counted by `progress` (may be null).
int check_file(const std::string& path, std::string* stamp, Counter* progress);
// The restore (mode 1 of backup_restore) without the Konfigsatz guard.
int restore(const std::string& path, const Hooks& hooks);

// Transfers exactly n bytes; false on an error or a short transfer.
bool read_exact(platform::File& f, void* data, std::size_t n);
bool write_exact(platform::File& f, const void* data, std::size_t n);
// Seals `size` bytes of `rec` with key `key_slot` into `out` (zero padding),
// 0, -1 when sealing gives nothing, -2 when the sealed size is not `slot`.
int seal_into(const std::uint8_t* rec, int size, int slot, int key_slot, std::uint8_t* out);

// A question or information box with a catalogue text and caption.
int box(ui::Window owner, const std::string& text, res::TextId caption, unsigned style);

}  // namespace ops::detail
