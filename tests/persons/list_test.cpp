// The person list (commands 2010 and 2020): columns, sorting, the mode
// refusals, and deletion in Personen.dat, Template.dat and every reader.
#include "fixture.h"
#include "ops/revocation.h"
#include "platform/fault.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "shell/shell.h"
#include "views/list_window.h"

namespace persontest {
namespace {

constexpr int kList = views::kListControl;
const std::string kAsk = "Are you sure\r\nyou want to delete the selected entries?|Question\n";

class List : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    store_person({"Müller", "Max", "1000000001", "0000000011", "111111"});
    store_person({"adam", "Ada", "1000000002", "0000000022", ""});
    store_person({"Zorn", "Zoe", "1000000003", "0000000033", ""});
  }
};

TEST_F(List, ColumnsSortingAndTheModeRefusals) {
  store::db().eingabe.set_change_company_active(1);
  store::db().eingabe.set_company_description("Site");
  ASSERT_TRUE(hl::choose_menu(2010));
  ui::Window w = list();
  EXPECT_EQ("Change Persons", ui::title(w));
  EXPECT_EQ((Strings{"Last name", "First name", "Personnel number", "Site",
                     "Identification number", "User PIN"}),
            hl::column_titles(w, kList));
  EXPECT_EQ((Strings{"Müller", "Max", "1000000001", "0123456789", "0000000011", "111111"}),
            rows(w)[0]);
  ASSERT_TRUE(hl::click_header(w, kList, 0));  // first click: descending
  EXPECT_EQ((Strings{"Zorn", "Müller", "adam"}), column(0));
  ASSERT_TRUE(hl::click_header(w, kList, 0));
  EXPECT_EQ((Strings{"adam", "Müller", "Zorn"}), column(0));
  ASSERT_TRUE(hl::double_click_row(w, kList, -1));  // below the rows
  ASSERT_TRUE(hl::right_click_row(w, kList, 0));
  EXPECT_EQ("Es wurde keine Person ausgewählt !|Info\n"
            "Function not permitted!\nModus set on change!\n|Info\n",
            boxes());
  ASSERT_TRUE(hl::close_window(w));

  res::select_edition(res::Edition::German);
  ASSERT_TRUE(hl::choose_menu(2020));
  EXPECT_EQ("Personen löschen", res::cp1252_to_utf8(ui::title(list())));
  hl::clear_boxes();
  ASSERT_TRUE(hl::double_click_row(list(), kList, 0));
  EXPECT_EQ("Funktion nicht zulässig!\nModus steht auf Löschen!\n|Info\n", boxes());
}

// Two readers on one bus hold every person; the second refuses the deletion.
// The third selected row no longer matches its person, which stays.
TEST_F(List, DeletionReachesTheFilesAndEveryReader) {
  // Additional field 1 is part of the user ID the readers know a person by.
  store::db().eingabe.set_zusatz_active(1, 1);
  store::db().eingabe.set_zusatz_len(1, 1);
  store::db().person_write = store::db().persons[0];
  store::db().person_write.set_zusatz(1, "AB");
  ASSERT_EQ(1, store::rw_person(store::kWrite));
  sim::Simulator& bus = reader_bus();
  auto id = [](std::uint8_t field, std::uint8_t last) {
    return sim::Bytes{field, 0x01, 0x23, 0x45, 0x67, 0x89, 0, 0, 0, 0, last};
  };
  const std::vector<sim::Bytes> ids = {id(0xAB, 0x11), id(0, 0x22), id(0, 0x33)};
  for (int address : {1, 2}) {
    sim::DeviceState d = bus.device(address);
    for (const sim::Bytes& user : ids) d.users.push_back(sim::User{user, "", 0x40, {}});
    bus.set_device(address, d);
    bus.script_status(2, 0x0C);  // South answers both deletions with a status
  }
  ASSERT_TRUE(hl::choose_menu(2020));
  ASSERT_TRUE(hl::select_rows(list(), kList, {0, 1, 2}));
  store::db().persons[2].set_ausweisnummer("0000000099");
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::right_click_row(list(), kList, 0));
  auto deleted = [](const std::string& set, const std::string& number) {
    return "Set " + set + " with the indentification no. " + number + " was deleted.|Info\n"
           "I've received the following status on the telegram fp_del_template, Status = 0E\n"
           "|Info South\nThe identification no. " + number +
           " could not be deleted on ther reader South.|Info\n";
  };
  EXPECT_EQ(kAsk + deleted("0", "0000000011") + deleted("1", "0000000022") +
                "Personensatz wurde nicht gefunden ???.|Fehler Info\n",
            boxes());
  EXPECT_EQ(Strings{"Zorn"}, column(0));
  EXPECT_EQ(Strings{"1000000003"}, personnel_on_disk());
  for (std::uint32_t n : {1u, 2u}) {  // empty template records under their numbers
    store::db().template_read.set_nummer(n);
    ASSERT_EQ(static_cast<int>(n), store::rw_template(store::kRead));
    store::Templatesatz empty;
    empty.set_nummer(n);
    EXPECT_EQ(empty.b, store::db().template_read.b);
  }
  auto users = [&](int address) {
    std::vector<sim::Bytes> out;
    for (const sim::User& u : bus.users(address)) out.push_back(u.user_id);
    return out;
  };
  EXPECT_EQ(std::vector<sim::Bytes>{ids[2]}, users(1));
  EXPECT_EQ(ids, users(2));

  // South did not confirm: both removals are kept, and the status bar says so.
  EXPECT_EQ(2, ops::open_removals(1));
  EXPECT_EQ("1 reader to clean", ui::status_text(main(), shell::kStatusBar, 0));
  // After the next login the operator is told which reader and what to do.
  stop();
  ASSERT_TRUE(start_and_run());
  hl::clear_boxes();
  ASSERT_TRUE(login("Admin", testsupport::kAdminPassword));
  EXPECT_NE(std::string::npos, boxes().find("Pos. 002, South: 2 removal(s) not confirmed\r\n\r\nEvery"));
  EXPECT_EQ("1 reader to clean", ui::status_text(main(), shell::kStatusBar, 0));
}

TEST_F(List, AFailedDeletionKeepsThePersonAndItsRow) {
  ASSERT_TRUE(hl::choose_menu(2020));
  ASSERT_TRUE(hl::click_row(list(), kList, 1));
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);
  platform::fault::arm(platform::fault::Op::FileOpen, 1);
  ASSERT_TRUE(hl::right_click_row(list(), kList, 1));
  EXPECT_EQ(kAsk + "Fehler beim löschen der Satznummer -5 !|Fehler Info\n", boxes());
  EXPECT_EQ((Strings{"Müller", "adam", "Zorn"}), column(0));
  EXPECT_EQ(3u, personnel_on_disk().size());
}

}  // namespace
}  // namespace persontest
