// The person list window (commands 2010 and 2020): columns, rows, sorting, the
// mode refusals, and deletion in Personen.dat, Template.dat and every reader.
#include "fixture.h"
#include "platform/fault.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "store/store.h"
#include "views/list_window.h"

namespace persontest {
namespace {

using Row = std::vector<std::string>;
constexpr int kList = views::kListControl;

class List : public Program {
 protected:
  void start_with_persons() {
    start();
    store_person({"Müller", "Max", "1000000001", "0000000011", "111111"});
    store_person({"adam", "Ada", "1000000002", "0000000022", ""});
    store_person({"Zorn", "Zoe", "1000000003", "0000000033", ""});
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const Row& r : rows()) out.push_back(r[0]);
    return out;
  }
};

TEST_F(List, RowsInSlotOrderSortedByHeaderAndRefusedByMode) {
  start_with_persons();
  store::db().eingabe.set_change_company_active(1);
  store::db().eingabe.set_company_description("Site");
  ASSERT_TRUE(hl::choose_menu(2010));
  ui::Window w = list();
  ASSERT_NE(ui::kNoWindow, w);
  EXPECT_EQ("Change Persons", ui::title(w));
  EXPECT_FALSE(ui::window_enabled(main()));
  EXPECT_EQ((Row{"Last name", "First name", "Personnel number", "Site", "Identification number",
                 "User PIN"}),
            hl::column_titles(w, kList));
  EXPECT_EQ((std::vector<int>{150, 150, 100, 100, 150, 100}), hl::column_widths(w, kList));
  EXPECT_EQ((Row{"Müller", "Max", "1000000001", "0123456789", "0000000011", "111111"}), rows()[0]);
  EXPECT_EQ((Row{"Müller", "adam", "Zorn"}), names());
  // The first click sorts descending, the next ascending (letter case aside).
  ASSERT_TRUE(hl::click_header(w, kList, 0));
  EXPECT_EQ((Row{"Zorn", "Müller", "adam"}), names());
  ASSERT_TRUE(hl::click_header(w, kList, 0));
  EXPECT_EQ((Row{"adam", "Müller", "Zorn"}), names());

  ASSERT_TRUE(hl::double_click_row(w, kList, -1));  // below the rows
  EXPECT_EQ("Es wurde keine Person ausgewählt !|Info\n", boxes());
  hl::clear_boxes();
  ASSERT_TRUE(hl::right_click_row(w, kList, 0));
  EXPECT_EQ("Function not permitted!\nModus set on change!\n|Info\n", boxes());
  ASSERT_TRUE(hl::close_window(w));
  EXPECT_TRUE(ui::window_enabled(main()));

  res::select_edition(res::Edition::German);
  ASSERT_TRUE(hl::choose_menu(2020));
  EXPECT_EQ("Personen löschen", res::cp1252_to_utf8(ui::title(list())));
  EXPECT_EQ("Name", hl::column_titles(list(), kList)[0]);
  hl::clear_boxes();
  ASSERT_TRUE(hl::double_click_row(list(), kList, 0));
  EXPECT_EQ("Funktion nicht zulässig!\nModus steht auf Löschen!\n|Info\n", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
}

// Two readers on one bus hold every person; the second refuses the deletion.
// The third selected row no longer matches its person, which stays.
TEST_F(List, DeletionReachesFilesAndEveryReader) {
  start_with_persons();
  // Additional field 1 is part of the user ID the readers know a person by.
  store::Eingabesatz& m = store::db().eingabe;
  m.set_zusatz_active(1, 1);
  m.set_zusatz_len(1, 1);
  store::db().persons[0].set_zusatz(1, "AB");
  ASSERT_EQ(1, (store::db().person_write = store::db().persons[0], store::rw_person(store::kWrite)));
  sim::Simulator& bus = reader_bus({1, 2}, {"North", "South"});
  const sim::Bytes ids[] = {
      {0xAB, 0x01, 0x23, 0x45, 0x67, 0x89, 0x00, 0x00, 0x00, 0x00, 0x11},
      {0x00, 0x01, 0x23, 0x45, 0x67, 0x89, 0x00, 0x00, 0x00, 0x00, 0x22},
      {0x00, 0x01, 0x23, 0x45, 0x67, 0x89, 0x00, 0x00, 0x00, 0x00, 0x33}};
  for (int address : {1, 2}) {
    sim::DeviceState d = bus.device(address);
    for (const sim::Bytes& id : ids) d.users.push_back(sim::User{id, "", 0x40, {}});
    bus.set_device(address, d);
  }
  bus.script_status(2, 0x0C);
  bus.script_status(2, 0x0C);

  ASSERT_TRUE(hl::choose_menu(2020));
  ASSERT_TRUE(hl::select_rows(list(), kList, {0, 1, 2}));
  store::db().persons[2].set_ausweisnummer("0000000099");
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::right_click_row(list(), kList, 0));
  const std::string south_refused =
      "I've received the following status on the telegram fp_del_template, Status = 0E\n|Info "
      "South\n";
  EXPECT_EQ("Are you sure\r\nyou want to delete the selected entries?|Question\n"
            "Set 0 with the indentification no. 0000000011 was deleted.|Info\n" +
                south_refused +
                "The identification no. 0000000011 could not be deleted on ther reader South.|Info\n"
                "Set 1 with the indentification no. 0000000022 was deleted.|Info\n" +
                south_refused +
                "The identification no. 0000000022 could not be deleted on ther reader South.|Info\n"
                "Personensatz wurde nicht gefunden ???.|Fehler Info\n",
            boxes());
  EXPECT_EQ((Row{"Zorn"}), names());

  auto disk = on_disk();
  EXPECT_FALSE(disk->persons[0].used());
  EXPECT_FALSE(disk->persons[1].used());
  EXPECT_TRUE(disk->persons[2].used());
  EXPECT_FALSE(store::db().persons[0].used());
  // The template records of the deleted persons are empty under their numbers.
  for (std::uint32_t n : {1u, 2u}) {
    store::db().template_read.set_nummer(n);
    ASSERT_EQ(static_cast<int>(n), store::rw_template(store::kRead));
    store::Templatesatz empty;
    empty.set_nummer(n);
    EXPECT_EQ(empty.b, store::db().template_read.b) << n;
  }
  auto user_ids = [&](int address) {
    std::vector<sim::Bytes> out;
    for (const sim::User& u : bus.users(address)) out.push_back(u.user_id);
    return out;
  };
  EXPECT_EQ((std::vector<sim::Bytes>{ids[2]}), user_ids(1));
  EXPECT_EQ((std::vector<sim::Bytes>{ids[0], ids[1], ids[2]}), user_ids(2));
}

// A person record that cannot be deleted keeps its row and its data.
TEST_F(List, FailedDeletionKeepsThePersonAndItsRow) {
  start_with_persons();
  ASSERT_TRUE(hl::choose_menu(2020));
  ASSERT_TRUE(hl::click_row(list(), kList, 1));
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);
  platform::fault::arm(platform::fault::Op::FileOpen, 1);
  ASSERT_TRUE(hl::right_click_row(list(), kList, 1));
  EXPECT_EQ("Are you sure\r\nyou want to delete the selected entries?|Question\n"
            "Fehler beim löschen der Satznummer -5 !|Fehler Info\n",
            boxes());
  EXPECT_EQ((Row{"Müller", "adam", "Zorn"}), names());
  EXPECT_EQ(3u, personnel_on_disk().size());
  EXPECT_TRUE(store::db().persons[1].used());
}

}  // namespace
}  // namespace persontest
