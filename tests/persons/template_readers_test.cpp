// The template windows and the readers: after an enrolment the transponder
// write at the simulated station and the load of the person into simulated
// readers; after a deletion (all at once, or finger by finger with the send
// in the middle of the pass) the readers brought up to date. After each, what
// the readers hold is what the files say.
#include "enrol_fixture.h"

#include "ops/reader_loop.h"
#include "resources/ids/d_down_an_leser.h"
#include "resources/ids/d_matching.h"
#include "resources/ids/d_temp_del.h"
#include "store/store.h"

namespace enroltest {
namespace {

const std::string kSaveAndNoMore =
    "Finger captured succesfully!\n\nQ-value for finger ist good.\n\nSave data set?\n\n|Finger Info\n"
    "Do you want to capture / change other templates?|Template\n";
const std::string kAskWrite = "Do you want to write the data on the transponder?|Template\n";
const std::string kAskLoad = "Do you want to load the data to the finger print reader now?|Template\n";
const std::string kAskPersonData = "\nMöchten Sie zu den Personendaten wechseln ?\n|Frage\n";

using AfterEnrolment = Program;

TEST_F(AfterEnrolment, CardWrittenThenPersonLoadedIntoTheReaders) {
  Mask m;
  m.module = store::kLegicModule;
  start(m);
  attach_readers();
  station->set_auto_card({0x04, 0xA1, 0xB2, 0xC3});
  station->set_card_delay(5);  // presented after the link sync of the wait
  Person p = person("9201");
  p.write_on_transponder = p.distribute = true;
  const int number = store_person(p);

  ui::Window d = enrol_for("9201");
  ASSERT_NE(ui::kNoWindow, d);
  hl::advance(100);
  station->script_qualities({85});
  EXPECT_EQ(kSaveAndNoMore + kAskWrite, press(d, ui::kIdAction, {kYes, kNo, kYes}));
  ui::Window matching = dialog("D_MATCHING");
  ASSERT_NE(ui::kNoWindow, matching);
  EXPECT_FALSE(ui::window_enabled(list()));
  ASSERT_TRUE(hl::choose_item(matching, res::d_matching::kLevel, "03"));
  EXPECT_EQ(kAskLoad, press(matching, ui::kIdAction, {kYes}));
  EXPECT_EQ((std::vector<std::string>{
                "Now hold the transponder in front of the reader.\r\n\r\nPlease wait ...",
                "Transponder was recognized, will now write the data.\r\n\r\nPlease wait ...",
                "Data was correctly written!\r\n\r\nNow the transponder can be removed again."}),
            hl::overlay_texts());
  EXPECT_FALSE(station->transparent(1));
  // Level 3, one template of 384 bytes in group 1, its data after byte 23.
  const std::uint8_t* m2 = store::db().eingabe.rfid_module2();
  const std::size_t at = static_cast<std::size_t>(m2[1] << 8 | m2[2]);
  const std::vector<sim::Card> cards = station->cards();
  ASSERT_EQ(1u, cards.size());
  EXPECT_EQ((sim::Bytes{3, 1, 1, 0x11, 0x80}),
            sim::Bytes(cards[0].memory.begin() + static_cast<long>(at),
                       cards[0].memory.begin() + static_cast<long>(at + 5)));

  ui::Window s = dialog("D_DOWN_AN_LESER");
  ASSERT_NE(ui::kNoWindow, s);
  EXPECT_EQ("Please select all readers you want to send data to.",
            ui::get_text(s, res::d_down_an_leser::kInstruction));
  EXPECT_EQ("Load completed succesfully.|Info\n", press(s, ui::kIdAction, {kOk}));
  EXPECT_EQ(ui::kNoWindow, dialog("D_DOWN_AN_LESER"));
  EXPECT_TRUE(ui::window_enabled(list()));
  EXPECT_EQ((1u << door) | (1u << gate), person_on_disk(number).reader_mask());
  EXPECT_TRUE(readers_follow_database());
}

// What is offered after a stored enrolment follows the person's options and
// the RF-ID module; each offer declined leads to the question about the
// person data.
TEST_F(AfterEnrolment, OffersFollowOptionsAndModule) {
  struct Case {
    const char* name;
    int module;
    bool write, distribute;
    std::vector<std::string> offers;
  };
  const Case cases[] = {
      {"write and load", store::kMifareModule, true, true, {kAskWrite, kAskLoad}},
      {"125 kHz: no write", store::k125kHzModule, true, true, {kAskLoad}},
      {"write only", store::kDesfireModule, true, false, {kAskWrite}},
      {"neither", store::kNoModule, false, false, {}},
  };
  start();
  store_person(person("9301"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store::db().eingabe.set_module_type(static_cast<std::uint16_t>(c.module));
    store::Personensatz& rec = store::db().persons[0];
    rec.set_write_on_transponder(c.write ? 1 : 0);
    rec.set_distribute_to_reader(c.distribute ? 1 : 0);
    ui::Window d = enrol_for("9301");
    ASSERT_NE(ui::kNoWindow, d);
    hl::advance(100);
    station->script_qualities({85});
    // Save, no other templates, no to every offer and to the person data.
    std::vector<int> answers = {kYes, kNo, kNo};
    std::string shown = kSaveAndNoMore;
    for (const std::string& offer : c.offers) {
      answers.push_back(kNo);
      shown += offer;
    }
    EXPECT_EQ(shown + kAskPersonData, press(d, ui::kIdAction, answers));
    EXPECT_EQ(ui::kNoWindow, hl::top_dialog());
  }
}

// Deletion: A with two templates, B with one, both loaded into both readers
// beforehand.
class DeletionToReaders : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    start();
    attach_readers();
    a = store_person(person("8101", true, {{0, 300, 1, 85}, {1, 300, 2, 91}}));
    b = store_person(person("8102", true, {{0, 300, 1, 80}}));
    ASSERT_EQ(0, ops::run_reader_loop(ops::persons_plan(), {door, gate}, {a - 1, b - 1}, {}).failures);
    const std::uint32_t both = (1u << door) | (1u << gate);
    ASSERT_EQ(both, person_on_disk(a).reader_mask());
    ASSERT_EQ(both, person_on_disk(b).reader_mask());
    ASSERT_TRUE(readers_follow_database());
    hl::clear_boxes();
    ASSERT_TRUE(hl::choose_menu(2110));
    ASSERT_TRUE(hl::select_rows(delete_list(), 8000, {0, 1}));
  }
  int a = 0, b = 0;
};

TEST_F(DeletionToReaders, AllAtOnceThenThePersonsLeaveTheReaders) {
  hl::script_answer(kYes);
  ASSERT_TRUE(hl::right_click_row(delete_list(), 8000, 0));
  hl::pump();
  ui::Window s = dialog("D_DOWN_AN_LESER");
  ASSERT_NE(ui::kNoWindow, s);
  EXPECT_FALSE(ui::window_enabled(delete_list()));
  // No closing message on this road.
  EXPECT_EQ("", press(s, ui::kIdAction, {}));
  EXPECT_EQ(ui::kNoWindow, dialog("D_DOWN_AN_LESER"));
  EXPECT_TRUE(ui::window_enabled(delete_list()));
  EXPECT_EQ(0u, person_on_disk(a).reader_mask());
  EXPECT_EQ(0u, person_on_disk(b).reader_mask());
  EXPECT_TRUE(readers_follow_database());
  EXPECT_TRUE(readers.bus().users(1).empty());
}

TEST_F(DeletionToReaders, FingerByFingerSendsThePersonInTheMiddleOfThePass) {
  hl::script_answer(kNo);
  ASSERT_TRUE(hl::right_click_row(delete_list(), 8000, 0));
  ui::Window d = temp_del();
  ASSERT_NE(ui::kNoWindow, d);
  hl::advance(100);
  EXPECT_EQ("", press(d, ui::kIdAction, {}));  // block 0 of A
  // B waits in the saved selection while A alone is sent.
  EXPECT_EQ("Daten jetzt an die Leser senden ?|Frage\nT = 2, RPers = 1, Pers = 1|Info\n",
            press(d, ui::kIdExitMenu, {kYes, kOk}));
  hl::pump();
  ui::Window s = dialog("D_DOWN_AN_LESER");
  ASSERT_NE(ui::kNoWindow, s);
  EXPECT_EQ("T = 2, RPers = 1, Pers = 1|Info\n", press(s, ui::kIdAction, {kOk}));
  hl::pump();
  EXPECT_EQ(300, templates_on_disk(a).length(1));
  EXPECT_TRUE(readers_follow_database());

  // The pass goes on with B; left without a deletion, nothing is asked.
  d = temp_del();
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ("8102", ui::get_text(d, res::d_temp_del::kPersonnelNumber));
  EXPECT_EQ("", press(d, ui::kIdExitMenu, {}));
  EXPECT_EQ(ui::kNoWindow, temp_del());
  EXPECT_EQ(ui::kNoWindow, dialog("D_DOWN_AN_LESER"));
}

}  // namespace
}  // namespace enroltest
