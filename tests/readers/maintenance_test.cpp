// The "System" menu against simulated readers: reader test, delete data and
// parameter reset on the ticked readers (one failing its check), the reader
// parameter download with a missing, a faulty and a good file, the enrol
// parameter download, the operating mode with the ordinary user refused, and
// the release info.
#include "fixture.h"

#include <memory>

#include "ops/reader_loop.h"
#include "platform/fault.h"
#include "resources/cp1252.h"
#include "resources/ids/d_bmode.h"
#include "resources/ids/d_down_an_leser.h"
#include "resources/ids/d_leser_vers_info.h"
#include "sim.h"
#include "support/distribution.h"
#include "views/host.h"
#include "views/reader_select.h"

namespace readertest {
namespace {

using testsupport::person;
using testsupport::store_person;
namespace ids = res::d_down_an_leser;

constexpr const char* kLostBox =
    "Lost, Address 1\r\nError during check_reader_parameter!, Number -2.";

class Maintenance : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    sims.start();
  }
  void TearDown() override {
    hl::watch_boxes(nullptr);
    sims.stop();
    Program::TearDown();
  }
  ui::Window selection() const { return dialog("D_DOWN_AN_LESER"); }

  // Readers "Door A" (bus 1), "Lost" (nobody answers), "Door C" (bus 3, not
  // pre-selected) and "Gate D" (alone, address 4); three persons, two of them
  // with templates, sent to A, C and D.
  void readers_with_persons() {
    a = sims.add_reader("Door A", 1);
    lost = sims.add_unreachable("Lost");
    c = sims.add_reader("Door C", 3, false);
    d = sims.add_reader("Gate D", 4);
    store_person(person("0000000001", "0000000011", 2));
    store_person(person("0000000002", "0000000012", 0));
    store_person(person("0000000003", "0000000013", 1));
    send_all();
  }
  void send_all() {
    ASSERT_EQ(9, ops::run_reader_loop(ops::bulk_plan(false), {a, c, d}, ops::persons_in_use(), {}).stored);
    hl::clear_boxes();
  }
  // The status texts 150 and 160 as they stand when a box with `caption` comes up.
  void watch_status(const std::string& caption) {
    status.clear();
    hl::watch_boxes([this, caption](const hl::Box& b) {
      ui::Window s = selection();
      if (s != ui::kNoWindow && res::cp1252_to_utf8(b.caption) == caption)
        status = res::cp1252_to_utf8(ui::get_text(s, ids::kOperation) + "|" + ui::get_text(s, ids::kDetail));
    });
  }
  std::uint32_t mask(const store::Tables& t, int person_slot) const { return t.persons[person_slot].reader_mask(); }
  void put(const char* name, const std::string& content) {
    testsupport::write_file(path(name), testsupport::bytes_of(content));
  }

  testsupport::SimulatedReaders sims;
  int a = -1, lost = -1, c = -1, d = -1;
  std::string status;
};

// 5500, 5510 and 5515 on the pre-selected readers A, Lost and D: Lost fails
// its check, A and D get the command, C is left alone; the closing text comes
// after "Send" and after "Exit Menu".
TEST_F(Maintenance, TestEraseAndResetOnTheTickedReaders) {
  start();
  readers_with_persons();
  struct Case {
    int command;
    const char* instruction;
    const char* status;  // 150|160 when the closing box is up
    const char* closing;
  };
  const Case cases[] = {
      {5500, "Please select all readers you want to have tested.", "Lesertest|Teste Leser Gate D !",
       "The reader test is now complete.\n\n|Info reader test"},
      {5510, "Please select all readers in which you want the data to be deleted.",
       "Leserdaten löschen|Daten im Leser Gate D wurden gelöscht!",
       "The data in the reader is now deleted!|Delete Info data"},
      {5515, "Please select all readers in which you want the parameter to be deleted.",
       "Parameter Reset|Parameter Reset für Leser Gate D erfolgreich durchgeführt !",
       "The Parameter Reset for the readers is now complete!|Info Parameter Reset"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.command);
    ASSERT_TRUE(hl::choose_menu(k.command));
    ui::Window s = selection();
    ASSERT_NE(ui::kNoWindow, s);
    EXPECT_EQ(k.instruction, ui::get_text(s, ids::kInstruction));
    EXPECT_EQ((std::vector<int>{a, lost, d}), views::checked_readers(s));
    EXPECT_FALSE(ui::window_enabled(main()));
    watch_status(std::string(k.closing).substr(std::string(k.closing).find('|') + 1));
    ASSERT_TRUE(hl::press(s, ui::kIdAction));
    EXPECT_EQ(std::string(kLostBox) + "|Reader error\n" + k.closing + "\n", boxes());
    EXPECT_EQ(k.status, status);
    EXPECT_EQ(ui::kNoWindow, selection());
    EXPECT_TRUE(ui::window_enabled(main()));
    EXPECT_EQ(main(), hl::focus().first);

    auto disk = ProgramTest::on_disk();
    const bool erased = k.command == 5510;
    EXPECT_EQ(erased, sims.sim_of(a).users(1).empty());
    EXPECT_EQ(erased, sims.sim_of(d).users(4).empty());
    EXPECT_EQ(2u, sims.sim_of(c).users(3).size());
    // What the readers hold is what the masks say: only the bits of A and D
    // went, and only in the persons that had them.
    EXPECT_TRUE(sims.hold({a, c, d}, *disk));
    const std::uint32_t all = (1u << a) | (1u << c) | (1u << d);
    EXPECT_EQ(erased ? 1u << c : all, mask(*disk, 0));
    EXPECT_EQ(0u, mask(*disk, 1));
    EXPECT_EQ(erased ? 1u << c : all, mask(*disk, 2));
    EXPECT_EQ(k.command == 5515 ? 1 : 0, sims.sim_of(a).device(1).resets);
    EXPECT_EQ(k.command == 5515 ? 1 : 0, sims.sim_of(d).device(4).resets);
    EXPECT_EQ(0, sims.sim_of(c).device(3).resets);

    // "Exit Menu" addresses no reader and still says the closing text.
    hl::clear_boxes();
    const int opened = sims.bus().connections_opened();
    ASSERT_TRUE(hl::choose_menu(k.command));
    ASSERT_TRUE(hl::press(selection(), ui::kIdExitMenu));
    EXPECT_EQ(std::string(k.closing) + "\n", boxes());
    EXPECT_EQ(opened, sims.bus().connections_opened());
    EXPECT_EQ(ui::kNoWindow, selection());
    hl::clear_boxes();
    if (erased) send_all();
  }
}

// Person records that cannot be written keep their bit (in memory as on disk)
// and each says so; the scan goes on, and a person without the bit is never
// written (no box for it).
TEST_F(Maintenance, EraseWithFailingPersonWrites) {
  start();
  readers_with_persons();
  platform::fault::arm_from(platform::fault::Op::FileWrite, 1);
  ASSERT_TRUE(hl::choose_menu(5510));
  ASSERT_TRUE(hl::press(selection(), ids::kFirstReaderBox + 1));  // Lost unticked
  ASSERT_TRUE(hl::press(selection(), ui::kIdAction));
  const std::string update = "Fehler beim updaten der Personendaten !, Fehlernummer -22|Update Fehler\n";
  EXPECT_EQ(update + update + update + update + "The data in the reader is now deleted!|Delete Info data\n",
            boxes());
  platform::fault::reset();
  EXPECT_TRUE(sims.sim_of(a).users(1).empty());
  auto disk = ProgramTest::on_disk();
  const std::uint32_t all = (1u << a) | (1u << c) | (1u << d);
  for (int slot : {0, 2}) {
    EXPECT_EQ(all, mask(*disk, slot));
    EXPECT_EQ(all, store::db().persons[slot].reader_mask());
  }
}

// 5520: a missing and a faulty L-Parameter.txt open nothing and address no
// reader; a good one goes byte for byte to the ticked readers.
TEST_F(Maintenance, ReaderParameterDownload) {
  start();
  readers_with_persons();
  struct Bad {
    const char* content;  // nullptr: no file
    const char* boxes;
  };
  const Bad bad[] = {
      {nullptr,
       "\nFehler beim öffnen der Parameterdatei !\nIst sie vorhanden ?\n|Info Leser Parameter\n"},
      {"504C01\r\n50 4C\r\n",
       "\nHabe ein unzulässiges Zeichen eingelesen !!!\n\n|Fehler Leser Parameter\n"
       "\nFehler beim lesen der Leserparameter Datei !!!\n Fehlernummer -6.|Fehler Leser Parameter\n"},
  };
  const int opened = sims.bus().connections_opened();
  for (const Bad& b : bad) {
    if (b.content) put("L-Parameter.txt", b.content);
    hl::clear_boxes();
    ASSERT_TRUE(hl::choose_menu(5520));
    EXPECT_EQ(b.boxes, boxes());
    for (const auto& box : hl::boxes()) EXPECT_EQ(main(), box.owner);
    EXPECT_EQ(ui::kNoWindow, selection());
    EXPECT_TRUE(ui::window_enabled(main()));
  }
  EXPECT_EQ(opened, sims.bus().connections_opened());

  put("L-Parameter.txt", "504c0102\r\n504C10\r\n\r\n0A");
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(5520));
  ui::Window s = selection();
  ASSERT_NE(ui::kNoWindow, s);
  EXPECT_EQ("Please select all readers you want the reader parameter to be sent to.",
            ui::get_text(s, ids::kInstruction));
  watch_status("Info Reader Parameter Download");
  ASSERT_TRUE(hl::press(s, ui::kIdAction));
  // Each set taken over is reported by the download itself.
  auto sets_taken = [](const char* reader) {
    return std::string("Update of the reader parameter, Set 0 was carried out succesfully.\n\n|Info ") + reader +
           "\nUpdate of the reader parameter, Set 1 was carried out succesfully.\n\n|Info " + reader + "\n";
  };
  EXPECT_EQ(sets_taken("Door A") + kLostBox + "|Error reader parameter download\n" + sets_taken("Gate D") +
                "The reader Parameter Download is now complete.\n\n|Info Reader Parameter Download\n",
            boxes());
  EXPECT_EQ("Download reader parameter|Download of the parameter to the reader Gate D carried out successfully!",
            status);
  const std::vector<sim::Bytes> sent = {{0x50, 0x4C, 0x01, 0x02}, {0x50, 0x4C, 0x10}};
  EXPECT_EQ(sent, sims.sim_of(a).device(1).loaded_sets);
  EXPECT_EQ(sent, sims.sim_of(d).device(4).loaded_sets);
  EXPECT_TRUE(sims.sim_of(c).device(3).loaded_sets.empty());
}

// 5530 at the enrol station: a missing file, then the sets sent; with a dialog
// open the command only focuses the main window.
TEST_F(Maintenance, EnrolParameterDownload) {
  start();
  sim::Simulator station(sim::Options{});
  store::Konfigsatz& k = store::db().konfig;
  k.set_station_connection(1);
  k.set_ip("127.0.0.1");
  k.set_tcp_port(static_cast<std::uint16_t>(station.listen_tcp()));
  ASSERT_TRUE(station.start());

  ASSERT_TRUE(hl::choose_menu(5530));
  EXPECT_EQ("\nFehler beim öffnen der Parameterdatei !\nIst sie vorhanden ?\n|Info Enrol Parameter\n", boxes());
  EXPECT_EQ(0, station.connections_opened());

  put("E-Parameter.txt", "504C0A\n504CFF01");
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(5530));
  EXPECT_EQ("Update of the Enrol parameter, Set 0 was carried out succesfully.\n\n|Info Enrol station\n"
            "Update of the Enrol parameter, Set 1 was carried out succesfully.\n\n|Info Enrol station\n"
            "Enrol Parameter Download carried out succesfully!|Enrol Parameter Download\n",
            boxes());
  EXPECT_EQ((std::vector<sim::Bytes>{{0x50, 0x4C, 0x0A}, {0x50, 0x4C, 0xFF, 0x01}}),
            station.device(1).loaded_sets);

  station.stop();
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(5530));
  ASSERT_EQ(1u, hl::boxes().size());
  EXPECT_EQ("Error Enrol Parameter Download", hl::boxes()[0].caption);
  EXPECT_EQ(0u, box_texts()[0].find("Enrol station\r\nError during check_enrol_parameter!, Number "));

  ASSERT_TRUE(hl::choose_menu(5550));
  ui::Window info = dialog("D_LESER_VERS_INFO");
  hl::clear_boxes();
  ui::send_command(main(), 5530, 0);
  EXPECT_EQ("", boxes());
  EXPECT_EQ(info, dialog("D_LESER_VERS_INFO"));
}

// 5540: D_BMODE starts at "Command mode"; an ordinary user only sees it; the
// administrator's choice goes to the ticked readers, "Exit Menu" of the
// selection sends nothing.
TEST_F(Maintenance, OperatingMode) {
  start();
  readers_with_persons();
  namespace bm = res::d_bmode;
  views::host().user.number = 2;
  ASSERT_TRUE(hl::choose_menu(5540));
  ui::Window b = dialog("D_BMODE");
  ASSERT_NE(ui::kNoWindow, b);
  EXPECT_EQ("Operating mode for the reader", ui::title(b));
  EXPECT_TRUE(ui::checked(b, bm::kFirstMode));
  ASSERT_TRUE(hl::press(b, ui::kIdAction));
  EXPECT_EQ("\nUnfortunately you only have the right to see the parameter!\nTo change the parameters "
            "contact your system administrator!\n\n|Info\n",
            boxes());
  EXPECT_EQ(b, dialog("D_BMODE"));
  EXPECT_EQ(ui::kNoWindow, selection());

  views::host().user.number = 1;
  for (bool send : {false, true}) {
    SCOPED_TRACE(send);
    if (dialog("D_BMODE") == ui::kNoWindow) {
      ASSERT_TRUE(hl::choose_menu(5540));
    }
    ASSERT_TRUE(hl::press(dialog("D_BMODE"), bm::kFirstMode + 10 * 3));  // Template on Card
    hl::clear_boxes();
    ASSERT_TRUE(hl::press(dialog("D_BMODE"), ui::kIdAction));
    EXPECT_EQ(ui::kNoWindow, dialog("D_BMODE"));
    ui::Window s = selection();
    ASSERT_NE(ui::kNoWindow, s);
    EXPECT_EQ(views::kModeOperatingMode, views::host().dialog_mode);
    EXPECT_EQ("Please select all readers you want the reader parameter to be sent to.",
              ui::get_text(s, ids::kInstruction));
    EXPECT_FALSE(ui::window_enabled(main()));
    watch_status("Info Leser Betriebsmode ändern");
    ASSERT_TRUE(hl::press(s, send ? ui::kIdAction : ui::kIdExitMenu));
    EXPECT_EQ(send ? std::string(kLostBox) + "|Error change operation mode\n" +
                         "Das ändern des Betriebsmodes ist nun beendet.\n\n|Info Leser Betriebsmode ändern\n"
                   : std::string(),
              boxes());
    if (send) {
      EXPECT_EQ("Betriebsmode Änderung|Ändern des Betriebsmodes für Leser Gate D erfolgreich durchgeführt!",
                status);
    }
    EXPECT_EQ(send ? 3 : 0, sims.sim_of(a).device(1).mode);
    EXPECT_EQ(send ? 3 : 0, sims.sim_of(d).device(4).mode);
    EXPECT_EQ(0, sims.sim_of(c).device(3).mode);
    EXPECT_EQ(ui::kNoWindow, selection());
    EXPECT_TRUE(ui::window_enabled(main()));
  }
  // "Exit Menu" of D_BMODE ends the command.
  ASSERT_TRUE(hl::choose_menu(5540));
  ASSERT_TRUE(hl::press(dialog("D_BMODE"), ui::kIdExitMenu));
  EXPECT_EQ(ui::kNoWindow, dialog("D_BMODE"));
  EXPECT_EQ(ui::kNoWindow, selection());
  EXPECT_TRUE(ui::window_enabled(main()));
}

// 5550: five characters, written only when they differ over five; a failed
// write keeps the dialog and the stored text.
TEST_F(Maintenance, ReleaseInfo) {
  res::select_edition(res::Edition::German);
  start();
  namespace vi = res::d_leser_vers_info;
  struct Case {
    const char* typed;
    bool write_fails;
    const char* stored;  // afterwards, on disk
    const char* boxes;
  };
  const Case cases[] = {
      {"V1.2", false, "V1.2", ""},
      {"V1.2", true, "V1.2", ""},  // unchanged: nothing is written
      {"V2.0", true, "V1.2", "Fehler -22 ist beim speichern der Konfigurationdatei aufgetreten !|Fehler Meldung\n"},
      {"", false, "", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.typed);
    platform::fault::reset();
    if (k.write_fails) platform::fault::arm(platform::fault::Op::FileWrite, 1);
    hl::clear_boxes();
    ASSERT_TRUE(hl::choose_menu(5550));
    ui::Window v = dialog("D_LESER_VERS_INFO");
    ASSERT_NE(ui::kNoWindow, v);
    EXPECT_EQ("Leser VersionsInfo", ui::title(v));
    EXPECT_EQ(5, hl::text_limit(v, vi::kText));
    ASSERT_TRUE(hl::type(v, vi::kText, k.typed));
    ASSERT_TRUE(hl::press(v, ui::kIdAction));
    EXPECT_EQ(k.boxes, boxes());
    EXPECT_EQ(*k.boxes != 0, dialog("D_LESER_VERS_INFO") != ui::kNoWindow);
    if (dialog("D_LESER_VERS_INFO") != ui::kNoWindow) {
      ASSERT_TRUE(hl::press(dialog("D_LESER_VERS_INFO"), ui::kIdExitMenu));
    }
    EXPECT_EQ(k.stored, ProgramTest::on_disk()->konfig.release_info());
    EXPECT_EQ(k.stored, store::db().konfig.release_info());
    EXPECT_TRUE(ui::window_enabled(main()));
  }
}

}  // namespace
}  // namespace readertest
