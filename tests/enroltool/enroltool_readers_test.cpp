// enroltool reader add / reader list / download / person add, run as a program
// on an installation in a temporary directory: the reader form's checks and
// messages, the bulk download to simulated readers (the pre-selected ones or
// those given, with --erase), and the exit codes.
#ifndef _WIN32
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "enroltool/tool_runner.h"
#include "platform/workdir.h"
#include "store/store.h"
#include "support/distribution.h"

#ifndef ENROLTOOL_PATH
#error "ENROLTOOL_PATH must name the built enroltool"
#endif

namespace {

using tooltest::Result;
using tooltest::shq;

class ToolReaders : public ::testing::Test {
 protected:
  void SetUp() override {
    Result r = run("init " + inst() + " --admin-password Sesam-oeffne-di!");
    ASSERT_EQ(0, r.rc) << r.err;
  }
  void TearDown() override {
    sims.stop();
    store::reset_store();
  }
  Result run(const std::string& args) { return tooltest::run_tool(ENROLTOOL_PATH, args, scratch); }
  std::string inst() const { return shq(dir.path()); }
  // The installation loaded in this process too (readers and persons are put
  // in place through the store, and read back after the tool ran).
  void load() {
    store::reset_store();
    platform::set_working_directory(dir.path());
    ASSERT_EQ(1, store::load_konfig());
    ASSERT_EQ(1, store::load_all());
  }
  static bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }

  testsupport::TempDir dir, scratch;
  testsupport::SimulatedReaders sims;
};

TEST_F(ToolReaders, ReaderAddAppliesTheFormsChecks) {
  struct Case {
    const char* args;
    int rc;
    const char* said;  // on standard error (refusals) or output
  };
  const Case cases[] = {
      {"--name Door --tcp 192.168.0.20:10001 --address 2 --preselect", 0, "reader slot 0 (record 1): Door"},
      {"--name Door --tcp 192.168.0.21:10001 --address 2", 2,
       "Info: Der Lesername ist schon vorhanden, er muss eindeutig (einmalig) sein !"},
      {"--name door --tcp 192.168.0.20:10001 --address 2", 2,
       "Info: Leseranschluss und Busadresse sind schon vorhanden !"},
      {"--name Gate --tcp 224.0.0.1:10001 --address 1", 2,
       "Info: Fehlerhafte Eingabe im Feld IP Adresse oder Name vorhanden !"},
      {"--name Gate --tcp door-reader:999 --address 1", 2, "Info: Angabe für TCP Port ist nicht zulässig !"},
      {"--name Gate --tcp :10001 --address 1", 2,
       "Info: Keine Eingabe im Feld IP Adresse oder Name vorhanden !"},
      {"--name '' --com 3 --address 1", 2, "Info: Keine Eingabe im Feld Lesername vorhanden !"},
      {"--name Stores --com 3 --baud 2 --address 1", 0, "reader slot 1 (record 2): Stores"},
      {"--name Stores2 --com 3 --baud 4 --address 1", 2,
       "Info: Leseranschluss und Busadresse sind schon vorhanden !"},
      {"--name 'A reader name of thirty chars' --com 3 --address 2 --inactive", 0,
       "reader slot 2 (record 3): A reader name of thirty c"},
      {"--tcp 10.0.0.1:10001 --address 1", 2, "--name NAME is needed"},
      {"--name X --com 33 --address 1", 2, "--com needs a port 1 to 32"},
      {"--name X --com 1", 2, "--address N is needed"},
      {"--name X --com 1 --address 1 --preselect --inactive", 2, "not both"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Result r = run("reader add " + inst() + " " + c.args);
    EXPECT_EQ(c.rc, r.rc) << r.err;
    EXPECT_TRUE(has(c.rc == 0 ? r.out : r.err, c.said)) << r.out << r.err;
  }
  Result list = run("reader list " + inst());
  EXPECT_EQ(0, list.rc);
  EXPECT_EQ("slot  bus  pre-selected  connection                  name\n"
            "   0    2  yes           tcp 192.168.0.20:10001      Door\n"
            "   1    1  no            com 3 at 38400 baud         Stores\n"
            "   2    2  no            com 3 at 115200 baud        A reader name of thirty c\n"
            "3 readers\n",
            list.out);
}

TEST_F(ToolReaders, DownloadToThePreselectedOrTheGivenReaders) {
  ASSERT_NO_FATAL_FAILURE(load());
  sims.start();
  const int a = sims.add_reader("Door A", 1);
  const int c = sims.add_reader("Door C", 3, false);
  const int lost = sims.add_unreachable("Lost", false);
  const int d = sims.add_reader("Gate D", 4);
  store::reset_store();
  Result p1 = run("person add " + inst() +
                  " --name Muster --personnel-number 0000000001 --id 11 --demo-templates 2");
  ASSERT_EQ(0, p1.rc) << p1.err;
  ASSERT_EQ(0, run("person add " + inst() + " --name Beispiel --personnel-number 0000000002 --id 12").rc);

  Result r = run("download " + inst());
  EXPECT_EQ(0, r.rc) << r.err;
  EXPECT_TRUE(has(r.err, "reader 0 Door A: check passed, 2 persons stored\n")) << r.err;
  EXPECT_TRUE(has(r.err, "reader 3 Gate D: check passed, 2 persons stored\n")) << r.err;
  EXPECT_TRUE(has(r.err, "Load info: The download is now complete. The templates of the persons were loaded!"));
  ASSERT_NO_FATAL_FAILURE(load());
  EXPECT_TRUE(sims.hold({a, c, d}, store::db()));
  EXPECT_EQ((1u << a) | (1u << d), store::db().persons[0].reader_mask());
  EXPECT_EQ(1u, sims.bus().users(1).size());  // the second person has no templates
  EXPECT_TRUE(sims.bus().users(3).empty());

  // Given readers, one of which cannot be reached: exit 1, one line each.
  r = run("download " + inst() + " --readers " + std::to_string(c) + "," + std::to_string(lost));
  EXPECT_EQ(1, r.rc);
  EXPECT_TRUE(has(r.err, "reader 1 Door C: check passed, 2 persons stored\n")) << r.err;
  EXPECT_TRUE(has(r.err, "reader 2 Lost: check failed (-2), skipped\n")) << r.err;
  ASSERT_NO_FATAL_FAILURE(load());
  EXPECT_TRUE(sims.hold({a, c, d}, store::db()));

  // --erase asks first; without --yes nothing happens.
  r = run("download " + inst() + " --erase --readers 0");
  EXPECT_EQ(1, r.rc);
  EXPECT_TRUE(has(r.err, "Templates löschen: ACHTUNG !!! Sollen alle Templates")) << r.err;
  ASSERT_NO_FATAL_FAILURE(load());
  EXPECT_EQ(1, store::db().persons[0].group_mark(1));
  r = run("--yes download " + inst() + " --erase --readers 0,3");
  EXPECT_EQ(0, r.rc) << r.err;
  EXPECT_TRUE(has(r.err, "Load delete: The download is now complete. The templates of all persons were deleted!"));
  ASSERT_NO_FATAL_FAILURE(load());
  EXPECT_TRUE(sims.hold({a, d}, store::db()));
  EXPECT_TRUE(sims.bus().users(1).empty());
  EXPECT_EQ(1u << c, store::db().persons[0].reader_mask());  // reader c was not in this run
  EXPECT_EQ(0, store::db().persons[0].group_mark(1));
}

TEST_F(ToolReaders, ChangeAndDeleteRemoveTheOldIdsAndTheLedgerSaysWhatIsLeft) {
  ASSERT_NO_FATAL_FAILURE(load());
  sims.start();
  const int a = sims.add_reader("Door A", 1);
  const int lost = sims.add_unreachable("Lost");
  store::reset_store();
  for (const char* p : {"0000000001 --id 11", "0000000002 --id 12"})
    ASSERT_EQ(0, run("person add " + inst() + " --name Muster --demo-templates 1 --personnel-number " + p).rc);
  ASSERT_EQ(0, run("download " + inst() + " --persons 0000000001,0000000002 --readers " +
                   std::to_string(a)).rc);
  ASSERT_EQ(2u, sims.bus().users(1).size());

  const std::tuple<const char*, int, const char*> steps[] = {  // arguments, exit code, said
      {"person change DIR --personnel-number 0000000001 --id 12", 2, "Die Ausweisnummer ist schon vorhanden !"},
      {"person change DIR --personnel-number 0000000001 --id 99 --name Neu", 1, "the old user ID was sent"},
      {"person delete DIR --personnel-number 0000000002", 1,
       "The identification no. 0000000012 could not be deleted on ther reader Lost."},
      {"revocations DIR --retry", 1, "1 remove 01234567890000000011 0000000001 0000000011 "},
      {"revocations DIR", 1, "1 remove 01234567890000000012 0000000002 0000000012 "},
  };
  for (const auto& [args, rc, said] : steps) {
    std::string line = args;
    Result r = run(line.replace(line.find("DIR"), 3, inst()));
    EXPECT_EQ(rc, r.rc) << line << r.out << r.err;
    EXPECT_TRUE(has(r.out + r.err, said)) << line << r.out << r.err;
  }
  // Door A holds nobody any more: both old IDs went, the new one was never sent.
  EXPECT_TRUE(sims.bus().users(1).empty());
  // The lost reader comes back as address 2 of the bus; an erase noted in the
  // installation cleans it.
  ASSERT_NO_FATAL_FAILURE(load());
  store::Lesersatz& back = store::db().edit_reader = store::db().readers[lost];
  back.set_tcp_port(static_cast<std::uint16_t>(sims.bus_port())), back.set_bus_address(1);
  ASSERT_EQ(lost + 1, store::rw_leser(store::kWrite));
  Result r = run("reader-erase --tcp 127.0.0.1:" + std::to_string(sims.bus_port()) + " --address 2 --dir " + inst());
  EXPECT_EQ(0, r.rc) << r.err;
  EXPECT_TRUE(has(r.out, "reader slot " + std::to_string(lost) + ":")) << r.out;
  r = run("revocations " + inst());
  EXPECT_EQ(0, r.rc) << r.out;
  EXPECT_TRUE(has(r.out, "nothing left to remove in any reader")) << r.out;
}

TEST_F(ToolReaders, DownloadArgumentsAndEmptyInstallations) {
  struct Case {
    const char* args;
    int rc;
    const char* said;
  };
  const Case cases[] = {
      {"", 2, "no reader is pre-selected"},
      {"--readers 7", 2, "reader slot 7 holds no reader"},
      {"--readers 0,x", 2, "--readers needs reader slots 0 to 31"},
      {"--readers 0,0", 2, "given twice"},
      {"--fast", 2, "unknown option --fast"},
      {"--parallel 0", 2, "--parallel needs a number of connections 1 to 32"},
      {"--readers 0", 1, "Info: No personnel data is captured yet!"},
  };
  ASSERT_EQ(0, run("reader add " + inst() + " --name Door --tcp 127.0.0.1:10001 --address 1").rc);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Result r = run("download " + inst() + " " + c.args);
    EXPECT_EQ(c.rc, r.rc);
    EXPECT_TRUE(has(r.err, c.said)) << r.err;
  }
}

}  // namespace
#endif
