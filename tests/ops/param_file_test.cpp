// The parameter-file parser on real files: line counting, digits and line ends,
// lengths at the limit, read failures through fault injection, and the boxes
// shown for each failure.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ops/param_file.h"
#include "platform/fault.h"
#include "platform/files.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "support/support.h"

namespace {

using platform::fault::Op;
using testsupport::cp;

// The sets of a table as hex, "|" between them, trailing empty sets left off.
std::string sets_of(const ops::ParameterTable& t) {
  static const char* hex = "0123456789ABCDEF";
  std::vector<std::string> sets;
  for (const auto& s : t) {
    std::string h;
    for (auto b : s) h += std::string{hex[b >> 4], hex[b & 15]};
    sets.push_back(h);
  }
  while (!sets.empty() && sets.back().empty()) sets.pop_back();
  std::string out;
  for (std::size_t k = 0; k < sets.size(); ++k) out += (k ? "|" : "") + sets[k];
  return out;
}

// n digits "0123456789ABCDEF0123..." .
std::string digits(int n) {
  std::string s;
  for (int k = 0; k < n; ++k) s += "0123456789ABCDEF"[k % 16];
  return s;
}

class ParamFile : public ::testing::Test {
 protected:
  void SetUp() override {
    res::select_edition(res::Edition::English);
    platform::fault::reset();
    ui::headless::clear_boxes();
    ops::reset_parameter_tables();
    platform::set_working_directory(dir.path());
  }
  void TearDown() override { platform::fault::reset(); }

  std::string put(const std::string& content, const char* name = "L-Parameter.txt") {
    testsupport::write_file(dir.file(name), testsupport::bytes_of(content));
    return dir.file(name);
  }
  bool closed(const std::string& path) {
    platform::File f;
    return platform::file_open(f, path, platform::Access::ReadWrite, platform::Create::OpenExisting);
  }

  testsupport::TempDir dir;
};

TEST_F(ParamFile, LinesDigitsAndLineEnds) {
  std::string twelve;
  for (int k = 0; k < 12; ++k) twelve += std::string(2, "0123456789AB"[k]) + "\r\n";
  struct Case {
    std::string content;
    int result;
    std::string sets;
  };
  const Case cases[] = {
      {"", 1, ""},
      {"0a1B", 1, "0A1B"},
      {"0a1", -7, ""},
      {"0A 1B", -6, ""},
      {"AB\r\nCD\r\nEF\r\n", 4, "AB|CD|EF"},
      {"AB\nCD", 2, "AB|CD"},
      {"AB\n", 2, "AB"},
      {"AB\r", 1, "AB"},
      {"AB\rCD", -10, "AB"},
      {"\n\nAB", 3, "||AB"},
      {"AB\nC", -7, "AB"},
      {twelve + "zz", 10, "00|11|22|33|44|55|66|77|88|99"},
      {digits(294) + "\r\n", 2, digits(294)},
      {digits(294), 1, digits(294)},
      {digits(295) + "\n", -7, ""},
      {"AB\n" + digits(296), -8, "AB|" + digits(296)},
      {digits(297) + "\n", -8, digits(296)},
  };
  for (const Case& c : cases) {
    std::string path = put(c.content);
    ops::ParameterTable t;
    t[9] = {0x55};  // cleared before reading
    EXPECT_EQ(c.result, ops::parse_parameter_file(path, t)) << "\"" << c.content << "\"";
    EXPECT_EQ(c.sets, sets_of(t)) << "\"" << c.content << "\"";
    EXPECT_TRUE(closed(path));
  }
  EXPECT_TRUE(ui::headless::boxes().empty());
}

TEST_F(ParamFile, ReadFailures) {
  struct Case {
    Op op;
    int nth;
    const char* content;
    int result;
  };
  const Case cases[] = {
      {Op::FileOpen, 1, "AB", -3},
      {Op::FileSeek, 1, "AB", -4},
      {Op::FileRead, 1, "AB", -5},
      {Op::FileRead, 5, "AB\nCD", -5},  // inside the second line
      {Op::FileRead, 4, "AB\r\nCD", -9},
      {Op::FileRead, 8, "AB\r\nCD\r\n", -9},
  };
  for (const Case& c : cases) {
    std::string path = put(c.content);
    platform::fault::reset();
    platform::fault::arm(c.op, c.nth);
    ops::ParameterTable t;
    EXPECT_EQ(c.result, ops::parse_parameter_file(path, t)) << c.content << " " << c.nth;
    platform::fault::reset();
    EXPECT_TRUE(closed(path)) << c.content << " " << c.nth;
  }
  ops::ParameterTable t;
  EXPECT_EQ(-3, ops::parse_parameter_file(dir.file("missing.txt"), t));
}

TEST_F(ParamFile, EachFileFillsItsOwnTable) {
  put("504C01\n504C02", ops::kReaderParamFile);
  put("\r\n", ops::kEnrolParamFile);
  ops::parameter_tables().enrol[3] = {1};
  EXPECT_EQ(2, ops::read_parameter_file(ops::ParamFile::Reader));
  EXPECT_EQ(2, ops::read_parameter_file(ops::ParamFile::Enrol));
  EXPECT_EQ("504C01|504C02", sets_of(ops::parameter_tables().reader));
  EXPECT_EQ("", sets_of(ops::parameter_tables().enrol));

  platform::set_working_directory("");
  EXPECT_EQ(-1, ops::read_parameter_file(ops::ParamFile::Reader));
  EXPECT_EQ("", sets_of(ops::parameter_tables().reader));
  platform::set_working_directory(dir.path() + "/" + std::string(520, 'd'));
  EXPECT_EQ(-2, ops::read_parameter_file(ops::ParamFile::Enrol));
}

TEST_F(ParamFile, FailureBoxes) {
  const std::string read_l = cp("\nFehler beim lesen der Leserparameter Datei !!!\n Fehlernummer ");
  const std::string read_e = cp("\nFehler beim lesen der Enrol Parameter Datei !!!\n Fehlernummer ");
  struct Case {
    ops::ParamFile which;
    int code;
    std::vector<std::string> texts, captions;
  };
  using ops::ParamFile;
  const Case cases[] = {
      {ParamFile::Reader, -3,
       {cp("\nFehler beim öffnen der Parameterdatei !\nIst sie vorhanden ?\n")},
       {"Info Leser Parameter"}},
      {ParamFile::Enrol, -3,
       {cp("\nFehler beim öffnen der Parameterdatei !\nIst sie vorhanden ?\n")},
       {"Info Enrol Parameter"}},
      {ParamFile::Reader, -5, {read_l + "-5."}, {"Fehler Leser Parameter"}},
      {ParamFile::Reader, -8,
       {"\nHabe kein Carriage Return und kein Line Feed erhalten !!!\n\n", read_l + "-8."},
       {"Fehler Leser Parameter", "Fehler Leser Parameter"}},
      {ParamFile::Enrol, -10,
       {"\nHabe kein Line Feed erhalten !!!\n\n", read_e + "-10."},
       {"Fehler Enrol Parameter", "Fehler Enrol Parameter"}},
  };
  for (const Case& c : cases) {
    ui::headless::clear_boxes();
    ops::report_parameter_file_error(77, c.which, c.code);
    const auto& shown = ui::headless::boxes();
    ASSERT_EQ(c.texts.size(), shown.size()) << c.code;
    for (std::size_t k = 0; k < shown.size(); ++k) {
      EXPECT_EQ(c.texts[k], shown[k].text) << c.code;
      EXPECT_EQ(c.captions[k], shown[k].caption) << c.code;
      EXPECT_EQ(77u, shown[k].owner);
    }
  }
}

}  // namespace
