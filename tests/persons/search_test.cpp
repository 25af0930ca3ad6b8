// The search D_SUCHEN (commands 2030 and 2120): both keys, the refill as the
// search text changes, the choice, and the way on to the person list.
#include "fixture.h"
#include "resources/ids/d_suchen.h"

namespace persontest {
namespace {

using namespace res::d_suchen;

class Search : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    store_person({"Meier", "Eva", "1000000001", "0000000011", ""});
    store_person({"meyer", "Udo", "1000000002", "0000000022", ""});
    store_person({"Schulz", "Ina", "2000000001", "0000000033", ""});
    store_person({"Meier", "Tom", "1000000003", "0000000044", ""});
  }
  Strings matches() const { return hl::items(search(), kMatches); }
  Strings shown() const {
    return {ui::get_text(search(), kShowPersonnelNumber), ui::get_text(search(), kShowName),
            ui::get_text(search(), kShowFirstName)};
  }
};

TEST_F(Search, BothKeysRefillByPrefixAndTheLastExactMatchIsChosen) {
  ASSERT_TRUE(hl::choose_menu(2030));
  ui::Window d = search();
  EXPECT_EQ(15, hl::text_limit(d, kSearchText));
  EXPECT_EQ((Strings{"Meier", "meyer", "Schulz", "Meier"}), matches());
  ASSERT_TRUE(hl::type(d, kSearchText, "ME"));
  EXPECT_EQ((Strings{"Meier", "meyer", "Meier"}), matches());
  ASSERT_TRUE(hl::type_more(d, kSearchText, "i"));
  ASSERT_TRUE(hl::choose_item(d, kMatches, 0));
  EXPECT_EQ((Strings{"1000000003", "Meier", "Tom"}), shown());
  ASSERT_TRUE(hl::type(d, kSearchText, "x"));  // a refill forgets the choice
  EXPECT_EQ((Strings{"", "", ""}), shown());
  ASSERT_TRUE(hl::press(d, ui::kIdSecond));
  EXPECT_EQ("Es wurde kein Pesonensatz ausgewählt !\r\nFunktion löschen kann nicht ausgeführt "
            "werden !\r\n|Info\n",
            boxes());

  ASSERT_TRUE(hl::press(d, kByPersonnelNumber));
  EXPECT_EQ("", ui::get_text(d, kSearchText));
  EXPECT_EQ(10, hl::text_limit(d, kSearchText));
  EXPECT_EQ((Strings{"1000000001", "1000000002", "2000000001", "1000000003"}), matches());
  ASSERT_TRUE(hl::type(d, kSearchText, "2"));
  ASSERT_TRUE(hl::choose_item(d, kMatches, "2000000001"));
  EXPECT_EQ((Strings{"2000000001", "Schulz", "Ina"}), shown());
}

// "Change" opens the list at the person's form, "Delete" deletes it from the
// list in delete mode; searched for the templates, "Delete" opens the template
// deletion for that person.
TEST_F(Search, TheChosenPersonIsChangedOrDeleted) {
  auto choose_schulz = [&](int command, int button) {
    ASSERT_TRUE(hl::choose_menu(command));
    ASSERT_TRUE(hl::choose_item(search(), kMatches, "Schulz"));
    hl::clear_boxes();
    hl::script_answer(ui::kIdYes);
    ASSERT_TRUE(hl::press(search(), button));
    EXPECT_EQ(ui::kNoWindow, search());
  };
  choose_schulz(2030, ui::kIdAction);
  EXPECT_EQ("Change Persons", ui::title(list()));
  ASSERT_TRUE(hl::type(form(), res::d_person::kFirstName, "Iris"));
  ASSERT_TRUE(hl::press(form(), ui::kIdAction));
  EXPECT_EQ((Strings{"Eva", "Udo", "Iris", "Tom"}), column(1));  // its own row rewritten
  ASSERT_TRUE(hl::close_window(list()));

  choose_schulz(2120, ui::kIdSecond);
  EXPECT_EQ(ui::kNoWindow, list());
  ASSERT_NE(ui::kNoWindow, hl::find_dialog("D_TEMP_DEL"));  // the template deletion of Schulz
  EXPECT_EQ("2000000001", ui::get_text(hl::find_dialog("D_TEMP_DEL"), res::d_person::kPersonnelNumber));
  ASSERT_TRUE(hl::press(hl::find_dialog("D_TEMP_DEL"), ui::kIdExitMenu));
  ASSERT_TRUE(hl::close_window(hl::find_list(ui::kListTemplateDelete)));

  choose_schulz(2030, ui::kIdSecond);
  EXPECT_EQ("Delete Persons", ui::title(list()));
  EXPECT_EQ("Are you sure\r\nyou want to delete the selected entries?|Question\n"
            "Set 2 with the indentification no. 0000000033 was deleted.|Info\n",
            boxes());
  EXPECT_EQ((Strings{"1000000001", "1000000002", "1000000003"}), personnel_on_disk());

  // Command 8015 for a current person without a row says so.
  store::db().person_read = store::db().persons[0];
  store::db().person_read.set_name("Nobody");
  hl::clear_boxes();
  ui::send_command(list(), 8015, 0);
  EXPECT_EQ("Person wurde nicht gefunden !|Info\n", boxes());
}

}  // namespace
}  // namespace persontest
