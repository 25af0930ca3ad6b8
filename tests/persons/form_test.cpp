// The person form D_PERSON: new set (command 2000), change and copy from the
// person list, the field rules, the checks of a save, the additional fields and
// "To the\ntemplate data".
#include "fixture.h"
#include "platform/clock.h"
#include "platform/ui_rules.h"
#include "views/list_window.h"

namespace persontest {
namespace {

using namespace res::d_person;
using Form = Program;

const std::string kNewPersonQuestion =
    "\nA new Person set was captured succesfully!\n\nDo you want to capture the template data "
    "now?\n\n|Message / Question\n";
const std::string kNotUnique =
    " ist schon vorhanden !\r\n\r\nBitte ändern Sie diese vor dem speichern bzw. kopieren "
    "!\r\n\r\n(Sie muss eindeutig sein)\r\n\r\n|Info\n";

TEST_F(Form, NewSetTypingRulesAndEveryCheck) {
  store::Eingabesatz& m = store::db().eingabe;
  m.set_change_company_active(1);
  m.set_company_description("Site");
  m.set_user_pin_len(4);
  ASSERT_EQ(1, store_person({"Alt", "Anna", "1000000001", "00000000A1", ""}));
  ASSERT_TRUE(hl::choose_menu(2000));
  ui::Window f = form();
  EXPECT_EQ(10, hl::text_limit(f, kIdentification));
  EXPECT_EQ(4, hl::text_limit(f, kUserPin));
  EXPECT_EQ("(4 digits)", ui::get_text(f, kDigitsLabel));
  EXPECT_EQ("Site", ui::get_text(f, kCompanyCodeLabel));
  EXPECT_FALSE(hl::type(f, kCompanyCode, "99"));

  // Hex digits only; leaving a field pads it; the identification number may
  // not be left empty.
  ASSERT_TRUE(hl::type(f, kIdentification, "1g"));
  EXPECT_EQ("\nUnzulässiges Zeichen 'G' eingegeben !\nErlaubt sind die Zeichen 0 - 9 und A - F "
            "!\n\n|Info\n",
            boxes());
  ASSERT_TRUE(hl::type(f, kUserPin, "7"));
  EXPECT_EQ("0000000001", ui::get_text(f, kIdentification));
  ASSERT_TRUE(hl::type(f, kIdentification, ""));
  hl::clear_boxes();
  hl::click_into(f, kName);
  EXPECT_EQ("Eine Eingabe in diesem Feld ist erforderlich !|Info\n", boxes());
  EXPECT_EQ(std::make_pair(f, static_cast<int>(kIdentification)), hl::focus());
  EXPECT_EQ("0007", ui::get_text(f, kUserPin));
  ASSERT_TRUE(hl::press(f, kReadCard));  // but it may be left empty for "Reader"
  ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));

  const std::pair<Entry, std::string> refused[] = {
      {{"", "", "", "", ""}, "Keine Eingabe im Feld Personalnummer vorhanden !|Info\n"},
      {{"", "", "123456789", "2", ""}, "Die eingegebene Personalnummer ist zu kurz !|Info\n"},
      {{"", "", "1000000002", "", ""}, "Keine Eingabe im Feld Ausweisnummer vorhanden !|Info\n"},
      {{"", "", "1000000001", "2", ""}, "Die Personalnummer" + kNotUnique},
      {{"", "", "1000000002", "a1", ""}, "Die Ausweisnummer" + kNotUnique},  // A1 padded
  };
  for (const auto& c : refused) {
    EXPECT_EQ(c.second, create(c.first));
    ASSERT_TRUE(hl::press(form(), ui::kIdExitMenu));
  }
  EXPECT_EQ(Strings{"1000000001"}, personnel_on_disk());

  // No names needed; padded on leaving the fields, so the save does not pause.
  const std::uint64_t before = platform::vclock::elapsed();
  EXPECT_EQ(kNewPersonQuestion, create({"", "", "1000000002", "b2", "12"}));
  EXPECT_EQ(before, platform::vclock::elapsed());
  const store::Personensatz p = on_disk()->persons[1];
  EXPECT_EQ("00000000B2", p.ausweisnummer());
  EXPECT_EQ("0012", p.user_pin());
  EXPECT_EQ(store::kNeedFinger, p.combined_mode());
}

TEST_F(Form, AdditionalFieldsTakeTheirPlaceAndASavePaddingThemPauses) {
  store::Eingabesatz& m = store::db().eingabe;
  m.set_zusatz_active(2, 1);
  m.set_zusatz_len(2, 3);
  m.set_zusatz_description(2, "Dept");
  m.set_zusatz_default(2, "1A");
  m.set_fix_bits(2);  // field 2 is fixed
  m.set_zusatz_active(4, 1);
  m.set_zusatz_len(4, 1);
  m.set_with_fingerprint(1);
  ASSERT_TRUE(hl::choose_menu(2000));
  ui::Window f = form();
  EXPECT_FALSE(ui::control_visible(f, kField1));
  EXPECT_FALSE(ui::control_visible(f, kField3Label));
  EXPECT_EQ("Dept", ui::get_text(f, kField2Label));
  EXPECT_FALSE(hl::type(f, kField2, "FF"));
  EXPECT_EQ(2, hl::text_limit(f, kField4));
  // Company code, field 2, identification number, field 4 from the left edge on.
  auto x = [&](int id) { return ui::control_rect(f, id).x; };
  auto right = [&](int id) { return x(id) + ui::control_rect(f, id).width; };
  EXPECT_EQ(x(kName), x(kCompanyCode));
  const int gap = x(kField2) - right(kCompanyCode);
  EXPECT_NEAR(right(kField2) + gap, x(kIdentification), 1);  // gaps rounded on their own
  EXPECT_NEAR(right(kIdentification) + gap, x(kField4), 1);

  enter(f, {"Bea", "", "1000000007", "77", ""});
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("Keine Eingabe im 4. Zusatzfeld vorhanden !|Info\n", boxes());
  EXPECT_EQ("00001A", ui::get_text(f, kField2));  // padded by that save

  // The default of field 2 is padded by the save only: two seconds' pause.
  ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));
  ASSERT_TRUE(hl::choose_menu(2000));
  enter(form(), {"Cid", "", "1000000008", "88", ""});
  ASSERT_TRUE(hl::type(form(), kField4, "8"));
  hl::script_answer(ui::kIdNo);
  const std::uint64_t before = platform::vclock::elapsed();
  ASSERT_TRUE(hl::press(form(), ui::kIdSecond));
  EXPECT_EQ(before + 2000, platform::vclock::elapsed());
  const store::Personensatz p = on_disk()->persons[0];
  EXPECT_EQ("00001A", p.zusatz(2));
  EXPECT_EQ("08", p.zusatz(4));
  EXPECT_EQ(1, p.fingerprint_flag());
}

// A person as an earlier run left it (sent to two readers, an enrolled group,
// the fingerprint flag, a Spezial PIN) and another, in the list (F5).
class Change : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    for (const char* name : {"North", "", "South"}) {
      store::default_leser();
      store::db().edit_reader.set_name(name);
      ASSERT_GT(store::rw_leser(store::kWrite), 0);
    }
    ASSERT_EQ(1, store_person({"Zeta", "Zoe", "1000000001", "0000000011", "123456"}));
    store::Personensatz& p = store::db().person_write;
    p.set_reader_mask(0x5);
    p.set_group_mark(1, 1);
    p.set_fingerprint_flag(1);
    p.set_spezial_pin("4711");
    ASSERT_EQ(1, store::rw_person(store::kWrite));
    ASSERT_EQ(2, store_person({"Alpha", "Al", "1000000002", "0000000022", ""}));
    ASSERT_TRUE(hl::press_key(ui::kKeyF5));
    hl::clear_boxes();
  }
  ui::Window open_row(int row) {
    EXPECT_TRUE(hl::double_click_row(list(), views::kListControl, row));
    return form();
  }
};

TEST_F(Change, SaveKeepsTheNumberTheFingerprintFlagTheSpecialPinAndTheFingerData) {
  const store::Personensatz before = store::db().persons[0];
  ui::Window f = open_row(0);
  EXPECT_EQ("0000000011", ui::get_text(f, kIdentification));
  ASSERT_TRUE(hl::press(f, kInfoAccessReader));
  EXPECT_EQ("This set was sent to the following readers:\r\n\r\nPos. 001, North\r\nPos. 003, "
            "South\r\n\r\n|Reader Info\n",
            boxes());
  ASSERT_TRUE(hl::type(f, kPersonnelNumber, "1000000002"));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  EXPECT_EQ("Die Personalnummer" + kNotUnique, boxes());
  ASSERT_TRUE(hl::type(f, kPersonnelNumber, "1000000001"));  // its own passes
  ASSERT_TRUE(hl::type(f, kFirstName, "Zora"));
  ASSERT_TRUE(hl::press(f, kPinRequired));
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_EQ((Strings{"Zora", "Al"}), column(1));

  const store::Personensatz p = on_disk()->persons[0];
  EXPECT_EQ("Zora", p.vorname());
  EXPECT_EQ(1, p.fingerprint_flag());
  EXPECT_EQ("4711", p.spezial_pin());
  EXPECT_EQ(store::kNeedPin | store::kNeedFinger, p.combined_mode());
  EXPECT_EQ(0u, p.reader_mask());
  // The templates stay stored, and the record goes on saying so.
  for (int g = 1; g <= 10; ++g) EXPECT_EQ(before.group_mark(g), p.group_mark(g));
  EXPECT_EQ(before.finger_count(), p.finger_count());
  EXPECT_NE(0, p.group_mark(1));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(open_row(0), kInfoAccessReader));
  EXPECT_EQ("This set was sent to the following readers:\r\n\r\nNot to any reader!\r\n\r\n|"
            "Reader Info\n",
            boxes());
}

TEST_F(Change, CopyIsSortedInAndTheTemplateDataAreReachedFromEveryMode) {
  ASSERT_TRUE(hl::click_header(list(), views::kListControl, 0));  // descending
  ui::Window f = open_row(1);
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_FALSE(ui::control_visible(f, kToTemplateData));
  EXPECT_EQ("Create\nnew set", ui::get_text(f, ui::kIdSecond));
  ASSERT_TRUE(hl::type(f, kName, "Mu"));
  ASSERT_TRUE(hl::type(f, kPersonnelNumber, "1000000003"));
  ASSERT_TRUE(hl::type(f, kIdentification, "33"));
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ((Strings{"Zeta", "Mu", "Alpha"}), column(0));
  EXPECT_EQ((Strings{"1000000001", "1000000002", "1000000003"}), personnel_on_disk());
  EXPECT_EQ("Al", on_disk()->persons[2].vorname());

  // Change mode asks whether to save first; either way the list closes.
  for (int answer : {ui::kIdNo, ui::kIdYes}) {
    if (!list()) {
      ASSERT_TRUE(hl::press_key(ui::kKeyF5));
    }
    ASSERT_TRUE(hl::type(open_row(0), kName, answer == ui::kIdYes ? "Saved" : "Lost"));
    hl::clear_boxes();
    hl::script_answer(answer);
    ASSERT_TRUE(hl::press(form(), kToTemplateData));
    EXPECT_EQ("\nDo you want to save the current data set?\n\nOtherwise the changed data will be "
              "lost!\n|Question\n",
              boxes());
    EXPECT_EQ(ui::kNoWindow, list());
    // The template list opens at the person's templates.
    ASSERT_TRUE(hl::press(hl::find_dialog("D_ENROL"), ui::kIdExitMenu));
    ASSERT_TRUE(hl::close_window(hl::find_list(ui::kListTemplates)));
  }
  EXPECT_EQ("Saved", on_disk()->persons[0].name());
  // A new person is stored first, without the question of command 2000.
  ASSERT_TRUE(hl::choose_menu(2000));
  enter(form(), {"New", "", "1000000009", "99", ""});
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(form(), kToTemplateData));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
  ASSERT_NE(ui::kNoWindow, hl::find_dialog("D_ENROL"));
  EXPECT_EQ("1000000009", ui::get_text(hl::find_dialog("D_ENROL"), kPersonnelNumber));
  EXPECT_EQ("New", on_disk()->persons[3].name());
}

TEST_F(Form, FullPersonTableRefusesANewSet) {
  for (int n = 1; n <= store::kPersons; ++n) {
    const std::string number = std::to_string(1000000000 + n);
    ASSERT_EQ(n, store_person({"P", "", number, number, ""}));
  }
  EXPECT_EQ("Fehler beim schreiben des Personendatensatzes !|Info\n",
            create({"Late", "", "2000000000", "2000000000", ""}));
  EXPECT_NE(ui::kNoWindow, form());
  EXPECT_EQ(500u, personnel_on_disk().size());
}

}  // namespace
}  // namespace persontest
