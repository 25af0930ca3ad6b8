// The maintenance commands of enroltool (params, reader-params, reader-mode,
// reader-reset) against the simulated reader bus: what the reader received,
// a reader that fails its check, faulty files that send nothing, bad arguments.
#ifndef _WIN32
#include <string>

#include <gtest/gtest.h>

#include "enroltool/sim_fixture.h"

namespace {

using testsupport::bytes_of;
using tooltest::Result;
using tooltest::shq;

class EnroltoolMaint : public tooltest::ToolWithSim {
 protected:
  std::string put(const char* name, const std::string& content) {
    testsupport::write_file(scratch.file(name), bytes_of(content));
    return shq(scratch.file(name));
  }
  bool has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }
};

TEST_F(EnroltoolMaint, ParamsListsSetsOrTheError) {
  Result r = run("params " + put("L-Parameter.txt", "504c01\r\n504C0203\r\n\r\n0A"));
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out,
            "lines: 4\n"
            "set 0 (3 bytes): 504C01\n"
            "set 1 (4 bytes): 504C0203\n"
            "set 2 (0 bytes)\n"
            "set 3 (1 bytes): 0A\n"
            "sets a download sends: 2\n");

  struct Case {
    const char* name;
    const char* content;
    // The boxes as the tool prints them, "caption: text" a line; a line break
    // of the text becomes a blank, so "!!!\n Fehlernummer" shows two.
    const char* boxes;
  };
  const Case cases[] = {
      {"L-Parameter.txt", "0a1",
       "Fehler Leser Parameter: Habe ein unzulässige Satzlänge eingelesen !!!\n"
       "Fehler Leser Parameter: Fehler beim lesen der Leserparameter Datei !!!  Fehlernummer -7.\n"},
      {"e-parameter.TXT", "AB\r\n0A 1B",
       "Fehler Enrol Parameter: Habe ein unzulässiges Zeichen eingelesen !!!\n"
       "Fehler Enrol Parameter: Fehler beim lesen der Enrol Parameter Datei !!!  Fehlernummer -6.\n"},
  };
  for (const Case& c : cases) {
    r = run("params " + put(c.name, c.content));
    EXPECT_EQ(r.rc, 1) << c.content;
    EXPECT_EQ(r.out, "") << c.content;
    EXPECT_EQ(r.err.substr(0, r.err.find("enroltool: ")), c.boxes);
    EXPECT_TRUE(has(r.err, "parameter file error -")) << r.err;
  }
  r = run("params " + shq(scratch.file("E-Parameter.txt")));
  EXPECT_EQ(r.rc, 1);
  EXPECT_TRUE(has(r.err, "Info Enrol Parameter: Fehler beim öffnen der Parameterdatei ! Ist sie vorhanden ?"))
      << r.err;
  EXPECT_TRUE(has(r.err, "parameter file error -3")) << r.err;
}

TEST_F(EnroltoolMaint, ReaderParamsSendsTheSetsByteForByte) {
  std::string conn = start(sim::Bus::Readers);
  std::string file = put("L-Parameter.txt", "504C0102\r\n504c10\n50FF0010AD");
  Result r = run("reader-params " + conn + " --address 5 --file " + file);
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "parameter sets sent to the reader: 3\n");
  const std::vector<sim::Bytes> sent = {
      {0x50, 0x4C, 0x01, 0x02}, {0x50, 0x4C, 0x10}, {0x50, 0xFF, 0x00, 0x10, 0xAD}};
  EXPECT_EQ(dev->device(5).loaded_sets, sent);
  EXPECT_TRUE(dev->device(2).loaded_sets.empty());
  expect_closed_and_off(5);

  // A faulty file addresses no reader at all.
  int opened = dev->connections_opened();
  r = run("reader-params " + conn + " --address 5 --file " + put("bad.txt", "504C0\n"));
  EXPECT_EQ(r.rc, 1);
  EXPECT_TRUE(has(r.err, "Fehlernummer -7.")) << r.err;
  EXPECT_EQ(dev->connections_opened(), opened);

  // The reader refuses the second set: the first stays taken, the third is not sent.
  r = run("reader-params " + conn + " --address 2 --file " + put("refused.txt", "504C01\n0001\n504C02"));
  EXPECT_EQ(r.rc, 256 - 18);
  EXPECT_TRUE(has(r.err, "load_reader_parameter failed, result -18")) << r.err;
  EXPECT_EQ(dev->device(2).loaded_sets, std::vector<sim::Bytes>{sim::Bytes({0x50, 0x4C, 0x01})});
  expect_closed_and_off(2);
}

TEST_F(EnroltoolMaint, ReaderModeAndReset) {
  std::string conn = start(sim::Bus::Readers);
  Result r = run("reader-mode " + conn + " --address 5 --mode 3");
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "operating mode of the reader: 3\n");
  EXPECT_EQ(dev->device(5).mode, 3);
  EXPECT_EQ(dev->device(2).mode, 0);
  expect_closed_and_off(5);

  // Reader 2 fails its check (another PIN length, the update declined): its
  // mode stays.
  sim::DeviceState d = dev->device(2);
  d.set1[3] = 4;
  dev->set_device(2, d);
  r = run("reader-mode " + conn + " --address 2 --mode 5");
  EXPECT_EQ(r.rc, 256 - 16);
  EXPECT_TRUE(has(r.err, "check_leser_parameter failed, result -16")) << r.err;
  EXPECT_EQ(dev->device(2).mode, 0);
  expect_closed_and_off(2);
  // Nor is it reset: the check comes first there too.
  r = run("reader-reset " + conn + " --address 2");
  EXPECT_EQ(r.rc, 256 - 16);
  EXPECT_TRUE(has(r.err, "check_leser_parameter failed, result -16")) << r.err;
  EXPECT_EQ(dev->device(2).resets, 0);
  expect_closed_and_off(2);

  // The reset reaches the reader at the address given, and only that one.
  r = run("reader-reset " + conn + " --address 5");
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "parameters of the reader reset\n");
  EXPECT_EQ(dev->device(5).resets, 1);
  EXPECT_EQ(dev->device(5).mode, 0);
  EXPECT_EQ(dev->device(2).resets, 0);
  expect_closed_and_off(5);
}

TEST_F(EnroltoolMaint, BadArguments) {
  struct Case {
    const char* args;
    const char* complaint;
  };
  const Case cases[] = {
      {"params", "give exactly one FILE"},
      {"reader-params --tcp 127.0.0.1:1 --address 2", "--file FILE is needed"},
      {"reader-params --tcp 127.0.0.1:1 --file x", "--address N is needed"},
      {"reader-mode --tcp 127.0.0.1:1 --address 2", "--mode 0..5 is needed"},
      {"reader-mode --tcp 127.0.0.1:1 --address 2 --mode 6", "--mode needs an operating mode 0 to 5"},
      {"reader-mode --address 2 --mode 1", "needs --tcp or --serial"},
      {"reader-reset --tcp 127.0.0.1:1", "--address N is needed"},
      {"reader-reset --tcp 127.0.0.1:1 --address 2 --file x", "--file does not apply"},
      {"reader-check --tcp 127.0.0.1:1 --address 2 --mode 1", "--mode does not apply"},
      {"reader-mode --tcp 127.0.0.1:1 --address 2 --mode 1 --time 500", "--time does not apply"},
      {"params --check", "params: unknown option --check"},
  };
  for (const Case& c : cases) {
    Result r = run(c.args);
    EXPECT_EQ(r.rc, 2) << c.args << "\n" << r.err;
    EXPECT_TRUE(has(r.err, c.complaint)) << c.args << "\n" << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.args << "\n" << r.err;
    EXPECT_EQ(r.out, "") << c.args;
  }
}

}  // namespace
#endif
