// enroltool download with readers on several connections, run at the same
// time and run one after the other (--parallel 1) on copies of one
// installation against simulated readers put back to the same state: what the
// readers hold and were sent, Personen.dat, Widerruf.dat, the exit code and the
// totals must be the same.
#ifndef _WIN32
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "enroltool/tool_runner.h"
#include "ops/revocation.h"
#include "platform/workdir.h"
#include "store/store.h"
#include "support/distribution.h"

namespace {

using testsupport::Bytes;

// One simulated reader: its simulator and bus address.
struct Unit {
  sim::Simulator* sim;
  int address;
};

struct Outcome {
  tooltest::Result result;
  Bytes persons, ledger;
  std::string readers;  // what each reader holds and was sent, as text
};

class ToolParallel : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::new_installation(base.path());
    sims.start();
    extra = std::make_unique<sim::Simulator>(sim::Options{sim::Bus::Readers, {1, 2}});
    extra_port = extra->listen_tcp();
    ASSERT_TRUE(extra->start());
  }
  void TearDown() override {
    sims.stop();
    extra->stop();
    store::reset_store();
  }
  // A reader at `address` of the extra bus (a third connection).
  int add_extra(const std::string& name, int address) {
    const int slot = testsupport::store_reader_record(name, extra_port, address, true);
    units.push_back({extra.get(), address});
    return slot;
  }
  int add_bus(const std::string& name, int address) {
    const int slot = sims.add_reader(name, address);
    units.push_back({&sims.sim_of(slot), address});
    return slot;
  }

  // Runs `download` on a copy of the base installation, the readers as they
  // were before the first run.
  Outcome run(const std::string& options) {
    if (initial.empty())
      for (const Unit& u : units) initial.push_back(u.sim->device(u.address));
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i].sim->set_device(units[i].address, initial[i]);
      units[i].sim->clear_faults();
      units[i].sim->clear_traffic();
    }
    for (const auto& [s, f] : faults) s->inject(f);
    auto dir = std::make_unique<testsupport::TempDir>();
    std::filesystem::copy(base.path(), dir->path(), std::filesystem::copy_options::recursive);
    Outcome o;
    o.result = tooltest::run_tool(ENROLTOOL_PATH, "--yes download " + tooltest::shq(dir->path()) + " " + options,
                                  scratch);
    o.persons = testsupport::read_file(dir->file(store::kPersonFile));
    o.ledger = testsupport::read_file(dir->file(store::kLedgerFile));
    for (const Unit& u : units) {
      o.readers += "reader " + std::to_string(u.address) + " holds";
      for (const sim::User& user : u.sim->users(u.address)) {
        o.readers += " " + sim::to_hex(user.user_id) + "/" + std::to_string(user.flags);
        for (const sim::Template& t : user.templates) o.readers += ":" + sim::to_hex(t.data);
      }
      o.readers += "\n  was sent";
      for (const sim::Record& rec : u.sim->traffic())
        if (rec.dir == sim::Dir::FromHost && rec.unit == sim::Unit::Frame && rec.address == u.address)
          o.readers += " " + sim::to_hex(rec.payload);
      o.readers += "\n";
    }
    runs.push_back(std::move(dir));
    return o;
  }
  // The download at the same time and one after the other: everything alike.
  Outcome same_as_one_at_a_time(const std::string& options) {
    const Outcome one = run(options + " --parallel 1");
    const Outcome all = run(options);
    EXPECT_EQ(one.result.rc, all.result.rc) << all.result.err;
    EXPECT_EQ(one.result.out, all.result.out);
    EXPECT_TRUE(testsupport::same_bytes(one.persons, all.persons));
    EXPECT_TRUE(testsupport::same_bytes(one.ledger, all.ledger));
    EXPECT_EQ(one.readers, all.readers);
    return all;
  }
  // The installation of the last run, loaded here.
  void load_last() {
    store::reset_store();
    platform::set_working_directory(runs.back()->path());
    ASSERT_EQ(1, store::load_konfig());
    ASSERT_EQ(1, store::load_all());
    ASSERT_EQ(1, store::load_ledger());
  }
  static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  testsupport::TempDir base, scratch;
  testsupport::SimulatedReaders sims;
  std::unique_ptr<sim::Simulator> extra;
  int extra_port = 0;
  std::vector<Unit> units;
  std::vector<sim::DeviceState> initial;
  std::vector<std::pair<sim::Simulator*, sim::Fault>> faults;
  std::vector<std::unique_ptr<testsupport::TempDir>> runs;
};

// Three connections with readers, one that cannot be reached: on the bus a
// reader whose first check updates its parameters and one that goes silent
// at the third person; every reader with removals left and an erase mark.
TEST_F(ToolParallel, FailuresAndUpdatesEndAsOneAfterTheOther) {
  const int a = add_bus("Door A", 1), u = add_bus("Door U", 2), s = add_bus("Door S", 3);
  const int d = add_bus("Gate D", 4), e1 = add_extra("Hall E1", 1), e2 = add_extra("Hall E2", 2);
  const int lost = sims.add_unreachable("Lost");
  sims.mismatch_parameters(u);
  const char* const ids[] = {"11", "12", "13", "14"};
  for (int i = 0; i < 4; ++i)
    testsupport::store_person(testsupport::person("000000000" + std::to_string(i + 1), ids[i], i == 2 ? 0 : 1 + i % 2, 120));
  store::Tables& t = store::db();
  for (int p = 0; p < 4; ++p) {
    t.person_write = t.persons[p];
    t.person_write.set_reader_mask(0xFFu);
    ASSERT_GT(store::rw_person(store::kWrite), 0);
  }
  ASSERT_EQ(1, ops::mark_all_readers(store::EraseReason::Restore));
  store::UserId gone;
  gone.len = 10;
  gone.b.fill(0x77);
  for (int slot : {a, s, lost, e2}) ASSERT_EQ(1, ops::remember_removal(slot, gone, "0000000099", "99"));
  sim::Fault silent;
  silent.kind = sim::FaultKind::SilenceFromThen;
  silent.address = 3;
  silent.count = 1000000;
  const store::UserId third = store::user_id_of(t.persons[2], t.eingabe);
  silent.command = {'Y', 0x06};
  silent.command.insert(silent.command.end(), third.b.begin(), third.b.begin() + third.len);
  faults.push_back({&sims.bus(), silent});

  const Outcome all = same_as_one_at_a_time("");
  EXPECT_EQ(1, all.result.rc);
  EXPECT_TRUE(has(all.result.err, "reader " + std::to_string(u) + " Door U: parameters updated, 4 persons stored"));
  EXPECT_TRUE(has(all.result.err, "reader " + std::to_string(s) + " Door S: check passed, 2 persons stored,"));
  // A reader's boxes come with its line, not amid another reader's.
  EXPECT_TRUE(has(all.result.err, "Download error: Lost, Address 1 Error during check_reader_parameter!, Number -2.\n"
                                  "reader " + std::to_string(lost) + " Lost: check failed (-2), skipped\n"));
  EXPECT_TRUE(has(all.result.err, "summary: 7 readers on 4 connections")) << all.result.err;
  ASSERT_NO_FATAL_FAILURE(load_last());
  EXPECT_TRUE(sims.hold({a, u, s, d}, store::db()));
  // The reader that was not reached keeps its bit, its removal and its mark.
  EXPECT_EQ(1u << lost, store::db().persons[0].reader_mask() & (1u << lost));
  EXPECT_EQ(1, ops::open_removals(lost));
  for (int slot : {a, u, s, d, e1, e2}) EXPECT_FALSE(ops::needs_cleaning(slot)) << slot;
  EXPECT_TRUE(ops::needs_cleaning(lost));
}

// Two readers alone on their connections, equally slow, finish every person
// at nearly the same moment: neither may lose the other's bit.
TEST_F(ToolParallel, NoMaskUpdateIsLostWhenTwoReadersFinishAPersonTogether) {
  const int d = add_bus("Gate D", 4), e = add_extra("Hall E", 1);
  for (int i = 1; i <= 6; ++i) testsupport::store_person(testsupport::person("000000000" + std::to_string(i), "2" + std::to_string(i), 1, 60));
  sims.single().set_answer_delay(15);
  extra->set_answer_delay(15);
  const Outcome all = same_as_one_at_a_time("--readers " + std::to_string(d) + "," + std::to_string(e));
  EXPECT_EQ(0, all.result.rc) << all.result.err;
  ASSERT_NO_FATAL_FAILURE(load_last());
  for (int p = 0; p < 6; ++p) EXPECT_EQ((1u << d) | (1u << e), store::db().persons[p].reader_mask()) << p;
}

// Two names of one device ("127.0.0.1" and "LocalHost") are one connection:
// its readers take turns instead of opening it twice at once.
TEST_F(ToolParallel, TwoNamesOfOneDeviceAreOneConnection) {
  add_extra("Hall E", 1);
  store::db().edit_reader = store::db().readers[add_extra("Hall F", 2)];
  store::db().edit_reader.set_ip("LocalHost");
  ASSERT_GT(store::rw_leser(store::kWrite), 0);
  testsupport::store_person(testsupport::person("0000000001", "31", 1, 60));
  const Outcome all = run("");
  EXPECT_EQ(0, all.result.rc) << all.result.err;
  EXPECT_TRUE(has(all.result.err, "summary: 2 readers on 1 connection,")) << all.result.err;
}

// On a terminal: one line per connection, rewritten in place, then the summary.
TEST_F(ToolParallel, OnATerminalEachConnectionKeepsOneLine) {
  const int d = add_bus("Gate D", 4), e = add_extra("Hall E", 1);
  testsupport::store_person(testsupport::person("0000000001", "31", 1, 60));
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(0, grantpt(master));
  ASSERT_EQ(0, unlockpt(master));
  const std::string slave = ptsname(master);
  const int held = open(slave.c_str(), O_RDWR | O_NOCTTY);  // the master reads until it is closed
  std::string screen;
  std::thread reading([&] {
    char buf[4096];
    for (long n; (n = read(master, buf, sizeof buf)) > 0;) screen.append(buf, static_cast<std::size_t>(n));
  });
  const std::string cmd = "TERM=xterm " + tooltest::shq(ENROLTOOL_PATH) + " download " + tooltest::shq(base.path()) +
                          " >/dev/null 2>" + tooltest::shq(slave);
  EXPECT_EQ(0, std::system(cmd.c_str()));
  close(held);
  reading.join();
  close(master);
  EXPECT_TRUE(has(screen, "\x1b[2A\r\x1b[2Ktcp 127.0.0.1:")) << screen;
  EXPECT_TRUE(has(screen, "done  1/1 persons  0 failures")) << screen;
  EXPECT_TRUE(has(screen, "summary: 2 readers on 2 connections")) << screen;
  EXPECT_TRUE(has(screen, "  reader " + std::to_string(d) + " Gate D: check passed, 1 person stored (")) << screen;
  EXPECT_TRUE(has(screen, "  reader " + std::to_string(e) + " Hall E: check passed, 1 person stored (")) << screen;
}

}  // namespace
#endif
