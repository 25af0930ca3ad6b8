// The enrol station: initialisation dialog, first registration with the owner
// transponder, exchange and release, the check at login with -e and -j, against
// the simulated station on loopback TCP.
#include <string>

#include "fixture.h"
#include "resources/ids/d_leser.h"
#include "platform/clock.h"
#include "platform/serial.h"
#include "resources/catalogue.h"
#include "shell/shell.h"
#include "store/store.h"

namespace uitest {
namespace {

using testsupport::Bytes;
using testsupport::cp;

const std::vector<int> kAdminWithoutStation = {1000, 1400, 1500, 6000, 6100};
const std::vector<int> kUserWithoutStation = {1000, 1300, 1500, 6000, 6100};

class Station : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    install();
    // An ordinary user who has chosen a password already.
    store::Usersatz& u = store::db().user_current;
    u = store::Usersatz{};
    u.set_name("Muster1");
    u.set_password("geheim1");
    ASSERT_EQ(2, store::rw_user(store::kWrite));
  }

  // The station with `serial` and `card` presented when asked for; the
  // Konfigsatz pointing at it is written. Registered when `identity` is given.
  void attach(const Bytes& serial, const Bytes& card, const std::string& identity = "",
              const std::string& owner = "") {
    station(serial, card);
    if (identity.empty()) {
      ASSERT_EQ(1, store::rw_konfig(store::kWrite));
    } else {
      register_station(identity, owner);
    }
    cfg = testsupport::read_file(path("Programm.cfg"));
    stop();
  }

  store::Konfigsatz konfig_on_disk() {
    EXPECT_EQ(1, store::rw_konfig(store::kRead));
    return store::db().konfig;
  }

  Bytes cfg;  // Programm.cfg as attach() left it
};

TEST_F(Station, DialogFillingAndConnectionSwitch) {
  attach(kSerial, kOwnerCard);
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  ui::Window d = dialog("D_INITIAL");
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ("Initialization", ui::title(d));
  std::vector<std::string> ports = hl::items(d, res::d_leser::kComPort);
  ASSERT_EQ(32u, ports.size());
  EXPECT_EQ("COM 01", ports.front());
  EXPECT_EQ("COM 32", ports.back());
  EXPECT_EQ(std::vector<std::string>({"115200", "57600", "38400", "19200", "9600"}), hl::items(d, res::d_leser::kBaud));
  EXPECT_EQ(4, ui::items_selected(d, res::d_leser::kBaud));
  EXPECT_TRUE(ui::checked(d, res::d_leser::kTcpIp));
  EXPECT_FALSE(ui::checked(d, res::d_leser::kRs232));
  EXPECT_EQ("127.0.0.1", ui::get_text(d, res::d_leser::kAddress));
  EXPECT_EQ(std::to_string(station_port), ui::get_text(d, res::d_leser::kPort));
  EXPECT_EQ(15, hl::text_limit(d, res::d_leser::kAddress));
  EXPECT_EQ(5, hl::text_limit(d, res::d_leser::kPort));
  EXPECT_FALSE(ui::control_enabled(d, res::d_leser::kComPort));
  EXPECT_TRUE(ui::control_enabled(d, res::d_leser::kAddress));
  ASSERT_TRUE(hl::press(d, res::d_leser::kRs232));
  EXPECT_TRUE(ui::control_enabled(d, res::d_leser::kComPort));
  EXPECT_TRUE(ui::control_enabled(d, res::d_leser::kBaud));
  EXPECT_FALSE(ui::control_enabled(d, res::d_leser::kAddress));
  EXPECT_FALSE(ui::control_enabled(d, res::d_leser::kPort));
  ASSERT_TRUE(hl::press(d, res::d_leser::kTcpIp));
  EXPECT_FALSE(ui::control_enabled(d, res::d_leser::kBaud));
  EXPECT_TRUE(ui::control_enabled(d, res::d_leser::kPort));
}

TEST_F(Station, RefusedSettingsChangeNothing) {
  attach(kSerial, kOwnerCard);
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  ui::Window d = dialog("D_INITIAL");
  const std::string port = ui::get_text(d, res::d_leser::kPort);
  hl::clear_boxes();
  struct Case {
    const char *address, *port;
  } cases[] = {{"", "10001"},          {"300.1.1.1", "10001"}, {"10.0.0.0.1", "10001"},
               {"0.1.2.3", "10001"},   {"12a.1.1.1", "10001"}, {"10.0.0.9", "999"},
               {"127.0.0.1", "65536"}, {"127.0.0.1", ""}};
  for (const Case& c : cases) {
    hl::type(d, res::d_leser::kAddress, c.address);
    hl::type(d, res::d_leser::kPort, c.port);
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
  }
  EXPECT_EQ("Keine Eingabe im Feld IP Adresse oder Name vorhanden !|Info\n"
               "Fehlerhafte Eingabe im Feld IP Adresse oder Name vorhanden !|Info\n"
               "Fehlerhafte Eingabe im Feld IP Adresse oder Name vorhanden !|Info\n"
               "Fehlerhafte Eingabe im Feld IP Adresse oder Name vorhanden !|Info\n"
               "Fehlerhafte Eingabe im Feld IP Adresse oder Name vorhanden !|Info\n"
               "Angabe für TCP Port ist nicht zulässig !|Info\n"
               "Angabe für TCP Port ist nicht zulässig !|Info\n"
               "Angabe für TCP Port ist nicht zulässig !|Info\n",
            boxes());
  EXPECT_EQ(d, dialog("D_INITIAL"));
  EXPECT_EQ(std::to_string(store::db().konfig.tcp_port()), port);
  EXPECT_EQ("127.0.0.1", store::db().konfig.ip());
  EXPECT_EQ(0, sim->connections_opened());
  EXPECT_TRUE(testsupport::same_bytes(cfg, testsupport::read_file(path("Programm.cfg"))));
}

TEST_F(Station, FirstInitialisationRegistersStationAndOwner) {
  attach(kSerial, kOwnerCard);
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(dialog("D_INITIAL"), 900));
  EXPECT_EQ(std::string("\nAfter the confirmation of this window,\nhold the transponder infront of the reader !\n\n|Info\n"
                        "\nTransponder number = ") + kOwnerCardText + "\n|Info\n",
            boxes());
  EXPECT_EQ(ui::kNoWindow, dialog("D_INITIAL"));
  store::Konfigsatz k = konfig_on_disk();
  EXPECT_EQ(1, k.station_registered());
  EXPECT_EQ(kSerialText, k.station_identity());
  EXPECT_EQ(kOwnerCardText, k.station_transponder());
  // The check after the dialog passed: the administrator's full menu.
  EXPECT_TRUE(ui::menu_enabled(main(), 5800));
  EXPECT_TRUE(ui::menu_enabled(main(), 2000));
  EXPECT_FALSE(ui::menu_enabled(main(), 1300));
  EXPECT_FALSE(sim->transparent(1));

  // The next run initialises the station at start and logs in to the full menu.
  stop();
  int connections = sim->connections_opened();
  ASSERT_TRUE(start_and_run());
  EXPECT_GT(sim->connections_opened(), connections);
  hl::clear_boxes();
  ASSERT_TRUE(login("Muster1", "geheim1"));
  EXPECT_EQ("", boxes());
  EXPECT_TRUE(ui::menu_enabled(main(), 2000));
  EXPECT_TRUE(ui::menu_enabled(main(), 1300));
  EXPECT_FALSE(ui::menu_enabled(main(), 1400));
}

TEST_F(Station, FirstInitialisationOverTheSerialPort) {
#ifdef _WIN32
  GTEST_SKIP() << "the simulator offers no pseudo-terminal on Windows";
#endif
  attach(kSerial, kOwnerCard);
  // The same simulated station, now also on a pseudo-terminal as COM 07.
  sim::Simulator serial_station(sim::Options{});
  std::string pty = serial_station.open_pty();
  ASSERT_FALSE(pty.empty());
  serial_station.set_serial(kOtherSerial);
  serial_station.set_auto_card(kOtherCard);
  ASSERT_TRUE(serial_station.start());
  platform::com_set_device(6, pty);

  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  ui::Window d = dialog("D_INITIAL");
  ASSERT_TRUE(hl::press(d, res::d_leser::kRs232));
  ASSERT_TRUE(hl::choose_item(d, res::d_leser::kComPort, "COM 07"));
  ASSERT_TRUE(hl::choose_item(d, res::d_leser::kBaud, "115200"));
  hl::clear_boxes();
  // The serial transport waits by sleeping: it needs the real clock to give the
  // simulator time to answer.
  platform::vclock::disable();
  bool pressed = hl::press(d, ui::kIdAction);
  platform::vclock::enable(platform::LocalTime{2026, 12, 7, 9, 0, 0, 0, 1});
  ASSERT_TRUE(pressed);
  EXPECT_NE(std::string::npos, boxes().find(std::string("\nTransponder number = ") + kOtherCardText)) << boxes();
  store::Konfigsatz k = konfig_on_disk();
  EXPECT_EQ(0, k.station_connection());
  EXPECT_EQ(6, k.com_port());
  EXPECT_EQ(0, k.baud());
  EXPECT_EQ(kOtherSerialText, k.station_identity());
  EXPECT_EQ(0, sim->connections_opened());
  serial_station.stop();
  platform::com_reset_devices();
}

TEST_F(Station, FirstInitialisationGivenUpRegistersNothing) {
  attach(kSerial, Bytes{});  // no card comes
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  hl::clear_boxes();
  hl::script_answer(ui::kIdOk);
  hl::script_answer(ui::kIdYes);  // read again
  hl::script_answer(ui::kIdNo);   // give up
  ASSERT_TRUE(hl::press(dialog("D_INITIAL"), 900));
  const std::string question =
      "\nUnfortunately I haven't received any data !\nWould you like to repeat the reading operation?\n\n|Question?\n";
  EXPECT_NE(std::string::npos, boxes().find("hold the transponder infront of the reader !\n\n|Info\n" + question + question));
  EXPECT_EQ(std::string::npos, boxes().find("Transponder number"));
  EXPECT_EQ(ui::kNoWindow, dialog("D_INITIAL"));
  EXPECT_EQ(0, konfig_on_disk().station_registered());
  EXPECT_EQ(kAdminWithoutStation, enabled_commands());
}

TEST_F(Station, ExchangedStationIsReleasedWithTheOwnerTransponder) {
  attach(kSerial, kOwnerCard, kOtherSerialText, kOwnerCardText);
  ASSERT_TRUE(start_and_run());
  hl::clear_boxes();
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_EQ("\nDie Enrolstation wurde wohl ausgetauscht !\nSie müssen diese Enrolstation erst freigeben !\n\n|Fehler Meldung\n",
            boxes());
  EXPECT_EQ(kAdminWithoutStation, enabled_commands());
  ui::Window d = dialog("D_INITIAL");
  ASSERT_NE(ui::kNoWindow, d);  // offered at once
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nDie Enrolstation wurde wohl ausgetauscht !                                     \n"
               "Bitte nach der Bestätigung dieses Fensters\n\nden Transponder vor den Leser halten !\n\n|Info\n",
            boxes());
  store::Konfigsatz k = konfig_on_disk();
  EXPECT_EQ(kSerialText, k.station_identity());
  EXPECT_EQ(kOwnerCardText, k.station_transponder());
  EXPECT_TRUE(ui::menu_enabled(main(), 5800));
}

TEST_F(Station, WrongTransponderChangesNothing) {
  attach(kSerial, kOtherCard, kOtherSerialText, kOwnerCardText);
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(dialog("D_INITIAL"), 900));
  EXPECT_NE(std::string::npos,
            boxes().find("\nHabe leider eine falsche Transpondernummer erhalten !\n|Fehler Meldung\n"));
  EXPECT_EQ(ui::kNoWindow, dialog("D_INITIAL"));
  EXPECT_TRUE(testsupport::same_bytes(cfg, testsupport::read_file(path("Programm.cfg"))));
  EXPECT_EQ(kAdminWithoutStation, enabled_commands());
  // The release was refused: the next login is refused again, without the offer.
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(1000));
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_NE(std::string::npos, boxes().find("ausgetauscht"));
  EXPECT_EQ(ui::kNoWindow, dialog("D_INITIAL"));
}

TEST_F(Station, ExchangeGivenUpRegistersNothing) {
  attach(kSerial, Bytes{}, kOtherSerialText, kOwnerCardText);
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  ui::Window d = dialog("D_INITIAL");
  ASSERT_NE(ui::kNoWindow, d);
  hl::clear_boxes();
  hl::script_answer(ui::kIdOk);  // hold the transponder ...
  hl::script_answer(ui::kIdNo);  // no data: do not read again
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  // The dialog reports done; the check that follows refuses the station again.
  EXPECT_EQ(ui::kNoWindow, dialog("D_INITIAL"));
  std::vector<std::string> shown = box_texts();
  ASSERT_EQ(3u, shown.size()) << boxes();
  EXPECT_EQ(0u, shown[0].find("\nDie Enrolstation wurde wohl ausgetauscht !      "));
  EXPECT_EQ(0u, shown[1].find("\nUnfortunately I haven't received any data !"));
  EXPECT_EQ(0u, shown[2].find("\nDie Enrolstation wurde wohl ausgetauscht !\nSie m"));
  EXPECT_TRUE(testsupport::same_bytes(cfg, testsupport::read_file(path("Programm.cfg"))));
  EXPECT_EQ(kAdminWithoutStation, enabled_commands());
}

TEST_F(Station, OrdinaryUserAtAnExchangedStation) {
  attach(kSerial, kOwnerCard, kOtherSerialText, kOwnerCardText);
  ASSERT_TRUE(start_and_run());
  hl::clear_boxes();
  ASSERT_TRUE(login("Muster1", "geheim1"));
  EXPECT_EQ("\nDie Enrolstation wurde wohl ausgetauscht !\nDer Administrator muss diese Enrolstation erst freigeben !"
               "\nBitte informiren Sie den Administrator !\n\n|Fehler Meldung\n",
            boxes());
  EXPECT_EQ(kUserWithoutStation, enabled_commands());
  EXPECT_EQ(ui::kNoWindow, dialog("D_INITIAL"));
}

TEST_F(Station, SwitchesOfTheCheck) {
  // -j: the mismatch is reported and work goes on.
  attach(kSerial, kOwnerCard, kOtherSerialText, kOwnerCardText);
  ASSERT_TRUE(start_and_run("-j"));
  hl::clear_boxes();
  ASSERT_TRUE(login("Muster1", "geheim1"));
  EXPECT_NE(std::string::npos, boxes().find("ausgetauscht"));
  EXPECT_TRUE(ui::menu_enabled(main(), 2000));

  // -e: passes without asking the station, even when none answers.
  stop();
  sim->stop();
  ASSERT_TRUE(start_and_run("-e"));
  int connections = sim->connections_opened();
  hl::clear_boxes();
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_EQ("", boxes());
  EXPECT_EQ(connections, sim->connections_opened());
  EXPECT_TRUE(ui::menu_enabled(main(), 5800));

  // Without the switch a station that does not answer fails the check.
  stop();
  ASSERT_TRUE(start_and_run());
  hl::clear_boxes();
  ASSERT_TRUE(login("Admin", kAdminPassword));
  // The link's own message comes first; the check adds the status text of the
  // result.
  const std::string shown = boxes();
  std::size_t at = shown.find("\nError while checking the Enrol station!!!\n\nFehler beim ");
  ASSERT_NE(std::string::npos, at) << shown;
  EXPECT_NE(std::string::npos, shown.find(" Schnittstelle !!!\n\n|Error Message\n", at)) << shown;
  EXPECT_EQ(kAdminWithoutStation, enabled_commands());
}

TEST_F(Station, GermanEdition) {
  res::select_edition(res::Edition::German);
  attach(kSerial, kOwnerCard);
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  ui::Window d = dialog("D_INITIAL");
  EXPECT_EQ("Initalisierung", ui::title(d));
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ(std::string("\nBitte nach der Bestätigung dieses Fensters\n\nden Transponder vor den Leser halten !\n\n|Info\n"
                        "\nTranspondernummer = ") + kOwnerCardText + "\n|Info\n",
            boxes());
}

}  // namespace
}  // namespace uitest
