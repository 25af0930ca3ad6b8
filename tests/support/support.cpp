#include "support/support.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "resources/cp1252.h"

namespace testsupport {

TempDir::TempDir() {
  // A new directory under the system's temporary directory with a random name;
  // create_directory reports whether this call made it, so two tests (or two
  // programs) never share one.
  static std::mt19937_64 rng{std::random_device{}() ^
                             static_cast<std::uint64_t>(
                                 std::chrono::steady_clock::now().time_since_epoch().count())};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "enroltest-%012llx",
                  static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
    std::error_code ec;
    if (std::filesystem::create_directory(base / name, ec)) {
      path_ = (base / name).string();
      return;
    }
  }
  std::abort();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

Bytes read_file(const std::string& path) {
  // One read of the whole file: byte-wise iteration is slow for the megabyte
  // files (templates, backups) in unoptimised sanitizer builds.
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::streamoff size = in.tellg();
  Bytes b(size > 0 ? static_cast<std::size_t>(size) : 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
  b.resize(static_cast<std::size_t>(in.gcount()));
  return b;
}

void write_file(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

Bytes bytes(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
  return out;
}

Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string hex_dump(const Bytes& data) {
  std::string out;
  char buf[32];
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i % 16 == 0) {
      std::snprintf(buf, sizeof buf, "%s%04zx:", i ? "\n" : "", i);
      out += buf;
    }
    std::snprintf(buf, sizeof buf, " %02x", data[i]);
    out += buf;
  }
  return out;
}

::testing::AssertionResult same_bytes(const Bytes& expected, const Bytes& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  return ::testing::AssertionFailure()
         << "byte strings differ at offset " << at << " (expected " << expected.size()
         << " bytes, got " << actual.size() << ")\nexpected:\n"
         << hex_dump(expected) << "\nactual:\n"
         << hex_dump(actual);
}

std::string cp(const std::string& utf8) { return res::utf8_to_cp1252(utf8); }

}  // namespace testsupport
