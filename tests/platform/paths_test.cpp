// File names as the program holds them (Windows-1252 bytes), the working
// directory as the system reports it, and positioning at the end.
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "support/support.h"

namespace {

using namespace platform;
using testsupport::TempDir;

// "Müller€.dat" in Windows-1252.
const std::string kName = "M\xFCller\x80.dat";

TEST(Paths, Windows1252NamesRoundTrip) {
  TempDir dir;
  std::string p = path_join(dir.path(), kName);
  File f;
  ASSERT_TRUE(file_open(f, p, Access::ReadWrite, Create::CreateAlways));
  std::size_t n = 0;
  ASSERT_TRUE(file_write(f, "data", 4, &n));
  file_close(f);
  EXPECT_TRUE(path_exists(p));
#ifdef _WIN32
  // The system sees the name with its real characters.
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir.path()) / L"M\u00FCller\u20AC.dat"));
#endif
  std::string q = path_join(dir.path(), "\xC4rger\x9F.dat");  // "ÄrgerŸ.dat"
  ASSERT_TRUE(file_rename(p, q));
  EXPECT_FALSE(path_exists(p));
  ASSERT_TRUE(file_open(f, q, Access::Read, Create::OpenExisting));
  char buf[8] = {};
  ASSERT_TRUE(file_read(f, buf, sizeof buf, &n));
  EXPECT_EQ(std::string(buf, n), "data");
  file_close(f);
  EXPECT_TRUE(file_delete(q));
  EXPECT_FALSE(path_exists(q));
}

TEST(Paths, CurrentDirectoryHasNoTrailingSeparatorAndJoinsWithTheSystemOne) {
  std::string dir;
  ASSERT_TRUE(current_directory(&dir));
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(path_exists(dir));
  if (dir.size() > 3) {
    EXPECT_NE(dir.back(), path_separator());
  }
#ifdef _WIN32
  EXPECT_EQ(path_separator(), '\\');
#else
  EXPECT_EQ(path_separator(), '/');
#endif
  EXPECT_EQ(path_join("base", "Log.txt"), std::string("base") + path_separator() + "Log.txt");
}

TEST(Paths, SeekEndReportsTheSizeAndAppends) {
  TempDir dir;
  std::string p = dir.file("end.dat");
  testsupport::write_file(p, testsupport::bytes_of("12345"));
  File f;
  ASSERT_TRUE(file_open(f, p, Access::ReadWrite, Create::OpenExisting));
  std::int64_t pos = -1;
  ASSERT_TRUE(file_seek_end(f, &pos));
  EXPECT_EQ(pos, 5);
  std::size_t n = 0;
  ASSERT_TRUE(file_write(f, "67", 2, &n));
  file_close(f);
  EXPECT_EQ(testsupport::read_file(p), testsupport::bytes_of("1234567"));
  // OpenAlways keeps what is there.
  ASSERT_TRUE(file_open(f, p, Access::ReadWrite, Create::OpenAlways));
  std::int64_t size = 0;
  ASSERT_TRUE(file_size(f, &size));
  EXPECT_EQ(size, 7);
}

}  // namespace
