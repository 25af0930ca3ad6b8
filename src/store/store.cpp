// The in-memory tables and the record operations of the person, template,
// reader, input-mask and user files.
#include "store/store.h"

#include <cstring>

#include "store/internal.h"

namespace store {

const char* const kKonfigFile = "Programm.cfg";
const char* const kPersonFile = "Personen.dat";
const char* const kTemplateFile = "Template.dat";
const char* const kReaderFile = "Leser.dat";
const char* const kEingabeFile = "Eingabe.dat";
const char* const kUserFile = "Usepas.dat";

namespace {

constexpr detail::OpenCodes kRecordCodes{-2, -3, -4, -5};
constexpr detail::OpenCodes kEingabeCodes{-1, -2, -3, -4};

Tables& tables_storage() {
  static Tables t;
  return t;
}

// Reads record `number` of a file of `size`-byte records into `out`. Returns 0
// or a negative code; `out` is untouched on failure.
int read_slot(const char* file, const detail::OpenCodes& codes, int size, int number,
              std::uint8_t* out) {
  platform::File f;
  std::int64_t offset = static_cast<std::int64_t>(number - 1) * sealed_slot(size);
  int rc = detail::open_at(file, codes, false, offset, f);
  if (rc != 0) return rc;
  rc = detail::read_record(f, size, out);
  platform::file_close(f);
  return rc;
}

// Seals and writes record `number` of a file of `size`-byte records.
int write_slot(const char* file, const detail::OpenCodes& codes, int size, int number,
               const std::uint8_t* rec) {
  platform::File f;
  std::int64_t offset = static_cast<std::int64_t>(number - 1) * sealed_slot(size);
  int rc = detail::open_at(file, codes, true, offset, f);
  if (rc != 0) return rc;
  rc = detail::write_record(f, offset, rec, size, codes.seek);
  platform::file_close(f);
  return rc;
}

// The first free entry among table[first..last] as a record number, or -1.
template <typename Table>
int first_free(const Table& table, int first, int last) {
  for (int i = first; i <= last; ++i)
    if (!table[i].used()) return i + 1;
  return -1;
}

}  // namespace

Tables& db() { return tables_storage(); }

void reset_store() {
  // Copied from a static empty set so that no large temporary lands on the stack.
  static const Tables kEmpty{};
  tables_storage() = kEmpty;
  reset_keys();
  set_ledger_observer(nullptr);
}

int rw_person(RecordMode mode) {
  Tables& t = db();
  Personensatz& buf = mode == kRead ? t.person_read : t.person_write;
  int number = static_cast<int>(buf.nummer());
  if (number == 0) number = first_free(t.persons, 0, kPersons - 1);
  if (number < 1 || number > kPersons) return -1;
  t.person_read.set_nummer(number);
  t.person_write.set_nummer(number);
  if (mode == kRead) {
    Personensatz rec;
    int rc = read_slot(kPersonFile, kRecordCodes, Personensatz::kSize, number, rec.b.data());
    if (rc != 0) return rc;
    t.person_read = rec;
    t.persons[number - 1] = rec;
    return number;
  }
  if (mode == kDelete) t.person_write = Personensatz{};
  int rc = write_slot(kPersonFile, kRecordCodes, Personensatz::kSize, number, t.person_write.b.data());
  if (rc != 0) return rc;
  t.persons[number - 1] = t.person_write;
  return number;
}

int rw_template(RecordMode mode) {
  Tables& t = db();
  const bool write = mode != kRead;
  Templatesatz& buf = write ? t.template_write : t.template_read;
  int number = static_cast<int>(buf.nummer());
  if (number < 1 || number > kPersons) return -1;
  if (write) {
    int rc = write_slot(kTemplateFile, kRecordCodes, Templatesatz::kSize, number, buf.b.data());
    return rc != 0 ? rc : number;
  }
  Templatesatz rec;
  int rc = read_slot(kTemplateFile, kRecordCodes, Templatesatz::kSize, number, rec.b.data());
  if (rc != 0) return rc;
  t.template_read = rec;
  return number;
}

int read_all_templates(Templatesatz* out) {
  platform::File f;
  int rc = detail::open_at(kTemplateFile, kRecordCodes, false, 0, f);
  if (rc != 0) return rc;
  for (int n = 0; n < kPersons && rc == 0; ++n) rc = detail::read_record(f, Templatesatz::kSize, out[n].b.data());
  platform::file_close(f);
  return rc == 0 ? 1 : rc;
}

int rw_leser(RecordMode mode) {
  Tables& t = db();
  Lesersatz& buf = mode == kRead ? t.current_reader : t.edit_reader;
  int number = static_cast<int>(buf.nummer());
  if (number == 0) number = first_free(t.readers, 0, kReaders - 1);
  if (number < 1 || number > kReaders) return -1;
  t.current_reader.set_nummer(number);
  t.edit_reader.set_nummer(number);
  if (mode == kRead) {
    Lesersatz rec;
    int rc = read_slot(kReaderFile, kRecordCodes, Lesersatz::kSize, number, rec.b.data());
    if (rc != 0) return rc;
    t.current_reader = rec;
    t.readers[number - 1] = rec;
    return number;
  }
  if (mode == kDelete) t.edit_reader = Lesersatz{};
  int rc = write_slot(kReaderFile, kRecordCodes, Lesersatz::kSize, number, t.edit_reader.b.data());
  if (rc != 0) return rc;
  t.readers[number - 1] = t.edit_reader;
  return number;
}

int rw_eingabe(RecordMode mode) {
  Tables& t = db();
  if (mode != kRead) {
    int rc = write_slot(kEingabeFile, kEingabeCodes, Eingabesatz::kSize, 1, t.eingabe.b.data());
    if (rc != 0) {
      t.eingabe = t.eingabe_saved;
      return rc;
    }
  } else {
    Eingabesatz rec;
    int rc = read_slot(kEingabeFile, kEingabeCodes, Eingabesatz::kSize, 1, rec.b.data());
    if (rc != 0) return rc;
    t.eingabe = rec;
  }
  t.eingabe_saved = t.eingabe;
  return 1;
}

int write_last_user(int user_number) {
  Tables& t = db();
  Usersatz rec;
  int rc = read_slot(kUserFile, kRecordCodes, Usersatz::kSize, kLastUserRecord, rec.b.data());
  if (rc != 0) return rc;
  rec.set_nummer(static_cast<std::uint32_t>(user_number));
  rc = write_slot(kUserFile, kRecordCodes, Usersatz::kSize, kLastUserRecord, rec.b.data());
  if (rc != 0) return rc;
  t.users[kLastUserRecord - 1] = rec;
  return kLastUserRecord;
}

int rw_user(RecordMode mode) {
  Tables& t = db();
  Usersatz& buf = mode == kRead ? t.user_read : t.user_current;
  int number = static_cast<int>(buf.nummer());
  if (mode == kWrite && number == kLastUserRecord) return write_last_user(static_cast<int>(t.user_read.nummer()));
  if (number == 0) number = first_free(t.users, 1, 15);
  if (number < 1 || number > kUsers) return -1;
  // The number goes only into the buffer of the mode: the read buffer holds the
  // user logged in, which writing another user's record must not change.
  buf.set_nummer(number);
  if (mode == kRead) {
    Usersatz rec;
    int rc = read_slot(kUserFile, kRecordCodes, Usersatz::kSize, number, rec.b.data());
    if (rc != 0) return rc;
    t.user_read = rec;
    t.users[number - 1] = rec;
    return number;
  }
  Usersatz rec = t.user_current;
  if (mode == kDelete) {
    rec = Usersatz{};
    detail::put_filler(rec.b.data(), 4, 20, detail::filler_start(number, 0));
    detail::put_filler(rec.b.data(), 24, 20, detail::filler_start(number, 1));
    detail::put_filler(rec.b.data(), 76, 12, detail::filler_start(number, 2));
  }
  int rc = write_slot(kUserFile, kRecordCodes, Usersatz::kSize, number, rec.b.data());
  if (rc != 0) return rc;
  t.user_current = rec;
  t.users[number - 1] = rec;
  return number;
}

void clear_user_buffers() {
  db().user_read = Usersatz{};
  db().user_current = Usersatz{};
}

void new_person_defaults() {
  Tables& t = db();
  const Eingabesatz& m = t.eingabe;
  Personensatz p;
  p.set_firmenkennung(m.default_firma());
  p.set_finger_count(m.finger_count());
  p.set_write_on_transponder(m.def_write_on_transponder());
  p.set_distribute_to_reader(m.def_distribute_to_reader());
  p.set_save_in_db(m.def_save_in_db());
  p.set_combined_mode(kNeedFinger);
  t.person_read = p;
  t.person_write = p;
}

void default_leser() {
  Lesersatz r;
  r.set_wait_value(20);
  r.set_ip("192.168.0.1");
  r.set_tcp_port(10001);
  r.set_bus_address(0);
  db().current_reader = r;
  db().edit_reader = r;
}

void default_eingabe_into(Eingabesatz& e) {
  e = Eingabesatz{};
  e.set_name_len(15);
  e.set_vorname_len(15);
  e.set_personalnummer_len(10);
  e.set_ausweis_len(10);
  e.set_default_firma("0123456789");
  e.set_user_pin_len(6);
  e.set_with_fingerprint(0);
  e.set_finger_count(1);
  e.set_min_quality(70);
  e.set_good_quality(99);
  e.set_show_quality(1);
  e.set_def_write_on_transponder(1);
  e.set_def_distribute_to_reader(1);
  e.set_def_save_in_db(1);
  e.set_matching_level(5);
  e.set_template_setting_a(1);
  e.set_template_setting_b(1);
  e.set_module_type(kLegicModule);
  detail::default_rfid_key(e.rfid_key_a());
  std::memcpy(e.rfid_key_b(), e.rfid_key_a(), Eingabesatz::kKeyFieldSize);
  static constexpr std::uint8_t kMain[6] = {40, 86, 52, 18, 2, 6};
  std::memcpy(e.rfid_main(), kMain, sizeof kMain);
  detail::default_rfid_value(e.rfid_main() + 6);
  static constexpr std::uint8_t kModule2[12] = {0, 0, 43, 1, 4, 0, 44, 44, 44, 0, 0, 0};
  std::memcpy(e.rfid_module2(), kModule2, sizeof kModule2);
}

void default_eingabe() { default_eingabe_into(db().eingabe); }

int check_pers_eindeutig() {
  const Tables& t = db();
  const Personensatz& w = t.person_write;
  for (const Personensatz& p : t.persons) {
    if (!p.used() || p.nummer() == w.nummer()) continue;
    if (p.personalnummer() == w.personalnummer()) return 1;
    if (p.ausweisnummer() == w.ausweisnummer()) return 2;
  }
  return 0;
}

int check_leser_eindeutig() {
  const Tables& t = db();
  const Lesersatz& e = t.edit_reader;
  for (const Lesersatz& r : t.readers) {
    if (!r.used() || r.nummer() == e.nummer() || r.name().empty()) continue;
    if (r.name() == e.name()) return 1;
    if (r.verbindung() != e.verbindung()) continue;
    if (r.verbindung() != 0) {
      if (r.ip() == e.ip() && r.tcp_port() == e.tcp_port() && r.bus_address() == e.bus_address())
        return 3;
    } else if (r.com_port() == e.com_port() && r.bus_address() == e.bus_address()) {
      return 2;
    }
  }
  return 0;
}

}  // namespace store
