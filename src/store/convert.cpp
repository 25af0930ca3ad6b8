// Conversions of data files from older database versions. Each reads the whole
// old file, writes the converted records into a new file beside it and puts that
// file into place only when it is complete, so that a failure at any step leaves
// the old file as it was.
#include <cstring>
#include <vector>

#include "platform/message_box.h"
#include "resources/catalogue.h"
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

// The converted file being written beside the old one.
struct NewFile {
  std::string path;   // the old file
  std::string temp;   // the new one beside it
  platform::File file;
};

// Creates the new file. 0 or -23.
int open_new(const std::string& path, NewFile* nf) {
  nf->path = path;
  nf->temp = path + ".new";
  if (!platform::file_open(nf->file, nf->temp, platform::Access::ReadWrite, platform::Create::CreateAlways))
    return -23;
  return 0;
}

// Seals `size` bytes and writes them at `offset` of the new file. 0 or -20
// position, -21 sealing, -22 sealed size (`produced` receives it), -23 write.
int write_new(NewFile& nf, std::int64_t offset, const std::uint8_t* rec, int size, int slot,
              int* produced) {
  if (!platform::file_seek(nf.file, offset)) return -20;
  std::vector<std::uint8_t> sealed(static_cast<std::size_t>(slot) + 16, 0);
  std::memcpy(sealed.data(), rec, static_cast<std::size_t>(size));
  int n = seal_encrypt(sealed.data(), size, kSlotRecord, LengthForm::TwoByte);
  *produced = n;
  if (n == 0) return -21;
  if (n != slot) return -22;
  return detail::write_all(nf.file, sealed.data(), static_cast<std::size_t>(slot)) ? 0 : -23;
}

// Closes the new file and puts it in place of the old one (or removes it after
// a failure). Returns `rc`, or -23 when closing or replacing fails.
int finish_new(NewFile& nf, int rc) {
  bool closed = platform::file_close(nf.file);
  if (rc == 0 && (!closed || !platform::file_replace(nf.temp, nf.path))) rc = -23;
  if (rc != 0) platform::file_delete(nf.temp);
  return rc;
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

int update_person_file() {
  std::string path;
  platform::File old;
  int rc = open_old(kPersonFile, &path, old);
  if (rc != 0) return rc;
  std::vector<std::uint8_t> records(static_cast<std::size_t>(kPersons) * Personensatz::kOldSize);
  rc = read_old(old, kPersons, Personensatz::kOldSize, Personensatz::kOldSlot, records.data());
  platform::file_close(old);
  if (rc == 0) {
    Tables& t = db();
    for (int n = 0; n < kPersons; ++n) {
      t.persons[n] = Personensatz{};
      std::memcpy(t.persons[n].b.data(), records.data() + static_cast<std::size_t>(n) * Personensatz::kOldSize,
                  Personensatz::kOldSize);
    }
    NewFile nf;
    rc = open_new(path, &nf);
    for (int n = 0; n < kPersons && rc == 0; ++n) {
      int produced = 0;
      rc = write_new(nf, static_cast<std::int64_t>(n) * Personensatz::kSlot, t.persons[n].b.data(),
                     Personensatz::kSize, Personensatz::kSlot, &produced);
    }
    if (nf.file.is_open()) rc = finish_new(nf, rc);
  }
  if (rc != 0) {
    show_step(kPersonTexts, rc);
    return rc;
  }
  return 1;
}

int update_template_file(int from_version) {
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
    NewFile nf;
    rc = open_new(path, &nf);
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
      rc = write_new(nf, static_cast<std::int64_t>(n) * Templatesatz::kSlot, rec.b.data(),
                     Templatesatz::kSize, Templatesatz::kSlot, &produced);
    }
    if (nf.file.is_open()) rc = finish_new(nf, rc);
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

int update_eingabe_file(int step) {
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
    NewFile nf;
    rc = open_new(path, &nf);
    int produced = 0;
    if (rc == 0) rc = write_new(nf, 0, bytes, new_size, sealed_slot(new_size), &produced);
    if (nf.file.is_open()) rc = finish_new(nf, rc);
    if (rc != 0) t.eingabe = t.eingabe_saved;
  }
  if (rc != 0) {
    show_step(kEingabeTexts, rc);
    return rc;
  }
  t.eingabe_saved = t.eingabe;
  return 1;
}

}  // namespace store
