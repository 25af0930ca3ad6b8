// Installations with data in temporary directories, the simulated enrol station
// presenting a backup transponder, and snapshots of files and tables to prove
// that a failed operation changed nothing.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/link.h"
#include "ops/backup.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/headless/boxes.h"
#include "platform/tcp.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "sim.h"
#include "store/store.h"
#include "support/support.h"

namespace backuptest {

using testsupport::Bytes;

// The card the simulated station presents, and its number as read.
const sim::Bytes kCard = {0x04, 0xA1, 0xB2};
constexpr const char* kCardNumber = "0000000000000004A1B2";

const char* const kDataFiles[] = {"Programm.cfg", "Personen.dat", "Template.dat",
                                  "Leser.dat",    "Eingabe.dat",  "Usepas.dat"};

// Every file of a directory by name, with its bytes.
using Files = std::map<std::string, Bytes>;

inline Files files_of(const std::string& dir) {
  Files out;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    out[e.path().filename().string()] = testsupport::read_file(e.path().string());
  return out;
}

// The tables a backup carries, with the key header and the record key.
struct TablesCopy {
  std::unique_ptr<store::Tables> t{new store::Tables(store::db())};
  std::vector<store::Templatesatz> templates;  // read from Template.dat
  std::vector<std::uint8_t> key0;
};

class Ops : public ::testing::Test {
 protected:
  void SetUp() override {
    res::select_edition(res::Edition::English);
    platform::fault::reset();
    ui::headless::clear_boxes();
    store::reset_store();
    rlink::reset_link();
    ASSERT_EQ(platform::tcp_startup(), 0);
  }
  void TearDown() override {
    if (station) station->stop();
    platform::fault::reset();
    platform::vclock::disable();
    store::reset_store();
    platform::tcp_cleanup();
  }

  // A new installation in `dir` under `password`, with data of `variant`, its
  // enrol station set to the simulator when one runs. Leaves it loaded.
  void install(const std::string& dir, const std::string& password, int variant) {
    store::reset_store();
    platform::set_working_directory(dir);
    store::Tables& t = store::db();
    t.user_current.set_nummer(store::kAdminRecord);
    t.user_current.set_name("Admin");
    t.user_current.set_password(password);
    ASSERT_EQ(1, store::create_konfig(123));
    ASSERT_EQ(1, store::create_db());
    ASSERT_EQ(1, store::load_all());

    t.eingabe.set_finger_count(static_cast<std::uint16_t>(variant));
    t.eingabe.set_default_firma("00AB" + std::to_string(variant));
    ASSERT_EQ(1, store::rw_eingabe(store::kWrite));
    for (int n = 1; n <= 3; ++n) {
      store::new_person_defaults();
      t.person_write.set_name(testsupport::cp("Müller-") + std::to_string(variant * 10 + n));
      t.person_write.set_personalnummer(std::to_string(variant * 100 + n));
      t.person_write.set_reader_mask(static_cast<std::uint32_t>(n));
      ASSERT_EQ(n, store::rw_person(store::kWrite));
      t.template_write = store::Templatesatz{};
      t.template_write.set_nummer(static_cast<std::uint32_t>(n));
      t.template_write.set_length(0, static_cast<std::int16_t>(300 + n));
      t.template_write.set_quality(0, static_cast<std::uint8_t>(80 + variant));
      for (int k = 0; k < 300 + n; ++k) t.template_write.data(0)[k] = static_cast<std::uint8_t>(k * variant + n);
      ASSERT_EQ(n, store::rw_template(store::kWrite));
    }
    store::default_leser();
    t.edit_reader.set_name("Door " + std::to_string(variant));
    ASSERT_EQ(1, store::rw_leser(store::kWrite));
    t.user_current = store::Usersatz{};
    t.user_current.set_name("Operator" + std::to_string(variant));
    t.user_current.set_password("secret" + std::to_string(variant));
    ASSERT_EQ(2, store::rw_user(store::kWrite));
    t.konfig.set_release_info("R" + std::to_string(variant));
    if (station) {
      t.konfig.set_station_connection(1);
      t.konfig.set_ip("127.0.0.1");
      t.konfig.set_tcp_port(static_cast<std::uint16_t>(port));
    }
    ASSERT_EQ(1, store::rw_konfig(store::kWrite));
  }

  // Starts the simulated station presenting kCard.
  void start_station() {
    sim::Options o;
    o.bus = sim::Bus::Station;
    station = std::make_unique<sim::Simulator>(o);
    port = station->listen_tcp();
    ASSERT_GT(port, 0);
    ASSERT_TRUE(station->start());
    station->set_auto_card(kCard);
  }

  // Backs up the loaded installation into `path` for the backup transponder `number`.
  int backup(const std::string& path, const std::string& number = kCardNumber) {
    EXPECT_TRUE(ops::take_start(ops::kBackup, path, number));
    return ops::backup_restore(ops::kBackup, path);
  }

  // Copies the tables, the record key and (read from Template.dat) the
  // templates of the loaded installation.
  static TablesCopy tables(bool with_templates = true) {
    TablesCopy c;
    store::Tables& t = store::db();
    const store::Templatesatz keep = t.template_read;
    for (int n = 1; with_templates && n <= store::kPersons; ++n) {
      t.template_read.set_nummer(static_cast<std::uint32_t>(n));
      EXPECT_EQ(n, store::rw_template(store::kRead));
      c.templates.push_back(t.template_read);
    }
    t.template_read = keep;
    const std::uint8_t* k = store::key_row(store::kSlotRecord);
    c.key0.assign(k, k + store::kKeyBytes);
    return c;
  }

  // Loads the installation in `dir` afresh.
  static void reload(const std::string& dir) {
    store::reset_store();
    platform::set_working_directory(dir);
    ASSERT_EQ(1, store::load_konfig());
    ASSERT_EQ(1, store::load_all());
  }

  std::unique_ptr<sim::Simulator> station;
  int port = 0;
};

template <typename A>
bool same_records(const A& a, const A& b, std::size_t from = 0) {
  for (std::size_t i = from; i < a.size(); ++i)
    if (a[i].b != b[i].b) return false;
  return true;
}

// Record-by-record comparison of what a backup carries; `admin_and_konfig`
// false leaves out the administrator, the Konfigsatz, the key header and key.
inline void expect_same_data(const TablesCopy& want, const TablesCopy& got, bool admin_and_konfig) {
  const store::Tables& w = *want.t;
  const store::Tables& g = *got.t;
  EXPECT_TRUE(same_records(w.persons, g.persons));
  EXPECT_TRUE(same_records(w.readers, g.readers));
  EXPECT_TRUE(same_records(w.users, g.users, 1));
  EXPECT_TRUE(w.eingabe.b == g.eingabe.b);
  EXPECT_TRUE(same_records(want.templates, got.templates));
  if (!admin_and_konfig) return;
  EXPECT_TRUE(w.users[0].b == g.users[0].b);
  EXPECT_TRUE(w.konfig.b == g.konfig.b);
  EXPECT_TRUE(w.key_header == g.key_header);
  EXPECT_EQ(want.key0, got.key0);
}

}  // namespace backuptest
