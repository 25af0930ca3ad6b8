// enroltool layout, export and import, run as a program on temporary
// installations: the dialog's checks and messages, sorting, the exit codes and
// the questions answered by --yes / --no.
#include <string>

#include <gtest/gtest.h>

#include "platform/workdir.h"
#include "resources/cp1252.h"
#include "store/store.h"
#include "support/support.h"
#include "enroltool/tool_runner.h"

#ifndef ENROLTOOL_PATH
#error "ENROLTOOL_PATH must name the built enroltool"
#endif

namespace {

using tooltest::Result;
using tooltest::shq;

const char kPassword[] = "Adm1n-Passw0rd16";  // 16 characters, as the login takes it

class EnroltoolExchange : public ::testing::Test {
 protected:
  Result run(const std::string& args) { return tooltest::run_tool(ENROLTOOL_PATH, args, scratch); }
  std::string inst(int n) const { return dir.path() + "/inst" + std::to_string(n); }
  std::string file() const { return dir.file("persons.txt"); }
  void init(int n) {
    Result r = run("init " + shq(inst(n)) + " --admin-password " + shq(kPassword));
    ASSERT_EQ(r.rc, 0) << r.err;
  }
  static bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }

  testsupport::TempDir dir;
  testsupport::TempDir scratch;
};

TEST_F(EnroltoolExchange, LayoutIsCheckedAndSortedAsTheDialogDoes) {
  init(1);
  struct Case {
    const char* args;
    int rc;
    const char* err;  // UTF-8
  };
  const Case refused[] = {
      {"export --file F --start-length --pos 1:0:10 --pos 3:10:6", 2,
       "Fehler Meldung: Datenexport ist so nicht möglich !!! Es liegen Feldüberschneidungen vor "
       "!!! Fehlercode 1"},
      {"import --file F --separator / --pos 3:0", 2, "Unzulässige Eingabe im Feld Trennzeichen !"},
      {"export --pos 1:0", 2, "Exportdateiname fehlt !"},
      {"export --file F --pos 11:0", 2, "--pos needs CODE:START[:LENGTH]"},
  };
  for (const Case& c : refused) {
    Result r = run("layout " + shq(inst(1)) + " " + c.args);
    EXPECT_EQ(c.rc, r.rc) << c.args;
    EXPECT_TRUE(has(r.err, c.err)) << c.args << "\n" << r.err;
  }
  Result r = run("layout " + shq(inst(1)) + " export --file " + shq(file()) +
                 " --separator ';' --cr --lf --pos 10:5 --pos 0:1 --pos 3:2 --pos 1:0");
  ASSERT_EQ(0, r.rc) << r.err;
  Result shown = run("layout " + shq(inst(1)) + " export");
  ASSERT_EQ(0, shown.rc) << shown.err;
  for (const std::string& out : {r.out, shown.out}) {
    EXPECT_TRUE(has(out, "position 1             Name (code 1), column 0\n"
                         "  position 2             Pers. No. (code 3), column 2\n"
                         "  position 3             User PIN (code 10), column 5\n"))
        << out;
    EXPECT_TRUE(has(out, "separator              ';'")) << out;
    EXPECT_TRUE(has(out, "record end             CR LF")) << out;
  }
}

TEST_F(EnroltoolExchange, ExportThenImportIntoAnotherInstallation) {
  init(1);
  init(2);
  store::reset_store();
  platform::set_working_directory(inst(1));
  ASSERT_EQ(store::load_konfig(), 1);
  ASSERT_EQ(store::load_all(), 1);
  const char* names[] = {"Müller", "Li"};
  for (int n = 0; n < 2; ++n) {
    store::new_person_defaults();
    store::Personensatz& p = store::db().person_write;
    p.set_name(testsupport::cp(names[n]));
    p.set_personalnummer("000000471" + std::to_string(n));
    p.set_ausweisnummer("00000000A" + std::to_string(n));
    ASSERT_EQ(store::rw_person(store::kWrite), n + 1);
  }
  platform::set_working_directory("");

  const std::string columns = " --separator ';' --cr --lf --pos 1:0 --pos 3:1 --pos 8:2 --pos 5:3";
  ASSERT_EQ(0, run("layout " + shq(inst(1)) + " export --file " + shq(file()) + columns).rc);
  ASSERT_EQ(0, run("layout " + shq(inst(2)) + " import --file " + shq(file()) + columns).rc);
  Result r = run("export " + shq(inst(1)));
  ASSERT_EQ(0, r.rc) << r.err;
  EXPECT_TRUE(has(r.out, "Der Datenexport wurde erfolgreich abgeschlossen.")) << r.out;
  testsupport::Bytes b = testsupport::read_file(file());
  EXPECT_EQ(testsupport::cp("Müller;0000004710;00000000A0;0123456789;\r\n"
                            "Li;0000004711;00000000A1;0123456789;\r\n"),
            std::string(b.begin(), b.end()));
  // The file exists now: replaced only with --yes.
  r = run("export " + shq(inst(1)));
  EXPECT_EQ(1, r.rc);
  EXPECT_TRUE(has(r.err, "Frage ?: Vorhandene Exportdatei überschreiben ? [answered No]")) << r.err;

  r = run("import " + shq(inst(2)));
  ASSERT_EQ(0, r.rc) << r.out << r.err;
  EXPECT_TRUE(has(r.err, "Info Meldung: Es sollten maximal 2 Datensätze vorhanden sein !")) << r.err;
  EXPECT_TRUE(has(r.out, "Daten Import: Der Datenimport wurde erfolgreich abgeschlossen. Es "
                         "wurden 2 Datensätze eingelesen und es sind dabei 0 Fehler aufgetreten "
                         "!!!\nread in: 2\nfaulty: 0\n"))
      << r.out;
  testsupport::Bytes bytes = testsupport::read_file(inst(2) + "/Log.txt");
  const std::string log(bytes.begin(), bytes.end());
  for (const char* line : {"Import    - Der Datenimport wurde erfolgreich abgeschlossen.\r\n",
                           "Import    - Es wurden 2 Datensätze eingelesen und\r\n",
                           "Import    - es sind dabei 0 Fehler aufgetreten !!!\r\n"}) {
    EXPECT_TRUE(has(log, testsupport::cp(line))) << line;
  }

  // Again: the first duplicate is asked about; No stops, Yes goes on.
  r = run("import " + shq(inst(2)));
  EXPECT_EQ(1, r.rc);
  EXPECT_TRUE(has(r.err, "Die Personalnummer ist schon vorhanden !!! Möchten Sie mit dem Import "
                         "fortfahren ? [answered No]"))
      << r.err;
  EXPECT_TRUE(has(r.out, "Fehlernummer = -90")) << r.out;
  r = run("--yes import " + shq(inst(2)));
  EXPECT_EQ(0, r.rc) << r.err;
  EXPECT_TRUE(has(r.out, "read in: 0\nfaulty: 2\n")) << r.out;

  r = run("show " + shq(inst(2)) + " persons");
  EXPECT_TRUE(has(r.out, "Person 2: Li")) << r.out;
  EXPECT_FALSE(has(r.out, "Person 3:")) << r.out;
}

}  // namespace
