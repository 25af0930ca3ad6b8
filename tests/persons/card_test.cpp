// Reading a transponder into the person form at the simulated enrol station
// ("Reader", 250): timer 20, at most 25 polls, the code cut as the operator says.
#include "fixture.h"
#include "resources/catalogue.h"

namespace persontest {
namespace {

using namespace res::d_person;
constexpr unsigned kTimer = 20;

class Card : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    store::db().eingabe.set_ausweis_len(8);
    station();
  }
  // A new-person form with "00000011" in the identification number, reading.
  ui::Window read() {
    EXPECT_TRUE(hl::choose_menu(2000));
    EXPECT_TRUE(hl::type(form(), kIdentification, "11"));
    hl::clear_boxes();
    EXPECT_TRUE(hl::press(form(), kReadCard));
    return form();
  }
  bool idle(ui::Window f) const {
    return ui::get_text(f, kReadCard) == "Leser" && !hl::timer_running(f, kTimer) &&
           !station_sim->transparent(1);
  }
};

TEST_F(Card, ALongCodeIsCutAtTheFrontAtTheBackOrNotTaken) {
  const std::string question =
      "Der empfangene Transpondercode 04A1B2C3D4E5 ist zu lang !\n\nSoll der %s Codeteil "
      "abgeschnitten werden ?\n\n|Frage\n";
  const std::string front = res::format_runtime(question.c_str(), "vordere");
  const std::string back = res::format_runtime(question.c_str(), "hintere");
  const struct {
    std::vector<int> answers;
    std::string taken, asked;
  } cases[] = {{{ui::kIdYes}, "B2C3D4E5", front},
               {{ui::kIdNo, ui::kIdYes}, "04A1B2C3", front + back},
               {{ui::kIdNo, ui::kIdNo}, "00000011", front + back}};
  for (const auto& c : cases) {
    ui::Window f = read();
    for (int a : c.answers) hl::script_answer(a);
    hl::advance(300);  // the card comes while the station is polled
    station_sim->present_card({0x04, 0xA1, 0xB2, 0xC3, 0xD4, 0xE5});
    hl::advance(10000);
    station_sim->remove_card();
    EXPECT_EQ(c.asked, boxes());
    EXPECT_EQ(c.taken, ui::get_text(f, kIdentification));
    EXPECT_TRUE(idle(f));
    ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));
  }
}

TEST_F(Card, NoCardEndsAfter25PollsAndAnUnreachableStationWithItsError) {
  const int opened = station_sim->connections_opened();
  ui::Window f = read();
  const int redraws = hl::redraws(f);
  ASSERT_TRUE(hl::press(f, kReadCard));  // ignored while reading
  hl::advance(20000);
  EXPECT_TRUE(idle(f));
  EXPECT_EQ("", boxes());
  // Painted between each two of the 25 polls (the first poll may already have
  // run inside the press on the Win32 backend).
  EXPECT_GE(hl::redraws(f) - redraws, 24);
  // Transparent mode on, 25 polls, transparent mode off: a connection each.
  EXPECT_TRUE(station_sim->wait_until(
      [&] { return station_sim->connections_opened() == opened + 27; }, 2000));

  station_sim->stop();
  ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));
  f = read();
  hl::advance(10000);
  // Each link operation also reports the connection it could not close.
  const std::string close = " Fehler bei Enrol TCP_CLOSE !|Info\n";
  EXPECT_EQ(close + close + "Fehler mit der Nummer -30 ist aufgetreten !|Info\n" + close +
                "\nPERS_VIEW - Transparent Mode konnte nicht deaktiviert werden !\n|Info\n",
            boxes());
  EXPECT_EQ("Leser", ui::get_text(f, kReadCard));
  const testsupport::Bytes log = testsupport::read_file(path("Log.txt"));
  const std::string text(log.begin(), log.end());
  EXPECT_NE(std::string::npos, text.find("PView     - Transparent Mode konnte nicht aktiviert"));
  EXPECT_NE(std::string::npos, text.find("PView     - Transparent Mode konnte nicht deaktiviert"));
}

}  // namespace
}  // namespace persontest
