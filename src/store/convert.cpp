// Conversions of data files from older database versions. Each reads the whole
// old file and writes the converted records as the new contents of a change
// (store/commit.h), so that a failure or a crash at any step leaves the old
// file as it was.
#include <cstring>
#include <optional>
#include <vector>

#include "platform/message_box.h"
#include "resources/catalogue.h"
#include "store/commit.h"
#include "store/internal.h"
#include "store/store.h"

namespace store {
namespace {

constexpr detail::OpenCodes kConvertCodes{-1, -2, -3, -10};

// The texts of one file's conversion steps.
struct StepTexts {
  res::TextId seek, read, remake, len, make, write;
};

constexpr StepTexts kPersonTexts{res::ST_PERS_SEEK,   res::ST_PERS_READ, res::ST_PERS_REMAKE,
                                 res::ST_PERS_LEN,    res::ST_PERS_MAKE, res::ST_PERS_WRITE};
constexpr StepTexts kTemplateTexts{res::ST_TPL_SEEK, res::ST_TPL_READ, res::ST_TPL_REMAKE,
                                   res::ST_TPL_LEN,  res::ST_TPL_MAKE, res::ST_TPL_WRITE};
constexpr StepTexts kEingabeTexts{res::ST_EING_SEEK, res::ST_EING_READ, res::ST_EING_REMAKE,
                                  res::ST_EING_LEN,  res::ST_EING_MAKE, res::ST_EING_WRITE};

void info_box(const std::string& text) {
  ui::message_box(ui::kNoWindow, text, res::text(res::CAP_INFO), ui::kOk);
}

// Shows the text of a failing step (codes -10 .. -23 of the conversions).
void show_step(const StepTexts& t, int code) {
  switch (code) {
    case -10: case -20: info_box(res::text(t.seek)); break;
    case -11: info_box(res::text(t.read)); break;
    case -12: info_box(res::text(t.remake)); break;
    case -13: case -22: info_box(res::text(t.len)); break;
    case -21: info_box(res::text(t.make)); break;
    default: info_box(res::text(t.write)); break;
  }
}

// Reads `count` old records of `old_size` bytes (sealed `old_slot`) into
// `out`, one after the other. 0 or -10 position, -11 read, -12 check byte,
// -13 length.
int read_old(platform::File& f, int count, int old_size, int old_slot, std::uint8_t* out) {
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(old_slot));
  for (int n = 1; n <= count; ++n) {
    if (!platform::file_seek(f, static_cast<std::int64_t>(n - 1) * old_slot)) return -10;
    if (!detail::read_all(f, buf.data(), buf.size())) return -11;
    int rc = detail::unseal_record(buf.data(), old_slot, old_size);
    if (rc != 0) return rc - 1;  // -11 -> -12, -12 -> -13
    std::memcpy(out + static_cast<std::size_t>(n - 1) * old_size, buf.data(), static_cast<std::size_t>(old_size));
  }
  return 0;
}

// Seals `size` bytes into the `slot` bytes at `out`. 0 or -21 sealing, -22
// sealed size (`produced` receives it).
int seal_new(const std::uint8_t* rec, int size, int slot, std::uint8_t* out, int* produced) {
  std::vector<std::uint8_t> sealed(static_cast<std::size_t>(slot) + 16, 0);
  std::memcpy(sealed.data(), rec, static_cast<std::size_t>(size));
  int n = seal_encrypt(sealed.data(), size, kSlotRecord, LengthForm::TwoByte);
  *produced = n;
  if (n == 0) return -21;
  if (n != slot) return -22;
  std::memcpy(out, sealed.data(), static_cast<std::size_t>(slot));
  return 0;
}

// Writes the converted file as new contents of `name` in `change`; without a
// change it replaces the old file at once. 0 or -20 position, -23 creating,
// writing or replacing.
int put_new(Change* change, const char* name, const std::vector<std::uint8_t>& bytes) {
  std::optional<Change> own;
  if (!change) change = &own.emplace();
  switch (change->put(name, bytes.data(), bytes.size())) {
    case Change::kDone: break;
    case Change::kSeekFailed: return -20;
    default: return -23;
  }
  if (own && own->commit() != Change::kCommitted) return -23;
  return 0;
}

// Opens the old file of a conversion. 0 or -1, -2 path, -3 open.
int open_old(const char* name, std::string* path, platform::File& f) {
  int rc = detail::build_path(name, kConvertCodes, path);
  if (rc != 0) return rc;
  if (!platform::file_open(f, *path, platform::Access::ReadWrite, platform::Create::OpenExisting))
    return -3;
  return 0;
}

}  // namespace

int update_person_file(Change* change) {
  std::string path;
  platform::File old;
  int rc = open_old(kPersonFile, &path, old);
  if (rc != 0) return rc;
  std::vector<std::uint8_t> records(static_cast<std::size_t>(kPersons) * Personensatz::kOldSize);
  rc = read_old(old, kPersons, Personensatz::kOldSize, Personensatz::kOldSlot, records.data());
  platform::file_close(old);
  if (rc == 0) {
    Tables& t = db();
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kPersons) * Personensatz::kSlot);
    for (int n = 0; n < kPersons && rc == 0; ++n) {
      t.persons[n] = Personensatz{};
      std::memcpy(t.persons[n].b.data(), records.data() + static_cast<std::size_t>(n) * Personensatz::kOldSize,
                  Personensatz::kOldSize);
      int produced = 0;
      rc = seal_new(t.persons[n].b.data(), Personensatz::kSize, Personensatz::kSlot,
                    out.data() + static_cast<std::size_t>(n) * Personensatz::kSlot, &produced);
    }
    if (rc == 0) rc = put_new(change, kPersonFile, out);
  }
  if (rc != 0) {
    show_step(kPersonTexts, rc);
    return rc;
  }
  return 1;
}

int update_template_file(int from_version, Change* change) {
  if (from_version != 0 && from_version != 1) return -4;
  std::string path;
  platform::File old;
  int rc = open_old(kTemplateFile, &path, old);
  if (rc != 0) return rc;
  std::vector<std::uint8_t> records(static_cast<std::size_t>(kPersons) * Templatesatz::kOldSize);
  rc = read_old(old, kPersons, Templatesatz::kOldSize, Templatesatz::kOldSlot, records.data());
  platform::file_close(old);
  int produced = 0;
  if (rc == 0) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kPersons) * Templatesatz::kSlot);
    Templatesatz rec;
    for (int n = 0; n < kPersons && rc == 0; ++n) {
      const std::uint8_t* o = records.data() + static_cast<std::size_t>(n) * Templatesatz::kOldSize;
      rec = Templatesatz{};
      rec.set_nummer(get_u32(o, 0));
      for (int i = 0; i < kFingerBlocks; ++i) {
        const std::uint8_t* ob = o + 4 + Templatesatz::kOldBlockSize * i;
        std::uint8_t* nb = rec.block(i);
        std::memcpy(nb, ob, 4);  // length, group, quality value
        if (from_version == 1) std::memcpy(nb + 4, ob + 4, 2);
        std::memcpy(nb + 10, ob + 6, Templatesatz::kOldDataSize);
      }
      rc = seal_new(rec.b.data(), Templatesatz::kSize, Templatesatz::kSlot,
                    out.data() + static_cast<std::size_t>(n) * Templatesatz::kSlot, &produced);
    }
    if (rc == 0) rc = put_new(change, kTemplateFile, out);
  }
  if (rc != 0) {
    show_step(kTemplateTexts, rc);
    if (rc == -22)
      info_box(res::format(res::ST_TPL_LEN_DETAIL, static_cast<unsigned>(Templatesatz::kSlot),
                           static_cast<unsigned>(produced)));
    return rc;
  }
  return 1;
}

int update_eingabe_file(int step, Change* change) {
  if (step != 0 && step != 1) {
    info_box(res::text(res::ST_EING_UNKNOWN_STEP));
    return -4;
  }
  const int old_size = step == 0 ? Eingabesatz::kSizeV0 : Eingabesatz::kSizeV1;
  const int new_size = step == 0 ? Eingabesatz::kSizeV1 : Eingabesatz::kSize;
  std::string path;
  platform::File old;
  int rc = open_old(kEingabeFile, &path, old);
  if (rc != 0) return rc;
  std::uint8_t bytes[Eingabesatz::kSize] = {};
  rc = read_old(old, 1, old_size, sealed_slot(old_size), bytes);
  platform::file_close(old);
  Tables& t = db();
  if (rc == 0) {
    std::memcpy(t.eingabe.b.data(), bytes, sizeof bytes);
    std::memcpy(t.eingabe_saved.b.data(), bytes, sizeof bytes);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(sealed_slot(new_size)));
    int produced = 0;
    rc = seal_new(bytes, new_size, sealed_slot(new_size), out.data(), &produced);
    if (rc == 0) rc = put_new(change, kEingabeFile, out);
    if (rc != 0) t.eingabe = t.eingabe_saved;
  }
  if (rc != 0) {
    show_step(kEingabeTexts, rc);
    return rc;
  }
  t.eingabe_saved = t.eingabe;
  return 1;
}

int update_database() {
  Tables& t = db();
  const int version = t.konfig.db_version();
  if (version >= kCurrentDbVersion) return kUpdateNotNeeded;
  // The input mask's second step reads what the first wrote into the change.
  Change change;
  if (version == 0) {
    if (update_person_file(&change) != 1) return kUpdatePersonsFailed;
    if (update_eingabe_file(0, &change) != 1) return kUpdateEingabeFailed;
  }
  if (version <= 1 && update_template_file(version, &change) != 1) return kUpdateTemplatesFailed;
  if (update_eingabe_file(1, &change) != 1) return kUpdateEingabeFailed;
  t.konfig.set_db_version(kCurrentDbVersion);
  if (put_konfig(change) != 1 || change.commit() != Change::kCommitted) {
    t.konfig = t.konfig_saved;
    return kUpdateSaveFailed;
  }
  t.konfig_saved = t.konfig;
  return kUpdateDone;
}

}  // namespace store
