// The service commands of enroltool (station-info, read-card, reader-check,
// reader-erase), run as a program against the simulated station and reader bus
// on loopback TCP in this process: output and exit codes on the good path, a
// failing operation, the answer to the reader-check question, bad arguments.
#ifndef _WIN32
#include <string>

#include <gtest/gtest.h>

#include "enroltool/sim_fixture.h"

namespace {

using tooltest::Result;

class EnroltoolLink : public tooltest::ToolWithSim {};

TEST_F(EnroltoolLink, StationInfo) {
  std::string conn = start(sim::Bus::Station);
  dev->set_serial({0x41, 0x42, 0x43, 0x44, 0x45, 0x30, 0x31, 0x32, 0x33, 0x34});
  dev->set_hw_type(5);
  Result r = run("station-info " + conn);
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "serial number: 41424344453031323334\nhardware type: 5\n");
  expect_closed_and_off(1);

  // The hardware answer does not check: enrol_init fails with -4.
  sim::Fault f;
  f.kind = sim::FaultKind::BadBcc;
  f.command = {'H'};
  dev->inject(f);
  r = run("station-info " + conn);
  EXPECT_EQ(r.rc, 256 - 4);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("enrol_init failed, result -4"), std::string::npos) << r.err;
  expect_closed_and_off(1);
}

TEST_F(EnroltoolLink, ReadCard) {
  std::string conn = start(sim::Bus::Station);
  dev->present_card({0x04, 0xA1, 0xB2});
  Result r = run("read-card " + conn + " --time 2000");
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "card serial number: 0000000000000004A1B2\n");
  expect_closed_and_off(1);

  dev->remove_card();
  r = run("read-card " + conn + " --time 100");
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("no card within 100 ms"), std::string::npos) << r.err;
  expect_closed_and_off(1);

  // A card is reported, but the answer to read_csn is cut short: what arrived
  // and the result are told, not "no card".
  dev->present_card({0x04, 0xA1, 0xB2});
  sim::Fault f;
  f.kind = sim::FaultKind::Short;
  f.command = {'G'};
  dev->inject(f);
  r = run("read-card " + conn + " --time 2000");
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.find("no card within"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("answer holds no card serial number: 7 bytes 31470000000000\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("enrol_read_csn failed, result 0\n"), std::string::npos) << r.err;
  expect_closed_and_off(1);
}

TEST_F(EnroltoolLink, ReaderCheckAsksBeforeUpdating) {
  std::string conn = start(sim::Bus::Readers);
  Result r = run("reader-check " + conn + " --address 5");
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "reader parameters in order\n");
  expect_closed_and_off(5);

  // Another PIN length in the reader: the update deletes its templates, so it
  // is asked for. No (the default, or --no) keeps the reader as it is.
  sim::DeviceState d = dev->device(5);
  const sim::Bytes original = d.set1;
  d.set1[3] = 4;
  dev->set_device(5, d);
  for (const char* answer : {"", "--no "}) {
    r = run(std::string(answer) + "reader-check " + conn + " --address 5");
    EXPECT_EQ(r.rc, 256 - 16) << answer;
    EXPECT_NE(r.err.find("check_leser_parameter failed, result -16"), std::string::npos) << r.err;
    EXPECT_EQ(dev->device(5).set1[3], 4);
    expect_closed_and_off(5);
  }
  r = run("reader-check " + conn + " --address 5 --yes");  // global options stand anywhere
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "reader parameters updated; the reader must be loaded again\n");
  EXPECT_EQ(dev->device(5).set1, original);
  expect_closed_and_off(5);

  // An address with no reader on the bus: nothing answers.
  r = run("reader-check " + conn + " --address 4");
  EXPECT_GT(r.rc, 2);
  EXPECT_NE(r.err.find("check_leser_parameter failed, result -3"), std::string::npos) << r.err;
  expect_closed_and_off(4);
}

TEST_F(EnroltoolLink, ReaderErase) {
  std::string conn = start(sim::Bus::Readers);
  sim::DeviceState d = dev->device(2);
  sim::User u;
  u.user_id = {0x12, 0x34};
  u.pin = "111111";
  u.templates.push_back({1, sim::Bytes(300, 7)});
  d.users = {u, u};
  d.users[1].user_id = {0x56};
  dev->set_device(2, d);
  Result r = run("reader-erase " + conn + " --address 2");
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "all templates deleted in the reader\n");
  EXPECT_TRUE(dev->users(2).empty());
  expect_closed_and_off(2);

  // The reader refuses the telegram.
  sim::Fault f;
  f.kind = sim::FaultKind::NakForAck;
  f.command = {'Y', 0x07};
  dev->inject(f);
  r = run("reader-erase " + conn + " --address 2");
  EXPECT_EQ(r.rc, 256 - 19);
  EXPECT_NE(r.err.find("del_template failed, result -19"), std::string::npos) << r.err;
  expect_closed_and_off(2);
}

TEST_F(EnroltoolLink, NoDeviceListening) {
  std::string conn = start(sim::Bus::Station);
  dev->stop();
  // The station initialisation still closes the link that never opened, and
  // that failing close is its result.
  Result r = run("station-info " + conn);
  EXPECT_EQ(r.rc, 256 - 30);
  EXPECT_NE(r.err.find("enrol_init failed, result -30"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  // A reader operation gives up at once: no TCP/IP connection.
  r = run("reader-erase " + conn + " --address 2");
  EXPECT_EQ(r.rc, 256 - 2);
  EXPECT_NE(r.err.find("del_template failed, result -2"), std::string::npos) << r.err;
}

TEST_F(EnroltoolLink, BadArguments) {
  struct Case {
    const char* args;
    const char* complaint;
  };
  const Case cases[] = {
      {"station-info", "give --tcp, --serial or --dir"},
      {"reader-check --tcp 127.0.0.1:1", "--address N is needed"},
      {"reader-erase --tcp 127.0.0.1:1 --address 16", "--address needs a bus address 1 to 15"},
      {"reader-erase --tcp 127.0.0.1:1 --address x", "--address needs a bus address 1 to 15"},
      {"station-info --tcp 127.0.0.1", "--tcp needs HOST:PORT"},
      {"station-info --tcp :10001", "--tcp needs HOST:PORT"},
      {"station-info --tcp 127.0.0.1:70000", "--tcp needs HOST:PORT"},
      {"station-info --tcp 127.0.0.1:1 --serial /dev/null", "not both"},
      {"read-card --tcp 127.0.0.1:1 --time 5", "--time needs milliseconds"},
      {"read-card --tcp 127.0.0.1:1 --time", "needs a value"},
      {"station-info --tcp 127.0.0.1:1 --speed 3", "unknown option --speed"},
      {"station-info --tcp 127.0.0.1:1 extra", "unexpected argument 'extra'"},
      {"station-info --tcp 127.0.0.1:1 --time 500", "--time does not apply"},
      {"read-card --tcp 127.0.0.1:1 --address 3", "--address does not apply"},
      {"read-card --tcp 127.0.0.1:1 --baud 2", "--baud goes with --serial"},
      {"read-card --tcp 127.0.0.1:1 --mode 2", "--mode does not apply"},
      {"reader-erase --tcp 127.0.0.1:1 --address 2 --time 500", "--time does not apply"},
      {"reader-check --tcp 127.0.0.1:1 --address 2 --file x", "--file does not apply"},
      {"reader-check --address 1", "needs --tcp or --serial"},
      {"--maybe reader-check --tcp 127.0.0.1:1 --address 1", "--maybe"},
  };
  for (const Case& c : cases) {
    Result r = run(c.args);
    EXPECT_EQ(r.rc, 2) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.complaint), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.args << "\n" << r.err;  // one line
    EXPECT_EQ(r.out, "") << c.args;
  }
}

}  // namespace
#endif
