#include "resources/catalogue.h"

#include <cstdio>
#include <mutex>
#include <vector>

#include "resources/cp1252.h"
#include "resources/version.h"  // the version in the software-info text

namespace res {
namespace {

#define SAME nullptr
struct Entry {
  const char* name;
  const char* en;
  const char* de;
};
constexpr Entry kEntries[] = {
#define T(id, en, de) {#id, en, de},
#include "resources/texts/all.inc"
#undef T
};
#undef SAME

Edition g_edition = Edition::English;

// Converted once, on first use.
const std::vector<std::string>& converted(Edition e) {
  static std::once_flag once;
  static std::vector<std::string> tables[2];
  std::call_once(once, [] {
    for (const Entry& entry : kEntries) {
      tables[0].push_back(utf8_to_cp1252(entry.en));
      tables[1].push_back(utf8_to_cp1252(entry.de ? entry.de : entry.en));
    }
  });
  return tables[static_cast<int>(e)];
}

}  // namespace

void select_edition(Edition e) { g_edition = e; }
Edition edition() { return g_edition; }

const std::string& text(TextId id) { return text_in(id, g_edition); }

const std::string& text_in(TextId id, Edition e) { return converted(e)[id]; }

const char* source(TextId id, Edition e) {
  return e == Edition::English ? kEntries[id].en : kEntries[id].de;
}

const char* name(TextId id) { return kEntries[id].name; }

std::string vsformat(const char* fmt, va_list ap) {
  va_list copy;
  va_copy(copy, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::vsnprintf(&out[0], out.size(), fmt, ap);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string sformat(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = vsformat(fmt, ap);
  va_end(ap);
  return s;
}

std::string format_runtime(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = vsformat(fmt, ap);
  va_end(ap);
  return s;
}

}  // namespace res
