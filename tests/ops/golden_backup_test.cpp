// The backup kept under tests/data/golden-backup was made once by the program
// from the golden installation (DISABLED_MakeGoldenBackup below). Every later
// version must keep restoring it: the stamp offsets of the backup key and the
// file layout never change.
#include "backup_fixture.h"

namespace {

using namespace backuptest;

const char* const kGoldenPassword = "Golden-Admin-16!";
constexpr const char* kStamp = "2010020307050909";

std::string golden_installation() { return std::string(ENROL_TEST_DATA) + "/golden"; }
std::string golden_backup() { return std::string(ENROL_TEST_DATA) + "/golden-backup/backup.bin"; }

class GoldenBackup : public Ops {
 protected:
  // The golden installation, copied into `dir` and loaded.
  void load_golden(const testsupport::TempDir& dir) {
    for (const char* f : kDataFiles)
      testsupport::write_file(dir.file(f), testsupport::read_file(golden_installation() + "/" + f));
    reload(dir.path());
  }
};

TEST_F(GoldenBackup, DISABLED_MakeGoldenBackup) {
  testsupport::TempDir dir;
  load_golden(dir);
  platform::LocalTime at;
  at.year = 2010, at.month = 2, at.day = 3, at.hour = 9, at.minute = 5, at.second = 7;
  platform::vclock::enable(at);
  ASSERT_TRUE(ops::take_start(ops::kBackup, "C:\\Sicherung\\golden.bak", kCardNumber));
  ASSERT_EQ(1, ops::backup_restore(ops::kBackup, dir.file("golden.bak")));
  testsupport::write_file(golden_backup(), testsupport::read_file(dir.file("golden.bak")));
}

TEST_F(GoldenBackup, KeepsRestoring) {
  std::string stamp;
  ASSERT_EQ(1, ops::check_backup_file(golden_backup(), &stamp));
  EXPECT_EQ(kStamp, stamp);

  testsupport::TempDir golden, target;
  load_golden(golden);
  const TablesCopy want = tables();
  start_station();
  install(target.path(), "Another-Admin-16", 2);
  ui::headless::clear_boxes();
  ui::headless::script_answer(ui::kIdYes);
  ui::headless::script_answer(ui::kIdOk);
  ui::headless::script_answer(ui::kIdYes);  // the backup's password
  ASSERT_EQ(1, ops::backup_restore(ops::kRestore, golden_backup()));
  EXPECT_NE(ui::headless::boxes()[0].text.find("03.02.2010-09:05:07"), std::string::npos);

  reload(target.path());
  const TablesCopy got = tables();
  expect_same_data(want, got, false);
  EXPECT_TRUE(want.t->users[0].b == got.t->users[0].b);
  EXPECT_EQ(kGoldenPassword, got.t->users[0].password());
  EXPECT_EQ(want.key0, got.key0);
  EXPECT_TRUE(want.t->key_header == got.t->key_header);
  const store::Konfigsatz& k = got.t->konfig;
  EXPECT_EQ(kStamp, k.backup_stamp());
  EXPECT_EQ(kCardNumber, k.backup_transponder());
  EXPECT_EQ("C:\\Sicherung\\golden.bak", k.backup_path());
  EXPECT_EQ("R1.02", k.release_info());
  EXPECT_EQ("ES-000042", k.station_identity());
  EXPECT_EQ(want.t->konfig.installation_number(), k.installation_number());
}

}  // namespace
