// Start-up with an existing installation: the database update by version, the
// loading of all files and what ends the program.
#include <cstdio>
#include <cstring>
#include <string>

#include "fixture.h"
#include "resources/catalogue.h"
#include "support/sealed_file.h"
#include "shell/shell.h"
#include "store/seal.h"
#include "store/store.h"

namespace uitest {
namespace {

using testsupport::Bytes;
using testsupport::sealed_file;

class Update : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    install();
  }

  void old_persons() {
    testsupport::write_file(path("Personen.dat"), sealed_file(500, 156, [](int n, std::uint8_t* rec) {
                              if (n != 7) return;
                              store::put_u32(rec, 0, 7);
                              store::put_text(rec, 4, 22, "Alt");
                              store::put_text(rec, 48, 12, "P7");
                            }));
  }
  void old_templates() {
    testsupport::write_file(path("Template.dat"), sealed_file(500, 2624, [](int n, std::uint8_t* rec) {
                              store::put_u32(rec, 0, static_cast<std::uint32_t>(n));
                            }));
  }
  void old_eingabe(int size) {
    testsupport::write_file(path("Eingabe.dat"), sealed_file(1, size, [](int, std::uint8_t* rec) {
                              store::put_u16(rec, 0, 12);
                            }));
  }
  void set_version(int v) {
    store::db().konfig.set_db_version(static_cast<std::uint16_t>(v));
    ASSERT_EQ(1, store::rw_konfig(store::kWrite));
  }
  int version_on_disk() {
    EXPECT_EQ(1, store::rw_konfig(store::kRead));
    return store::db().konfig.db_version();
  }
  std::size_t size_of(const char* name) const { return testsupport::read_file(path(name)).size(); }
};

TEST_F(Update, EachVersionIsBroughtToTheCurrentLayout) {
  for (int v : {0, 1, 2}) {
    if (v == 0) old_persons();
    if (v <= 1) old_templates();
    old_eingabe(v == 0 ? 130 : 328);
    set_version(v);
    stop();
    ASSERT_TRUE(start_and_run()) << v;
    EXPECT_NE(std::string::npos, boxes().find("Ein DB-Update wurde erfolgreich durchgeführt !!!|Info")) << v;
    EXPECT_EQ(500u * 224, size_of("Personen.dat"));
    EXPECT_EQ(500u * 10208, size_of("Template.dat"));
    EXPECT_EQ(400u, size_of("Eingabe.dat"));
    EXPECT_EQ(3, version_on_disk());
    if (v == 0) {
      EXPECT_EQ("Alt", store::db().persons[6].name());
      EXPECT_EQ("P7", store::db().persons[6].personalnummer());
    }
    EXPECT_EQ(12, store::db().eingabe.name_len());
    ASSERT_NE(ui::kNoWindow, dialog("D_ANMELDEN"));
    hl::clear_boxes();
  }
  // Version 3: nothing to do, nothing shown.
  stop();
  ASSERT_TRUE(start_and_run());
  EXPECT_EQ("Programmbitmap ist nicht vorhanden !|Info\n", boxes());
}

TEST_F(Update, AFailingStepKeepsTheVersionForTheNextStart) {
  // Version 1 with a template file that is not in the old layout: the update
  // stops there, the input mask is left alone and the program goes on.
  testsupport::write_file(path("Template.dat"), Bytes(1000, 0x5A));
  Bytes eingabe = testsupport::read_file(path("Eingabe.dat"));
  set_version(1);
  stop();
  ASSERT_TRUE(start_and_run());
  EXPECT_NE(std::string::npos, boxes().find("Fehler beim Update der Templatedatei !!!|Info"));
  EXPECT_EQ(std::string::npos, boxes().find("Ein DB-Update"));
  EXPECT_EQ(1000u, size_of("Template.dat"));
  EXPECT_TRUE(testsupport::same_bytes(eingabe, testsupport::read_file(path("Eingabe.dat"))));
  EXPECT_EQ(1, version_on_disk());
  EXPECT_NE(ui::kNoWindow, dialog("D_ANMELDEN"));

  // Version 0 whose person file cannot be converted stops before the input
  // mask; the damaged person file then cannot be loaded either.
  hl::clear_boxes();
  testsupport::write_file(path("Personen.dat"), Bytes(3, 1));
  set_version(0);
  stop();
  EXPECT_FALSE(start_and_run());
  EXPECT_NE(std::string::npos, boxes().find("Fehler beim Update der Personendatei !!!|Info"));
  EXPECT_NE(std::string::npos, boxes().find("einlesen der Personendatei"));
  EXPECT_TRUE(testsupport::same_bytes(eingabe, testsupport::read_file(path("Eingabe.dat"))));
  EXPECT_EQ(0, version_on_disk());

  // Version 2 reports a failing input-mask step as well.
  hl::clear_boxes();
  testsupport::write_file(path("Eingabe.dat"), Bytes(5, 1));
  set_version(2);
  stop();
  EXPECT_FALSE(start_and_run());
  EXPECT_NE(std::string::npos, boxes().find("Fehler beim Update der Eingabedatei !!!|Info"));
  EXPECT_EQ(2, version_on_disk());
}

TEST_F(Update, LoadFailuresEndTheProgram) {
  struct Case {
    const char* file;
    const char* text;
  } cases[] = {
      {"Personen.dat", "\nEs ist ein Fehler beim einlesen der Personendatei aufgetreten !\n\nDas Programm wird beendet !\n\n"},
      {"Leser.dat", "\nEs ist ein Fehler beim einlesen der Leserdatei aufgetreten !\n\nDas Programm wird beendet !\n\n"},
      {"Eingabe.dat", "\nEs ist ein Fehler beim einlesen der Eingabedatei aufgetreten !\n\nDas Programm wird beendet !\n\n"},
      {"Usepas.dat", "\nEs ist ein Fehler beim einlesen der User-/Passwortdatei aufgetreten !\n\nDas Programm wird beendet !\n\n"},
  };
  for (const Case& c : cases) {
    Bytes keep = testsupport::read_file(path(c.file));
    std::remove(path(c.file).c_str());
    stop();
    EXPECT_FALSE(start_and_run()) << c.file;
    EXPECT_NE(std::string::npos, boxes().find(std::string(c.text) + "|Fehler Meldung")) << c.file;
    EXPECT_EQ(0, hl::quit_code());
    testsupport::write_file(path(c.file), keep);
    hl::clear_boxes();
  }
}

TEST_F(Update, DamagedConfigurationEndsTheProgram) {
  Bytes cfg = testsupport::read_file(path("Programm.cfg"));
  cfg[20] ^= 0x40;
  testsupport::write_file(path("Programm.cfg"), cfg);
  stop();
  EXPECT_FALSE(start());
  ASSERT_FALSE(hl::boxes().empty());
  const std::string& text = hl::boxes().front().text;
  EXPECT_EQ(0u, text.find("\nEs ist der Fehler "));
  EXPECT_NE(std::string::npos,
            text.find(" beim lesen der Konfigurationsdatei aufgetreten !\n\nDas Programm wird beendet !\n\n"));
  EXPECT_EQ("Fehler Meldung", hl::boxes().front().caption);
  EXPECT_EQ(ui::kNoWindow, main());
  EXPECT_EQ(0, hl::quit_code());
}

TEST_F(Update, AChangeThatCannotBeSettledEndsTheProgramBeforeTheConfigurationIsRead) {
  const Bytes intent = testsupport::bytes_of("enrol-change 1\nend 00000000\n");
  testsupport::write_file(path("Commit.txt"), intent);
  stop();
  EXPECT_FALSE(start());
  ASSERT_FALSE(hl::boxes().empty());
  EXPECT_EQ(res::format(res::SH_RECOVER_FAILED, -2), hl::boxes().front().text);
  EXPECT_EQ(ui::kNoWindow, main());
  EXPECT_TRUE(testsupport::same_bytes(intent, testsupport::read_file(path("Commit.txt"))));
  const Bytes log = testsupport::read_file(path("Log.txt"));
  EXPECT_NE(std::string::npos, std::string(log.begin(), log.end()).find("Commit.txt ist besch"));
}

}  // namespace
}  // namespace uitest
