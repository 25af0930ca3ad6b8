// Shared test helpers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

// A fresh temporary directory, removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

using Bytes = std::vector<std::uint8_t>;

Bytes read_file(const std::string& path);
void write_file(const std::string& path, const Bytes& data);
Bytes bytes(std::initializer_list<int> values);
Bytes bytes_of(const std::string& s);
// Hex dump, 16 bytes a line, for mismatch messages.
std::string hex_dump(const Bytes& data);

// Compares two byte strings and prints both as hex on mismatch.
::testing::AssertionResult same_bytes(const Bytes& expected, const Bytes& actual);

// UTF-8 test literal -> Windows-1252 bytes, as the program holds its texts.
std::string cp(const std::string& utf8);

}  // namespace testsupport
