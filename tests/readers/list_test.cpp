// The reader list window (commands 2210 and 2220): rows, sorting, change through
// the form, copy as a new reader, delete with the rescan from the top.
#include "fixture.h"
#include "resources/ids/d_leser.h"
#include "platform/fault.h"
#include "readers/readers.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "store/store.h"
#include "views/list_window.h"

namespace readertest {
namespace {

using Row = std::vector<std::string>;
constexpr int kList = views::kListControl;

class List : public Program {
 protected:
  // Four readers as an earlier run stored them (nothing in the fields the form
  // does not show).
  void start_with_readers(bool download_user = false) {
    start(download_user);
    store_reader({"Door", false, 2, 1, "", "", 0, true});
    store_reader({"gate", true, 0, 0, "10.0.0.7", "10001", 4, false});
    store_reader({"Hall", false, 31, 4, "", "", 14, false});
    store_reader({"Annex", true, 0, 0, "annex-host", "2000", 0, true});
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const Row& r : rows()) out.push_back(r[0]);
    return out;
  }
  // Opens the form on `row` by a double click.
  ui::Window change(int row) {
    EXPECT_TRUE(hl::double_click_row(list(), kList, row));
    return form();
  }
};

TEST_F(List, ChangeModeWindowColumnsAndRows) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::Window w = list();
  ASSERT_NE(ui::kNoWindow, w);
  EXPECT_EQ("Change reader data", ui::title(w));
  EXPECT_FALSE(ui::window_enabled(main_window()));
  ui::Rect m = ui::window_rect(main_window()), r = ui::window_rect(w);
  EXPECT_EQ(m.x + 30, r.x);
  EXPECT_EQ(m.y + 30, r.y);
  EXPECT_EQ(m.width, r.width);
  EXPECT_EQ(m.height, r.height);
  EXPECT_EQ((std::vector<std::string>{"Reader description", "Connection type", "Connection name",
                                      "Baud / Port", "Bus Address", "Pre-selected"}),
            hl::column_titles(w, kList));
  EXPECT_EQ((std::vector<int>{200, 100, 100, 100, 100, 100}), hl::column_widths(w, kList));
  EXPECT_EQ((std::vector<Row>{{"Door", "COMPORT", "COM 03", "57600", "01", "Ja"},
                              {"gate", "TCPIP", "10.0.0.7", "10001", "05", "Nein"},
                              {"Hall", "COMPORT", "COM 32", "9600", "15", "Nein"},
                              {"Annex", "TCPIP", "annex-host", "2000", "01", "Ja"}}),
            rows());
  // Several rows at once can be selected.
  EXPECT_TRUE(hl::select_rows(w, kList, {0, 2}));

  // A second command 2210 or 2220 focuses the list as it is.
  ui::send_command(main_window(), 2220, 0);
  EXPECT_EQ(w, list());
  EXPECT_EQ("Change reader data", ui::title(w));

  ASSERT_TRUE(hl::close_window(w));
  EXPECT_EQ(ui::kNoWindow, list());
  EXPECT_TRUE(ui::window_enabled(main_window()));
  EXPECT_EQ(main_window(), hl::focus().first);
}

TEST_F(List, GermanHeadersAndTitle) {
  res::select_edition(res::Edition::German);
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2220));
  EXPECT_EQ("Leserdaten löschen", res::cp1252_to_utf8(ui::title(list())));
  EXPECT_EQ((std::vector<std::string>{"Leserbezeichnung", "Anschlusstyp", "Anschlussname",
                                      "Baud / Port", "Bus Adresse", "Vorselektiert"}),
            [&] {
              std::vector<std::string> t = hl::column_titles(list(), kList);
              for (auto& s : t) s = res::cp1252_to_utf8(s);
              return t;
            }());
  EXPECT_EQ((Row{"Door", "COMPORT", "COM 03", "57600", "01", "Ja"}), rows()[0]);
}

TEST_F(List, HeaderClicksSortWithoutRegardToCase) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::Window w = list();
  ASSERT_TRUE(hl::click_header(w, kList, 0));  // first click: descending
  EXPECT_EQ((std::vector<std::string>{"Hall", "gate", "Door", "Annex"}), names());
  ASSERT_TRUE(hl::click_header(w, kList, 0));
  EXPECT_EQ((std::vector<std::string>{"Annex", "Door", "gate", "Hall"}), names());
  // Texts, not numbers: descending, "9600" comes before "57600", "2000" and
  // "10001".
  ASSERT_TRUE(hl::click_header(w, kList, 3));
  EXPECT_EQ((std::vector<std::string>{"Hall", "Door", "Annex", "gate"}), names());
  // Each column keeps its own direction.
  ASSERT_TRUE(hl::click_header(w, kList, 0));
  EXPECT_EQ((std::vector<std::string>{"Hall", "gate", "Door", "Annex"}), names());
  // Sorting touches only the list.
  EXPECT_EQ((std::vector<std::string>{"Door", "gate", "Hall", "Annex"}), names_on_disk());
}

TEST_F(List, FormOverAnEmptyListCannotSave) {
  start();
  ASSERT_TRUE(hl::choose_menu(2210));
  EXPECT_TRUE(rows().empty());
  // The list's own report 8030 with 0 opens the form for the current reader.
  store::default_leser();
  ui::send_command(list(), readers::kFormReport, 0);
  ui::Window f = form();
  ASSERT_NE(ui::kNoWindow, f);
  EXPECT_FALSE(ui::control_enabled(f, ui::kIdAction));
  // A copy can still be made; it becomes the list's first row.
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  ASSERT_TRUE(hl::type(f, res::d_leser::kName, "First"));
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ((std::vector<Row>{{"First", "COMPORT", "COM 01", "115200", "01", "Nein"}}), rows());
  EXPECT_EQ(std::vector<std::string>{"First"}, names_on_disk());
}

TEST_F(List, ChangeAReaderThroughTheForm) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::Window w = list();
  ui::Window f = change(1);
  ASSERT_NE(ui::kNoWindow, f);
  EXPECT_FALSE(ui::window_enabled(w));
  ui::Rect l = ui::window_rect(w), r = ui::window_rect(f);
  EXPECT_EQ(l.x + (l.width - r.width) / 2, r.x);
  EXPECT_EQ(l.y + (l.height - r.height) / 2, r.y);
  // Filled from "gate".
  EXPECT_TRUE(ui::checked(f, res::d_leser::kTcpIp));
  EXPECT_EQ("10.0.0.7", ui::get_text(f, res::d_leser::kAddress));
  EXPECT_EQ("10001", ui::get_text(f, res::d_leser::kPort));
  EXPECT_EQ("gate", ui::get_text(f, res::d_leser::kName));
  EXPECT_EQ(4, ui::items_selected(f, res::d_leser::kBus));
  EXPECT_FALSE(ui::checked(f, res::d_leser::kPreselected));
  EXPECT_TRUE(ui::control_enabled(f, ui::kIdAction));
  EXPECT_EQ("Copy\n(new set)", ui::get_text(f, ui::kIdSecond));

  // Unchanged: nothing is written.
  const testsupport::Bytes before = leser_file();
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  EXPECT_EQ("Es ist kein schreiben des Leserdatensatzes nötig !|Info\n", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_TRUE(ui::window_enabled(w));
  EXPECT_TRUE(testsupport::same_bytes(before, leser_file()));

  // Moved to COM 04 under another name: the record and its row change.
  hl::clear_boxes();
  f = change(1);
  ASSERT_TRUE(hl::press(f, res::d_leser::kRs232));
  ASSERT_TRUE(hl::choose_item(f, res::d_leser::kComPort, "COM 04"));
  ASSERT_TRUE(hl::choose_item(f, res::d_leser::kBaud, "19200"));
  ASSERT_TRUE(hl::type(f, res::d_leser::kName, "Gate West"));
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_EQ((Row{"Gate West", "COMPORT", "COM 04", "19200", "05", "Nein"}), rows()[1]);
  store::Lesersatz g = on_disk()[1];
  EXPECT_EQ(2u, g.nummer());
  EXPECT_EQ("Gate West", g.name());
  EXPECT_EQ(0, g.verbindung());
  EXPECT_EQ(3, g.com_port());
  EXPECT_EQ(3, g.baud());
  EXPECT_EQ(g.b, store::db().readers[1].b);

  // A change that clashes with another reader is refused and the form stays.
  f = change(1);
  ASSERT_TRUE(hl::choose_item(f, res::d_leser::kComPort, "COM 03"));
  ASSERT_TRUE(hl::choose_item(f, res::d_leser::kBus, "01"));
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  EXPECT_EQ("Leseranschluss und Busadresse sind schon vorhanden !|Info\n", boxes());
  EXPECT_EQ(f, form());
  ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));  // Exit Menu: nothing changed
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_EQ("Gate West", on_disk()[1].name());
  EXPECT_EQ(3, on_disk()[1].com_port());
}

TEST_F(List, FormLargerThanTheListGoesToTheScreenEdge) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::move_window(list(), ui::Rect{300, 200, 60, 40});
  ui::Window f = change(0);
  ASSERT_NE(ui::kNoWindow, f);
  EXPECT_EQ(0, ui::window_rect(f).x);
  EXPECT_EQ(0, ui::window_rect(f).y);
}

TEST_F(List, SavingRewritesFieldsTheFormDoesNotShow) {
  start();
  store_reader({"Door", false, 0, 0, "", "", 0, false}, 20);
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::Window f = change(0);
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  // The stored wait value 20 differs from the rebuilt record: it is written.
  EXPECT_EQ("", boxes());
  EXPECT_EQ(0, on_disk()[0].wait_value());
  EXPECT_EQ("Door", on_disk()[0].name());
}

TEST_F(List, EnterOpensTheFormAndWriteFailuresKeepIt) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::Window w = list();
  ASSERT_TRUE(hl::click_row(w, kList, 2));
  ASSERT_TRUE(hl::list_enter(w, kList));
  ui::Window f = form();
  ASSERT_NE(ui::kNoWindow, f);
  EXPECT_EQ("Hall", ui::get_text(f, res::d_leser::kName));
  ASSERT_TRUE(hl::type(f, res::d_leser::kName, "Hall 2"));
  platform::fault::arm(platform::fault::Op::FileOpen, 1);
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  EXPECT_EQ("Fehler beim schreiben des Leserdatensatzes !|Info\n", boxes());
  EXPECT_EQ(f, form());
  EXPECT_EQ("Hall", store::db().readers[2].name());
  EXPECT_EQ("Hall", on_disk()[2].name());
  EXPECT_EQ("Hall", rows()[2][0]);
}

TEST_F(List, CopyPreparesThenCreatesANewReader) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::Window w = list();
  ASSERT_TRUE(hl::click_header(w, kList, 0));  // sorted by name, descending
  ui::Window f = change(2);                     // "Door"
  ASSERT_EQ("Door", ui::get_text(f, res::d_leser::kName));
  ui::Rect save = ui::control_rect(f, ui::kIdAction);
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  // Prepared: the fields stay, Save is gone, the button says "Create".
  EXPECT_EQ("", boxes());
  EXPECT_FALSE(ui::control_visible(f, ui::kIdAction));
  EXPECT_FALSE(ui::control_enabled(f, ui::kIdAction));
  EXPECT_EQ("Create\nnew set", ui::get_text(f, ui::kIdSecond));
  EXPECT_EQ(save.x, ui::control_rect(f, ui::kIdSecond).x);
  EXPECT_EQ(std::make_pair(f, 950), hl::focus());
  EXPECT_EQ("Door", ui::get_text(f, res::d_leser::kName));
  EXPECT_EQ(2, ui::items_selected(f, res::d_leser::kComPort));
  EXPECT_EQ(0u, store::db().edit_reader.nummer());

  // Creating it unchanged clashes with the reader it was copied from.
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("Der Lesername ist schon vorhanden,\r\ner muss eindeutig (einmalig) sein !|Info\n",
            boxes());
  ASSERT_TRUE(hl::type(f, res::d_leser::kName, "Door 2"));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("Leseranschluss und Busadresse sind schon vorhanden !|Info\n", boxes());
  ASSERT_TRUE(hl::choose_item(f, res::d_leser::kBus, "02"));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_TRUE(ui::window_enabled(w));

  // Stored at slot 5 with the defaults of a new reader, appended and sorted in.
  store::Lesersatz n = on_disk()[4];
  EXPECT_EQ(5u, n.nummer());
  EXPECT_EQ("Door 2", n.name());
  EXPECT_EQ(2, n.com_port());
  EXPECT_EQ(1, n.baud());
  EXPECT_EQ(1, n.bus_address());
  EXPECT_EQ(1, n.preselect());
  EXPECT_EQ(20, n.wait_value());
  EXPECT_EQ("192.168.0.1", n.ip());
  EXPECT_EQ(n.b, store::db().current_reader.b);
  EXPECT_EQ("Door", on_disk()[0].name());
  EXPECT_EQ((std::vector<std::string>{"Hall", "gate", "Door 2", "Door", "Annex"}), names());
}

TEST_F(List, CopyWithoutAHeaderClickSortsByNameAscending) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::Window f = change(0);
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  ASSERT_TRUE(hl::type(f, res::d_leser::kName, "Basement"));
  ASSERT_TRUE(hl::choose_item(f, res::d_leser::kComPort, "COM 09"));
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ((std::vector<std::string>{"Annex", "Basement", "Door", "gate", "Hall"}), names());
}

TEST_F(List, DownloadUserHasNoCopyButton) {
  start_with_readers(true);
  EXPECT_FALSE(hl::choose_menu(2200));
  EXPECT_FALSE(hl::choose_menu(2220));
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::Window f = change(0);
  ASSERT_NE(ui::kNoWindow, f);
  EXPECT_FALSE(ui::control_exists(f, ui::kIdSecond));
  EXPECT_TRUE(ui::control_enabled(f, ui::kIdAction));
  ASSERT_TRUE(hl::choose_item(f, res::d_leser::kBus, "07"));
  ASSERT_TRUE(hl::press(f, ui::kIdAction));
  EXPECT_EQ(6, on_disk()[0].bus_address());
}

TEST_F(List, ModeAndSelectionMessages) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2210));
  ui::Window w = list();
  ASSERT_TRUE(hl::right_click_row(w, kList, 0));
  ASSERT_EQ(1u, hl::boxes().size());
  EXPECT_EQ("Function not permitted!\nModus set on change!\n|Info\n", boxes());
  EXPECT_EQ(unsigned(ui::kOk | ui::kIconInfo), hl::boxes()[0].style);
  hl::clear_boxes();
  ASSERT_TRUE(hl::double_click_row(w, kList, -1));  // below the rows: nothing selected
  EXPECT_EQ("Es wurde kein Lesersatz ausgewählt !|Info\n", boxes());
  ASSERT_TRUE(hl::close_window(w));

  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(2220));
  w = list();
  EXPECT_EQ("Delete reader data", ui::title(w));
  ASSERT_TRUE(hl::double_click_row(w, kList, 0));
  EXPECT_EQ("Function not permitted!\nModus set on delete!\n|Info\n", boxes());
  EXPECT_EQ(unsigned(ui::kOk | ui::kIconInfo), hl::boxes()[0].style);
  EXPECT_EQ(ui::kNoWindow, form());
  hl::clear_boxes();
  ASSERT_TRUE(hl::select_rows(w, kList, {}));
  ASSERT_TRUE(hl::right_click_row(w, kList, -1));
  EXPECT_EQ("Es wurde kein Leser ausgewählt !|Info\n", boxes());

  // "No" to the question deletes nothing.
  hl::clear_boxes();
  hl::script_answer(ui::kIdNo);
  ASSERT_TRUE(hl::right_click_row(w, kList, 1));
  EXPECT_EQ("Are you sure\r\nyou want to delete the selected entries?|Question\n", boxes());
  EXPECT_EQ(unsigned(ui::kYesNo), hl::boxes()[0].style);
  EXPECT_EQ(4u, rows().size());
  EXPECT_EQ(4u, names_on_disk().size());
}

TEST_F(List, RecordThatNoLongerMatchesIsNotFound) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2210));
  store::db().readers[1].set_tcp_port(10002);  // the row still says 10001
  ASSERT_TRUE(hl::double_click_row(list(), kList, 1));
  EXPECT_EQ("Lesersatz wurde nicht gefunden !|Fehler Info\n", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_EQ(10001, on_disk()[1].tcp_port());
}

TEST_F(List, DeleteSeveralRowsRescanningFromTheTop) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2220));
  ui::Window w = list();
  // "gate" in memory no longer matches its row.
  store::db().readers[1].set_name("Gate");
  store::db().current_reader = store::db().readers[3];
  ASSERT_TRUE(hl::select_rows(w, kList, {0, 1, 2}));
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::right_click_row(w, kList, 1));
  EXPECT_EQ(
      "Are you sure\r\nyou want to delete the selected entries?|Question\n"
      "Satz 0 mit dem Lesernamen Door wurde gelöscht.|Info\n"
      "Lesersatz wurde nicht gefunden ???.|Fehler Info\n"
      "Satz 2 mit dem Lesernamen Hall wurde gelöscht.|Info\n"
      "Lesersatz wurde nicht gefunden ???.|Fehler Info\n",
      boxes());
  EXPECT_EQ((std::vector<std::string>{"gate", "Annex"}), names());
  std::vector<store::Lesersatz> disk = on_disk();
  EXPECT_EQ(store::Lesersatz{}.b, disk[0].b);  // a zeroed record frees the slot
  EXPECT_EQ(store::Lesersatz{}.b, disk[2].b);
  EXPECT_EQ("gate", disk[1].name());
  EXPECT_FALSE(store::db().readers[0].used());
  EXPECT_FALSE(store::db().readers[2].used());
  EXPECT_EQ((std::vector<std::string>{"gate", "Annex"}), names_on_disk());
  EXPECT_EQ(store::db().readers[3].b, store::db().current_reader.b);

  // The freed slot is the next one a new reader takes.
  ASSERT_TRUE(hl::close_window(w));
  ASSERT_TRUE(create_reader({"New", false, 7, 0, "", "", 0, false}));
  EXPECT_EQ("New", on_disk()[0].name());
}

TEST_F(List, DeleteFailureKeepsTheRowAndTheRecord) {
  start_with_readers();
  ASSERT_TRUE(hl::choose_menu(2220));
  ui::Window w = list();
  ASSERT_TRUE(hl::select_rows(w, kList, {1, 3}));
  hl::script_answer(ui::kIdYes);
  platform::fault::arm(platform::fault::Op::FileOpen, 1);  // only the first delete fails
  ASSERT_TRUE(hl::right_click_row(w, kList, 1));
  EXPECT_EQ(
      "Are you sure\r\nyou want to delete the selected entries?|Question\n"
      "Fehler beim löschen der Satznummer -5 !|Fehler Info\n"
      "Satz 3 mit dem Lesernamen Annex wurde gelöscht.|Info\n",
      boxes());
  EXPECT_EQ((std::vector<std::string>{"Door", "gate", "Hall"}), names());
  EXPECT_EQ((std::vector<std::string>{"Door", "gate", "Hall"}), names_on_disk());
  EXPECT_TRUE(store::db().readers[1].used());
  EXPECT_TRUE(ui::list_selected(w, kList).empty());
}

TEST_F(List, RowsTheListRefusesAreReported) {
  start_with_readers();
  hl::fail_next(hl::Failure::DeleteRow);
  ASSERT_TRUE(hl::choose_menu(2220));
  ui::Window w = list();
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::right_click_row(w, kList, 2));
  EXPECT_EQ(
      "Are you sure\r\nyou want to delete the selected entries?|Question\n"
      "Line 3 konnte nicht gelöscht werden|Fehler Info\n",
      boxes());
  EXPECT_EQ(4u, names_on_disk().size());
}

TEST_F(List, WindowFailuresLeaveNothingBehind) {
  start_with_readers();
  hl::fail_next(hl::Failure::CreateReportList);
  EXPECT_EQ(0, readers::open_reader_list(readers::kChangeMode));
  EXPECT_EQ(ui::kNoWindow, list());
  EXPECT_TRUE(ui::window_enabled(main_window()));
  hl::fail_next(hl::Failure::AddColumn, 3);
  EXPECT_EQ(0, readers::open_reader_list(readers::kChangeMode));
  EXPECT_EQ(ui::kNoWindow, list());
  hl::fail_next(hl::Failure::CreateWindow);
  EXPECT_EQ(0, readers::open_reader_list(readers::kDeleteMode));
  EXPECT_EQ(ui::kNoWindow, list());
  // A row the list refuses is reported; the others are shown.
  hl::fail_next(hl::Failure::InsertRow, 2);
  EXPECT_EQ(1, readers::open_reader_list(readers::kDeleteMode));
  EXPECT_EQ("Kann den Datensatz nicht hinzufügen|Fehler Info\n", boxes());
  EXPECT_EQ((std::vector<std::string>{"Door", "Hall", "Annex"}), names());
  EXPECT_EQ(4u, names_on_disk().size());
}

}  // namespace
}  // namespace readertest
