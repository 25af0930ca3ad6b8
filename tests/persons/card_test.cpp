// Reading a transponder into the person form's identification number at the
// simulated enrol station ("Reader", 250; timer 20; 25 polls).
#include "fixture.h"
#include "resources/ids/d_person.h"
#include "store/store.h"

namespace persontest {
namespace {

using namespace res::d_person;

class Card : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    start();
    store::db().eingabe.set_ausweis_len(8);
    station();
  }
  // A new-person form with "11" in the identification number.
  ui::Window open_form() {
    EXPECT_TRUE(hl::choose_menu(2000));
    ui::Window f = form();
    EXPECT_TRUE(hl::type(f, kIdentification, "11"));
    EXPECT_TRUE(hl::click_into(f, kName));
    hl::clear_boxes();
    return f;
  }
  bool idle(ui::Window f) const {
    return ui::get_text(f, kReadCard) == "Leser" && !hl::timer_running(f, kBlinkTimerId) &&
           !station_sim->transparent(1);
  }
  static constexpr unsigned kBlinkTimerId = 20;
};

TEST_F(Card, CodeLongerThanTheFieldIsCutAsTheOperatorAnswers) {
  const std::string front =
      "Der empfangene Transpondercode 04A1B2C3D4E5 ist zu lang !\n\nSoll der vordere Codeteil "
      "abgeschnitten werden ?\n\n|Frage\n";
  const std::string back =
      "Der empfangene Transpondercode 04A1B2C3D4E5 ist zu lang !\n\nSoll der hintere Codeteil "
      "abgeschnitten werden ?\n\n|Frage\n";
  struct Case {
    std::vector<int> answers;
    std::string taken, shown;
  };
  const Case cases[] = {{{ui::kIdYes}, "B2C3D4E5", front},
                        {{ui::kIdNo, ui::kIdYes}, "04A1B2C3", front + back},
                        {{ui::kIdNo, ui::kIdNo}, "00000011", front + back}};
  for (const Case& c : cases) {
    ui::Window f = open_form();
    for (int a : c.answers) hl::script_answer(a);
    ASSERT_TRUE(hl::press(f, kReadCard));
    // The card comes while the station is being polled.
    hl::advance(300);
    station_sim->present_card({0x04, 0xA1, 0xB2, 0xC3, 0xD4, 0xE5});
    hl::advance(10000);
    station_sim->remove_card();
    EXPECT_EQ(c.shown, boxes());
    EXPECT_EQ(c.taken, ui::get_text(f, kIdentification));
    EXPECT_TRUE(idle(f));
    ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));
  }
}

TEST_F(Card, WithoutACardTheReadingEndsAfter25PollsWhileTheFormIsRepainted) {
  ui::Window f = open_form();
  const int opened = station_sim->connections_opened();
  const int redraws = hl::redraws(f);
  ASSERT_TRUE(hl::press(f, kReadCard));
  ASSERT_TRUE(hl::press(f, kReadCard));  // ignored while the reading runs
  const std::string blinking = ui::get_text(f, kReadCard);
  EXPECT_TRUE(blinking == "wait" || blinking.empty()) << blinking;
  EXPECT_TRUE(hl::timer_running(f, kBlinkTimerId));
  hl::advance(20000);
  EXPECT_TRUE(idle(f));
  EXPECT_EQ("", boxes());
  EXPECT_EQ("00000011", ui::get_text(f, kIdentification));
  // Transparent mode on, 25 polls, transparent mode off: one connection each.
  EXPECT_TRUE(station_sim->wait_until(
      [&] { return station_sim->connections_opened() == opened + 27; }, 2000))
      << station_sim->connections_opened() - opened;
  EXPECT_GE(hl::redraws(f) - redraws, 25);
}

TEST_F(Card, AStationThatCannotBeReachedEndsTheReadingWithItsError) {
  station_sim->stop();
  ui::Window f = open_form();
  ASSERT_TRUE(hl::press(f, kReadCard));
  hl::advance(10000);
  // Each operation of the link also reports that it could not close the
  // connection it never made (its result is then -30).
  EXPECT_EQ(
      " Fehler bei Enrol TCP_CLOSE !|Info\n"
      " Fehler bei Enrol TCP_CLOSE !|Info\n"
      "Fehler mit der Nummer -30 ist aufgetreten !|Info\n"
      " Fehler bei Enrol TCP_CLOSE !|Info\n"
      "\nPERS_VIEW - Transparent Mode konnte nicht deaktiviert werden !\n|Info\n",
      boxes());
  EXPECT_EQ("Leser", ui::get_text(f, kReadCard));
  EXPECT_FALSE(hl::timer_running(f, kBlinkTimerId));
  std::string log;
  for (std::uint8_t b : testsupport::read_file(path("Log.txt"))) log += static_cast<char>(b);
  EXPECT_NE(std::string::npos, log.find("PView     - Transparent Mode konnte nicht aktiviert werden !"));
  EXPECT_NE(std::string::npos,
            log.find("PView     - Transparent Mode konnte nicht deaktiviert werden !"));
}

}  // namespace
}  // namespace persontest
