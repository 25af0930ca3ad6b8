// The reader form D_LESER for a new reader (command 2200): filling, enabling,
// the checks with their messages, the uniqueness rules, storing in Leser.dat.
#include "fixture.h"
#include "resources/ids/d_leser.h"
#include "platform/fault.h"
#include "resources/catalogue.h"
#include "store/store.h"

namespace readertest {
namespace {

const Entry kTcpReader{"Door", true, 0, 0, "192.168.0.20", "10001", 2, true};

using Form = Program;

TEST_F(Form, NewReaderFormStartsWithTheDefaultsOverTheMainWindow) {
  start();
  ASSERT_TRUE(hl::choose_menu(2200));
  ui::Window f = form();
  ASSERT_NE(ui::kNoWindow, f);
  EXPECT_EQ("Reader", ui::title(f));
  EXPECT_FALSE(ui::window_enabled(main_window()));
  ui::Rect m = ui::window_rect(main_window()), r = ui::window_rect(f);
  EXPECT_EQ(m.x + (m.width - r.width) / 2, r.x);
  EXPECT_EQ(m.y + (m.height - r.height) / 2, r.y);

  // RS232 on COM 01 at 115200, bus address 01, not active; TCP fields disabled.
  EXPECT_TRUE(ui::checked(f, res::d_leser::kRs232));
  EXPECT_FALSE(ui::checked(f, res::d_leser::kTcpIp));
  std::vector<std::string> coms = hl::items(f, res::d_leser::kComPort);
  ASSERT_EQ(32u, coms.size());
  EXPECT_EQ("COM 01", coms.front());
  EXPECT_EQ("COM 32", coms.back());
  EXPECT_EQ(0, ui::items_selected(f, res::d_leser::kComPort));
  EXPECT_EQ((std::vector<std::string>{"115200", "57600", "38400", "19200", "9600"}),
            hl::items(f, res::d_leser::kBaud));
  EXPECT_EQ(0, ui::items_selected(f, res::d_leser::kBaud));
  std::vector<std::string> bus = hl::items(f, res::d_leser::kBus);
  ASSERT_EQ(15u, bus.size());
  EXPECT_EQ("01", bus.front());
  EXPECT_EQ("15", bus.back());
  EXPECT_EQ("192.168.0.1", ui::get_text(f, res::d_leser::kAddress));
  EXPECT_EQ("10001", ui::get_text(f, res::d_leser::kPort));
  EXPECT_EQ("", ui::get_text(f, res::d_leser::kName));
  EXPECT_FALSE(ui::checked(f, res::d_leser::kPreselected));
  EXPECT_EQ(15, hl::text_limit(f, res::d_leser::kAddress));
  EXPECT_EQ(5, hl::text_limit(f, res::d_leser::kPort));
  EXPECT_EQ(25, hl::text_limit(f, res::d_leser::kName));
  EXPECT_TRUE(ui::control_enabled(f, res::d_leser::kComPort));
  EXPECT_FALSE(ui::control_enabled(f, res::d_leser::kAddress));
  EXPECT_FALSE(hl::type(f, res::d_leser::kAddress, "10.0.0.1"));

  // "Create\nnew set" in the place of the disabled "Save Changes".
  EXPECT_FALSE(ui::control_enabled(f, ui::kIdAction));
  EXPECT_EQ("Create\nnew set", ui::get_text(f, ui::kIdSecond));
  ui::Rect save = ui::control_rect(f, ui::kIdAction), copy = ui::control_rect(f, ui::kIdSecond);
  EXPECT_EQ(save.x, copy.x);
  EXPECT_EQ(save.y, copy.y);

  // The radio buttons switch the enabling.
  ASSERT_TRUE(hl::press(f, res::d_leser::kTcpIp));
  EXPECT_FALSE(ui::control_enabled(f, res::d_leser::kComPort));
  EXPECT_FALSE(ui::control_enabled(f, res::d_leser::kBaud));
  EXPECT_TRUE(ui::control_enabled(f, res::d_leser::kAddress));
  EXPECT_TRUE(ui::control_enabled(f, res::d_leser::kPort));
  ASSERT_TRUE(hl::press(f, res::d_leser::kRs232));
  EXPECT_TRUE(ui::control_enabled(f, res::d_leser::kBaud));
  EXPECT_FALSE(ui::control_enabled(f, res::d_leser::kPort));

  // "Exit Menu" closes it without a word.
  ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_TRUE(ui::window_enabled(main_window()));
  EXPECT_EQ("", boxes());
  EXPECT_TRUE(names_on_disk().empty());
}

TEST_F(Form, CreatedReaderIsStoredAtTheFirstFreeSlot) {
  start();
  ASSERT_TRUE(create_reader(kTcpReader));
  EXPECT_EQ("A new reader set was captured successfully!\n|Info\n", boxes());
  EXPECT_EQ(ui::kNoWindow, form());
  EXPECT_TRUE(ui::window_enabled(main_window()));

  std::vector<store::Lesersatz> disk = on_disk();
  const store::Lesersatz& r = disk[0];
  EXPECT_EQ(1u, r.nummer());
  EXPECT_EQ(1, r.verbindung());
  EXPECT_EQ("192.168.0.20", r.ip());
  EXPECT_EQ(10001, r.tcp_port());
  EXPECT_EQ("Door", r.name());
  EXPECT_EQ(2, r.bus_address());
  EXPECT_EQ(1, r.preselect());
  EXPECT_EQ(20, r.wait_value());  // the default of a new reader, not shown in the form
  EXPECT_TRUE(testsupport::same_bytes(testsupport::Bytes(r.b.begin(), r.b.end()),
                                      testsupport::Bytes(store::db().readers[0].b.begin(),
                                                         store::db().readers[0].b.end())));
  EXPECT_EQ(store::db().current_reader.b, r.b);

  // A serial reader goes to the next slot with its COM port and baud rate.
  ASSERT_TRUE(create_reader({"Gate", false, 2, 4, "", "", 0, false}));
  disk = on_disk();
  EXPECT_EQ(2u, disk[1].nummer());
  EXPECT_EQ(0, disk[1].verbindung());
  EXPECT_EQ(2, disk[1].com_port());
  EXPECT_EQ(4, disk[1].baud());
  EXPECT_EQ(0, disk[1].preselect());
}

TEST_F(Form, AddressPortAndNameChecksKeepTheFormOpen) {
  start();
  ASSERT_TRUE(hl::choose_menu(2200));
  ui::Window f = form();
  struct Case {
    const char* address;
    const char* port;
    const char* name;
    const char* message;  // empty: accepted
  };
  const Case cases[] = {
      {"", "10001", "R", "Keine Eingabe im Feld IP Adresse oder Name vorhanden !"},
      {"224.0.0.1", "10001", "R", "Fehlerhafte Eingabe im Feld IP Adresse oder Name vorhanden !"},
      {"10.1", "999", "R", "Angabe für TCP Port ist nicht zulässig !"},
      {"10.1", "", "R", "Angabe für TCP Port ist nicht zulässig !"},
      {"10.1", "1000", "", "Keine Eingabe im Feld Lesername vorhanden !"},
  };
  ASSERT_TRUE(hl::press(f, res::d_leser::kTcpIp));
  for (const Case& c : cases) {
    hl::clear_boxes();
    ASSERT_TRUE(hl::type(f, res::d_leser::kAddress, c.address));
    ASSERT_TRUE(hl::type(f, res::d_leser::kPort, c.port));
    ASSERT_TRUE(hl::type(f, res::d_leser::kName, c.name));
    ASSERT_TRUE(hl::press(f, ui::kIdSecond));
    EXPECT_EQ(std::string(c.message) + "|Info\n", boxes()) << c.address << " " << c.port;
    EXPECT_EQ(f, form());
    EXPECT_EQ(c.address, ui::get_text(f, res::d_leser::kAddress));
  }
  EXPECT_TRUE(names_on_disk().empty());

  // 10.1 (missing groups are 0) on port 65535 and a host name are taken.
  hl::clear_boxes();
  ASSERT_TRUE(hl::type(f, res::d_leser::kAddress, "10.1"));
  ASSERT_TRUE(hl::type(f, res::d_leser::kPort, "65535"));
  ASSERT_TRUE(hl::type(f, res::d_leser::kName, "R"));
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("A new reader set was captured successfully!\n|Info\n", boxes());
  ASSERT_TRUE(create_reader({"S", true, 0, 0, "door-reader", "1000", 0, false}));
  std::vector<store::Lesersatz> disk = on_disk();
  EXPECT_EQ("10.1", disk[0].ip());
  EXPECT_EQ(65535, disk[0].tcp_port());
  EXPECT_EQ("door-reader", disk[1].ip());
  EXPECT_EQ(1000, disk[1].tcp_port());
}

TEST_F(Form, UniqueNameAndConnectionWithBusAddress) {
  start();
  const std::string kConnection = "Leseranschluss und Busadresse sind schon vorhanden !";
  const std::string kName =
      "Der Lesername ist schon vorhanden,\r\ner muss eindeutig (einmalig) sein !";
  ASSERT_TRUE(create_reader({"Door", false, 2, 0, "", "", 0, false}));
  ASSERT_TRUE(create_reader({"Gate", false, 2, 0, "", "", 1, false}));  // COM 03, bus 02

  auto refused = [&](const Entry& e) {
    EXPECT_FALSE(create_reader(e)) << e.name;
    std::vector<std::string> texts = box_texts();
    ui::Window f = form();
    if (f != ui::kNoWindow) {
      EXPECT_TRUE(hl::press(f, ui::kIdExitMenu));
    }
    return texts.size() == 1 ? texts[0] : std::string("(boxes: ") + boxes() + ")";
  };
  // COM 03, bus 01 again, with another baud rate.
  EXPECT_EQ(kConnection, refused({"Hall", false, 2, 3, "", "", 0, false}));
  // The same name on another connection, exactly as stored.
  EXPECT_EQ(kName, refused({"Door", true, 0, 0, "10.0.0.5", "10001", 0, false}));
  // A name that differs only in letter case is another name.
  EXPECT_TRUE(create_reader({"door", false, 5, 0, "", "", 0, false}));

  ASSERT_TRUE(create_reader({"T1", true, 0, 0, "10.0.0.9", "10001", 0, false}));
  ASSERT_TRUE(create_reader({"T2", true, 0, 0, "10.0.0.9", "10001", 1, false}));
  EXPECT_TRUE(create_reader({"T3", true, 0, 0, "10.0.0.9", "10002", 0, false}));
  EXPECT_EQ(kConnection, refused({"T4", true, 0, 0, "10.0.0.9", "10001", 1, true}));
  // A COM reader and a TCP/IP reader never clash on their bus address.
  EXPECT_TRUE(create_reader({"C", false, 0, 0, "", "", 0, false}));

  EXPECT_EQ((std::vector<std::string>{"Door", "Gate", "door", "T1", "T2", "T3", "C"}),
            names_on_disk());
}

TEST_F(Form, ThirtyThirdReaderCannotBeStored) {
  start();
  for (int i = 0; i < 32; ++i)
    store_reader({"R" + std::to_string(i), false, i, 0, "", "", 0, false});
  const testsupport::Bytes before = leser_file();
  ASSERT_TRUE(hl::choose_menu(2200));
  ui::Window f = form();
  enter(f, {"One more", true, 0, 0, "10.0.0.1", "10001", 0, false});
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("Fehler beim schreiben des Leserdatensatzes !|Info\n", boxes());
  EXPECT_EQ(f, form());
  EXPECT_TRUE(testsupport::same_bytes(before, leser_file()));
  EXPECT_EQ(32u, names_on_disk().size());
}

TEST_F(Form, WriteFailureKeepsTheFormAndTheTable) {
  start();
  ASSERT_TRUE(hl::choose_menu(2200));
  ui::Window f = form();
  enter(f, kTcpReader);
  const store::Lesersatz current = store::db().current_reader;
  platform::fault::arm(platform::fault::Op::FileWrite, 1);
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("Fehler beim schreiben des Leserdatensatzes !|Info\n", boxes());
  EXPECT_EQ(f, form());
  EXPECT_FALSE(store::db().readers[0].used());
  EXPECT_EQ(current.b, store::db().current_reader.b);
  EXPECT_TRUE(names_on_disk().empty());
  // Once the file can be written the same input is stored.
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("A new reader set was captured successfully!\n|Info\n", boxes());
  EXPECT_EQ(std::vector<std::string>{"Door"}, names_on_disk());
}

TEST_F(Form, GermanEdition) {
  res::select_edition(res::Edition::German);
  start();
  ASSERT_TRUE(hl::choose_menu(2200));
  ui::Window f = form();
  EXPECT_EQ("Leser", ui::title(f));
  EXPECT_EQ("neuen Satz\nanlegen", ui::get_text(f, ui::kIdSecond));
  enter(f, {"Tür", false, 0, 0, "", "", 0, false});
  ASSERT_TRUE(hl::press(f, ui::kIdSecond));
  EXPECT_EQ("Ein neuer Lesersatz wurde erfolgreich erfasst!\n|Info\n", boxes());
  EXPECT_EQ(std::vector<std::string>{"Tür"}, names_on_disk());
}

}  // namespace
}  // namespace readertest
