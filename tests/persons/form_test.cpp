// The person form D_PERSON: new set (command 2000), change and copy from the
// person list, the field rules and the checks of a save, the additional fields,
// "To the\ntemplate data" and a full person table.
#include "fixture.h"
#include "platform/clock.h"
#include "resources/ids/d_person.h"
#include "store/store.h"
#include "views/list_window.h"

namespace persontest {
namespace {

using namespace res::d_person;
using Form = Program;

constexpr const char* kNewPersonQuestion =
    "\nA new Person set was captured succesfully!\n\nDo you want to capture the template data "
    "now?\n\n|Message / Question\n";

TEST_F(Form, NewSetFollowsTheInputMask) {
  start();
  store::Eingabesatz& m = store::db().eingabe;
  m.set_change_company_active(1);
  m.set_company_description("Site");
  m.set_user_pin_len(4);
  ASSERT_TRUE(hl::choose_menu(2000));
  ui::Window f = form();
  ASSERT_NE(ui::kNoWindow, f);
  EXPECT_FALSE(ui::window_enabled(main()));
  const std::pair<int, int> limits[] = {
      {kName, 15}, {kFirstName, 15}, {kPersonnelNumber, 10}, {kIdentification, 10}, {kUserPin, 4}};
  for (const auto& l : limits) EXPECT_EQ(l.second, hl::text_limit(f, l.first)) << l.first;
  EXPECT_EQ("(4 digits)", ui::get_text(f, kDigitsLabel));
  EXPECT_EQ("Site", ui::get_text(f, kCompanyCodeLabel));
  EXPECT_EQ("0123456789", ui::get_text(f, kCompanyCode));
  EXPECT_FALSE(hl::type(f, kCompanyCode, "99"));
  // Defaults: the three template options, of the combined flags only "Finger
  // required"; no additional field is active.
  for (int id : {kWriteOnTransponder, kDistributeToReader, kSaveInDatabase, kFingerRequired})
    EXPECT_TRUE(ui::checked(f, id)) << id;
  EXPECT_FALSE(ui::checked(f, kTransponderRequired));
  EXPECT_FALSE(ui::checked(f, kPinRequired));
  for (int id : {kField1, kField2, kField3, kField4, kField1Label, kField4Label})
    EXPECT_FALSE(ui::control_visible(f, id)) << id;
  EXPECT_FALSE(ui::control_visible(f, ui::kIdAction));
  EXPECT_FALSE(ui::control_enabled(f, kInfoAccessReader));
  EXPECT_EQ("Create\nnew set", ui::get_text(f, ui::kIdSecond));

  // Only hexadecimal digits go into the hex fields; leaving one pads it, and the
  // identification number may not be left empty.
  ASSERT_TRUE(hl::type(f, kIdentification, "1g"));
  EXPECT_EQ("\nUnzulässiges Zeichen 'G' eingegeben !\nErlaubt sind die Zeichen 0 - 9 und A - F "
            "!\n\n|Info\n",
            boxes());
  EXPECT_EQ("1", ui::get_text(f, kIdentification));
  ASSERT_TRUE(hl::click_into(f, kUserPin));
  EXPECT_EQ("0000000001", ui::get_text(f, kIdentification));
  ASSERT_TRUE(hl::type(f, kUserPin, "7"));
  ASSERT_TRUE(hl::type(f, kIdentification, ""));
  hl::clear_boxes();
  hl::click_into(f, kName);
  EXPECT_EQ("Eine Eingabe in diesem Feld ist erforderlich !|Info\n", boxes());
  EXPECT_EQ(std::make_pair(f, static_cast<int>(kIdentification)), hl::focus());
  EXPECT_EQ("0007", ui::get_text(f, kUserPin));

  ASSERT_TRUE(hl::type(f, kIdentification, "5"));
  ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_TRUE(ui::window_enabled(main()));
  EXPECT_TRUE(personnel_on_disk().empty());
}

TEST_F(Form, EveryCheckRefusesWithItsMessageAndKeepsTheForm) {
  start();
  store_person({"Alt", "Anna", "1000000001", "00000000A1", ""});
  struct Case {
    Entry entry;
    const char* message;
  };
  const Case cases[] = {
      {{"", "", "", "", ""}, "Keine Eingabe im Feld Personalnummer vorhanden !"},
      {{"", "", "123456789", "2", ""}, "Die eingegebene Personalnummer ist zu kurz !"},
      {{"", "", "1000000002", "", ""}, "Keine Eingabe im Feld Ausweisnummer vorhanden !"},
      {{"", "", "1000000001", "2", ""},
       "Die Personalnummer ist schon vorhanden !\r\n\r\nBitte ändern Sie diese vor dem speichern "
       "bzw. kopieren !\r\n\r\n(Sie muss eindeutig sein)\r\n\r\n"},
      // "a1" is upper case and padded to the identification number of Anna.
      {{"", "", "1000000002", "a1", ""},
       "Die Ausweisnummer ist schon vorhanden !\r\n\r\nBitte ändern Sie diese vor dem speichern "
       "bzw. kopieren !\r\n\r\n(Sie muss eindeutig sein)\r\n\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(c.message) + "|Info\n", create(c.entry)) << c.message;
    ASSERT_NE(ui::kNoWindow, form());
    ASSERT_TRUE(hl::press(form(), ui::kIdExitMenu));
  }
  EXPECT_EQ((std::vector<std::string>{"1000000001"}), personnel_on_disk());

  // Without names, padded on leaving the field (not by the save: no pause).
  const std::uint64_t before = platform::vclock::elapsed();
  EXPECT_EQ(kNewPersonQuestion, create({"", "", "1000000002", "b2", "12"}));
  EXPECT_EQ(before, platform::vclock::elapsed());
  EXPECT_EQ(ui::kNoWindow, form());
  auto disk = on_disk();
  const store::Personensatz& p = disk->persons[1];
  EXPECT_EQ(2u, p.nummer());
  EXPECT_EQ("", p.name());
  EXPECT_EQ("00000000B2", p.ausweisnummer());
  EXPECT_EQ("000012", p.user_pin());
  EXPECT_EQ("0123456789", p.firmenkennung());
  EXPECT_EQ(0, p.fingerprint_flag());
  EXPECT_EQ(store::kNeedFinger, p.combined_mode());
  EXPECT_EQ(1, p.write_on_transponder());
  EXPECT_EQ(1, p.finger_count());
}

TEST_F(Form, AdditionalFieldsTakeTheirPlaceInTheRowAndAreRequired) {
  start();
  store::Eingabesatz& m = store::db().eingabe;
  m.set_zusatz_active(2, 1);
  m.set_zusatz_len(2, 3);
  m.set_zusatz_description(2, "Dept");
  m.set_zusatz_default(2, "1A");
  m.set_fix_bits(2);  // field 2 fixed
  m.set_zusatz_active(4, 1);
  m.set_zusatz_len(4, 1);
  m.set_with_fingerprint(1);
  ASSERT_TRUE(hl::choose_menu(2000));
  ui::Window f = form();
  for (int id : {kField1, kField1Label, kField3, kField3Label})
    EXPECT_FALSE(ui::control_visible(f, id)) << id;
  EXPECT_EQ("Dept", ui::get_text(f, kField2Label));
  EXPECT_EQ("after Ident. no.", ui::get_text(f, kField4Label));
  EXPECT_EQ("1A", ui::get_text(f, kField2));
  EXPECT_FALSE(hl::type(f, kField2, "FF"));
  EXPECT_EQ(2, hl::text_limit(f, kField4));
  // Company code, field 2, identification number, field 4 from the left edge
  // on, with the gaps they had.
  auto rect = [&](int id) { return ui::control_rect(f, id); };
  EXPECT_EQ(rect(kName).x, rect(kCompanyCode).x);
  EXPECT_EQ(rect(kCompanyCode).x, rect(kCompanyCodeLabel).x);
  const int gap = rect(kField2).x - (rect(kCompanyCode).x + rect(kCompanyCode).width);
  EXPECT_GT(gap, 0);
  // (The gaps were rounded from dialog units on their own.)
  EXPECT_NEAR(rect(kField2).x + rect(kField2).width + gap, rect(kIdentification).x, 1);
  EXPECT_NEAR(rect(kIdentification).x + rect(kIdentification).width + gap, rect(kField4).x, 1);
  EXPECT_EQ(rect(kField4).x, rect(kField4Label).x);

  enter(f, {"Bea", "", "1000000007", "77", ""});
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("Keine Eingabe im 4. Zusatzfeld vorhanden !|Info\n", boxes());
  EXPECT_EQ("00001A", ui::get_text(f, kField2));  // padded by the save
  hl::clear_boxes();

  // Field 4 padded on leaving it, field 2 already by the failed save; a
  // second form whose only padding is done by the save pauses two seconds.
  ASSERT_TRUE(hl::type(f, kField4, "7"));
  hl::script_answer(ui::kIdNo);
  std::uint64_t before = platform::vclock::elapsed();
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ(before, platform::vclock::elapsed());
  EXPECT_EQ(kNewPersonQuestion, boxes());
  ASSERT_TRUE(hl::choose_menu(2000));
  enter(form(), {"Cid", "", "1000000008", "0000000088", ""});
  ASSERT_TRUE(hl::type(form(), kField4, "08"));
  hl::script_answer(ui::kIdNo);
  before = platform::vclock::elapsed();
  ASSERT_TRUE(hl::press(form(), ui::kIdSecond));
  EXPECT_EQ(before + 2000, platform::vclock::elapsed());

  auto disk = on_disk();
  EXPECT_EQ("00001A", disk->persons[0].zusatz(2));
  EXPECT_EQ("07", disk->persons[0].zusatz(4));
  EXPECT_EQ("", disk->persons[0].zusatz(1));
  EXPECT_EQ(1, disk->persons[0].fingerprint_flag());
  EXPECT_EQ("00001A", disk->persons[1].zusatz(2));
}

// A person as an earlier run left it: sent to two readers, with enrolled
// groups, the fingerprint flag and a Spezial PIN.
class Change : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    start();
    for (const char* name : {"North", "", "South"}) {
      store::default_leser();
      store::db().edit_reader.set_name(name);
      store::db().edit_reader.set_bus_address(static_cast<std::uint16_t>(name[0] ? 3 : 4));
      ASSERT_GT(store::rw_leser(store::kWrite), 0);
    }
    store_person({"Zeta", "Zoe", "1000000001", "0000000011", "123456"});
    store::Personensatz& p = store::db().person_write;
    p.set_reader_mask(0x5);
    p.set_group_mark(1, 1);
    p.set_fingerprint_flag(1);
    p.set_spezial_pin("4711");
    ASSERT_EQ(1, store::rw_person(store::kWrite));
    store_person({"Alpha", "Al", "1000000002", "0000000022", ""});
    ASSERT_TRUE(hl::choose_menu(2010));
    hl::clear_boxes();
  }
  ui::Window open_row(int row) {
    EXPECT_TRUE(hl::double_click_row(list(), views::kListControl, row));
    return form();
  }
};

TEST_F(Change, SaveChangesRebuildsThePersonFromTheForm) {
  ui::Window f = open_row(0);
  ASSERT_NE(ui::kNoWindow, f);
  EXPECT_FALSE(ui::window_enabled(list()));
  EXPECT_EQ("Zoe", ui::get_text(f, kFirstName));
  EXPECT_EQ("0000000011", ui::get_text(f, kIdentification));
  EXPECT_EQ("123456", ui::get_text(f, kUserPin));
  EXPECT_TRUE(ui::control_visible(f, ui::kIdAction));
  ASSERT_TRUE(hl::press(f, kInfoAccessReader));
  EXPECT_EQ("This set was sent to the following readers:\r\n\r\nPos. 001, North\r\nPos. 003, "
            "South\r\n\r\n|Reader Info\n",
            boxes());

  // Another person's Personalnummer is refused; its own passes.
  hl::clear_boxes();
  ASSERT_TRUE(hl::type(f, kPersonnelNumber, "1000000002"));
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  EXPECT_NE(std::string::npos, boxes().find("Die Personalnummer ist schon vorhanden !"));
  ASSERT_TRUE(hl::type(f, kPersonnelNumber, "1000000001"));
  ASSERT_TRUE(hl::type(f, kFirstName, "Zora"));
  ASSERT_TRUE(hl::press(f, kPinRequired));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_TRUE(ui::window_enabled(list()));
  EXPECT_EQ((std::vector<std::string>{"Zeta", "Zora", "1000000001", "0123456789", "0000000011",
                                      "123456"}),
            rows()[0]);

  // Only the record number, the fingerprint flag and the Spezial PIN were
  // kept; the reader mask, the group marks and the finger count start at 0.
  const store::Personensatz p = on_disk()->persons[0];
  EXPECT_EQ("Zora", p.vorname());
  EXPECT_EQ(1, p.fingerprint_flag());
  EXPECT_EQ("4711", p.spezial_pin());
  EXPECT_EQ(store::kNeedPin | store::kNeedFinger, p.combined_mode());
  EXPECT_EQ(0u, p.reader_mask());
  EXPECT_EQ(0, p.group_mark(1));
  EXPECT_EQ(0, p.finger_count());

  f = open_row(0);
  ASSERT_TRUE(hl::press(f, kInfoAccessReader));
  EXPECT_EQ("This set was sent to the following readers:\r\n\r\nNot to any reader!\r\n\r\n|"
            "Reader Info\n",
            boxes());
  ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_EQ(2u, rows().size());
}

TEST_F(Change, CopyCreatesANewPersonSortedIntoTheList) {
  ASSERT_TRUE(hl::click_header(list(), views::kListControl, 0));  // descending
  ui::Window f = open_row(1);
  EXPECT_EQ("Alpha", ui::get_text(f, kName));
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_FALSE(ui::control_visible(f, ui::kIdAction));
  EXPECT_FALSE(ui::control_visible(f, kToTemplateData));
  EXPECT_FALSE(ui::control_enabled(f, kInfoAccessReader));
  EXPECT_EQ("Create\nnew set", ui::get_text(f, ui::kIdSecond));
  // The copy must have numbers of its own.
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_NE(std::string::npos, boxes().find("Die Personalnummer ist schon vorhanden !"));
  ASSERT_TRUE(hl::type(f, kName, "Mu"));
  ASSERT_TRUE(hl::type(f, kPersonnelNumber, "1000000003"));
  ASSERT_TRUE(hl::type(f, kIdentification, "33"));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
  std::vector<std::string> names;
  for (const auto& r : rows()) names.push_back(r[0]);
  EXPECT_EQ((std::vector<std::string>{"Zeta", "Mu", "Alpha"}), names);
  auto disk = on_disk();
  EXPECT_EQ("Alpha", disk->persons[1].name());
  EXPECT_EQ("Mu", disk->persons[2].name());
  EXPECT_EQ("Al", disk->persons[2].vorname());
  EXPECT_EQ("0000000033", disk->persons[2].ausweisnummer());
}

// "To the\ntemplate data" leaves the form and the list; a change is saved
// first only when the operator wants it.
TEST_F(Change, ToTheTemplateDataSavesWhenAsked) {
  for (int answer : {ui::kIdNo, ui::kIdYes}) {
    if (!list()) {
      ASSERT_TRUE(hl::choose_menu(2010));
    }
    ui::Window f = open_row(0);
    ASSERT_TRUE(hl::type(f, kName, answer == ui::kIdYes ? "Saved" : "Lost"));
    hl::clear_boxes();
    hl::script_answer(answer);
    ASSERT_TRUE(hl::press(f, kToTemplateData));
    EXPECT_EQ("\nDo you want to save the current data set?\n\nOtherwise the changed data will be "
              "lost!\n|Question\n",
              boxes());
    EXPECT_EQ(ui::kNoWindow, list());
    EXPECT_TRUE(ui::window_enabled(main()));
  }
  EXPECT_EQ("Saved", on_disk()->persons[0].name());

  // A new person is stored first, without the question of command 2000.
  ASSERT_TRUE(hl::choose_menu(2000));
  enter(form(), {"New", "", "1000000009", "99", ""});
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(form(), kToTemplateData));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_TRUE(ui::window_enabled(main()));
  EXPECT_EQ("New", on_disk()->persons[2].name());
}

TEST_F(Form, FullPersonTableRefusesANewSet) {
  start();
  for (int n = 1; n <= store::kPersons; ++n) {
    std::string number = std::to_string(1000000000 + n);
    store_person({"P", "", number, number, ""});
  }
  EXPECT_EQ("Fehler beim schreiben des Personendatensatzes !|Info\n",
            create({"Late", "", "2000000000", "2000000000", ""}));
  EXPECT_NE(ui::kNoWindow, form());
  EXPECT_EQ(500u, personnel_on_disk().size());
}

}  // namespace
}  // namespace persontest
