// enroltool backup, restore and backup-info, run as a program on copies of the
// golden installation, the backup transponder read from the simulated station
// on loopback TCP in this process.
#ifndef _WIN32
#include <algorithm>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "enroltool/sim_fixture.h"

namespace {

using testsupport::Bytes;
using testsupport::read_file;
using testsupport::TempDir;
using tooltest::Result;
using tooltest::shq;

const char* const kFiles[] = {"Programm.cfg", "Personen.dat", "Template.dat",
                              "Leser.dat",    "Eingabe.dat",  "Usepas.dat"};

class EnroltoolBackup : public tooltest::ToolWithSim {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(a.path() + "/inst");
    for (const char* f : kFiles)
      testsupport::write_file(a.path() + "/inst/" + f,
                              read_file(std::string(ENROL_TEST_DATA) + "/golden/" + f));
    dir_a = shq(a.path() + "/inst");
    dir_b = shq(b.path() + "/inst");
    file = shq(scratch.file("db.bak"));
    ASSERT_EQ(0, run("init " + dir_b + " --admin-password Another-Admin-16").rc);
  }
  // The simulated station presenting the card 04 A1 B2.
  std::string start_station() {
    std::string conn = start(sim::Bus::Station);
    dev->set_auto_card({0x04, 0xA1, 0xB2});
    return conn;
  }
  std::vector<Bytes> files_of_b() const {
    std::vector<Bytes> out;
    for (const char* f : kFiles) out.push_back(read_file(b.path() + "/inst/" + f));
    return out;
  }

  TempDir a, b;
  std::string dir_a, dir_b, file;
};

TEST_F(EnroltoolBackup, BackupAndRestoreThroughTheStation) {
  const std::string conn = start_station();
  Result r = run("backup " + dir_a + " " + file + " " + conn);
  ASSERT_EQ(0, r.rc) << r.err;
  EXPECT_NE(r.err.find("Backup Info: Backup der Datenbank war erfolgreich."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("progress 100%"), std::string::npos) << r.err;

  r = run("backup-info " + file);
  EXPECT_EQ(0, r.rc) << r.err;
  EXPECT_EQ(0u, r.out.find("backup of ")) << r.out;
  EXPECT_NE(r.out.find("all 1052 records unseal with their lengths\n"), std::string::npos) << r.out;
  EXPECT_EQ(std::string::npos, (r.out + r.err).find("04A1B2"));  // never the transponder number

  // Without --yes the restore question is answered No: nothing changes.
  const std::vector<Bytes> before = files_of_b();
  r = run("restore " + dir_b + " " + file + " " + conn);
  EXPECT_EQ(1, r.rc);
  EXPECT_NE(r.err.find("restore not made"), std::string::npos) << r.err;
  EXPECT_TRUE(files_of_b() == before);

  r = run("--yes restore " + dir_b + " " + file + " " + conn + " --keep-password");
  ASSERT_EQ(0, r.rc) << r.err;
  EXPECT_NE(r.err.find("[answered No]"), std::string::npos) << r.err;  // the password question
  EXPECT_EQ(0, run("verify " + dir_b).rc);
  for (const char* what : {"persons", "readers", "input", "users"}) {
    Result from = run(std::string("show ") + dir_a + " " + what);
    Result to = run(std::string("show ") + dir_b + " " + what);
    EXPECT_EQ(from.out, to.out) << what;
  }
  dev->set_auto_card({});  // no card: --yes answers the overwrite question, not the repeat question
  r = tooltest::run_tool("timeout", "60 " + shq(ENROLTOOL_PATH) + " --yes backup " + dir_a + " " + file + " " + conn, scratch);
  EXPECT_NE(r.err.find("Question?: Unfortunately I haven't received any data ! Would you like to repeat the "
                       "reading operation? [answered No]"), std::string::npos) << r.err;
}

// A number typed short and in lower case is stored as the station reads the
// card, so that the restore takes that card.
TEST_F(EnroltoolBackup, ATypedTransponderNumberMatchesTheCardAtTheStation) {
  ASSERT_EQ(0, run("backup " + dir_a + " " + file + " --transponder 4a1b2").rc);
  const std::string conn = start_station();
  Result r = run("--yes restore " + dir_b + " " + file + " " + conn);
  ASSERT_EQ(0, r.rc) << r.err;
  EXPECT_EQ(run(std::string("show ") + dir_a + " persons").out, run(std::string("show ") + dir_b + " persons").out);
}

TEST_F(EnroltoolBackup, DamagedBackupsAndWrongArguments) {
  ASSERT_EQ(0, run("backup " + dir_a + " " + file + " --transponder 0000000000000004A1B2").rc);
  const Bytes good = read_file(scratch.file("db.bak"));
  Bytes damaged = good;
  damaged[damaged.size() - 100] ^= 0x01;  // inside the last person record
  testsupport::write_file(scratch.file("db.bak"), damaged);
  Result r = run("backup-info " + file);
  EXPECT_EQ(1, r.rc);
  EXPECT_NE(r.err.find("person records: do not unseal"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("(code -71)"), std::string::npos) << r.err;
  testsupport::write_file(scratch.file("db.bak"), Bytes(good.begin(), good.begin() + 100000));
  r = run("backup-info " + file);
  EXPECT_EQ(1, r.rc);
  EXPECT_NE(r.err.find("template records: cut off"), std::string::npos) << r.err;

  struct Case {
    std::string args;
    const char* complaint;
  };
  const Case cases[] = {
      {"backup " + dir_a, "needs DIR and FILE"},
      {"backup " + dir_a + " x.bak", "give either --transponder NUMBER or a CONNECTION"},
      {"backup " + dir_a + " x.bak --transponder 000000000000000000001", "1 to 20 hex digits"},
      {"backup " + dir_a + " x.bak --transponder 04A1-B2", "1 to 20 hex digits"},
      {"restore " + dir_b + " x.bak", "needs a CONNECTION"},
      {"restore " + dir_b + " x.bak --tcp 127.0.0.1:1 --address 1", "unknown option --address"},
      {"backup-info x.bak --tcp 127.0.0.1:1", "unknown option --tcp"},
  };
  for (const Case& c : cases) {
    r = run(c.args);
    EXPECT_EQ(2, r.rc) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.complaint), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
  }
}

}  // namespace
#endif
