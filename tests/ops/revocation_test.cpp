// The ledger of unfinished removals against simulated readers (three on one
// bus, one behind its own endpoint): a deletion a silent reader does not
// confirm, an ID change, an erase whose reader then fills up, a restore, a
// restart, a full ledger, input-mask changes and failures of Widerruf.dat.
// After each step every reader that is not marked holds only current persons
// and what the ledger names for it, and every person whose bit is set is held.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ops/backup.h"
#include "ops/maintenance.h"
#include "ops/persons.h"
#include "ops/reader_loop.h"
#include "ops/revocation.h"
#include "platform/fault.h"
#include "platform/headless/boxes.h"
#include "store/store.h"
#include "support/distribution.h"
#include "support/support.h"

namespace {

namespace hl = ui::headless;
using testsupport::person;
using testsupport::store_person;

sim::Bytes bytes_of(const store::UserId& id) { return sim::Bytes(id.b.begin(), id.b.begin() + id.len); }

class Revocation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(testsupport::new_installation(dir.path()));
    ASSERT_EQ(1, ops::open_ledger(ui::kNoWindow));
    readers.start();
    a = readers.add_reader("Door A", 1);
    b = readers.add_reader("Door B", 2);
    d = readers.add_reader("Gate D", 4);
    first = store_person(person("0000000001", "0000000011", 2));
    second = store_person(person("0000000002", "0000000012", 1));
    ASSERT_EQ(3, ops::run_reader_loop(ops::persons_plan(), {a, b, d}, {first - 1}, {}).stored);
    hl::clear_boxes();
  }
  void TearDown() override {
    readers.stop();
    platform::fault::reset();
    store::reset_store();
  }

  // The gate's connection cannot be made (quicker than the silence of the first test).
  void unplug_gate(bool unplug) {
    store::Lesersatz& r = store::db().readers[d];
    if (unplug) port = r.tcp_port();
    r.set_tcp_port(static_cast<std::uint16_t>(unplug ? 1 : port));
  }
  static store::UserId id_of(int n) { return store::user_id_of(store::db().persons[n - 1], store::db().eingabe); }
  bool holds(int slot, const store::UserId& id) {
    for (const sim::User& u : readers.sim_of(slot).users(readers.address_of(slot)))
      if (u.user_id == bytes_of(id)) return true;
    return false;
  }
  void restart() {  // the program starts again on the same files
    store::reset_store();
    ASSERT_EQ(1, store::load_konfig());
    ASSERT_EQ(1, store::load_all());
    ASSERT_EQ(1, ops::open_ledger(ui::kNoWindow));
  }

  // Every reader not marked holds only the user IDs of current persons or of
  // its ledger entries, and holds every person whose bit it has.
  ::testing::AssertionResult known() {
    const store::Tables& t = store::db();
    for (int slot : {a, b, d}) {
      if (t.ledger.head.reason(slot) != store::EraseReason::None) continue;
      std::vector<sim::Bytes> named;
      for (const store::Widerrufsatz& e : t.ledger.entries)
        if (e.used() && e.reader() == slot) named.push_back(bytes_of(e.user_id()));
      for (const store::Personensatz& p : t.persons) {
        if (!p.used()) continue;
        named.push_back(bytes_of(store::user_id_of(p, t.eingabe)));
        if ((p.reader_mask() & (1u << slot)) && !holds(slot, store::user_id_of(p, t.eingabe)))
          return ::testing::AssertionFailure() << p.personalnummer() << " claims reader slot " << slot;
      }
      for (const sim::User& u : readers.sim_of(slot).users(readers.address_of(slot)))
        if (std::find(named.begin(), named.end(), u.user_id) == named.end())
          return ::testing::AssertionFailure() << "reader slot " << slot << " holds an unknown user";
    }
    return ::testing::AssertionSuccess();
  }

  testsupport::TempDir dir;
  testsupport::SimulatedReaders readers;
  int a = 0, b = 0, d = 0, first = 0, second = 0;
  std::uint16_t port = 0;
};

TEST_F(Revocation, ASilentReaderKeepsTheRemovalUntilItAnswersAgain) {
  const store::UserId gone = id_of(first);
  sim::Fault silence;
  silence.count = 100000;
  readers.single().inject(silence);
  const ops::PersonDeletion del = ops::delete_person(first - 1, ui::kNoWindow);
  EXPECT_TRUE(del.person == first && del.removal.failed == 1);
  EXPECT_TRUE(!holds(a, gone) && !holds(b, gone) && holds(d, gone));
  EXPECT_EQ(1, ops::open_removals(d));
  EXPECT_EQ("1 reader to clean", ops::cleaning_status());
  EXPECT_TRUE(known());

  restart();  // the ledger is kept in Widerruf.dat
  EXPECT_EQ(1, ops::open_removals(d));
  EXPECT_NE(std::string::npos, ops::cleaning_report().find("Pos. 003, Gate D: 1 removal(s) not confirmed"));

  // A load while the reader is still silent leaves the entry; once it answers,
  // the next load removes the ID first.
  ops::run_reader_loop(ops::persons_plan(), {d}, {second - 1}, {});
  EXPECT_EQ(1, ops::open_removals(d));
  readers.single().clear_faults();
  hl::clear_boxes();
  EXPECT_EQ(1, ops::run_reader_loop(ops::persons_plan(), {d}, {second - 1}, {}).stored);
  EXPECT_FALSE(holds(d, gone));
  EXPECT_EQ(0, ops::open_removals(d));
  EXPECT_EQ("", ops::cleaning_status());
  EXPECT_TRUE(known());
  const testsupport::Bytes raw = testsupport::read_file(dir.file("Log.txt"));
  const std::string log(raw.begin(), raw.end());
  for (const char* line : {" did not confirm the removal of user ID ", " confirmed the removal of user ID "})
    EXPECT_NE(std::string::npos, log.find("Widerruf  - Reader 2 Gate D" + std::string(line) + gone.hex()));
}

TEST_F(Revocation, ANewIdentificationNumberRemovesTheOldUserIdFromEveryReader) {
  const store::Personensatz stored = store::db().persons[first - 1];
  const store::UserId old_id = id_of(first);
  unplug_gate(true);
  store::Personensatz w;
  w.set_name("Muster");
  ops::PersonFields f;
  f.personnel = stored.personalnummer();
  f.identification = "77";  // a replacement card
  f.pin = stored.user_pin();
  bool padded = false;
  const ops::ChangeResult r = ops::save_person_changes(stored, w, f, &padded, ui::kNoWindow);
  ASSERT_EQ(first, r.number);
  EXPECT_TRUE(padded && r.id_changed);
  EXPECT_EQ(1, r.removal.failed);
  const store::UserId new_id = id_of(first);
  for (int slot : {a, b}) EXPECT_TRUE(!holds(slot, old_id) && !holds(slot, new_id));
  EXPECT_EQ(1, ops::open_removals(d));
  const store::Personensatz& now = store::db().persons[first - 1];
  EXPECT_EQ(0u, now.reader_mask());
  EXPECT_EQ(stored.group_mark(2), now.group_mark(2));  // the finger data stay
  unplug_gate(false);
  EXPECT_TRUE(known());

  // A save that keeps the user ID asks no reader.
  readers.bus().clear_traffic();
  const store::Personensatz again = now;
  f.identification = again.ausweisnummer();
  EXPECT_FALSE(ops::save_person_changes(again, w, f, &padded, ui::kNoWindow).id_changed);
  EXPECT_TRUE(readers.bus().traffic().empty());
}

TEST_F(Revocation, AnEraseClearsTheReadersBitsBeforeItsPersonsAreSent) {
  const int third = store_person(person("0000000003", "0000000013", 1));
  ASSERT_EQ(1, ops::run_reader_loop(ops::persons_plan(), {a}, {third - 1}, {}).stored);
  ASSERT_TRUE(store::db().persons[third - 1].reader_mask() & (1u << a));
  // The reader's store now takes two persons only.
  sim::DeviceState s = readers.bus().device(readers.address_of(a));
  s.capacity = 2;
  readers.bus().set_device(readers.address_of(a), s);
  hl::clear_boxes();

  const ops::LoopResult r =
      ops::run_reader_loop(ops::bulk_plan(false), {a}, ops::persons_in_use(), {});
  EXPECT_EQ(2, r.stored);
  EXPECT_EQ(1, r.failures);
  EXPECT_FALSE(store::db().persons[third - 1].reader_mask() & (1u << a));
  EXPECT_TRUE(known());
}

TEST_F(Revocation, ARestoreMarksEveryReaderUntilItIsErased) {
  const std::string file = dir.file("all.bak"), card = "0000000000000004A1B2";
  ASSERT_TRUE(ops::take_start(ops::kBackup, file, card));
  ASSERT_EQ(1, ops::backup_restore(ops::kBackup, file));
  // Someone made after the backup reaches a reader, and a reader added since
  // holds him too: the restored database does not know that reader at all.
  const int later = store_person(person("0000000009", "0000000019", 1));
  const int added = readers.add_reader("Hall E", 3);
  ASSERT_EQ(2, ops::run_reader_loop(ops::persons_plan(), {a, added}, {later - 1}, {}).stored);
  const store::UserId later_id = id_of(later);

  ops::Hooks hooks;
  hooks.read_transponder = [card](std::string* number) { return *number = card, 1; };
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);  // restore it
  hl::script_answer(ui::kIdNo);   // keep the password
  ASSERT_EQ(1, ops::backup_restore(ops::kRestore, file, hooks));
  // Only the added reader is named, by its connection and bus address.
  ASSERT_FALSE(hl::boxes().empty());
  const std::string told = hl::boxes().back().text;
  EXPECT_NE(std::string::npos, told.find(":\r\n\r\nHall E (127.0.0.1:" + std::to_string(store::db().readers[a].tcp_port()) +
                                          ", address 03)\r\n\r\nEnter each")) << told;
  EXPECT_EQ(std::string::npos, told.find("Door")) << told;
  restart();
  for (int slot : {a, b, d}) EXPECT_EQ(store::EraseReason::Restore, store::db().ledger.head.reason(slot));
  EXPECT_EQ("3 readers to clean", ops::cleaning_status());
  EXPECT_TRUE(holds(a, later_id));  // nobody could name it any more

  hl::clear_boxes();
  ops::run_reader_loop(ops::bulk_plan(false), {a, b, d}, ops::persons_in_use(), {});
  EXPECT_EQ("", ops::cleaning_status());
  EXPECT_FALSE(holds(a, later_id));
  EXPECT_TRUE(known());
}

TEST_F(Revocation, AFullRegionMarksTheReader) {
  store::UserId id;
  for (id.len = 1; id.b[0] <= store::kLedgerPerReader; ++id.b[0])
    EXPECT_EQ(1, ops::remember_removal(d, id, "P", "A"));
  EXPECT_EQ(store::kLedgerPerReader, ops::open_removals(d));
  restart();
  EXPECT_EQ(store::EraseReason::LedgerFull, store::db().ledger.head.reason(d));
  // "Delete data in reader" cleans it.
  ops::run_maintenance(ops::Maintenance::Erase, {d}, {});
  EXPECT_EQ(0, ops::open_removals(d));
  EXPECT_EQ(store::EraseReason::None, store::db().ledger.head.reason(d));
  EXPECT_TRUE(known());
}

TEST_F(Revocation, AMaintenanceCheckThatWipesTheReaderClearsItsBitsAndRemovals) {
  store::UserId id;
  id.len = 1;
  ASSERT_EQ(1, ops::remember_removal(a, id, "P", "A"));
  readers.mismatch_parameters(a);
  hl::script_answer(ui::kIdYes);  // update the reader's parameters
  ops::run_maintenance(ops::Maintenance::Test, {a}, {});
  EXPECT_FALSE(store::db().persons[first - 1].reader_mask() & (1u << a));
  EXPECT_EQ(0, ops::open_removals(a));
  EXPECT_TRUE(known());
}

TEST_F(Revocation, OnlyInputMaskChangesThatChangeUserIdsMarkTheReaders) {
  using Mask = store::Eingabesatz;
  const std::pair<void (*)(Mask&), bool> cases[] = {
      {[](Mask& m) { m.set_default_firma("AB"); }, true},
      {[](Mask& m) { m.set_ausweis_len(12); }, true},
      {[](Mask& m) { m.set_zusatz_active(2, 1); }, true},
      {[](Mask& m) { m.set_zusatz_active(3, 1), m.set_zusatz_len(3, 2); }, true},
      {[](Mask& m) { m.set_zusatz_len(4, 3); }, false},  // an inactive field
      {[](Mask& m) { m.set_name_len(9); }, false},
  };
  for (const auto& [change, marks] : cases) {
    store::db().ledger = store::Ledger{};
    const Mask before = store::db().eingabe;
    change(store::db().eingabe);
    ops::input_mask_saved(before);
    EXPECT_EQ(marks ? 3 : 0, ops::readers_to_clean()) << &change - &cases[0].first;
    store::db().eingabe = before;
  }
}

TEST_F(Revocation, AFailingLedgerFileIsShownAndNeverTakenForDone) {
  // Writing the entry fails: the person goes all the same, the failure is shown and counted.
  for (platform::fault::Op op : {platform::fault::Op::FileOpen, platform::fault::Op::FileWrite}) {
    SCOPED_TRACE(static_cast<int>(op));
    const int slot = store_person(person("0000000005", "0000000015", 1)) - 1;
    unplug_gate(true);
    hl::clear_boxes();
    platform::fault::arm(op, 3);  // the person record, its template record, the ledger entry
    const ops::PersonDeletion del = ops::delete_person(slot, ui::kNoWindow);
    platform::fault::reset();
    unplug_gate(false);
    EXPECT_TRUE(del.person > 0 && del.removal.failed == 1 && del.removal.not_noted == 1);
    EXPECT_NE(std::string::npos, hl::boxes().back().text.find("could not be noted in Widerruf.dat"));
    EXPECT_EQ(1, ops::open_removals(d));
    ops::reader_erased(d);
  }
  // Reading fails at the start: every reader is to be erased, also after the next start.
  for (platform::fault::Op op : {platform::fault::Op::FileOpen, platform::fault::Op::FileRead}) {
    SCOPED_TRACE(static_cast<int>(op));
    hl::clear_boxes();
    platform::fault::arm(op, 1);
    EXPECT_LT(ops::open_ledger(ui::kNoWindow), 0);
    platform::fault::reset();
    ASSERT_EQ(1u, hl::boxes().size());
    EXPECT_NE(std::string::npos, hl::boxes()[0].text.find("Widerruf.dat could not be read"));
    EXPECT_EQ(3, ops::readers_to_clean());
    restart();
    EXPECT_EQ(store::EraseReason::Unreadable, store::db().ledger.head.reason(a));
    for (int slot : {a, b, d}) ops::reader_erased(slot);
  }
}

}  // namespace
