// Both editions of every catalogue entry: present, and with the same printf
// placeholders in the same order, so that one call site serves both programs.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/version.h"
#include "support/support.h"

namespace {

std::vector<std::string> placeholders(const char* s) {
  std::vector<std::string> out;
  for (const char* p = s; *p; ++p) {
    if (*p != '%') continue;
    if (p[1] == '%') {
      ++p;
      continue;
    }
    const char* q = p + 1;
    while (*q && std::strchr("-+ #0123456789.lhz", *q)) ++q;
    if (!*q) break;
    out.emplace_back(p, static_cast<std::size_t>(q - p + 1));
    p = q;
  }
  return out;
}

TEST(Catalogue, EveryEntryHasBothEditionsWithTheSamePlaceholders) {
  for (int i = 0; i < res::kTextCount; ++i) {
    auto id = static_cast<res::TextId>(i);
    const char* en = res::source(id, res::Edition::English);
    const char* de = res::source(id, res::Edition::German);
    ASSERT_NE(en, nullptr) << res::name(id);
    if (de == nullptr) continue;  // SAME: one text serves both editions
    EXPECT_NE(std::strlen(de), 0u) << res::name(id);
    EXPECT_EQ(placeholders(en), placeholders(de)) << res::name(id);
  }
}

// An English text translated in one entry is translated wherever it stands (the
// program's title "Enrol Station" aside).
TEST(Catalogue, ATranslatedTextIsTranslatedEverywhere) {
  auto in = [](int i, res::Edition e) -> const std::string& { return res::text_in(static_cast<res::TextId>(i), e); };
  const res::Edition en = res::Edition::English, de = res::Edition::German;
  for (int i = 0; i < res::kTextCount; ++i)
    for (int j = 0; j < res::kTextCount; ++j)
      if (i != res::SH_DEFAULT_TITLE && in(i, en) == in(i, de) && in(i, en) == in(j, en) && in(j, en) != in(j, de))
        ADD_FAILURE() << res::name(static_cast<res::TextId>(i)) << " is not translated, "
                      << res::name(static_cast<res::TextId>(j)) << " is";
}

TEST(Catalogue, TextsAreWindows1252AndFollowTheEdition) {
  EXPECT_EQ(testsupport::cp("Zurück"), std::string("Zur\xFC" "ck"));
  EXPECT_EQ(res::cp1252_to_utf8("\x80\xE4"), "€ä");
  res::select_edition(res::Edition::German);
  EXPECT_EQ(res::text(res::CAP_ERROR_MESSAGE), "Fehlermeldung");
  res::select_edition(res::Edition::English);
  EXPECT_EQ(res::text(res::CAP_ERROR_MESSAGE), "Error Message");
  EXPECT_EQ(res::text_in(res::CAP_FEHLER_MELDUNG, res::Edition::German), "Fehler Meldung");
}

// The version is set once in the build; the software-info box shows it with
// three, two and two digits.
TEST(Catalogue, SoftwareInfoShowsTheBuildVersionPadded) {
  int major = -1, minor = -1, patch = -1;
  ASSERT_EQ(3, std::sscanf(ENROL_VERSION, "%d.%d.%d", &major, &minor, &patch));
  char want[40];
  std::snprintf(want, sizeof want, "\tVersion\t\t%03d.%02d.%02d\n", major, minor, patch);
  for (res::Edition e : {res::Edition::English, res::Edition::German})
    EXPECT_NE(res::text_in(res::SH_SOFTWARE_INFO, e).find(want), std::string::npos) << want;
  const std::string info = res::text_in(res::SH_SOFTWARE_INFO, res::Edition::English) + "\n";
  for (std::size_t end, at = 0; (end = info.find('\n', at)) != std::string::npos; at = end + 1)  // no value wraps
    EXPECT_LE(end - std::max(at, info.rfind('\t', end) + 1), 27u) << info.substr(at, end - at);
}

}  // namespace
