// The bulk download as the operator runs it: commands 2400 and 2300, the
// reader selection, "Send" against simulated readers and "Exit Menu"; and the
// download-persons window with its person download. After each run what the
// readers hold equals the database and every reader mask.
#include "fixture.h"

#include "ops/reader_loop.h"
#include "readers/download.h"
#include "resources/cp1252.h"
#include "resources/ids/d_down_an_leser.h"
#include "support/distribution.h"
#include "views/list_window.h"
#include "views/reader_select.h"

namespace readertest {
namespace {

using testsupport::person;
using testsupport::store_person;
namespace ids = res::d_down_an_leser;

class Download : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    sims.start();
  }
  void TearDown() override {
    sims.stop();
    Program::TearDown();
  }
  ui::Window selection() const { return dialog("D_DOWN_AN_LESER"); }
  ui::Window persons_window() const { return ProgramTest::list(ui::kListDownloadPersons); }

  testsupport::SimulatedReaders sims;
};

TEST_F(Download, WithoutPersonsTheCommandsOnlySaySo) {
  start();
  for (int command : {2400, 2300}) {
    hl::clear_boxes();
    ASSERT_TRUE(hl::choose_menu(command));
    EXPECT_EQ("No personnel data is captured yet!|Info\n", boxes());
    EXPECT_EQ(ui::kNoWindow, selection());
    EXPECT_EQ(ui::kNoWindow, persons_window());
  }
}

TEST_F(Download, BulkDownloadSendsEveryPersonToTheCheckedReaders) {
  start();
  const int a = sims.add_reader("Door A", 1);
  const int lost = sims.add_unreachable("Lost");
  const int c = sims.add_reader("Door C", 3, false);
  const int d = sims.add_reader("Gate D", 4);
  store_person(person("0000000001", "0000000011", 2));
  store_person(person("0000000002", "0000000012", 0));
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::choose_menu(2400));
  EXPECT_EQ("Shall all personal data be send to the reader?|Load personal data\n", boxes());
  ui::Window s = selection();
  ASSERT_NE(ui::kNoWindow, s);
  EXPECT_EQ("Please select all readers you want to send data to.", ui::get_text(s, ids::kInstruction));
  EXPECT_EQ((std::vector<int>{a, lost, d}), views::checked_readers(s));
  hl::clear_boxes();
  // A box of the run lets no menu command in.
  hl::watch_boxes([this](const hl::Box&) { EXPECT_FALSE(ui::window_enabled(main())); });

  ASSERT_TRUE(hl::press(s, ui::kIdAction));
  const testsupport::Bytes log = testsupport::read_file(path("Log.txt"));  // written without -d
  EXPECT_NE(std::string::npos, std::string(log.begin(), log.end()).find("DownAlle  - Start!!!"));

  EXPECT_EQ("Lost, Address 1\r\nError during check_reader_parameter!, Number -2.|Download error\n"
            "The download is now complete.\nThe templates of the persons were loaded!\n\n|Load info\n",
            boxes());
  EXPECT_EQ(ui::kNoWindow, selection());
  EXPECT_TRUE(ui::window_enabled(main()));
  EXPECT_EQ(main(), hl::focus().first);
  auto disk = ProgramTest::on_disk();
  EXPECT_TRUE(sims.hold({a, c, d}, *disk));
  EXPECT_EQ((1u << a) | (1u << d), disk->persons[0].reader_mask());
  EXPECT_EQ(0u, disk->persons[1].reader_mask());
}

TEST_F(Download, NoGoesToThePersonsWindowAndTheDownloadUserIsNotAsked) {
  start();
  store_person(person("0000000001", "0000000011", 1));
  hl::script_answer(ui::kIdNo);
  ASSERT_TRUE(hl::choose_menu(2400));
  EXPECT_NE(ui::kNoWindow, persons_window());
  EXPECT_EQ(ui::kNoWindow, selection());
  stop();

  start(true);  // the person stored above is still there
  ASSERT_TRUE(hl::choose_menu(2400));
  EXPECT_EQ("", boxes());
  EXPECT_NE(ui::kNoWindow, selection());
}

// Command 2300 deletes every template in the database before the download
// runs in erase mode; "Exit Menu" then still says so.
TEST_F(Download, DeleteAllTemplatesThenEraseOrLeave) {
  start();
  const int a = sims.add_reader("Door A", 1);
  store_person(person("0000000001", "0000000011", 2));
  store_person(person("0000000002", "0000000012", 1));
  ASSERT_EQ(2, ops::run_reader_loop(ops::bulk_plan(false), {a}, ops::persons_in_use(), {}).stored);
  hl::script_answer(ui::kIdNo);
  ASSERT_TRUE(hl::choose_menu(2300));
  EXPECT_EQ(ui::kNoWindow, selection());
  EXPECT_EQ(2, ProgramTest::on_disk()->persons[0].group_mark(2));

  for (bool send : {false, true}) {
    SCOPED_TRACE(send ? "Send" : "Exit Menu");
    hl::clear_boxes();
    hl::script_answer(ui::kIdYes);
    ASSERT_TRUE(hl::choose_menu(2300));
    EXPECT_EQ(std::string("ACHTUNG !!!\n\nSollen alle Templates aller Personen\n\n(in der Datenbank und den "
                          "Lesern (Auswahl))\n\ngelöscht werden ?\n\n|Templates löschen\n"),
              boxes());
    hl::clear_boxes();
    ASSERT_TRUE(hl::press(selection(), send ? ui::kIdAction : ui::kIdExitMenu));
    EXPECT_EQ(send ? "The download is now complete.\nThe templates of all persons were deleted!\n\n|Load delete\n"
                   : "The templates of all persons were deleted!|Load delete\n",
              boxes());
    auto disk = ProgramTest::on_disk();
    for (int slot : {0, 1}) {
      EXPECT_EQ(0, disk->persons[slot].group_mark(1));
      EXPECT_EQ(0, disk->persons[slot].group_mark(2));
    }
    EXPECT_EQ(send, sims.bus().users(1).empty());
    if (send) {
      EXPECT_TRUE(sims.hold({a}, *disk));
    }
  }
  // Erase mode ended with the download: the next one loads.
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::choose_menu(2400));
  ASSERT_TRUE(hl::press(selection(), ui::kIdExitMenu));
  EXPECT_EQ("Shall all personal data be send to the reader?|Load personal data\n"
            "The download is now complete.|Load info\n",
            boxes());
}

TEST_F(Download, WithoutAProgressBarNothingRunsAndTheSelectionStays) {
  start();
  const int a = sims.add_reader("Door A", 1);
  store_person(person("0000000001", "0000000011", 1));
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::choose_menu(2400));
  hl::clear_boxes();
  hl::fail_next(hl::Failure::CreateProgress);
  ASSERT_TRUE(hl::press(selection(), ui::kIdAction));
  EXPECT_EQ("Progress Bar not created!|\n", boxes());
  ASSERT_NE(ui::kNoWindow, selection());
  EXPECT_FALSE(ui::window_enabled(main()));
  EXPECT_TRUE(sims.bus().users(1).empty());
  // A second "Send" runs it.
  ASSERT_TRUE(hl::press(selection(), ui::kIdAction));
  EXPECT_EQ(ui::kNoWindow, selection());
  EXPECT_TRUE(sims.hold({a}, *ProgramTest::on_disk()));
}

TEST_F(Download, PersonsWindowSendsTheChosenPersonsAndStaysOpen) {
  start();
  const int a = sims.add_reader("Door A", 1);
  sims.add_unreachable("Lost");
  const int d = sims.add_reader("Gate D", 4);
  store_person(person("0000000001", "0000000011", 1));
  store_person(person("0000000002", "0000000012", 2));
  store_person(person("0000000003", "0000000013", 1));
  ASSERT_EQ(1, readers::open_download_persons());
  ui::Window w = persons_window();
  EXPECT_EQ("Load personal data", ui::title(w));
  EXPECT_EQ((std::vector<std::string>{"Last name", "First name", "Personnel number", "Company code",
                                      "Identification number", "User PIN"}),
            hl::column_titles(w, views::kListControl));
  ASSERT_EQ(3u, ProgramTest::rows(w).size());
  EXPECT_EQ((std::vector<std::string>{"Muster", "", "0000000002", "0123456789", "0000000012", "123456"}),
            ProgramTest::rows(w)[1]);

  // Right click without a selection, then on two rows: both go.
  ASSERT_TRUE(hl::right_click_row(w, views::kListControl, -1));
  EXPECT_EQ("Es wurde keine Person ausgewählt !|Info\n", boxes());
  ASSERT_TRUE(hl::select_rows(w, views::kListControl, {0, 2}));
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::right_click_row(w, views::kListControl, 2));
  EXPECT_EQ("Möchten Sie für die selektierten Personen,\r\ndie Daten wirklich laden ?|Frage\n", boxes());
  ui::Window s = selection();
  ASSERT_NE(ui::kNoWindow, s);
  EXPECT_FALSE(ui::window_enabled(w));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(s, ui::kIdAction));
  EXPECT_EQ("Error during check_reader_parameter!, Number -2|Info\n"
            "Error during check_reader_parameter!, Number -2|Info\n"
            "The download is now complete.\nThe templates of the persons were loaded!\n\n|Load info\n",
            boxes());
  EXPECT_EQ(ui::kNoWindow, selection());
  EXPECT_EQ(w, persons_window());
  EXPECT_TRUE(ui::window_enabled(w));
  auto disk = ProgramTest::on_disk();
  EXPECT_TRUE(sims.hold({a, d}, *disk));
  EXPECT_EQ(0u, disk->persons[1].reader_mask());

  // Enter with two rows selected: only the first selected goes.
  ASSERT_TRUE(hl::click_row(w, views::kListControl, 2));  // the list takes the focus
  ASSERT_TRUE(hl::select_rows(w, views::kListControl, {1, 2}));
  hl::clear_boxes();
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::list_enter(w, views::kListControl));
  EXPECT_EQ("Are you sure you want to load the data\nfor the selected persons?|Question\n", boxes());
  ASSERT_TRUE(hl::press(selection(), ui::kIdAction));
  disk = ProgramTest::on_disk();
  EXPECT_TRUE(sims.hold({a, d}, *disk));
  EXPECT_EQ((1u << a) | (1u << d), disk->persons[1].reader_mask());
  EXPECT_EQ(3u, sims.bus().users(1).size());

  // "Exit Menu" only closes the selection; closing the window frees the main window.
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::double_click_row(w, views::kListControl, 0));
  ASSERT_TRUE(hl::press(selection(), ui::kIdExitMenu));
  EXPECT_EQ(ui::kNoWindow, selection());
  EXPECT_TRUE(ui::window_enabled(w));
  EXPECT_FALSE(ui::window_enabled(main()));
  ASSERT_TRUE(hl::close_window(w));
  EXPECT_TRUE(ui::window_enabled(main()));
}

// The German edition: its own texts where the English one has English texts,
// the same German ones elsewhere; the persons window's closing text differs
// from the bulk download's.
TEST_F(Download, GermanEdition) {
  res::select_edition(res::Edition::German);
  start();
  const int a = sims.add_reader("Tür", 1);
  store_person(person("0000000001", "0000000011", 1));
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::choose_menu(2400));
  ui::Window s = selection();
  ASSERT_NE(ui::kNoWindow, s);
  EXPECT_EQ("Daten an Leser senden", res::cp1252_to_utf8(ui::title(s)));
  EXPECT_EQ("Achtung!", ui::get_text(s, ids::kHeading));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(s, ui::kIdAction));
  EXPECT_EQ("Der Download ist nun beendet.\nDie Templates der Personen wurden geladen!\n\n|Download Info\n",
            boxes());
  hl::clear_boxes();
  ASSERT_EQ(1, readers::open_download_persons());
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::double_click_row(persons_window(), views::kListControl, 0));
  ASSERT_TRUE(hl::press(selection(), ui::kIdAction));
  EXPECT_EQ("Möchten Sie für die selektierte Personen,\r\ndie Daten wirklich laden ?|Frage\n"
            "Der Download ist nun beendet.\nDie Templates der Person(en) wurde(n) geladen !\n\n|Download Info\n",
            boxes());
  EXPECT_TRUE(sims.hold({a}, *ProgramTest::on_disk()));
}

}  // namespace
}  // namespace readertest
