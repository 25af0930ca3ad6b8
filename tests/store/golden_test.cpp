// The installation kept under tests/data/golden was made once by the program
// (DISABLED_MakeGolden below). Every later version must keep loading it and read
// back the same contents: the built-in key material and filler never change.
#include <cstring>

#include "fixture.h"

namespace {

using storetest::Store;
using testsupport::Bytes;

const char* const kFiles[] = {"Programm.cfg", "Personen.dat", "Template.dat",
                              "Leser.dat",    "Eingabe.dat",  "Usepas.dat"};
constexpr const char* kGoldenPassword = "Golden-Admin-16!";

std::string golden_dir() { return std::string(ENROL_TEST_DATA) + "/golden"; }

// Template data of person n, finger block i: a recognisable pattern.
std::uint8_t pattern(int n, int i, int k) { return static_cast<std::uint8_t>(n * 31 + i * 7 + k); }

class Golden : public Store {
 protected:
  void copy_golden() {
    for (const char* f : kFiles)
      testsupport::write_file(path(f), testsupport::read_file(golden_dir() + "/" + f));
  }
};

TEST_F(Golden, DISABLED_MakeGolden) {
  store::Usersatz& admin = store::db().user_current;
  admin.set_nummer(1);
  admin.set_name("Admin");
  admin.set_password(kGoldenPassword);
  ASSERT_EQ(1, store::create_konfig(123));
  ASSERT_EQ(1, store::create_db());
  ASSERT_EQ(1, store::load_all());
  store::Tables& t = store::db();

  t.eingabe.set_finger_count(2);
  t.eingabe.set_with_fingerprint(1);
  ASSERT_EQ(1, store::rw_eingabe(store::kWrite));

  const char* names[] = {"Ärger", "Berger", "Claßen"};
  for (int n = 1; n <= 3; ++n) {
    store::new_person_defaults();
    store::Personensatz& p = t.person_write;
    p.set_name(testsupport::cp(names[n - 1]));
    p.set_vorname("Vorname" + std::to_string(n));
    p.set_personalnummer("10" + std::to_string(n));
    p.set_ausweisnummer("00000000A" + std::to_string(n));
    p.set_user_pin("12345" + std::to_string(n));
    p.set_reader_mask(n == 2 ? 0x3u : 0x1u);
    p.set_group_mark(1, 1);
    ASSERT_EQ(n, store::rw_person(store::kWrite));

    store::Templatesatz& w = t.template_write;
    w = store::Templatesatz{};
    w.set_nummer(static_cast<std::uint32_t>(n));
    for (int i = 0; i < 2; ++i) {
      int len = 400 + 100 * n + i;
      w.set_length(i, static_cast<std::int16_t>(len));
      w.set_group(i, 1);
      w.set_quality(i, static_cast<std::uint8_t>(80 + n));
      w.set_finger_type(i, static_cast<std::uint8_t>(4 + i));
      for (int k = 0; k < len; ++k) w.data(i)[k] = pattern(n, i, k);
    }
    ASSERT_EQ(n, store::rw_template(store::kWrite));
  }

  const char* readers[] = {"Entrance", "Lab door"};
  for (int r = 0; r < 2; ++r) {
    store::default_leser();
    store::Lesersatz& e = t.edit_reader;
    e.set_name(readers[r]);
    e.set_verbindung(static_cast<std::uint16_t>(r));
    e.set_com_port(2);
    e.set_ip("10.1.1." + std::to_string(10 + r));
    e.set_bus_address(static_cast<std::uint16_t>(r + 1));
    e.set_preselect(1);
    ASSERT_EQ(r + 1, store::rw_leser(store::kWrite));
  }

  store::Usersatz u;
  u.set_name("Operator1");
  u.set_password("oper01");
  u.set_must_change(1);
  t.user_current = u;
  ASSERT_EQ(2, store::rw_user(store::kWrite));
  u = store::Usersatz{};
  u.set_name("Download");
  u.set_password("down01");
  t.user_current = u;
  ASSERT_EQ(3, store::rw_user(store::kWrite));

  t.konfig.set_release_info("R1.02");
  t.konfig.set_station_registered(1);
  t.konfig.set_station_identity("ES-000042");
  ASSERT_EQ(1, store::rw_konfig(store::kWrite));

  for (const char* f : kFiles) testsupport::write_file(golden_dir() + "/" + f, bytes_of(f));
}

TEST_F(Golden, KeepsLoading) {
  copy_golden();
  ASSERT_EQ(1, store::load_konfig());
  ASSERT_EQ(1, store::load_all());
  const store::Tables& t = store::db();

  EXPECT_EQ(3, t.konfig.db_version());
  EXPECT_EQ("R1.02", t.konfig.release_info());
  EXPECT_EQ("ES-000042", t.konfig.station_identity());
  EXPECT_EQ(1, t.konfig.station_registered());
  EXPECT_EQ(0, std::memcmp(t.konfig.admin_password(), kGoldenPassword, 16));
  EXPECT_EQ("EN", t.konfig.installation_number().substr(0, 2));

  EXPECT_EQ(2, t.eingabe.finger_count());
  EXPECT_EQ(1, t.eingabe.with_fingerprint());
  EXPECT_EQ("0123456789", t.eingabe.default_firma());

  int used = 0;
  for (const auto& p : t.persons) used += p.used() ? 1 : 0;
  EXPECT_EQ(3, used);
  EXPECT_EQ(testsupport::cp("Claßen"), t.persons[2].name());
  EXPECT_EQ("102", t.persons[1].personalnummer());
  EXPECT_EQ("00000000A2", t.persons[1].ausweisnummer());
  EXPECT_EQ(0x3u, t.persons[1].reader_mask());
  EXPECT_EQ(2, t.persons[0].finger_count());
  EXPECT_EQ(0x40, t.persons[0].combined_mode());

  EXPECT_EQ("Entrance", t.readers[0].name());
  EXPECT_EQ(1, t.readers[1].verbindung());
  EXPECT_EQ("10.1.1.11", t.readers[1].ip());
  EXPECT_EQ(2, t.readers[1].bus_address());
  EXPECT_FALSE(t.readers[2].used());

  EXPECT_EQ("Admin", t.users[0].name());
  EXPECT_EQ(kGoldenPassword, t.users[0].password());
  EXPECT_EQ("Operator1", t.users[1].name());
  EXPECT_EQ("Download", t.users[2].name());
  EXPECT_FALSE(t.users[3].used());

  for (int n = 1; n <= 3; ++n) {
    store::db().template_read.set_nummer(static_cast<std::uint32_t>(n));
    ASSERT_EQ(n, store::rw_template(store::kRead));
    const store::Templatesatz& r = store::db().template_read;
    for (int i = 0; i < 2; ++i) {
      int len = 400 + 100 * n + i;
      ASSERT_EQ(len, r.length(i));
      EXPECT_EQ(80 + n, r.quality(i));
      EXPECT_TRUE(store::holds_real_template(r, i));
      bool same = true;
      for (int k = 0; k < len; ++k) same = same && r.data(i)[k] == pattern(n, i, k);
      EXPECT_TRUE(same) << n << "/" << i;
    }
    EXPECT_EQ(0, r.length(2));
  }
}

TEST_F(Golden, KeyMaterialAndFillerAreUnchanged) {
  // A new installation under the same password has the same key header, and
  // free slots sealed the same way as the golden ones.
  store::Usersatz& admin = store::db().user_current;
  admin.set_nummer(1);
  admin.set_name("Admin");
  admin.set_password(kGoldenPassword);
  ASSERT_EQ(1, store::create_konfig(0));
  ASSERT_EQ(1, store::create_db());
  Bytes fresh = bytes_of("Programm.cfg");
  Bytes golden = testsupport::read_file(golden_dir() + "/Programm.cfg");
  ASSERT_EQ(golden.size(), fresh.size());
  EXPECT_TRUE(testsupport::same_bytes(Bytes(golden.begin(), golden.begin() + 128),
                                      Bytes(fresh.begin(), fresh.begin() + 128)));
  Bytes fresh_persons = bytes_of("Personen.dat");
  Bytes golden_persons = testsupport::read_file(golden_dir() + "/Personen.dat");
  ASSERT_EQ(golden_persons.size(), fresh_persons.size());
  EXPECT_TRUE(testsupport::same_bytes(Bytes(golden_persons.begin() + 3 * 224, golden_persons.end()),
                                      Bytes(fresh_persons.begin() + 3 * 224, fresh_persons.end())));
  Bytes golden_tpl = testsupport::read_file(golden_dir() + "/Template.dat");
  Bytes fresh_tpl = bytes_of("Template.dat");
  EXPECT_TRUE(std::equal(golden_tpl.begin() + 3 * 10208, golden_tpl.end(), fresh_tpl.begin() + 3 * 10208));
}

}  // namespace
