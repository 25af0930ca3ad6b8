// The configuration file: key header and Konfigsatz, its conversion from the old
// layout, the creation of a new installation and the loading of all data files.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "store/commit.h"
#include "store/internal.h"
#include "store/store.h"

namespace store {
namespace {

constexpr detail::OpenCodes kKonfigCodes{-1, -1, -1, -2};
constexpr int kKonfigOffset = kKeyHeaderSlot;  // the Konfigsatz follows the header

void show_konfig_error(int code) {
  ui::message_box(ui::kNoWindow, res::format(res::ST_KONFIG_READ_ERROR, code),
                  res::text(res::CAP_FEHLER_MELDUNG), ui::kOk);
}

void assemble_builtin_keys() {
  detail::builtin_key1(key_row(kSlotHeader));
  detail::builtin_key2(key_row(kSlotSecond));
}

// The three check bytes stored behind a key or password field: check bytes
// `first`, first + 1 and first + 2 (mod 4), then 0.
void put_check(std::uint8_t* at, int first) {
  for (int i = 0; i < 3; ++i) at[i] = detail::check_byte((first + i) % 4);
  at[3] = 0;
}

// Takes the 20 header items from their three positions each. 0, or the code of
// the first item whose copies disagree (-10 .. -29).
int take_header_items(const std::uint8_t* header, std::uint8_t items[20]) {
  for (int item = 0; item < 20; ++item) {
    std::uint8_t a = header[detail::header_position(item, 0)];
    if (header[detail::header_position(item, 1)] != a || header[detail::header_position(item, 2)] != a)
      return -10 - item;
    items[item] = a;
  }
  return 0;
}

// Opens Programm.cfg and positions at `offset`.
int open_konfig(bool write, std::int64_t offset, platform::File& f) {
  return detail::open_at(kKonfigFile, kKonfigCodes, write, offset, f);
}

}  // namespace

void install_builtin_keys() {
  assemble_builtin_keys();
  install_key(kSlotHeader);
  install_key(kSlotSecond);
}

int key_header_record_key(const std::uint8_t* header, std::uint8_t key[kKeyBytes]) {
  std::uint8_t items[20];
  int rc = take_header_items(header, items);
  if (rc != 0) return rc;
  for (int j = 0; j < 4; ++j)
    if (items[16 + j] != detail::check_byte(j)) return -26 - j;
  std::memcpy(key, items, kKeyBytes);
  return 0;
}

int load_konfig() {
  platform::File f;
  int rc = open_konfig(true, 0, f);
  if (rc != 0) return rc;
  assemble_builtin_keys();
  install_key(kSlotHeader);
  install_key(kSlotSecond);
  std::uint8_t header[kKeyHeaderSlot];
  bool read_ok = detail::read_all(f, header, sizeof header);
  platform::file_close(f);
  if (!read_ok) return -3;
  int len = kKeyHeaderSlot;
  if (seal_decrypt(header, &len, kSlotHeader, LengthForm::TwoByte) != 0) return -4;
  if (len != kKeyHeaderSize) return -5;

  std::uint8_t items[20];
  rc = take_header_items(header, items);
  if (rc != 0) return rc;
  std::memcpy(db().key_header.data(), header, kKeyHeaderSize);

  std::memcpy(key_row(kSlotSpare), key_row(kSlotRecord), kKeyBytes);
  install_key(kSlotSpare);
  std::memcpy(key_row(kSlotRecord), items, kKeyBytes);
  install_key(kSlotRecord);

  convert_konfig();
  rc = rw_konfig(kRead);
  if (rc != 1) {
    show_konfig_error(rc);
    return -30;
  }
  Konfigsatz& k = db().konfig;
  if (std::memcmp(k.record_key_copy(), key_row(kSlotRecord), kKeyBytes) != 0) return -31;
  if (std::memcmp(k.key2_copy(), key_row(kSlotSecond), kKeyBytes) != 0) return -32;
  std::memcpy(key_row(kSlotDerived), k.key3(), kKeyBytes);
  install_key(kSlotDerived);
  return 1;
}

int rw_konfig(RecordMode mode) {
  Tables& t = db();
  const bool write = mode != kRead;
  platform::File f;
  int rc = open_konfig(write, kKonfigOffset, f);
  if (rc == 0) {
    if (write)
      rc = detail::write_record(f, kKonfigOffset, t.konfig.b.data(), Konfigsatz::kSize, -2);
    else
      rc = detail::read_record(f, Konfigsatz::kSize, t.konfig.b.data());
    platform::file_close(f);
  }
  if (rc != 0) {
    // A failed write never leaves a changed Konfigsatz in memory; a failed read
    // leaves the one in use as it was (read_record copies only a good record).
    if (write) t.konfig = t.konfig_saved;
    return rc;
  }
  t.konfig_saved = t.konfig;
  return 1;
}

void default_konfig(int number) {
  Konfigsatz& k = db().konfig;
  k = Konfigsatz{};
  k.set_com_port(0);
  k.set_baud(4);
  k.set_wait_value(20);
  k.set_ip("192.168.0.1");
  k.set_tcp_port(10001);
  std::uint8_t* inst = k.b.data() + 170;
  inst[0] = 'E';
  inst[1] = 'N';
  if (number != 0) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    std::string digits = res::sformat("%03d", std::rand() % 100 + number);
    std::memcpy(inst + 2, digits.data(), digits.size() < 3 ? digits.size() : 3);
  }
  platform::LocalTime now = platform::local_time();
  std::string date = res::sformat("%02u%02u%04u", static_cast<unsigned>(now.day),
                                  static_cast<unsigned>(now.month), static_cast<unsigned>(now.year));
  std::memcpy(inst + 5, date.data(), date.size() < 8 ? date.size() : 8);
}

int convert_konfig() {
  platform::File f;
  int rc = open_konfig(true, kKonfigOffset, f);
  if (rc != 0) return rc;
  std::uint8_t old[Konfigsatz::kOldSlot];
  if (!detail::read_all(f, old, sizeof old)) {
    platform::file_close(f);
    return -10;
  }
  rc = detail::unseal_record(old, Konfigsatz::kOldSlot, Konfigsatz::kOldSize);
  if (rc != 0) {
    platform::file_close(f);
    return rc;
  }
  if (get_u16(old, 88) > 0) {
    platform::file_close(f);
    return 1;
  }
  struct Move {
    int from, to, width;
  };
  static constexpr Move kMoves[] = {
      {0, 0, 712},       {712, 712, 10},    {722, 724, 12},    {734, 744, 12},
      {762, 780, 2},     {764, 782, 1},     {765, 783, 1},     {766, 784, 512},
      {1278, 1296, 2},   {1280, 1298, 2},   {1282, 1300, 1},   {1283, 1301, 1},
      {1284, 1302, 1},   {1285, 1303, 1},   {1286, 1304, 2},   {1288, 1306, 10},
      {1298, 1318, 12},  {1310, 1338, 12},  {1338, 1374, 2},   {1340, 1376, 1},
      {1341, 1377, 1},   {1342, 1378, 512}, {1854, 1890, 20},  {1874, 1910, 22},
  };
  Konfigsatz k;
  for (const Move& m : kMoves) std::memcpy(k.b.data() + m.to, old + m.from, static_cast<std::size_t>(m.width));
  rc = platform::file_seek(f, kKonfigOffset)
           ? detail::write_record(f, kKonfigOffset, k.b.data(), Konfigsatz::kSize, -2)
           : -2;
  platform::file_close(f);
  if (rc != 0) return rc;
  db().konfig = k;
  db().konfig_saved = k;
  return 1;
}

int create_konfig(int number, Change* change) {
  std::optional<Change> own;
  if (!change) change = &own.emplace();
  switch (change->open(kKonfigFile)) {
    case Change::kDone: break;
    case Change::kSeekFailed: return -3;
    default: return -2;
  }

  Tables& t = db();
  assemble_builtin_keys();
  std::uint8_t* key0 = key_row(kSlotRecord);
  detail::derive_record_key(t.user_current.password(), key0);
  std::uint8_t header[kKeyHeaderSlot] = {};
  detail::header_template(header);
  for (int item = 0; item < 20; ++item) {
    std::uint8_t v = item < 16 ? key0[item] : detail::check_byte(item - 16);
    for (int copy = 0; copy < 3; ++copy) header[detail::header_position(item, copy)] = v;
  }
  install_key(kSlotRecord);
  install_key(kSlotHeader);
  install_key(kSlotSecond);
  std::memcpy(t.key_header.data(), header, kKeyHeaderSize);

  if (seal_encrypt(header, kKeyHeaderSize, kSlotHeader, LengthForm::TwoByte) == 0) return -4;
  if (change->write(header, sizeof header) != Change::kDone) return -5;
  detail::derive_key3(key0, key_row(kSlotDerived));
  install_key(kSlotDerived);
  default_konfig(number);
  Konfigsatz& k = t.konfig;
  std::memcpy(k.key3(), key_row(kSlotDerived), kKeyBytes);
  put_check(k.check_key3(), 0);
  std::string pw = t.user_current.password();
  std::memcpy(k.admin_password(), pw.data(), pw.size() < 16 ? pw.size() : 16);
  put_check(k.check_password(), 1);
  std::memcpy(k.record_key_copy(), key0, kKeyBytes);
  put_check(k.check_record_key(), 2);
  std::memcpy(k.key2_copy(), key_row(kSlotSecond), kKeyBytes);
  put_check(k.check_key2(), 3);
  k.set_db_version(kCurrentDbVersion);
  t.konfig_saved = k;
  std::vector<std::uint8_t> sealed;
  if (detail::seal_record(k.b.data(), Konfigsatz::kSize, Konfigsatz::kSlot, &sealed) != 0) return -6;
  if (change->write(sealed.data(), sealed.size()) != Change::kDone || change->close() != Change::kDone)
    return -7;
  // On its own the new configuration replaces the one in use at once; within
  // a larger change (a whole new installation) it waits for that change.
  if (own && own->commit() != Change::kCommitted) return -1;
  return 1;
}

int put_konfig(Change& change) {
  const Tables& t = db();
  std::uint8_t header[kKeyHeaderSlot] = {};
  std::memcpy(header, t.key_header.data(), kKeyHeaderSize);
  std::vector<std::uint8_t> file(kKeyHeaderSlot);
  std::vector<std::uint8_t> sealed;
  if (seal_encrypt(header, kKeyHeaderSize, kSlotHeader, LengthForm::TwoByte) != kKeyHeaderSlot ||
      detail::seal_record(t.konfig.b.data(), Konfigsatz::kSize, Konfigsatz::kSlot, &sealed) != 0)
    return -1;
  std::memcpy(file.data(), header, sizeof header);
  file.insert(file.end(), sealed.begin(), sealed.end());
  return change.put(kKonfigFile, file.data(), file.size()) == Change::kDone ? 1 : -2;
}

int create_dat_file(const std::string& name, platform::File& out) {
  if (name.empty()) return -3;
  std::string path;
  int rc = detail::build_path(name.c_str(), detail::OpenCodes{-1, -2, 0, 0}, &path);
  if (rc != 0) return rc;
  if (platform::path_exists(path) && !platform::file_delete(path)) return -4;
  if (!platform::file_open(out, path, platform::Access::ReadWrite, platform::Create::OpenAlways))
    return -5;
  if (!platform::file_seek(out, 0)) {
    platform::file_close(out);
    return -6;
  }
  return 1;
}

namespace {

// Seals `count` records made by `make(n, rec)` for n = 1..count and writes
// them as the new contents of `name` in `change`. 1, or base (sealing gave
// nothing), base - 1 (sealed size), base - 2 (write), or the path (-1, -2),
// create (-5) and position (-6) codes of create_dat_file.
template <typename Record, typename Make>
int write_new_file(Change& change, const char* name, int count, int base, Make make) {
  std::vector<std::uint8_t> all;
  all.reserve(static_cast<std::size_t>(count) * Record::kSlot);
  std::vector<std::uint8_t> sealed;
  for (int n = 1; n <= count; ++n) {
    Record rec;
    make(n, rec);
    int s = detail::seal_record(rec.b.data(), Record::kSize, Record::kSlot, &sealed);
    if (s != 0) return s == -20 ? base : base - 1;
    all.insert(all.end(), sealed.begin(), sealed.end());
  }
  switch (change.put(name, all.data(), all.size())) {
    case Change::kDone: return 1;
    case Change::kNoDirectory: return -1;
    case Change::kPathTooLong: return -2;
    case Change::kOpenFailed: return -5;
    case Change::kSeekFailed: return -6;
    default: return base - 2;
  }
}

void free_person(int n, Personensatz& p) {
  static constexpr struct {
    int off, width;
  } kTexts[] = {{4, 22}, {26, 22}, {48, 12}, {60, 12}, {72, 22}, {94, 12},
                {126, 12}, {156, 12}, {168, 12}, {180, 12}, {192, 12}};
  int field = 0;
  for (const auto& t : kTexts) detail::put_filler(p.b.data(), t.off, t.width, detail::filler_start(n, field++));
}

void empty_templates(int n, Templatesatz& t) {
  t.set_nummer(static_cast<std::uint32_t>(n));
  for (int i = 0; i < kFingerBlocks; ++i) {
    detail::put_filler(t.data(i), 20, 17, detail::filler_start(n, i));
    detail::put_filler(t.data(i), 600, 17, detail::filler_start(n, i + 3));
  }
}

void free_reader(int n, Lesersatz& r) {
  detail::put_filler(r.b.data(), 12, 20, detail::filler_start(n, 0));
  detail::put_filler(r.b.data(), 34, 30, detail::filler_start(n, 1));
  detail::put_filler(r.b.data(), 68, 20, detail::filler_start(n, 2));
}

void free_user(int n, Usersatz& u) {
  detail::put_filler(u.b.data(), 4, 20, detail::filler_start(n, 0));
  detail::put_filler(u.b.data(), 24, 20, detail::filler_start(n, 1));
  detail::put_filler(u.b.data(), 76, 12, detail::filler_start(n, 2));
}

}  // namespace

int create_db(Change* change) {
  std::optional<Change> own;
  if (!change) change = &own.emplace();
  // Within a new installation's change this reads the new configuration.
  int rc = load_konfig();
  if (rc != 1) {
    show_konfig_error(rc);
    return -1;
  }
  rc = write_new_file<Personensatz>(*change, kPersonFile, kPersons, -10, free_person);
  if (rc != 1) return rc;
  rc = write_new_file<Templatesatz>(*change, kTemplateFile, kPersons, -20, empty_templates);
  if (rc != 1) return rc;
  rc = write_new_file<Lesersatz>(*change, kReaderFile, kReaders, -30, free_reader);
  if (rc != 1) return rc;
  rc = write_new_file<Eingabesatz>(*change, kEingabeFile, 1, -40,
                                   [](int, Eingabesatz& e) { default_eingabe_into(e); });
  if (rc != 1) return rc;
  const Usersatz admin = db().user_current;
  rc = write_new_file<Usersatz>(*change, kUserFile, kUsers, -50, [&admin](int n, Usersatz& u) {
    if (n == 1)
      u = admin;
    else
      free_user(n, u);
  });
  if (rc != 1) return rc;
  if (create_ledger(change) != 1) return -60;
  if (own && own->commit() != Change::kCommitted) return -4;
  return 1;
}

int load_all() {
  Tables& t = db();
  for (int n = 1; n <= kPersons; ++n) {
    t.person_read.set_nummer(static_cast<std::uint32_t>(n));
    if (rw_person(kRead) < 0) return kLoadPersonsFailed;
  }
  for (int n = 1; n <= kReaders; ++n) {
    t.current_reader.set_nummer(static_cast<std::uint32_t>(n));
    if (rw_leser(kRead) < 0) return kLoadReadersFailed;
  }
  if (rw_eingabe(kRead) < 0) return kLoadEingabeFailed;
  for (int n = 1; n <= kUsers; ++n) {
    t.user_read.set_nummer(static_cast<std::uint32_t>(n));
    if (rw_user(kRead) < 0) return kLoadUsersFailed;
  }
  return kLoadAllOk;
}

}  // namespace store
