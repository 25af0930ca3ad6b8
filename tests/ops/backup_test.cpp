// Backup and restore between real installations in temporary directories, the
// backup transponder read from the simulated station: the round trip with both
// answers to the password question, the time stamp and key, the refusals, and
// every failing step leaving the installation and an earlier backup as they were.
#include <algorithm>

#include "backup_fixture.h"
#include "store/commit.h"
#include "support/crash.h"

namespace {

using namespace backuptest;
using platform::fault::Op;
using ui::headless::boxes;
using ui::headless::script_answer;

struct Recorded {
  std::vector<std::string> status;
  int done = 0, total = -1;
  ops::Hooks hooks() {
    ops::Hooks h;
    h.status = [this](const std::string& s) { status.push_back(s); };
    h.progress = [this](int d, int t) { done = d, total = t; };
    return h;
  }
};

class RoundTrip : public Ops, public ::testing::WithParamInterface<bool> {};

TEST_P(RoundTrip, RestoreIntoAnotherInstallationGivesEveryRecordBack) {
  const bool take_password = GetParam();
  start_station();
  testsupport::TempDir a, b, out;
  const std::string file = out.file("db.bak");
  install(a.path(), "Password-of-A-16", 1);
  Recorded rec;
  ASSERT_TRUE(ops::take_start(ops::kBackup, file, kCardNumber));
  ASSERT_EQ(1, ops::backup_restore(ops::kBackup, file, rec.hooks()));
  EXPECT_EQ(ops::kBackupFileSize, static_cast<std::int64_t>(testsupport::read_file(file).size()));
  EXPECT_EQ(rec.status, std::vector<std::string>{res::text(res::BK_STATUS_BACKUP)});
  EXPECT_EQ(rec.done, rec.total);
  reload(a.path());  // the stamp, the transponder and the path were saved
  EXPECT_EQ(kCardNumber, store::db().konfig.backup_transponder());
  EXPECT_EQ(file, store::db().konfig.backup_path());
  const TablesCopy from_a = tables();

  install(b.path(), "Password-of-B-16", 2);
  const TablesCopy before_b = tables();
  ui::headless::clear_boxes();
  script_answer(ui::kIdYes);  // restore?
  script_answer(ui::kIdOk);   // hold the transponder
  script_answer(take_password ? ui::kIdYes : ui::kIdNo);
  rec = Recorded{};
  ASSERT_EQ(1, ops::backup_restore(ops::kRestore, file, rec.hooks()));
  EXPECT_EQ(rec.status, (std::vector<std::string>{res::text(res::BK_STATUS_WAIT_TRANSPONDER),
                                                  res::text(res::BK_STATUS_RESTORE)}));
  EXPECT_EQ(rec.done, rec.total);
  ASSERT_EQ(3u, boxes().size());
  EXPECT_EQ(boxes()[0].text, res::format(res::RS_ASK_RESTORE,
                                         ops::stamp_display(from_a.t->konfig.backup_stamp()).c_str()));
  EXPECT_EQ(boxes()[1].text, res::text(res::BK_HOLD_TRANSPONDER));
  EXPECT_EQ(boxes()[2].text, res::text(res::RS_ASK_PASSWORD));

  const TablesCopy in_memory = tables();
  reload(b.path());
  const TablesCopy loaded = tables();
  expect_same_data(loaded, in_memory, true);
  expect_same_data(from_a, loaded, take_password);
  if (!take_password) {
    EXPECT_TRUE(before_b.t->users[0].b == loaded.t->users[0].b);
    EXPECT_EQ("Password-of-B-16", loaded.t->users[0].password());
    EXPECT_TRUE(before_b.t->konfig.b == loaded.t->konfig.b);
    EXPECT_EQ(before_b.key0, loaded.key0);
  }
  for (const auto& left : files_of(b.path()))  // nothing written beside is left
    EXPECT_TRUE(left.first.find(".new") == std::string::npos &&
                left.first.find(".old") == std::string::npos)
        << left.first;
}

INSTANTIATE_TEST_SUITE_P(PasswordQuestion, RoundTrip, ::testing::Bool());

TEST_F(Ops, BackupsOfOneSecondAreAlikeAndTheRestoreQuestionShowsTheirTime) {
  testsupport::TempDir a, out;
  install(a.path(), "Password-of-A-16", 1);
  platform::LocalTime at;
  at.year = 2010, at.month = 2, at.day = 3, at.hour = 9, at.minute = 5, at.second = 7;
  platform::vclock::enable(at);
  ASSERT_EQ(1, backup(out.file("one.bak")));
  const std::vector<std::uint8_t> key(store::key_row(store::kSlotBackup),
                                      store::key_row(store::kSlotBackup) + store::kKeyBytes);
  ASSERT_EQ(1, backup(out.file("two.bak")));
  EXPECT_EQ("2010020307050909", store::db().konfig.backup_stamp());
  EXPECT_TRUE(std::equal(key.begin(), key.end(), store::key_row(store::kSlotBackup)));
  const Bytes one = testsupport::read_file(out.file("one.bak"));
  const Bytes two = testsupport::read_file(out.file("two.bak"));
  // Record 1 holds the path; everything behind it is sealed alike.
  EXPECT_TRUE(std::equal(one.begin() + 1936, one.end(), two.begin() + 1936));
  platform::vclock::advance(1000);
  ASSERT_EQ(1, backup(out.file("three.bak")));
  const Bytes three = testsupport::read_file(out.file("three.bak"));
  EXPECT_FALSE(std::equal(one.begin() + 1936, one.begin() + 2064, three.begin() + 1936));

  ui::headless::clear_boxes();
  EXPECT_EQ(0, ops::backup_restore(ops::kRestore, out.file("one.bak")));  // No to the question
  ASSERT_EQ(1u, boxes().size());
  EXPECT_NE(boxes()[0].text.find("vom 03.02.2010-09:05:07 wirklich"), std::string::npos);
  EXPECT_EQ("03.02.2010-09:05:07", ops::stamp_display("2010020307050909"));
  EXPECT_EQ("??.??.2010-??:??:??", ops::stamp_display("2010"));
}

TEST_F(Ops, RestoreWithAnotherTransponderChangesNothing) {
  start_station();
  testsupport::TempDir a, b, out;
  install(a.path(), "Password-of-A-16", 1);
  ASSERT_EQ(1, backup(out.file("db.bak"), "0000000000000004A1B3"));
  install(b.path(), "Password-of-B-16", 2);
  const Files files = files_of(b.path());
  const TablesCopy memory = tables();
  ui::headless::clear_boxes();
  script_answer(ui::kIdYes);
  script_answer(ui::kIdOk);
  EXPECT_EQ(0, ops::backup_restore(ops::kRestore, out.file("db.bak")));
  ASSERT_FALSE(boxes().empty());
  EXPECT_EQ(boxes().back().text, res::text(res::RS_WRONG_TRANSPONDER));
  EXPECT_EQ(boxes().back().caption, res::text(res::CAP_INFO));
  EXPECT_TRUE(files_of(b.path()) == files);
  expect_same_data(memory, tables(), true);
}

// Restores and backups that fail: each case names the call that fails and
// the code expected; afterwards the installation is byte for byte as before,
// the tables in memory too, and it loads with its previous data.
struct Fault {
  Op op;
  int nth;
  int code;
  platform::fault::Kind kind = platform::fault::Kind::Fail;
};

class Failing : public Ops {
 protected:
  void SetUp() override {
    Ops::SetUp();
    install(a.path(), "Password-of-A-16", 1);
    ASSERT_EQ(1, backup(file));
    earlier = testsupport::read_file(file);
    install(b.path(), "Password-of-B-16", 2);
    files = files_of(b.path());
    memory = std::make_unique<TablesCopy>(tables(false));
  }
  // A restore with Yes to both questions and the right transponder.
  int restore(const std::string& path) {
    ui::headless::clear_boxes();
    script_answer(ui::kIdYes);
    script_answer(ui::kIdYes);
    ops::Hooks h;
    h.read_transponder = [](std::string* n) {
      *n = kCardNumber;
      return 1;
    };
    return ops::backup_restore(ops::kRestore, path, h);
  }
  // The files byte for byte (so the templates too), the tables in memory, and
  // the tables loaded afresh.
  void expect_unchanged(const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_TRUE(files_of(b.path()) == files);
    const TablesCopy now = tables(false);
    expect_same_data(*memory, now, true);
    reload(b.path());
    expect_same_data(*memory, tables(false), true);
  }

  testsupport::TempDir a, b, out;
  const std::string file = out.file("db.bak");
  Bytes earlier;
  Files files;
  std::unique_ptr<TablesCopy> memory;
};

TEST_F(Failing, TruncatedBackupFailsWithTheFirstGroupCutOffAndChangesNothing) {
  const struct {
    std::size_t length;
    int code;
  } kCuts[] = {{0, -10},          {1935, -10},       {1936 + 127, -20},   {2064 + 96 * 16 + 95, -30},
               {3696 + 399, -40}, {4096 + 3071, -50}, {7168 + 10207, -63}, {5111168 + 224 * 499, -70},
               {5223167, -70}};
  const std::string cut = out.file("cut.bak");
  for (const auto& c : kCuts) {
    testsupport::write_file(cut, Bytes(earlier.begin(), earlier.begin() + static_cast<long>(c.length)));
    EXPECT_EQ(c.code, restore(cut)) << c.length;
    expect_unchanged("cut at " + std::to_string(c.length));
  }
  EXPECT_EQ(1, restore(file));  // the whole file restores
}

TEST_F(Failing, RestoreStepsThatFailLeaveTheInstallationAsItWas) {
  using platform::fault::Kind;
  // Calls in order: open, position and 1052 reads of the backup; then per data
  // file (Programm.cfg, Personen, Template, Leser, Eingabe, Usepas) the open and
  // position of its new file, its writes (2, then 1 each) and its flush; then
  // the intent file (flushed) and the directory.
  const Fault kFaults[] = {
      {Op::FileOpen, 1, -1},    {Op::FileSeek, 1, -3},     {Op::FileRead, 1, -10, Kind::Short},
      {Op::FileRead, 2, -20},   {Op::FileRead, 19, -30},   {Op::FileRead, 20, -40},
      {Op::FileRead, 52, -50},  {Op::FileRead, 53, -63},   {Op::FileRead, 1052, -70},
      {Op::FileOpen, 2, -80},   {Op::FileSeek, 2, -81},    {Op::FileWrite, 1, -83},
      {Op::FileWrite, 2, -85},  {Op::FileFlush, 1, -85},   {Op::FileOpen, 3, -92},
      {Op::FileSeek, 3, -93},   {Op::FileWrite, 3, -96},   {Op::FileOpen, 4, -102},
      {Op::FileSeek, 4, -103},  {Op::FileWrite, 4, -106, Kind::Short},
      {Op::FileOpen, 5, -112},  {Op::FileSeek, 5, -113},   {Op::FileWrite, 5, -116},
      {Op::FileOpen, 6, -122},  {Op::FileSeek, 6, -123},   {Op::FileWrite, 6, -126},
      {Op::FileOpen, 7, -132},  {Op::FileSeek, 7, -133},   {Op::FileWrite, 7, -136},
      {Op::FileFlush, 6, -136}, {Op::FileOpen, 8, -152},   {Op::FileSeek, 8, -153},
      {Op::FileWrite, 9, -156}, {Op::FileFlush, 7, -156},  {Op::FileOpen, 9, ops::kRestoreSwapFailed},
      {Op::FileFlush, 8, ops::kRestoreSwapFailed}, {Op::FileFlush, 9, ops::kRestoreSwapFailed}};
  for (const Fault& f : kFaults) {
    platform::fault::reset();
    platform::fault::arm(f.op, f.nth, f.kind);
    EXPECT_EQ(f.code, restore(file)) << static_cast<int>(f.op) << " #" << f.nth;
    platform::fault::reset();
    expect_unchanged("fault " + std::to_string(static_cast<int>(f.op)) + " #" + std::to_string(f.nth));
  }
  // The intent file takes its name, then putting the six new files into place
  // takes two renames each (the file in use aside, the new one in): whichever
  // fails, everything goes back.
  for (int nth : {1, 2, 7, 12}) {
    platform::fault::reset();
    platform::fault::arm(Op::FileRename, nth);
    EXPECT_EQ(ops::kRestoreSwapFailed, restore(file)) << "rename #" << nth;
    platform::fault::reset();
    expect_unchanged("rename #" + std::to_string(nth));
  }
}

#ifndef _WIN32
// A restore cut off at every call that changes a file: the next start finds
// the installation entirely as it was or as the restore makes it, and loads it.
TEST_F(Failing, RestoreCutOffAtEveryCallLeavesTheOldOrTheNewInstallation) {
  // The restore dates the erase marks it writes: one minute for every run.
  platform::LocalTime at;
  at.year = 2026, at.month = 12, at.day = 9, at.hour = 2;
  platform::vclock::enable(at);
  const testsupport::Files before = testsupport::files_in(b.path());
  ASSERT_EQ(1, restore(file));
  const testsupport::Files restored = testsupport::files_in(b.path());
  int n = 1;
  for (;; ++n) {
    testsupport::put_files(b.path(), before);
    reload(b.path());
    bool crashed = testsupport::crashes_at(n, [this] { restore(file); });
    ASSERT_GE(store::recover_change(), 0) << n;
    const testsupport::Files now = testsupport::files_in(b.path());
    EXPECT_TRUE(now == before || now == restored) << n;
    reload(b.path());
    if (!crashed) break;
  }
  EXPECT_GE(n, 40);  // six files written and flushed, the intent file, twelve renames, removals
}
#endif

TEST_F(Failing, BackupStepsThatFailKeepTheEarlierBackup) {
  reload(a.path());
  const Files installation = files_of(a.path());
  const TablesCopy before = tables(false);
  using platform::fault::Kind;
  // Calls in order: open and position of the new file, writes of groups 1 to 5
  // (1 + 1 + 17 + 1 + 32), Template.dat (open, position, 500 reads, close),
  // the writes of groups 6 and 7, the close, the reading back (open, position,
  // 1052 reads), the rename into place, and the configuration.
  const Fault kFaults[] = {
      {Op::FileOpen, 1, -2},    {Op::FileSeek, 1, -3},     {Op::FileWrite, 1, -12, Kind::Short},
      {Op::FileWrite, 2, -22},  {Op::FileWrite, 19, -32},  {Op::FileWrite, 20, -42},
      {Op::FileWrite, 52, -52}, {Op::FileOpen, 2, -62},    {Op::FileRead, 500, -62},
      {Op::FileWrite, 53, -65}, {Op::FileWrite, 1052, -72}, {Op::FileClose, 2, -72},
      {Op::FileOpen, 3, -90},   {Op::FileRead, 1552, -90, Kind::Short},
      {Op::FileRename, 1, -1},  {Op::FileOpen, 4, -80}};
  for (const Fault& f : kFaults) {
    SCOPED_TRACE(std::to_string(static_cast<int>(f.op)) + " #" + std::to_string(f.nth));
    ui::headless::clear_boxes();
    script_answer(ui::kIdYes);  // overwrite the earlier backup
    platform::fault::reset();
    platform::fault::arm(f.op, f.nth, f.kind);
    EXPECT_EQ(f.code, ops::backup_restore(ops::kBackup, file));
    platform::fault::reset();
    Files now = files_of(out.path());
    EXPECT_EQ(1u, now.size());  // nothing beside it is left
    if (f.code == -80) {
      // The backup itself was complete and replaced the earlier one.
      EXPECT_EQ(1, ops::check_backup_file(file));
      testsupport::write_file(file, earlier);
    } else {
      EXPECT_TRUE(now["db.bak"] == earlier);
    }
    EXPECT_TRUE(files_of(a.path()) == installation);
    expect_same_data(before, tables(false), true);
  }
  // Declining to overwrite keeps the earlier backup as well.
  ui::headless::clear_boxes();
  EXPECT_EQ(0, ops::backup_restore(ops::kBackup, file));
  EXPECT_TRUE(testsupport::read_file(file) == earlier);
}

TEST_F(Ops, DialogRulesAndResultTexts) {
  testsupport::TempDir a;
  install(a.path(), "Password-of-A-16", 1);
  store::Konfigsatz& k = store::db().konfig;
  EXPECT_EQ("*.*", ops::search_start_name(""));
  EXPECT_EQ("typed", ops::search_start_name("typed"));

  ui::headless::clear_boxes();
  EXPECT_FALSE(ops::take_start(ops::kBackup, "", "123"));
  EXPECT_FALSE(ops::take_start(ops::kRestore, "", ""));
  EXPECT_FALSE(ops::take_start(ops::kBackup, "C:\\save\\db.bak", ""));
  ASSERT_EQ(3u, boxes().size());
  EXPECT_EQ(boxes()[0].text, "\nBackupdateiname fehlt !\n\n");
  EXPECT_EQ(boxes()[1].text, "\nRestoredateiname fehlt !\n\n");
  EXPECT_EQ(boxes()[2].text, "\nBackup-Transpondernummer fehlt !\n\n");
  EXPECT_EQ(boxes()[2].caption, "Fehler Meldung");
  EXPECT_EQ("C:\\save\\db.bak", k.backup_path());  // taken before the transponder check
  EXPECT_EQ("C:\\save\\db.bak", ops::search_start_name("typed"));
  // A name without a letter is used, but not remembered.
  EXPECT_TRUE(ops::take_start(ops::kBackup, "2024.01", "777"));
  EXPECT_EQ("C:\\save\\db.bak", k.backup_path());
  EXPECT_EQ("777", k.backup_transponder());

  ops::ResultBox r = ops::result_box(ops::kBackup, -62);
  EXPECT_EQ(r.text,
            "\nBei der Sicherung der Datenbank ist ein Fehler aufgetreten !\n"
            "Der Fehlercode Nummer -62 wurde geliefert !\n\n");
  EXPECT_EQ(r.caption, "Backup Fehler Meldung");
  EXPECT_FALSE(ops::result_box(ops::kRestore, 0).show);
}

}  // namespace
