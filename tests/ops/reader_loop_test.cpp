// The reader loop against simulated readers (three on one bus behind one TCP
// endpoint, one behind another): the bulk download with a reader whose
// parameters need an update, a reader that fails its check and a person
// without templates; erase mode; the person download; each copy's texts, log
// lines and bar steps; store failures. After each run what the readers hold
// equals the database and every reader mask.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diag/log.h"
#include "link/link.h"
#include "ops/reader_loop.h"
#include "platform/fault.h"
#include "platform/headless/boxes.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "store/store.h"
#include "support/distribution.h"
#include "support/support.h"

namespace {

namespace hl = ui::headless;
using testsupport::PersonSpec;
using testsupport::person;
using testsupport::store_person;

class Loop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(testsupport::new_installation(dir.path()));
    readers.start();
  }
  void TearDown() override {
    readers.stop();
    platform::fault::reset();
    hl::clear_boxes();
    store::reset_store();
  }

  // The loop with hooks that count the bar's steps and the persons done.
  ops::LoopResult run(const ops::LoopPlan& plan, const std::vector<int>& reader_slots,
                      const std::vector<int>& persons) {
    ops::LoopHooks h;
    h.step = [this] {
      ++steps;
      if (on_step) on_step();
    };
    h.person_done = [this] { ++done; };
    return ops::run_reader_loop(plan, reader_slots, persons, h);
  }

  std::vector<std::string> box_lines() const {
    std::vector<std::string> out;
    for (const auto& b : hl::boxes())
      out.push_back(res::cp1252_to_utf8(b.caption) + ": " + res::cp1252_to_utf8(b.text));
    return out;
  }
  std::string log() const {
    testsupport::Bytes b = testsupport::read_file(dir.file("Log.txt"));
    return res::cp1252_to_utf8(std::string(b.begin(), b.end()));
  }
  // The tables as the files hold them.
  std::unique_ptr<store::Tables> on_disk() {
    auto saved = std::make_unique<store::Tables>(store::db());
    EXPECT_EQ(1, store::load_all());
    auto loaded = std::make_unique<store::Tables>(store::db());
    store::db() = *saved;
    return loaded;
  }

  testsupport::TempDir dir;
  testsupport::SimulatedReaders readers;
  int steps = 0, done = 0;
  std::function<void()> on_step;
};

TEST_F(Loop, BulkDownloadLeavesEveryReaderAsTheDatabaseSays) {
  const int a = readers.add_reader("Door A", 1);
  const int b = readers.add_reader("Door B", 2);
  const int lost = readers.add_unreachable("Lost");
  const int d = readers.add_reader("Gate D", 4);
  readers.mismatch_parameters(b);
  // Someone the readers hold but the database does not know: erased.
  const int ghost = store_person(person("GHOST00001", "00000000AA", 1));
  ASSERT_TRUE(run(ops::bulk_plan(false), {a}, {ghost - 1}).stored == 1);
  store::db().person_write.set_nummer(static_cast<std::uint32_t>(ghost));
  ASSERT_EQ(ghost, store::rw_person(store::kDelete));
  store::db().persons[ghost - 1] = store::Personensatz{};

  store_person(person("0000000001", "0000000011", 2));
  const int bare = store_person(person("0000000002", "0000000012", 0));
  store_person(person("0000000003", "0000000013", 1, 1010));
  // The person without templates is marked in readers a and lost from before.
  store::Personensatz& p = store::db().persons[bare - 1];
  p.set_reader_mask((1u << a) | (1u << lost));
  store::db().person_write = p;
  ASSERT_EQ(bare, store::rw_person(store::kWrite));
  hl::clear_boxes();
  steps = done = 0;
  hl::script_answer(ui::kIdYes);  // reader b: update its parameters

  ops::LoopResult r = run(ops::bulk_plan(false), {a, b, lost, d}, ops::persons_in_use());

  EXPECT_EQ(9, r.stored);
  EXPECT_EQ(1, r.failures);
  EXPECT_EQ(18, steps);  // the skipped reader's persons do not move the bar
  EXPECT_EQ(9, done);
  ASSERT_EQ(4u, r.readers.size());
  EXPECT_EQ(2, r.readers[1].first_check);
  EXPECT_TRUE(r.readers[2].skipped);
  const std::vector<std::string> shown = box_lines();
  ASSERT_EQ(4u, shown.size());
  EXPECT_EQ("Info Door B: Reader parameter update was carried out succesfully.\n\nAttention!!!\n"
            "The reader must now be re-loaded with the data!\n",
            shown[1]);
  EXPECT_EQ("Download error: Lost, Address 1\r\nError during check_reader_parameter!, Number -2.",
            shown[2]);
  EXPECT_EQ("Load info: The download is now complete.\nThe templates of the persons were loaded!\n\n",
            shown[3]);
  EXPECT_NE(std::string::npos,
            log().find("DownAlle  - Lost, Adresse 1\r\nFehler bei check_leser_parameter !, Nummer -2."));

  auto disk = on_disk();
  EXPECT_TRUE(readers.hold({a, b, d}, *disk));
  // The bare person's bit for a is cleared; the unreachable reader's bit stays.
  EXPECT_EQ(1u << lost, disk->persons[bare - 1].reader_mask());
  EXPECT_EQ(disk->persons[bare - 1].reader_mask(), store::db().persons[bare - 1].reader_mask());
  EXPECT_EQ((1u << a) | (1u << b) | (1u << d), disk->persons[0].reader_mask() & ~(1u << lost));
}

TEST_F(Loop, EraseModeEmptiesDatabaseAndReaders) {
  const int a = readers.add_reader("Door A", 1);
  const int d = readers.add_reader("Gate D", 4);
  store_person(person("0000000001", "0000000011", 2));
  store_person(person("0000000002", "0000000012", 1));
  ASSERT_EQ(4, run(ops::bulk_plan(false), {a, d}, ops::persons_in_use()).stored);
  ASSERT_TRUE(readers.hold({a, d}, *on_disk()));
  hl::clear_boxes();

  EXPECT_EQ(0, ops::delete_all_templates(ui::kNoWindow));
  ops::LoopResult r = run(ops::bulk_plan(true), {a, d}, ops::persons_in_use());

  EXPECT_EQ(4, r.stored);
  EXPECT_EQ(std::vector<std::string>{"Load delete: The download is now complete.\n"
                                     "The templates of all persons were deleted!\n\n"},
            box_lines());
  auto disk = on_disk();
  EXPECT_TRUE(readers.hold({a, d}, *disk));
  EXPECT_TRUE(readers.bus().users(1).empty());
  for (int slot : ops::persons_in_use()) {
    EXPECT_EQ(0u, disk->persons[slot].reader_mask());
    for (int g = 1; g <= 10; ++g) EXPECT_EQ(0, disk->persons[slot].group_mark(g));
  }
}

TEST_F(Loop, PersonDownloadAddsWithoutErasingAndReportsEachPersonForAFailingReader) {
  const int a = readers.add_reader("Door A", 1);
  const int c = readers.add_reader("Door C", 3);
  const int lost = readers.add_unreachable("Lost");
  store_person(person("0000000001", "0000000011", 1));
  const int second = store_person(person("0000000002", "0000000012", 1));
  const int third = store_person(person("0000000003", "0000000013", 2));
  ASSERT_EQ(6, run(ops::bulk_plan(false), {a, c}, ops::persons_in_use()).stored);
  const std::string release = readers.bus().device(1).release;
  // The second person gets new templates, the third loses its own.
  store::Templatesatz& t = store::db().template_write;
  t = store::Templatesatz{};
  t.set_nummer(static_cast<std::uint32_t>(second));
  for (int b = 0; b < 3; ++b) {
    t.set_length(b, 300);
    t.set_group(b, static_cast<std::uint8_t>(b + 1));
    t.set_quality(b, 90);
    for (int i = 0; i < 300; ++i) t.data(b)[i] = static_cast<std::uint8_t>(b * 7 + i);
  }
  ASSERT_EQ(second, store::rw_template(store::kWrite));
  t = store::Templatesatz{};
  t.set_nummer(static_cast<std::uint32_t>(third));
  ASSERT_EQ(third, store::rw_template(store::kWrite));
  hl::clear_boxes();
  readers.bus().clear_traffic();

  ops::LoopResult r = run(ops::persons_plan(), {a, lost, c}, {second - 1, third - 1});

  EXPECT_EQ(4, r.stored);
  EXPECT_EQ((std::vector<std::string>{
                "Info: Error during check_reader_parameter!, Number -2",
                "Info: Error during check_reader_parameter!, Number -2",
                "Load info: The download is now complete.\nThe templates of the persons were loaded!\n\n"}),
            box_lines());
  auto disk = on_disk();
  EXPECT_TRUE(readers.hold({a, c}, *disk));
  EXPECT_EQ(0u, disk->persons[third - 1].reader_mask());
  // Nothing erased, no release info sent.
  for (const sim::Record& rec : readers.bus().traffic()) {
    if (rec.unit == sim::Unit::Frame && rec.payload.size() > 2) {
      EXPECT_FALSE(rec.payload[1] == 'Y' && rec.payload[2] == 0x07);
    }
  }
  EXPECT_EQ(release, readers.bus().device(1).release);
}

// What each copy of the loop shows, logs and steps when a person's check fails
// (the reader's parameters do not match and the update is declined) or brings
// the reader's parameters up to date (the update is accepted).
TEST_F(Loop, EachCopyUsesItsOwnTextsTagAndSteps) {
  struct Case {
    const char* name;
    ops::LoopPlan plan;
    int answer;
    const char* box;  // caption: text of the loop's own box, "" for none
    const char* line;  // log line, "" for none
    int steps;
  };
  const Case cases[] = {
      {"bulk", ops::bulk_plan(false), ui::kIdNo,
       "Download error: Error during check_reader_parameter!, Error number -16.",
       "DownAlle  - Fehler bei check_leser_parameter !, Fehlernummer -16", 2},
      {"persons", ops::persons_plan(), ui::kIdNo, "Info: Error during check_reader_parameter!, Number -16",
       "DPView    - Fehler bei check_leser_parameter !, Nummer -16", 2},
      {"template list", ops::template_list_plan(), ui::kIdNo,
       "Info: Error during check_reader_parameter!, Number -16.",
       "TView     - Fehler bei check_leser_parameter !, Nummer -16", 2},
      {"toc", ops::toc_plan(), ui::kIdNo, "Info: Error during check_reader_parameter!, Number -16.",
       "ToC       - Fehler bei check_leser_parameter !, Nummer -16", 2},
      {"bulk updated", ops::bulk_plan(false), ui::kIdYes, "", "", 2},
      {"persons updated", ops::persons_plan(), ui::kIdYes, "", "", 2},
      {"template list updated", ops::template_list_plan(), ui::kIdYes, "", "", 2},
      {"toc updated", ops::toc_plan(), ui::kIdYes, "", "", 1},
  };
  const int a = readers.add_reader("Door A", 1);
  const int slot = store_person(person("0000000001", "0000000011", 1)) - 1;
  const sim::DeviceState original = readers.bus().device(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    hl::clear_boxes();
    platform::file_delete(dir.file("Log.txt"));
    steps = 0;
    // At the person's first step the reader's parameters stop matching.
    on_step = [&] {
      if (steps == 1) {
        readers.mismatch_parameters(a);
        hl::script_answer(c.answer);
      }
    };
    ops::LoopResult r = run(c.plan, {a}, {slot});
    on_step = nullptr;
    EXPECT_EQ(0, r.stored);
    EXPECT_EQ(c.steps, steps);
    std::vector<std::string> shown = box_lines();
    ASSERT_FALSE(shown.empty());
    shown.erase(shown.begin());  // the link's question
    if (*c.box) {
      EXPECT_EQ(std::vector<std::string>{c.box}, shown);
      EXPECT_NE(std::string::npos, log().find(c.line)) << log();
    } else {
      ASSERT_EQ(1u, shown.size());  // only the link's note about the update
      EXPECT_EQ(std::string::npos, log().find("Fehler")) << log();
    }
    readers.bus().set_device(1, original);
  }
}

// A parameter update in the middle of a person download deletes what the
// reader held: the masks of the persons loaded before must no longer claim it.
TEST_F(Loop, AnUpdateThatDeletesTheReadersDataClearsTheMasks) {
  const int a = readers.add_reader("Door A", 1);
  const int first = store_person(person("0000000001", "0000000011", 1));
  const int second = store_person(person("0000000002", "0000000012", 1));
  ASSERT_EQ(2, run(ops::persons_plan(), {a}, {first - 1, second - 1}).stored);
  hl::clear_boxes();
  steps = 0;
  on_step = [&] {
    if (steps == 3) {  // the second person's check sees other parameters
      readers.mismatch_parameters(a);
      hl::script_answer(ui::kIdYes);
    }
  };
  run(ops::persons_plan(), {a}, {first - 1, second - 1});
  on_step = nullptr;
  EXPECT_TRUE(readers.hold({a}, store::db()));
  EXPECT_EQ(0u, store::db().persons[first - 1].reader_mask() & (1u << a));
}

TEST_F(Loop, StoreFailuresAreShownAndTheLoopGoesOn) {
  const int a = readers.add_reader("Door A", 1);
  const int first = store_person(person("0000000001", "0000000011", 1));
  store_person(person("0000000002", "0000000012", 1));
  hl::clear_boxes();
  // The first person's record does not open for reading; the mask write of the
  // second person fails (its third open: person, template, mask write).
  platform::fault::arm(platform::fault::Op::FileOpen, 1);
  on_step = [this] {
    if (steps == 3) platform::fault::arm(platform::fault::Op::FileOpen, 3);
  };
  ops::LoopResult r = run(ops::persons_plan(), {a}, {first - 1, first});
  platform::fault::reset();

  EXPECT_EQ(1, r.stored);
  EXPECT_EQ((std::vector<std::string>{
                "Info: Fehler beim lesen des Personensatzes !, Nummer -4",
                "Update Fehler: Fehler beim updaten der Personendaten !, Fehlernummer -4",
                "Load info: The download is now complete.\nThe templates of the persons were loaded!\n\n"}),
            box_lines());
  EXPECT_NE(std::string::npos, log().find("DPView    - Fehler beim lesen des Personensatzes !, Nummer -4"));
  EXPECT_NE(std::string::npos,
            log().find("DPView    - Fehler beim updaten der Personendaten !, Fehlernummer -4"));
  EXPECT_EQ(4, steps);
  // The reader holds the second person; its mask is in the table, not on disk.
  EXPECT_EQ(1u << a, store::db().persons[first].reader_mask());
  EXPECT_EQ(0u, on_disk()->persons[first].reader_mask());
}

}  // namespace
