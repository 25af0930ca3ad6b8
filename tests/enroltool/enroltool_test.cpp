// enroltool, run as a program on temporary directories: init, verify and show
// round trip, refused and bad input, and damaged files found by verify.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "platform/workdir.h"
#include "resources/cp1252.h"
#include "store/store.h"
#include "store/users.h"
#include "support/crash.h"
#include "support/support.h"
#include "enroltool/tool_runner.h"

#ifndef ENROLTOOL_PATH
#error "ENROLTOOL_PATH must name the built enroltool"
#endif

namespace {

using testsupport::Bytes;
using testsupport::read_file;
using testsupport::TempDir;
using testsupport::write_file;

const char kPassword[] = "Adm1n-Passw0rd16";  // 16 characters

using tooltest::Result;
using tooltest::shq;

class Enroltool : public ::testing::Test {
 protected:
  Result run(const std::string& args) { return tooltest::run_tool(ENROLTOOL_PATH, args, scratch); }
  std::string inst() const { return dir.path() + "/inst"; }
  std::string file(const char* name) const { return inst() + "/" + name; }
  void init() {
    Result r = run("init " + shq(inst()) + " --admin-password " + shq(kPassword));
    ASSERT_EQ(r.rc, 0) << r.err;
  }
  void flip_byte(const char* name, std::size_t offset) {
    Bytes b = read_file(file(name));
    ASSERT_LT(offset, b.size());
    b[offset] ^= 0x5A;
    write_file(file(name), b);
  }
  static std::string last_line(const std::string& s) {
    std::size_t end = !s.empty() && s.back() == '\n' ? s.size() - 1 : s.size();
    std::size_t nl = end == 0 ? std::string::npos : s.rfind('\n', end - 1);
    std::size_t start = nl == std::string::npos ? 0 : nl + 1;
    return s.substr(start, end - start);
  }
  static int lines(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
  }

  TempDir dir;
  TempDir scratch;
};

TEST_F(Enroltool, InitMakesAnInstallationThatVerifiesAndShows) {
  Result r = run("init " + shq(inst()) + " --admin-password " + shq(kPassword));
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("Created installation EN"), std::string::npos) << r.out;
  EXPECT_EQ(read_file(file("Programm.cfg")).size(), 2064u);
  EXPECT_EQ(read_file(file("Personen.dat")).size(), 500u * 224);
  EXPECT_EQ(read_file(file("Template.dat")).size(), 500u * 10208);
  EXPECT_EQ(read_file(file("Leser.dat")).size(), 32u * 96);
  EXPECT_EQ(read_file(file("Eingabe.dat")).size(), 400u);
  EXPECT_EQ(read_file(file("Usepas.dat")).size(), 17u * 96);
  EXPECT_FALSE(std::ifstream(file("enroltool-init.tmp")).good());

  r = run("verify " + shq(inst()));
  EXPECT_EQ(r.rc, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Personen.dat: 500 slots: 0 in use, 500 free, 0 failing"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Usepas.dat: 17 slots"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("every record reads"), std::string::npos);

  // The installation also loads in this process, as the program loads it.
  store::reset_store();
  platform::set_working_directory(inst());
  ASSERT_EQ(store::load_konfig(), 1);
  ASSERT_EQ(store::load_all(), 1);
  EXPECT_EQ(store::db().users[0].name(), "Admin");
  EXPECT_EQ(store::db().users[0].password(), kPassword);
  EXPECT_EQ(store::db().eingabe.default_firma(), "0123456789");
  std::string number = store::db().konfig.installation_number();

  for (const char* what : {"config", "persons", "readers", "input", "users"}) {
    r = run("show " + shq(inst()) + " " + what);
    EXPECT_EQ(r.rc, 0) << what << ": " << r.err;
    EXPECT_EQ(r.out.find(kPassword), std::string::npos) << what << " shows the password";
    EXPECT_EQ(r.out.find(kPassword + 0, 0, 8), std::string::npos) << what;
  }
  r = run("show " + shq(inst()) + " config");
  EXPECT_NE(r.out.find(number), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("database version             3"), std::string::npos) << r.out;
  r = run("show " + shq(inst()) + " users");
  EXPECT_NE(r.out.find("User 1: Admin"), std::string::npos) << r.out;
  platform::set_working_directory("");
}

TEST_F(Enroltool, ShowsRecordsWrittenByTheProgramWithoutSecrets) {
  init();
  store::reset_store();
  platform::set_working_directory(inst());
  ASSERT_EQ(store::load_konfig(), 1);
  ASSERT_EQ(store::load_all(), 1);
  store::Personensatz& p = store::db().person_write;
  p = store::Personensatz{};
  p.set_name(testsupport::cp("Müller"));
  p.set_vorname("Anna");
  p.set_personalnummer("0000004711");
  p.set_ausweisnummer("00000000AB");
  p.set_user_pin("918273");
  p.set_spezial_pin("564738");
  p.set_combined_mode(store::kNeedFinger | store::kNeedPin);
  p.set_reader_mask(0x5);
  ASSERT_EQ(store::rw_person(store::kWrite), 1);
  store::Lesersatz& l = store::db().edit_reader;
  l = store::Lesersatz{};
  l.set_name("Eingang Nord");
  l.set_verbindung(1);
  l.set_ip("10.1.2.3");
  l.set_tcp_port(10001);
  l.set_bus_address(2);
  ASSERT_EQ(store::rw_leser(store::kWrite), 1);
  // Write keys of a recognisable pattern (key A, and key B behind it).
  for (int i = 0; i < 16; ++i) {
    store::db().eingabe.rfid_key_a()[i] = static_cast<std::uint8_t>(0xA0 + i);
    store::db().eingabe.rfid_key_b()[i] = static_cast<std::uint8_t>(0xB0 + i);
  }
  ASSERT_EQ(store::rw_eingabe(store::kWrite), 1);
  platform::set_working_directory("");

  Result r = run("show " + shq(inst()) + " persons");
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("Person 1: Müller, Anna"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("0000004711"), std::string::npos);
  EXPECT_NE(r.out.find("0x00000005"), std::string::npos);
  EXPECT_NE(r.out.find("PIN, finger"), std::string::npos);
  EXPECT_EQ(r.out.find("918273"), std::string::npos) << "UserPIN printed";
  EXPECT_EQ(r.out.find("564738"), std::string::npos) << "Spezial PIN printed";
  EXPECT_NE(r.out.find("1 person\n"), std::string::npos);

  r = run("show " + shq(inst()) + " readers");
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("Reader 1: Eingang Nord"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("TCP/IP, 10.1.2.3 port 10001"), std::string::npos);
  EXPECT_NE(r.out.find("bus address                  03"), std::string::npos);

  r = run("show " + shq(inst()) + " input");
  ASSERT_EQ(r.rc, 0) << r.err;
  for (const char* key : {"A0A1A2A3", "a0a1a2a3", "B0B1B2B3", "b0b1b2b3", "160 161 162"})
    EXPECT_EQ(r.out.find(key), std::string::npos) << "key printed: " << r.out;

  r = run("verify " + shq(inst()));
  EXPECT_EQ(r.rc, 0) << r.out;
  EXPECT_NE(r.out.find("Personen.dat: 500 slots: 1 in use, 499 free, 0 failing"),
            std::string::npos);
  EXPECT_NE(r.out.find("Leser.dat: 32 slots: 1 in use, 31 free, 0 failing"), std::string::npos);
}

// The administrator's password is taken only as the program's login takes it:
// 16 characters, counted in Windows-1252. Anything else is refused with one
// line and exit code 2 before the directory is even made.
TEST_F(Enroltool, PasswordIsTakenOnlyAsTheLoginTakesIt) {
  const struct {
    std::string typed;
    int rc;
  } cases[] = {
      {"123456789012345", 2},     // the login needs 16
      {"1234567890123456", 0},
      {"12345678901234567", 2},   // the login field takes no more than 16
      {"123456789012345678", 2},
      {"123456789012345€→", 2},   // "→" has no Windows-1252 form
      {"123456789012345ä", 0},    // 16 characters in Windows-1252, 17 bytes in UTF-8
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    std::filesystem::remove_all(inst());
    Result r = run("init " + shq(inst()) + " --admin-password=" + shq(c.typed));
    ASSERT_EQ(r.rc, c.rc) << r.err;
    if (c.rc != 0) {
      EXPECT_EQ(lines(r.err), 1) << r.err;
      EXPECT_EQ(r.err.rfind("enroltool: ", 0), 0u) << r.err;
      EXPECT_FALSE(std::filesystem::exists(inst()));
      continue;
    }
    store::reset_store();
    platform::set_working_directory(inst());
    ASSERT_EQ(store::load_konfig(), 1);
    ASSERT_EQ(store::load_all(), 1);
    EXPECT_EQ(store::db().users[0].password(), testsupport::cp(c.typed));
    EXPECT_TRUE(store::login(0, "Admin", testsupport::cp(c.typed), false).logged_in);
    platform::set_working_directory("");
  }
  // The usage text gives the same rule.
  EXPECT_NE(run("--help").out.find("password must have exactly 16 characters"), std::string::npos);
}

TEST_F(Enroltool, ExistingInstallationIsKeptWithoutForce) {
  init();
  Bytes cfg = read_file(file("Programm.cfg"));
  flip_byte("Personen.dat", 10);  // any change: must survive the refused init
  Bytes persons = read_file(file("Personen.dat"));
  Result r = run("init " + shq(inst()) + " --admin-password " + shq(kPassword));
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(lines(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("--force"), std::string::npos);
  EXPECT_TRUE(testsupport::same_bytes(cfg, read_file(file("Programm.cfg"))));
  EXPECT_TRUE(testsupport::same_bytes(persons, read_file(file("Personen.dat"))));

  // With --force the damaged installation is replaced by a fresh one.
  r = run("--yes init --force " + shq(inst()) + " --admin-password 0123456789abcdef");
  ASSERT_EQ(r.rc, 0) << r.err;
  r = run("verify " + shq(inst()));
  EXPECT_EQ(r.rc, 0) << r.out;
  EXPECT_FALSE(std::ifstream(file("Personen.dat.enroltool-old")).good());
  store::reset_store();
  platform::set_working_directory(inst());
  ASSERT_EQ(store::load_konfig(), 1);
  ASSERT_EQ(store::load_all(), 1);
  EXPECT_EQ(store::db().users[0].password(), "0123456789abcdef");
  platform::set_working_directory("");
}

TEST_F(Enroltool, FailedReplacementPutsTheOldInstallationBack) {
  init();
  const char* names[] = {"Programm.cfg", "Personen.dat", "Template.dat",
                         "Leser.dat",    "Eingabe.dat",  "Usepas.dat"};
  std::vector<Bytes> before;
  for (const char* n : names) before.push_back(read_file(file(n)));
  // Something in the way of the last file's set-aside name: it cannot be
  // settled, so nothing is replaced, and Log.txt names the file.
  std::string blocker = file("Usepas.dat") + ".old";
  ASSERT_TRUE(std::filesystem::create_directory(blocker));
  write_file(blocker + "/keep", testsupport::bytes_of("x"));

  Result r = run("init --force " + shq(inst()) + " --admin-password 0123456789abcdef");
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(lines(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("Log.txt"), std::string::npos) << r.err;
  const Bytes log = read_file(file("Log.txt"));
  EXPECT_NE(std::string(log.begin(), log.end()).find("Usepas.dat"), std::string::npos);
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_TRUE(testsupport::same_bytes(before[i], read_file(file(names[i])))) << names[i];
    EXPECT_FALSE(std::filesystem::exists(file(names[i]) + ".new")) << names[i];
  }
  std::filesystem::remove_all(blocker);
  r = run("verify " + shq(inst()));
  EXPECT_EQ(r.rc, 0) << r.out;
}

#ifndef _WIN32
// init --force cut off at every call that changes a file (ENROL_CRASH_AT):
// the next command finds the old installation or the new one, entirely.
TEST_F(Enroltool, ForcedInitCutOffAtEveryCallLeavesTheOldOrTheNewInstallation) {
  init();
  const testsupport::Files before = testsupport::files_in(inst());
  const std::string force = "init --force " + shq(inst()) + " --admin-password 0123456789abcdef";
  ASSERT_EQ(0, run(force).rc);
  const testsupport::Files after = testsupport::files_in(inst());
  // Another new installation differs only in its number and date, which lie in
  // the Konfigsatz behind the 128-byte key header of Programm.cfg (verify reads it).
  const Bytes& cfg = after.at("Programm.cfg");
  auto is_new = [&](testsupport::Files now) {
    auto it = now.find("Programm.cfg");
    if (it != now.end() && it->second.size() == cfg.size()) std::copy(cfg.begin() + 128, cfg.end(), it->second.begin() + 128);
    return now == after;
  };
  int n = 1;
  for (;; ++n) {
    testsupport::put_files(inst(), before);
    Result r = tooltest::run_tool(ENROLTOOL_PATH, force, scratch, "ENROL_CRASH_AT=" + std::to_string(n) + " ");
    ASSERT_TRUE(r.rc == 86 || r.rc == 0) << n << ": " << r.err;
    ASSERT_EQ(0, run("verify " + shq(inst())).rc) << n;
    const testsupport::Files now = testsupport::files_in(inst());
    EXPECT_TRUE(now == before || is_new(now)) << n;
    if (r.rc == 0) break;
  }
  EXPECT_GE(n, 35);  // six files written and flushed, the intent file, eleven renames, removals
}
#endif

TEST_F(Enroltool, BadInputGetsOneLineAndAnExitCode) {
  struct Case {
    std::string args;
    int rc;
  };
  write_file(scratch.file("plain-file"), testsupport::bytes_of("x"));
  const Case cases[] = {
      {"", 2},
      {"frobnicate", 2},
      {"verify", 2},
      {"verify a b", 2},
      {"verify --fast " + shq(dir.path()), 2},
      {"show --all " + shq(dir.path()) + " users", 2},
      {"export --all", 2},
      {"import --force", 2},
      {"layout --here export", 2},
      {"show " + shq(dir.path()), 2},
      {"show " + shq(dir.path()) + " everything", 2},
      {"init", 2},
      {"init " + shq(inst()), 2},
      {"init " + shq(inst()) + " --admin-password", 2},
      {"init " + shq(inst()) + " --colour " + " --admin-password " + shq(kPassword), 2},
      {"verify " + shq(dir.path() + "/missing"), 1},
      {"show " + shq(dir.path() + "/missing") + " users", 1},
      {"verify " + shq(scratch.file("plain-file")), 1},
      {"verify " + shq(dir.path()), 1},  // a directory without an installation
      {"init " + shq(scratch.file("plain-file")) + " --admin-password " + shq(kPassword), 1},
  };
  for (const Case& c : cases) {
    Result r = run(c.args);
    EXPECT_EQ(r.rc, c.rc) << c.args << "\n" << r.err;
    if (c.args.empty()) {
      EXPECT_NE(r.err.find("Usage: enroltool"), std::string::npos);
    } else {
      EXPECT_EQ(lines(r.err), 1) << c.args << "\n" << r.err;
      EXPECT_EQ(r.err.rfind("enroltool: ", 0), 0u) << r.err;
    }
  }
  Result help = run("--help");
  EXPECT_EQ(help.rc, 0);
  EXPECT_NE(help.out.find("show DIR config|persons|readers|input|users"), std::string::npos);
}

TEST_F(Enroltool, ForeignOrTruncatedConfigurationIsReported) {
  init();
  Bytes good = read_file(file("Programm.cfg"));
  struct Case {
    Bytes content;
    std::string expected;
  };
  Bytes foreign(2064);
  for (std::size_t i = 0; i < foreign.size(); ++i) foreign[i] = static_cast<std::uint8_t>(i * 7);
  Bytes truncated(good.begin(), good.begin() + 100);
  Bytes header_only(good.begin(), good.begin() + 128);
  Bytes old_layout(128 + 1904, 0x11);
  const Case cases[] = {
      {foreign, "(code -4)"},
      {old_layout, "layout of database version 0"},
      {truncated, "(code -3)"},
      {Bytes(), "(code -3)"},
      {header_only, "(code -30)"},
  };
  for (const Case& c : cases) {
    write_file(file("Programm.cfg"), c.content);
    SCOPED_TRACE(c.expected);
    for (const std::string& cmd : {std::string("verify "), std::string("show ")}) {
      Result r = run(cmd + shq(inst()) + (cmd == "show " ? " config" : ""));
      EXPECT_EQ(r.rc, 1) << cmd << c.expected;
      EXPECT_NE(r.err.find("Programm.cfg: "), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
      // The tool's own line comes last, after any box the loading showed.
      EXPECT_EQ(last_line(r.err).rfind("enroltool: Programm.cfg: ", 0), 0u) << r.err;
    }
    // Only read: the file is as it was.
    EXPECT_TRUE(testsupport::same_bytes(c.content, read_file(file("Programm.cfg"))));
  }
}

TEST_F(Enroltool, VerifyNamesEveryDamagedRecordWithItsCode) {
  init();
  flip_byte("Personen.dat", 6 * 224 + 200);     // record 7
  flip_byte("Template.dat", 2 * 10208 + 5000);  // record 3
  flip_byte("Usepas.dat", 95);                  // record 1, its check byte
  Bytes readers = read_file(file("Leser.dat"));
  readers.resize(readers.size() - 10);  // record 32 cut short
  write_file(file("Leser.dat"), readers);
  std::remove(file("Eingabe.dat").c_str());

  Result r = run("verify " + shq(inst()));
  EXPECT_EQ(r.rc, 1);
  const char* expected[] = {
      "Personen.dat: 500 slots: 0 in use, 499 free, 1 failing\n  record 7: code -11",
      "Template.dat: 500 slots: 0 with templates, 499 without, 1 failing\n  record 3: code -11",
      ("Leser.dat: 32 slots: 0 in use, 31 free, 1 failing\n  size 3062 bytes, expected 3072\n"
       "  record 32: code -10"),
      "Eingabe.dat: 1 slot: 0 read, 0 free, 1 failing\n  missing",
      "Usepas.dat: 17 slots: 1 in use, 15 free, 1 failing\n  record 1: code -11",
      "verify: 5 faults found",
  };
  for (const char* e : expected) EXPECT_NE(r.out.find(e), std::string::npos) << e << "\n" << r.out;

  r = run("show " + shq(inst()) + " persons");
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.out.find("Person 7: does not read (code -11)"), std::string::npos) << r.out;
  r = run("show " + shq(inst()) + " input");
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.out.find("Input mask 1: does not read (code -3)"), std::string::npos) << r.out;
}

}  // namespace
