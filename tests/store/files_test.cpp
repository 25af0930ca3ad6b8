// The record operations on a real installation: slots, free-slot search, result
// codes reached through fault injection, and files left as they were.
#include <cstring>

#include "fixture.h"

namespace {

using platform::fault::Kind;
using platform::fault::Op;
using storetest::Store;
using testsupport::Bytes;

class Files : public Store {
 protected:
  void SetUp() override {
    Store::SetUp();
    install();
  }

  // Writes a person with the given numbers into the write buffer's slot.
  int write_person(int number, const std::string& pnr, const std::string& card) {
    store::new_person_defaults();
    store::Personensatz& w = store::db().person_write;
    w.set_nummer(static_cast<std::uint32_t>(number));
    w.set_name("Name" + pnr);
    w.set_personalnummer(pnr);
    w.set_ausweisnummer(card);
    return store::rw_person(store::kWrite);
  }
};

TEST_F(Files, NewInstallationSizes) {
  EXPECT_EQ(2064u, bytes_of("Programm.cfg").size());
  EXPECT_EQ(500u * 224, bytes_of("Personen.dat").size());
  EXPECT_EQ(500u * 10208, bytes_of("Template.dat").size());
  EXPECT_EQ(32u * 96, bytes_of("Leser.dat").size());
  EXPECT_EQ(400u, bytes_of("Eingabe.dat").size());
  EXPECT_EQ(17u * 96, bytes_of("Usepas.dat").size());
  const store::Tables& t = store::db();
  for (const auto& p : t.persons) EXPECT_FALSE(p.used());
  EXPECT_EQ(1u, t.users[0].nummer());
  EXPECT_EQ("Admin", t.users[0].name());
  EXPECT_EQ(storetest::kAdminPassword, t.users[0].password());
  EXPECT_FALSE(t.users[1].used());
  // Free slots carry filler, not zeros.
  EXPECT_NE(0, t.persons[0].b[4]);
  EXPECT_NE(0, t.readers[3].b[34]);
}

TEST_F(Files, NewInstallationInputMask) {
  const store::Eingabesatz& e = store::db().eingabe;
  EXPECT_EQ(15, e.name_len());
  EXPECT_EQ(10, e.ausweis_len());
  EXPECT_EQ("0123456789", e.default_firma());
  EXPECT_EQ(1, e.finger_count());
  EXPECT_EQ(70, e.min_quality());
  EXPECT_EQ(99, e.good_quality());
  EXPECT_EQ(store::kLegicModule, e.module_type());
  EXPECT_EQ(0, std::memcmp(e.rfid_key_a(), e.rfid_key_b(), 20));
  EXPECT_EQ(40, e.rfid_main()[0]);
  EXPECT_EQ(6, e.rfid_main()[5]);
  EXPECT_EQ(43, e.b[114]);
  EXPECT_EQ(44, e.b[120]);
  EXPECT_TRUE(store::db().eingabe_saved.b == e.b);
}

TEST_F(Files, PersonWriteReadDelete) {
  ASSERT_EQ(1, write_person(0, "1000", "AA01"));
  ASSERT_EQ(2, write_person(0, "1001", "AA02"));
  store::Tables& t = store::db();
  EXPECT_EQ("1001", t.persons[1].personalnummer());
  EXPECT_EQ(0x40, t.persons[1].combined_mode());
  EXPECT_EQ("0123456789", t.persons[1].firmenkennung());

  t.person_read = store::Personensatz{};
  t.person_read.set_nummer(2);
  ASSERT_EQ(2, store::rw_person(store::kRead));
  EXPECT_EQ("Name1001", t.person_read.name());

  t.person_write.set_nummer(2);
  ASSERT_EQ(2, store::rw_person(store::kDelete));
  EXPECT_FALSE(t.persons[1].used());
  t.person_read.set_nummer(2);
  ASSERT_EQ(2, store::rw_person(store::kRead));
  EXPECT_EQ(0u, t.person_read.nummer());
  // The freed slot is the first free one again.
  EXPECT_EQ(2, write_person(0, "1002", "AA03"));
  EXPECT_TRUE(closed("Personen.dat"));
}

TEST_F(Files, FirstFreeSlotIsTheSeventh) {
  for (int n = 1; n <= 8; ++n) ASSERT_EQ(n, write_person(n, std::to_string(n), "C" + std::to_string(n)));
  store::db().person_write.set_nummer(7);
  ASSERT_EQ(7, store::rw_person(store::kDelete));
  Bytes before = bytes_of("Personen.dat");
  ASSERT_EQ(7, write_person(0, "77", "C77"));
  Bytes after = bytes_of("Personen.dat");
  // Only the slot at 6 x 224 = 1344 changed.
  EXPECT_EQ(0, std::memcmp(before.data(), after.data(), 1344));
  EXPECT_NE(0, std::memcmp(before.data() + 1344, after.data() + 1344, 224));
  EXPECT_EQ(0, std::memcmp(before.data() + 1568, after.data() + 1568, before.size() - 1568));
}

TEST_F(Files, FullPersonTableWritesNothing) {
  for (auto& p : store::db().persons) p.set_nummer(1);
  Bytes before = bytes_of("Personen.dat");
  EXPECT_EQ(-1, write_person(0, "1", "1"));
  EXPECT_EQ(before, bytes_of("Personen.dat"));
}

TEST_F(Files, PersonReadFailures) {
  ASSERT_EQ(1, write_person(1, "1000", "AA01"));
  store::Tables& t = store::db();
  const store::Personensatz before = t.person_read;
  struct Case {
    Op op;
    Kind kind;
    int code;
  } cases[] = {{Op::FileOpen, Kind::Fail, -4}, {Op::FileSeek, Kind::Fail, -5},
               {Op::FileRead, Kind::Fail, -10}, {Op::FileRead, Kind::Short, -10}};
  for (const Case& c : cases) {
    platform::fault::reset();
    platform::fault::arm(c.op, 1, c.kind);
    t.person_read = before;
    t.person_read.set_nummer(1);
    EXPECT_EQ(c.code, store::rw_person(store::kRead));
    EXPECT_EQ(1u, t.person_read.nummer());
    EXPECT_EQ(before.name(), t.person_read.name());
    EXPECT_TRUE(closed("Personen.dat"));
  }
}

TEST_F(Files, DamagedSlotFailsWithCheckByte) {
  ASSERT_EQ(3, write_person(3, "1000", "AA01"));
  Bytes data = bytes_of("Personen.dat");
  data[3 * 224 - 1] ^= 0x80;  // last byte of slot 3
  testsupport::write_file(path("Personen.dat"), data);
  store::db().person_read.set_nummer(3);
  EXPECT_EQ(-11, store::rw_person(store::kRead));
}

TEST_F(Files, SlotWithAnotherLengthFailsWithLength) {
  // A slot sealed properly with the record key but holding 210 bytes, not 216.
  Bytes persons = bytes_of("Personen.dat");
  Bytes slot(224, 0);
  ASSERT_EQ(224, store::seal_encrypt(slot.data(), 210, store::kSlotRecord, store::LengthForm::TwoByte));
  std::memcpy(persons.data(), slot.data(), 224);
  testsupport::write_file(path("Personen.dat"), persons);
  store::db().person_read.set_nummer(1);
  EXPECT_EQ(-12, store::rw_person(store::kRead));
}

TEST_F(Files, PersonWriteFailuresLeaveTheSlot) {
  ASSERT_EQ(1, write_person(1, "1000", "AA01"));
  Bytes before = bytes_of("Personen.dat");
  store::Tables& t = store::db();
  struct Case {
    Op op;
    Kind kind;
    int code;
  } cases[] = {{Op::FileOpen, Kind::Fail, -4},
               {Op::FileSeek, Kind::Fail, -5},
               {Op::FileWrite, Kind::Fail, -22},
               {Op::FileWrite, Kind::Short, -22}};
  for (const Case& c : cases) {
    platform::fault::reset();
    platform::fault::arm(c.op, 1, c.kind);
    t.person_write.set_nummer(1);
    t.person_write.set_name("Changed");
    EXPECT_EQ(c.code, store::rw_person(store::kWrite));
    platform::fault::reset();
    EXPECT_EQ(before, bytes_of("Personen.dat"));
    EXPECT_EQ("Name1000", t.persons[0].name());
    EXPECT_TRUE(closed("Personen.dat"));
  }
}

TEST_F(Files, PathFailures) {
  platform::set_working_directory("");
  store::db().person_read.set_nummer(1);
  EXPECT_EQ(-2, store::rw_person(store::kRead));
  EXPECT_EQ(-1, store::rw_eingabe(store::kRead));
  platform::set_working_directory(std::string(520, 'd'));
  EXPECT_EQ(-3, store::rw_person(store::kRead));
  EXPECT_EQ(-2, store::rw_eingabe(store::kRead));
  store::db().template_read.set_nummer(1);
  EXPECT_EQ(-3, store::rw_template(store::kRead));
  platform::File f;
  EXPECT_EQ(-2, store::create_dat_file("X.dat", f));
  platform::set_working_directory("");
  EXPECT_EQ(-1, store::create_dat_file("X.dat", f));
  EXPECT_EQ(-3, store::create_dat_file("", f));
}

TEST_F(Files, PersonUniqueness) {
  ASSERT_EQ(1, write_person(1, "1000", "AA01"));
  ASSERT_EQ(2, write_person(2, "1001", "AA02"));
  store::Personensatz& w = store::db().person_write;
  w.set_nummer(1);
  w.set_personalnummer("1000");
  w.set_ausweisnummer("AA01");
  EXPECT_EQ(0, store::check_pers_eindeutig());  // its own entry
  w.set_personalnummer("1001");
  EXPECT_EQ(1, store::check_pers_eindeutig());
  w.set_personalnummer("1000");
  w.set_ausweisnummer("AA02");
  EXPECT_EQ(2, store::check_pers_eindeutig());
  w.set_nummer(0);
  w.set_personalnummer("aa02");
  w.set_ausweisnummer("aa02");
  EXPECT_EQ(0, store::check_pers_eindeutig());  // case-sensitive
  w.set_personalnummer("1001");
  w.set_ausweisnummer("AA01");
  EXPECT_EQ(2, store::check_pers_eindeutig());  // entry 1 first: its card matches
}

TEST_F(Files, TemplateRecords) {
  store::Tables& t = store::db();
  t.template_read.set_nummer(500);
  ASSERT_EQ(500, store::rw_template(store::kRead));
  EXPECT_EQ(500u, t.template_read.nummer());
  for (int i = 0; i < 10; ++i) EXPECT_EQ(0, t.template_read.length(i));

  store::Templatesatz& w = t.template_write;
  w = store::Templatesatz{};
  w.set_nummer(42);
  w.set_length(0, 300);
  w.set_group(0, 1);
  w.set_quality(0, 88);
  std::memset(w.data(0), 0xA5, 300);
  w.set_length(1, store::kDummyTemplate);
  w.set_quality(1, 255);
  ASSERT_EQ(42, store::rw_template(store::kWrite));
  t.template_read = store::Templatesatz{};
  t.template_read.set_nummer(42);
  ASSERT_EQ(42, store::rw_template(store::kRead));
  EXPECT_EQ(300, t.template_read.length(0));
  EXPECT_EQ(0xA5, t.template_read.data(0)[299]);
  for (int i = 310; i < 1020; ++i) ASSERT_EQ(0, t.template_read.block(0)[i]) << i;
  EXPECT_EQ(255, t.template_read.quality(1));
  EXPECT_FALSE(store::holds_real_template(t.template_read, 1));

  t.template_read.set_nummer(0);
  EXPECT_EQ(-1, store::rw_template(store::kRead));
  t.template_write.set_nummer(501);
  EXPECT_EQ(-1, store::rw_template(store::kWrite));

  platform::fault::arm(Op::FileWrite, 1, Kind::Short);
  Bytes before = bytes_of("Template.dat");
  t.template_write.set_nummer(42);
  t.template_write.set_quality(0, 1);
  EXPECT_EQ(-22, store::rw_template(store::kWrite));
  EXPECT_EQ(before, bytes_of("Template.dat"));
  platform::fault::arm(Op::FileRead, 1);
  t.template_read.set_nummer(42);
  EXPECT_EQ(-10, store::rw_template(store::kRead));
  EXPECT_TRUE(closed("Template.dat"));
}

TEST_F(Files, ReaderRecordsAndDefaults) {
  store::default_leser();
  store::Tables& t = store::db();
  EXPECT_EQ(20, t.edit_reader.wait_value());
  EXPECT_EQ("192.168.0.1", t.edit_reader.ip());
  EXPECT_EQ(10001, t.edit_reader.tcp_port());
  EXPECT_EQ(0, t.edit_reader.baud());
  t.edit_reader.set_name("Door");
  ASSERT_EQ(1, store::rw_leser(store::kWrite));
  EXPECT_EQ(1u, t.current_reader.nummer());
  EXPECT_EQ("Door", t.readers[0].name());
  t.current_reader = store::Lesersatz{};
  t.current_reader.set_nummer(1);
  ASSERT_EQ(1, store::rw_leser(store::kRead));
  EXPECT_EQ("Door", t.current_reader.name());
  for (auto& r : t.readers) r.set_nummer(1);
  t.edit_reader.set_nummer(0);
  EXPECT_EQ(-1, store::rw_leser(store::kWrite));
  t.readers[0].set_nummer(1);
  for (int i = 1; i < 32; ++i) t.readers[i] = store::Lesersatz{};
  t.edit_reader.set_nummer(1);
  ASSERT_EQ(1, store::rw_leser(store::kDelete));
  EXPECT_FALSE(t.readers[0].used());
  EXPECT_EQ("", t.edit_reader.name());
}

TEST_F(Files, ReaderUniqueness) {
  store::Tables& t = store::db();
  auto add = [&](const char* name, int kind, int com, const char* ip, int port, int bus) {
    store::default_leser();
    store::Lesersatz& e = t.edit_reader;
    e.set_name(name);
    e.set_verbindung(static_cast<std::uint16_t>(kind));
    e.set_com_port(static_cast<std::uint16_t>(com));
    e.set_ip(ip);
    e.set_tcp_port(static_cast<std::uint16_t>(port));
    e.set_bus_address(static_cast<std::uint16_t>(bus));
  };
  add("Tcp-A", 1, 0, "10.0.0.5", 10001, 0);
  ASSERT_EQ(1, store::rw_leser(store::kWrite));
  add("Com-A", 0, 2, "", 0, 3);
  ASSERT_EQ(2, store::rw_leser(store::kWrite));

  add("Tcp-B", 1, 0, "10.0.0.5", 10001, 1);
  EXPECT_EQ(0, store::check_leser_eindeutig());
  add("Tcp-B", 1, 0, "10.0.0.5", 10001, 0);
  EXPECT_EQ(3, store::check_leser_eindeutig());
  add("Tcp-A", 0, 9, "", 0, 9);
  EXPECT_EQ(1, store::check_leser_eindeutig());
  add("Com-B", 0, 2, "10.0.0.5", 10001, 3);
  EXPECT_EQ(2, store::check_leser_eindeutig());
  add("Com-B", 0, 2, "", 0, 4);
  EXPECT_EQ(0, store::check_leser_eindeutig());
  // Changing reader 1 without altering its name finds no conflict with itself.
  add("Tcp-A", 1, 0, "10.0.0.5", 10001, 0);
  t.edit_reader.set_nummer(1);
  EXPECT_EQ(0, store::check_leser_eindeutig());
}

TEST_F(Files, InputMaskWriteFailureRestoresRecordInUse) {
  store::Tables& t = store::db();
  t.eingabe.set_finger_count(2);
  ASSERT_EQ(1, store::rw_eingabe(store::kWrite));
  EXPECT_EQ(2, t.eingabe_saved.finger_count());
  Bytes before = bytes_of("Eingabe.dat");
  t.eingabe.set_finger_count(5);
  platform::fault::arm(Op::FileWrite, 1);
  EXPECT_EQ(-22, store::rw_eingabe(store::kWrite));
  EXPECT_EQ(2, t.eingabe.finger_count());
  EXPECT_EQ(before, bytes_of("Eingabe.dat"));
  t.eingabe.set_finger_count(5);
  platform::fault::arm(Op::FileOpen, 1);
  EXPECT_EQ(-3, store::rw_eingabe(store::kWrite));
  EXPECT_EQ(2, t.eingabe.finger_count());
  platform::fault::arm(Op::FileSeek, 1);
  EXPECT_EQ(-4, store::rw_eingabe(store::kRead));
  platform::fault::arm(Op::FileRead, 1, Kind::Short);
  EXPECT_EQ(-10, store::rw_eingabe(store::kRead));
  Bytes damaged = before;
  damaged[100] ^= 1;
  testsupport::write_file(path("Eingabe.dat"), damaged);
  EXPECT_EQ(-11, store::rw_eingabe(store::kRead));
  EXPECT_EQ(2, t.eingabe.finger_count());
  EXPECT_TRUE(closed("Eingabe.dat"));
}

TEST_F(Files, NewPersonDefaultsFromInputMask) {
  store::Tables& t = store::db();
  t.eingabe.set_default_firma("12AB");
  t.eingabe.set_finger_count(3);
  t.eingabe.set_def_write_on_transponder(0);
  t.person_read.set_name("old");
  store::new_person_defaults();
  for (const store::Personensatz* p : {&t.person_read, &t.person_write}) {
    EXPECT_EQ(0u, p->nummer());
    EXPECT_EQ("", p->name());
    EXPECT_EQ("12AB", p->firmenkennung());
    EXPECT_EQ(3, p->finger_count());
    EXPECT_EQ(0, p->write_on_transponder());
    EXPECT_EQ(1, p->distribute_to_reader());
    EXPECT_EQ(0x40, p->combined_mode());
  }
}

TEST_F(Files, UserRecordsAndLastUser) {
  store::Tables& t = store::db();
  store::Usersatz u;
  u.set_name("Operator");
  u.set_password("secret1");
  t.user_current = u;
  ASSERT_EQ(2, store::rw_user(store::kWrite));
  EXPECT_EQ("Operator", t.users[1].name());
  // Record 17 keeps the number of the user logged in.
  t.user_read = t.users[1];
  t.user_current.set_nummer(17);
  ASSERT_EQ(17, store::rw_user(store::kWrite));
  EXPECT_EQ(2u, t.users[16].nummer());
  EXPECT_EQ(2u, t.user_read.nummer());
  t.user_read.set_nummer(17);
  ASSERT_EQ(17, store::rw_user(store::kRead));
  EXPECT_EQ(2u, t.user_read.nummer());
  // Mode 2 frees the slot and leaves filler in it.
  t.user_current.set_nummer(2);
  ASSERT_EQ(2, store::rw_user(store::kDelete));
  EXPECT_FALSE(t.users[1].used());
  EXPECT_NE("Operator", t.users[1].name());
  EXPECT_NE(0, t.users[1].b[76]);
  // No free slot among records 2..16.
  for (int i = 1; i < 16; ++i) t.users[i].set_nummer(static_cast<std::uint32_t>(i + 1));
  t.user_current = u;
  EXPECT_EQ(-1, store::rw_user(store::kWrite));
}

TEST_F(Files, LoadAllCodes) {
  ASSERT_EQ(4, write_person(4, "1000", "AA01"));
  store::reset_store();
  // Keys are gone with the reset: load the configuration first.
  ASSERT_EQ(1, store::load_konfig());
  ASSERT_EQ(1, store::load_all());
  EXPECT_EQ("1000", store::db().persons[3].personalnummer());
  platform::fault::arm(Op::FileRead, 501);
  EXPECT_EQ(store::kLoadReadersFailed, store::load_all());
  platform::fault::reset();
  platform::fault::arm(Op::FileRead, 533);
  EXPECT_EQ(store::kLoadEingabeFailed, store::load_all());
  platform::fault::reset();
  platform::fault::arm(Op::FileRead, 534);
  EXPECT_EQ(store::kLoadUsersFailed, store::load_all());
  platform::fault::reset();
  platform::fault::arm(Op::FileOpen, 1);
  EXPECT_EQ(store::kLoadPersonsFailed, store::load_all());
}

}  // namespace
