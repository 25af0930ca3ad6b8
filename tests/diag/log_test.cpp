// Log.txt: stamp and line format, appending, rotation at the size limit, the
// debug switch, and every failure code through the platform fault seam.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/files.h"
#include "platform/workdir.h"
#include "diag/log.h"
#include "support/support.h"

namespace {

using platform::fault::Kind;
using platform::fault::Op;
using testsupport::Bytes;
using testsupport::bytes_of;
using testsupport::read_file;
using testsupport::same_bytes;
using testsupport::write_file;

const char kStamp[] = "07.12.2026 | 09:05:03-007 : ";

platform::LocalTime december_7th() {
  platform::LocalTime t;
  t.year = 2026;
  t.month = 12;
  t.day = 7;
  t.hour = 9;
  t.minute = 5;
  t.second = 3;
  t.millisecond = 7;
  return t;
}

class Log : public ::testing::Test {
 protected:
  void SetUp() override {
    diag::reset_diag();
    platform::fault::reset();
    platform::vclock::enable(december_7th());
    platform::set_working_directory(dir.path());
    log = dir.file("Log.txt");
  }
  void TearDown() override {
    platform::fault::reset();
    platform::vclock::disable();
    platform::set_working_directory("");
  }
  std::string line(const std::string& message) const { return kStamp + message + "\r\n"; }
  // The log is closed again: this process can open it exclusively.
  bool log_is_closed() const {
    platform::File f;
    return platform::file_open(f, log, platform::Access::ReadWrite,
                               platform::Create::OpenExisting);
  }

  testsupport::TempDir dir;
  std::string log;
};

TEST_F(Log, LineIsStampMessageAndCrLf) {
  ASSERT_EQ(diag::log_write("TView     - Start", 0), 1);
  EXPECT_TRUE(same_bytes(bytes_of(line("TView     - Start")), read_file(log)));
  EXPECT_TRUE(log_is_closed());
}

TEST_F(Log, LinesAreAppendedAndTheGivenLengthIsTaken) {
  ASSERT_EQ(diag::log_write("first", 0), 1);
  platform::vclock::advance(1000 * 60 * 60 + 993);  // 10:05:04.000
  ASSERT_EQ(diag::log_write("second line, only part of it", 6), 1);
  // An explicit length carries zero bytes and Windows-1252 bytes as they are.
  const char raw[] = {'a', '\0', '\xE4', 'b'};
  ASSERT_EQ(diag::log_write(raw, sizeof raw), 1);
  std::string expected = line("first") + "07.12.2026 | 10:05:04-000 : second\r\n" +
                         "07.12.2026 | 10:05:04-000 : " + std::string(raw, sizeof raw) + "\r\n";
  EXPECT_TRUE(same_bytes(bytes_of(expected), read_file(log)));
}

TEST_F(Log, ExistingTextIsKept) {
  write_file(log, bytes_of("old text without line end"));
  ASSERT_EQ(diag::log_write("new", 0), 1);
  EXPECT_TRUE(same_bytes(bytes_of("old text without line end" + line("new")), read_file(log)));
}

TEST_F(Log, RotatesOnlyOnceTheLimitIsReached) {
  // One byte below the limit: the line is still appended.
  Bytes almost(static_cast<std::size_t>(diag::kLogLimit - 1), 'x');
  write_file(log, almost);
  ASSERT_EQ(diag::log_write("last of the old log", 0), 1);
  Bytes full = almost;
  for (char c : line("last of the old log")) full.push_back(static_cast<std::uint8_t>(c));
  EXPECT_EQ(read_file(log).size(), full.size());
  EXPECT_FALSE(platform::path_exists(dir.file("Log.txt_07122026")));

  // Now past the limit: the whole log moves to the dated name, a new one starts.
  ASSERT_EQ(diag::log_write("first of the new log", 0), 1);
  EXPECT_TRUE(same_bytes(full, read_file(dir.file("Log.txt_07122026"))));
  EXPECT_TRUE(same_bytes(bytes_of(line("first of the new log")), read_file(log)));
  EXPECT_TRUE(log_is_closed());
}

TEST_F(Log, ExactlyAtTheLimitRotates) {
  write_file(log, Bytes(static_cast<std::size_t>(diag::kLogLimit), 'y'));
  ASSERT_EQ(diag::log_write("new", 0), 1);
  EXPECT_EQ(read_file(dir.file("Log.txt_07122026")).size(),
            static_cast<std::size_t>(diag::kLogLimit));
  EXPECT_TRUE(same_bytes(bytes_of(line("new")), read_file(log)));
}

TEST_F(Log, SecondRotationOnTheSameDayLosesTheEntryAndKeepsBothFiles) {
  Bytes full(static_cast<std::size_t>(diag::kLogLimit), 'z');
  write_file(log, full);
  write_file(dir.file("Log.txt_07122026"), bytes_of("rotated this morning"));
  EXPECT_EQ(diag::log_write("lost", 0), diag::kLogRename);
  EXPECT_TRUE(same_bytes(full, read_file(log)));
  EXPECT_TRUE(same_bytes(bytes_of("rotated this morning"), read_file(dir.file("Log.txt_07122026"))));
  EXPECT_TRUE(log_is_closed());
}

TEST_F(Log, PathFailures) {
  platform::set_working_directory("");
  EXPECT_EQ(diag::log_write("x", 0), diag::kLogNoDirectory);
  platform::set_working_directory(std::string(506, 'd'));
  EXPECT_EQ(diag::log_write("x", 0), diag::kLogPathTooLong);
  platform::set_working_directory(dir.path() + std::string(1, '\0') + "x");
  EXPECT_EQ(diag::log_write("x", 0), diag::kLogPathHasZero);
}

TEST_F(Log, DatedNameTooLong) {
#ifdef _WIN32
  GTEST_SKIP() << "paths of 500 characters need the long-path prefix on Windows";
#endif
  // A working directory so long that "Log.txt" fits the path limit and the
  // dated name does not.
  std::string deep = dir.path();
  while (deep.size() < 400) {
    deep += "/" + std::string(100, 'n');
    ASSERT_TRUE(std::filesystem::create_directory(deep));
  }
  std::string last = deep + "/" + std::string(504 - deep.size() - 1, 'm');
  ASSERT_EQ(last.size(), 504u);  // Log path 512 characters, dated name 521
  ASSERT_TRUE(std::filesystem::create_directory(last));
  platform::set_working_directory(last);
  std::string long_log = last + "/Log.txt";
  Bytes full(static_cast<std::size_t>(diag::kLogLimit), 'w');
  write_file(long_log, full);
  EXPECT_EQ(diag::log_write("x", 0), diag::kLogDatedTooLong);
  EXPECT_TRUE(same_bytes(full, read_file(long_log)));
}

TEST_F(Log, DateWithoutEightDigits) {
  Bytes full(static_cast<std::size_t>(diag::kLogLimit), 'w');
  platform::LocalTime far = december_7th();
  far.year = 10000;
  platform::vclock::enable(far);
  write_file(log, full);
  EXPECT_EQ(diag::log_write("x", 0), diag::kLogDatedDate);
  EXPECT_EQ(read_file(log).size(), full.size());
}

struct Injected {
  Op op;
  int nth;
  Kind kind;
  int expected;
};

TEST_F(Log, EveryStepFailureHasItsCodeAndClosesTheLog) {
  const Injected existing[] = {
      {Op::FileSeek, 1, Kind::Fail, diag::kLogSeekEnd},
      {Op::FileWrite, 1, Kind::Fail, diag::kLogWriteStamp},
      {Op::FileWrite, 1, Kind::Short, diag::kLogWriteStamp},
      {Op::FileWrite, 2, Kind::Fail, diag::kLogWriteMessage},
      {Op::FileWrite, 2, Kind::Short, diag::kLogWriteMessage},
      {Op::FileWrite, 3, Kind::Fail, diag::kLogWriteLineEnd},
      {Op::FileWrite, 3, Kind::Short, diag::kLogWriteLineEnd},
  };
  for (const Injected& c : existing) {
    write_file(log, bytes_of("kept\r\n"));
    platform::fault::reset();
    platform::fault::arm(c.op, c.nth, c.kind);
    EXPECT_EQ(diag::log_write("msg", 0), c.expected);
    EXPECT_TRUE(log_is_closed()) << c.expected;
    Bytes now = read_file(log);
    ASSERT_GE(now.size(), 6u);
    EXPECT_TRUE(same_bytes(bytes_of("kept\r\n"), Bytes(now.begin(), now.begin() + 6)));
  }
}

TEST_F(Log, NewLogFailures) {
  platform::fault::arm(Op::FileOpen, 1);
  platform::fault::arm(Op::FileOpen, 2);
  EXPECT_EQ(diag::log_write("x", 0), diag::kLogCreate);
  EXPECT_FALSE(platform::path_exists(log));

  platform::fault::reset();
  platform::fault::arm(Op::FileSeek, 1);
  EXPECT_EQ(diag::log_write("x", 0), diag::kLogSeekNew);
  EXPECT_TRUE(log_is_closed());

  // Only the first open fails: the log is created and the line written.
  platform::fault::reset();
  ASSERT_TRUE(platform::file_delete(log));
  platform::fault::arm(Op::FileOpen, 1);
  EXPECT_EQ(diag::log_write("x", 0), 1);
  EXPECT_TRUE(same_bytes(bytes_of(line("x")), read_file(log)));
}

TEST_F(Log, LogHeldOpenElsewhereCannotBeWritten) {
  write_file(log, bytes_of("held\r\n"));
  platform::File other;
  ASSERT_TRUE(platform::file_open(other, log, platform::Access::ReadWrite,
                                  platform::Create::OpenExisting));
  EXPECT_EQ(diag::log_write("x", 0), diag::kLogCreate);
  platform::file_close(other);
  EXPECT_TRUE(same_bytes(bytes_of("held\r\n"), read_file(log)));
}

TEST_F(Log, RotationFailures) {
  Bytes full(static_cast<std::size_t>(diag::kLogLimit), 'v');
  const Injected cases[] = {
      {Op::FileRename, 1, Kind::Fail, diag::kLogRename},
      {Op::FileOpen, 2, Kind::Fail, diag::kLogRecreate},
      {Op::FileSeek, 2, Kind::Fail, diag::kLogSeekNew},
  };
  for (const Injected& c : cases) {
    write_file(log, full);
    platform::file_delete(dir.file("Log.txt_07122026"));
    platform::fault::reset();
    platform::fault::arm(c.op, c.nth, c.kind);
    EXPECT_EQ(diag::log_write("x", 0), c.expected);
    // Whatever failed, the old lines are in one of the two files.
    std::string kept = platform::path_exists(dir.file("Log.txt_07122026"))
                           ? dir.file("Log.txt_07122026")
                           : log;
    EXPECT_TRUE(same_bytes(full, read_file(kept))) << c.expected;
    EXPECT_TRUE(log_is_closed() || !platform::path_exists(log));
  }
}

TEST_F(Log, TraceLinesOnlyWithTheDebugSwitch) {
  EXPECT_EQ(diag::log_trace("TView     - step %d", 1), 0);
  EXPECT_FALSE(platform::path_exists(log));
  EXPECT_EQ(diag::log_line("Import    - Fehler in Zeile %d", 7), 1);
  diag::set_debug_logging(true);
  EXPECT_EQ(diag::log_trace("TView     - step %d", 2), 1);
  EXPECT_EQ(std::string(diag::log_text()), "TView     - step 2");
  EXPECT_TRUE(same_bytes(
      bytes_of(line("Import    - Fehler in Zeile 7") + line("TView     - step 2")),
      read_file(log)));
  diag::reset_diag();
  EXPECT_FALSE(diag::debug_logging());
  EXPECT_EQ(std::string(diag::log_text()), "");
}

TEST_F(Log, OverlongFormattedLineIsCutToTheBuffer) {
  std::string big(5000, 'q');
  ASSERT_EQ(diag::log_line("%s", big.c_str()), 1);
  EXPECT_EQ(read_file(log).size(), sizeof kStamp - 1 + diag::kLogTextSize - 1 + 2);
}

}  // namespace
