#include <string>

#include "platform/fault.h"
#include "platform/files.h"
#include "support/support.h"

using namespace platform;
using testsupport::TempDir;

namespace {

class FilesTest : public ::testing::Test {
 protected:
  void TearDown() override { fault::reset(); }
  TempDir dir;
};

TEST_F(FilesTest, ExclusiveOpenRefusesASecondOpenUntilClosed) {
  File a, b;
  std::string p = dir.file("x.dat");
  ASSERT_TRUE(file_open(a, p, Access::ReadWrite, Create::CreateAlways));
  EXPECT_FALSE(file_open(b, p, Access::Read, Create::OpenExisting));
  file_close(a);
  EXPECT_TRUE(file_open(b, p, Access::Read, Create::OpenExisting));
}

TEST_F(FilesTest, OpenExistingFailsForAMissingFileAndCreatesNothing) {
  File f;
  EXPECT_FALSE(file_open(f, dir.file("missing"), Access::ReadWrite, Create::OpenExisting));
  EXPECT_FALSE(path_exists(dir.file("missing")));
}

TEST_F(FilesTest, WriteSeekReadRoundTripAndCreateAlwaysTruncates) {
  File f;
  std::string p = dir.file("r.dat");
  ASSERT_TRUE(file_open(f, p, Access::ReadWrite, Create::CreateAlways));
  std::size_t n = 0;
  ASSERT_TRUE(file_write(f, "abcdef", 6, &n));
  EXPECT_EQ(n, 6u);
  ASSERT_TRUE(file_seek(f, 2));
  char buf[8] = {};
  ASSERT_TRUE(file_read(f, buf, 8, &n));
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::string(buf, n), "cdef");
  std::int64_t size = 0;
  ASSERT_TRUE(file_size(f, &size));
  EXPECT_EQ(size, 6);
  file_close(f);
  ASSERT_TRUE(file_open(f, p, Access::ReadWrite, Create::CreateAlways));
  ASSERT_TRUE(file_size(f, &size));
  EXPECT_EQ(size, 0);
}

TEST_F(FilesTest, InjectedFaultsHitExactlyTheNthCall) {
  File f;
  std::string p = dir.file("f.dat");
  ASSERT_TRUE(file_open(f, p, Access::ReadWrite, Create::CreateAlways));
  fault::arm(fault::Op::FileWrite, 2);
  std::size_t n = 0;
  EXPECT_TRUE(file_write(f, "ab", 2, &n));
  EXPECT_FALSE(file_write(f, "cd", 2, &n));
  EXPECT_TRUE(file_write(f, "ef", 2, &n));
  fault::arm(fault::Op::FileWrite, 1, fault::Kind::Short);
  EXPECT_TRUE(file_write(f, "gh", 2, &n));
  EXPECT_EQ(n, 1u);
  fault::arm(fault::Op::FileOpen, 1);
  File g;
  EXPECT_FALSE(file_open(g, dir.file("g.dat"), Access::ReadWrite, Create::CreateAlways));
  EXPECT_FALSE(path_exists(dir.file("g.dat")));
}

TEST_F(FilesTest, RenameRefusesAnExistingTargetButReplaceOverwrites) {
  testsupport::write_file(dir.file("a"), testsupport::bytes({1}));
  testsupport::write_file(dir.file("b"), testsupport::bytes({2}));
  EXPECT_FALSE(file_rename(dir.file("a"), dir.file("b")));
  EXPECT_TRUE(file_replace(dir.file("a"), dir.file("b")));
  EXPECT_EQ(testsupport::read_file(dir.file("b")), testsupport::bytes({1}));
  EXPECT_FALSE(path_exists(dir.file("a")));
}

}  // namespace
