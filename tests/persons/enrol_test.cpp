// D_ENROL against the simulated enrol station: the grid by "Number finger" and
// the fingerprint flag, the quality outcomes of a capture, storing with the
// dummy template, the test-load at the station and D_FINGER; checked in
// Template.dat, Personen.dat and the station's template store.
#include "enrol_fixture.h"
#include "platform/fault.h"

#include "resources/ids/d_enrol.h"
#include "resources/cp1252.h"
#include "resources/ids/d_finger.h"
#include "resources/ids/d_person.h"
#include "resources/ids/d_spezial_pin.h"
#include "resources/ids/d_suchen.h"
#include "store/store.h"

namespace enroltest {
namespace {

namespace ids = res::d_enrol;
using Enrol = Program;

const ui::Colour kFace = ui::kFaceColour;
const ui::Colour kYellow = ui::rgb(255, 255, 153), kGreen = ui::rgb(153, 255, 153),
                 kPink = ui::rgb(255, 153, 255);
const ui::Colour kBoxGrey = ui::rgb(204, 204, 204), kBoxRed = ui::rgb(255, 102, 102),
                 kBoxYellow = ui::rgb(255, 255, 102), kBoxGreen = ui::rgb(102, 255, 102),
                 kBoxMagenta = ui::rgb(255, 102, 255);

// The labels of the 25 buttons row by row, hidden buttons left out.
std::vector<std::string> grid_rows(ui::Window d) {
  std::vector<std::string> rows;
  for (int row = 0; row < 5; ++row) {
    std::string line;
    for (int col = 0; col < 5; ++col) {
      const int id = ids::kFirstFingerButton + 10 * row + col;
      if (!ui::control_visible(d, id)) continue;
      line += (line.empty() ? "" : " ") + ui::get_text(d, id);
    }
    rows.push_back(line);
  }
  return rows;
}

TEST_F(Enrol, GridFollowsNumberFingerAndFingerprintFlagAndColoursEachButtonByItsBlock) {
  start();
  // Q by block: 0 dummy, 2 ok, 5 good, 7 below the minimum 70.
  const std::vector<Block> blocks = {{0, 32000, 1, 255}, {2, 300, 3, 75}, {5, 300, 6, 95},
                                     {7, 300, 8, 50}};
  store_person(person("1001", true, blocks));
  store_person(person("1002", false, blocks));
  // The rows, and the selection at opening: the first group whose mark is
  // not set (marks 1, 3, 6 and 8 are), "0" when all of the N's groups are.
  struct Layout {
    int fingers;
    bool fingerprint;
    std::vector<std::string> rows;
    std::string first;
  };
  const Layout layouts[] = {
      {1, true, {"1/1 2/1 3/1 4/1 5/1", "6/1 7/1 8/1 9/1 10/1", "", "", ""}, "2/1"},
      {2, true, {"1/1 1/2", "2/1 2/2", "3/1 3/2", "4/1 4/2", "5/1 5/2"}, "2/1"},
      {3, true, {"1/1 1/2 1/3", "2/1 2/2 2/3", "3/1 3/2 3/3", "", ""}, "2/1"},
      {5, true, {"1/1 1/2 1/3 1/4 1/5", "2/1 2/2 2/3 2/4 2/5", "", "", ""}, "2/1"},
      {10, true, {"1/1 1/2 1/3 1/4 1/5", "1/6 1/7 1/8 1/9 1/10", "", "", ""}, "0/1"},
      {1, false, {"0/1", "", "", "", ""}, "0/1"},
      {2, false, {"0/1 0/2", "", "", "", ""}, "0/1"},
      {3, false, {"0/1 0/2 0/3", "", "", "", ""}, "0/1"},
      {5, false, {"0/1 0/2 0/3 0/4 0/5", "", "", "", ""}, "0/1"},
      {10, false, {"0/1 0/2 0/3 0/4 0/5", "0/6 0/7 0/8 0/9 0/10", "", "", ""}, "0/1"},
  };
  // A button, the colour of its own block, and what the display shows once
  // it is pressed: selection, quality word, box text and colour.
  struct Press {
    int fingers;
    bool fingerprint;
    std::string label;
    ui::Colour button;
    std::string word, q;
    ui::Colour box;
  };
  const Press presses[] = {
      {1, true, "6/1", kGreen, "good", "95", kBoxGreen},  // group 6 is block 5
      {1, true, "3/1", kYellow, "ok", "75", kBoxYellow},
      {1, true, "8/1", kFace, "bad", "50", kBoxRed},
      {1, true, "2/1", kFace, "unknown", "0", kBoxGrey},
      {1, true, "1/1", kPink, "good", "255", kBoxMagenta},
      {2, true, "3/2", kGreen, "good", "95", kBoxGreen},
      {3, true, "2/3", kGreen, "good", "95", kBoxGreen},
      {3, true, "3/2", kFace, "bad", "50", kBoxRed},
      {5, true, "2/1", kGreen, "good", "95", kBoxGreen},
      {10, true, "1/6", kGreen, "good", "95", kBoxGreen},
      {3, false, "0/3", kYellow, "ok", "75", kBoxYellow},
      {10, false, "0/6", kGreen, "good", "95", kBoxGreen},
  };
  for (const Layout& l : layouts) {
    SCOPED_TRACE(testing::Message() << "N = " << l.fingers << (l.fingerprint ? " with" : " without"));
    store::db().eingabe.set_finger_count(static_cast<std::uint16_t>(l.fingers));
    ui::Window d = enrol_for(l.fingerprint ? "1001" : "1002");
    ASSERT_NE(ui::kNoWindow, d);
    EXPECT_EQ(l.rows, grid_rows(d));
    EXPECT_EQ(l.first, ui::get_text(d, ids::kSelection));
    EXPECT_EQ("Temp. Qualität", res::cp1252_to_utf8(ui::get_text(d, ids::kQualityLabel)));
    // Timer 999 selects the first position of the first group.
    hl::advance(100);
    EXPECT_FALSE(hl::timer_running(d, 999));
    EXPECT_EQ(l.fingerprint ? "1/1" : "0/1", ui::get_text(d, ids::kSelection));
    for (const Press& p : presses) {
      if (p.fingers != l.fingers || p.fingerprint != l.fingerprint) continue;
      SCOPED_TRACE(p.label);
      const int id = grid_button(d, p.label);
      ASSERT_NE(0, id);
      EXPECT_EQ(p.button, ui::colour(d, id));
      ASSERT_TRUE(hl::press(d, id));
      EXPECT_EQ(p.label, ui::get_text(d, ids::kSelection));
      EXPECT_EQ(p.word, ui::get_text(d, ids::kQualityWord));
      EXPECT_EQ(p.q, ui::get_text(d, ids::kQualityBox));
      EXPECT_EQ(p.box, ui::colour(d, ids::kQualityBox));
    }
    ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
    EXPECT_EQ(ui::kNoWindow, enrol());
  }
  EXPECT_EQ("", boxes());
}

// One capture after another with the answers given, and what ends up stored.
TEST_F(Enrol, QualityOutcomesAgainstTheWorkingMinimum) {
  const std::string kBad = "Finger Daten erhalten !\n\nQ-Wert für Finger ist schlecht.\n\n";
  const std::string kRepeat = "Möchten Sie den Vorgang wiederholen ?\n\n|Finger Info\n";
  const std::string kSave =
      "Finger captured succesfully!\n\nQ-value for finger ist good.\n\nSave data set?\n\n|Finger Info\n";
  const std::string kMore = "Do you want to capture / change other templates?|Template\n";
  const std::string kPersonData = "\nMöchten Sie zu den Personendaten wechseln ?\n|Frage\n";
  struct Case {
    const char* name;
    int minimum;
    std::vector<int> qualities;  // -1: the station reports a time-out
    std::vector<int> answers;
    std::string boxes;
    int length, quality;  // block 0 afterwards
    const char* open_after;  // the dialog still open afterwards, or null
  };
  const Case cases[] = {
      {"one above the minimum is accepted", 70, {71}, {kYes, kNo, kNo},
       kSave + kMore + kPersonData, 384, 71, nullptr},
      {"equal to the minimum is bad", 70, {70}, {kNo}, kBad + kRepeat, 0, 0, "D_ENROL"},
      {"a good one", 70, {95}, {kYes, kNo, kNo}, kSave + kMore + kPersonData, 384, 95, nullptr},
      {"declined", 70, {95}, {kNo}, kSave, 0, 0, "D_ENROL"},
      {"time-out, repeated", 70, {-1, 80}, {kYes, kYes, kNo, kNo},
       "Habe einen Timeout erhalten !\n\n" + kRepeat + kSave + kMore + kPersonData, 384, 80, nullptr},
      {"three bad, lowered from 60 to 50, then 55", 60, {60, 55, 50, 55},
       {kYes, kYes, kYes, kYes, kNo, kNo},
       kBad + kRepeat + kBad + kRepeat + kBad +
           "Möchten Sie die Templatequalität automatisch herabsetzen\nund den Enrolvorgang wiederholen ?\n\n|Finger Info\n" +
           kSave + kMore + kPersonData,
       384, 55, nullptr},
      {"at 40 no offer to lower: saved without templates", 40, {40, 30, 20}, {kYes, kYes, kYes},
       kBad + kRepeat + kBad + kRepeat + kBad +
           "Möchten Sie den Datensatz ohne Templatedaten speichern ?\n\n|Finger Info\n",
       32000, 255, "D_SPEZIAL_PIN"},
  };
  start();
  int next = 2001;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store::db().eingabe.set_min_quality(static_cast<std::uint16_t>(c.minimum));
    const std::string pnr = std::to_string(next++);
    const int n = store_person(person(pnr));
    for (int q : c.qualities) {
      if (q < 0)
        station->script_status(1, 0x03);
      else
        station->script_qualities({q});
    }
    ui::Window d = enrol_for(pnr);
    ASSERT_NE(ui::kNoWindow, d);
    hl::advance(100);
    EXPECT_EQ(c.boxes, press(d, ui::kIdAction, c.answers));
    const store::Templatesatz t = templates_on_disk(n);
    EXPECT_EQ(c.length, t.length(0));
    EXPECT_EQ(c.quality, t.quality(0));
    EXPECT_EQ(c.length ? 1 : 0, t.group(0));
    EXPECT_EQ(c.length ? 1 : 0, person_on_disk(n).group_mark(1));
    if (c.open_after) {
      ui::Window open = dialog(c.open_after);
      ASSERT_NE(ui::kNoWindow, open);
      press(open, ui::kIdExitMenu, {});
    }
    EXPECT_TRUE(hl::open_dialogs().empty());
    // One template only: no test-load at the station.
    EXPECT_EQ(0u, station_users());
  }
}

TEST_F(Enrol, BadCaptureShowsItsQualityAndTheWordSchlecht) {
  start();
  store_person(person("2002"));
  station->script_qualities({64});
  ui::Window d = enrol_for("2002");
  hl::advance(100);
  press(d, ui::kIdAction, {kNo});
  EXPECT_EQ("64", ui::get_text(d, ids::kQualityBox));
  EXPECT_EQ(kBoxRed, ui::colour(d, ids::kQualityBox));
  EXPECT_EQ("schlecht", ui::get_text(d, ids::kQualityWord));
}

TEST_F(Enrol, RealTemplateReplacesTheDummyAndThePinGoesWithIt) {
  start();
  const int n = store_person(person("3001", true, {{0, 32000, 1, 255}}, "123456", store::kNeedPin));
  ui::Window d = enrol_for("3001");
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_TRUE(ui::control_visible(d, ids::kSpecialPin));
  EXPECT_EQ("******", ui::get_text(d, ids::kSpecialPin));
  hl::advance(100);
  // Position 3/1 was chosen; the template still goes to group 1, position 1.
  ASSERT_TRUE(hl::press(d, grid_button(d, "3/1")));
  station->script_qualities({88});
  EXPECT_EQ(
      "Finger captured succesfully!\n\nQ-value for finger ist good.\n\nSave data set?\n\n|Finger Info\n"
      "Es sind schon Dummy - Templatedaten vorhanden !\nSollen diese Templatedaten gelöscht werden ?\n"
      "(Die Leser müssen geladen werden !!!)\n\n|Finger Info\n"
      "\nSollen die Combined Mode Einstellungen für diesen Personalsatz geändert werden ?\n\n|Frage\n"
      "\nDer Combined Mode für diesen Personalsatz wurde erfolgreich geändert !\n\n|Info\n"
      "Do you want to capture / change other templates?|Template\n",
      press(d, ui::kIdAction, {kYes, kYes, kYes, kOk, kYes}));
  EXPECT_FALSE(ui::control_visible(d, ids::kSpecialPin));
  const store::Templatesatz t = templates_on_disk(n);
  EXPECT_EQ(384, t.length(0));
  EXPECT_EQ(1, t.group(0));
  EXPECT_EQ(88, t.quality(0));
  EXPECT_EQ(0, t.length(2));
  const store::Personensatz p = person_on_disk(n);
  EXPECT_EQ("", p.spezial_pin());
  EXPECT_EQ(store::kNeedFinger, p.combined_mode());
  EXPECT_EQ(1, p.group_mark(1));
}

// When the finger cannot be written over the dummy, the dummy stays on disk
// and so does the PIN it stands for.
TEST_F(Enrol, AFailedWriteOverTheDummyKeepsThePin) {
  start();
  const int n = store_person(person("3002", true, {{0, 32000, 1, 255}}, "123456", store::kNeedPin));
  ui::Window d = enrol_for("3002");
  ASSERT_NE(ui::kNoWindow, d);
  hl::advance(100);
  station->script_qualities({88});
  // Once the person record is written without its PIN, every file open fails
  // until the template write has failed.
  hl::watch_boxes([](const hl::Box& b) {
    if (b.text.find("Personalsatz wurde erfolgreich") != std::string::npos)
      platform::fault::arm_from(platform::fault::Op::FileOpen, 1);
    if (b.text.find("Fehler beim schreiben des Templatedatensatzes") != std::string::npos)
      platform::fault::reset();
  });
  press(d, ui::kIdAction, {kYes, kYes, kYes, kOk, kOk});
  hl::watch_boxes(nullptr);
  platform::fault::reset();
  EXPECT_EQ(32000, templates_on_disk(n).length(0));
  const store::Personensatz p = person_on_disk(n);
  EXPECT_EQ("123456", p.spezial_pin());
  EXPECT_EQ(store::kNeedPin, p.combined_mode());
  EXPECT_EQ("******", ui::get_text(d, ids::kSpecialPin));
}

// The second template makes the station take the person on trial: on
// success it is removed there again; when the station refuses, the new
// template leaves the record.
TEST_F(Enrol, TestLoadAtTheStation) {
  struct Case {
    const char* name;
    int capacity;
    std::string boxes;
    int length, mark;
    ui::Colour button;
  };
  const Case cases[] = {
      {"taken and removed again", 1000,
       "Do you want to capture / change other templates?|Template\n", 384, 2, kYellow},
      {"refused", 0,
       "leser_komm: Fingerprint DB ist voll.|Info\nDie DB ist voll !|Info \n\nFehler bei add_template !\nFinger wird wieder gelöscht !\n\n|Info\n", 0, 0,
       kFace},
  };
  start();
  int next = 4001;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string pnr = std::to_string(next++);
    const int n = store_person(person(pnr, true, {{0, 300, 1, 90}}));
    sim::DeviceState s = station->device(1);
    s.capacity = c.capacity;
    station->set_device(1, s);
    ui::Window d = enrol_for(pnr);
    hl::advance(100);
    ASSERT_TRUE(hl::press(d, grid_button(d, "2/1")));
    station->script_qualities({85});
    std::string shown = press(d, ui::kIdAction, c.capacity ? std::vector<int>{kYes, kYes}
                                                           : std::vector<int>{kYes, kOk, kOk, kOk});
    EXPECT_EQ("Finger captured succesfully!\n\nQ-value for finger ist good.\n\nSave data set?\n\n|Finger Info\n" +
                  c.boxes,
              shown);
    const store::Templatesatz t = templates_on_disk(n);
    EXPECT_EQ(300, t.length(0));
    EXPECT_EQ(c.length, t.length(1));
    EXPECT_EQ(c.mark, person_on_disk(n).group_mark(2));
    EXPECT_EQ(0u, station_users());
    EXPECT_EQ(c.button, ui::colour(d, grid_button(d, "2/1")));
    ASSERT_NE(ui::kNoWindow, enrol());
    press(d, ui::kIdExitMenu, c.capacity ? std::vector<int>{kNo} : std::vector<int>{});
  }
}

TEST_F(Enrol, FingerNameIsAssignedInDFinger) {
  Mask m;
  m.finger_names = true;
  start(m);
  const int n = store_person(person("5001"));
  ui::Window d = enrol_for("5001");
  hl::advance(100);
  station->script_qualities({92});
  press(d, ui::kIdAction, {kYes});
  ui::Window f = dialog("D_FINGER");
  ASSERT_NE(ui::kNoWindow, f);
  EXPECT_FALSE(ui::window_enabled(d));
  const std::vector<std::string> entries = hl::items(f, res::d_finger::kFingerType);
  ASSERT_EQ(11u, entries.size());
  EXPECT_EQ("  Not applicable", entries[0]);
  EXPECT_EQ("  l.H. little Finger", entries[10]);
  EXPECT_EQ(0, ui::items_selected(f, res::d_finger::kFingerType));
  ASSERT_TRUE(hl::choose_item(f, res::d_finger::kFingerType, 4));
  EXPECT_EQ("Do you want to capture / change other templates?|Template\n",
            press(f, ui::kIdAction, {kYes}));
  EXPECT_EQ(ui::kNoWindow, dialog("D_FINGER"));
  EXPECT_TRUE(ui::window_enabled(d));
  EXPECT_EQ(4, templates_on_disk(n).finger_type(0));
  EXPECT_EQ("r.H. index finger", ui::get_text(d, ids::kFingerName));
}

}  // namespace
}  // namespace enroltest

namespace enroltest {
namespace {

using Pin = Program;

const std::string kPersonData = "\nMöchten Sie zu den Personendaten wechseln ?\n|Frage\n";
const std::string kCombined =
    "\nSollen die Combined Mode Einstellungen für diesen Personalsatz geändert werden ?\n\n|Frage\n"
    "\nDer Combined Mode für diesen Personalsatz wurde erfolgreich geändert !\n\n|Info\n";

// "Special PIN" stores the dummy template and the PIN is typed twice at the
// station's keypad, the prompts on the overlay over the template list.
TEST_F(Pin, EnteredAtTheKeypad) {
  const std::string kEnter = "Bitte jetzt den Pincode eingeben.\r\n\r\nWarte ...";
  const std::string kAgain = "Habe einen Pincode erhalten. Bitte die Eingabe wiederholen.\r\n\r\nWarte ...";
  const std::string kDone = "Pincodeeingabe erfolgreich abgeschlossen !";
  struct Case {
    const char* name;
    std::vector<std::string> keys;
    std::vector<int> answers;
    std::string boxes;
    std::vector<std::string> prompts;
    std::string pin;  // stored afterwards; empty: the dummy is gone again
  };
  const Case cases[] = {
      {"typed twice", {"123456", "123456"}, {kYes, kOk, kNo}, kCombined + kPersonData,
       {kEnter, kAgain, kDone}, "123456"},
      {"not the same", {"555555", "654321"}, {kNo},
       "Die eingegebenen Spezial PIN's sind nicht identisch !\r\nMöchten Sie den Vorgang wiederholen ?|Frage\n",
       {kEnter, kAgain}, ""},
      {"given to another person", {"111111"}, {kNo},
       "Dieser Spezial PIN ist leider schon vergeben !\r\nSie müssen einen anderen PIN wählen !\r\n"
       "Möchten Sie den Vorgang wiederholen ?|Frage\n",
       {kEnter}, ""},
      {"nothing typed, then twice", {"", "222222", "222222"}, {kYes, kYes, kOk, kNo},
       "Habe leider keinen Pincode erhalten !\r\nMöchten Sie den Vorgang wiederholen ?|Frage\n" + kCombined +
           kPersonData,
       {kEnter, kEnter, kAgain, kDone}, "222222"},
  };
  Mask m;
  m.pin_manual = true;
  m.pin_keypad = true;
  start(m);
  store_person(person("6000", true, {{0, 32000, 1, 255}}, "111111", store::kNeedPin));
  int next = 6001;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string pnr = std::to_string(next++);
    const int n = store_person(person(pnr));
    station->script_keys(c.keys);
    ui::Window d = enrol_for(pnr);
    ASSERT_NE(ui::kNoWindow, d);
    const std::size_t shown_before = hl::overlay_texts().size();
    const int redraws_before = hl::redraws(list());
    EXPECT_EQ(c.boxes, press(d, ui::kIdSecond, c.answers));
    const std::vector<std::string> prompts(hl::overlay_texts().begin() + static_cast<long>(shown_before),
                                           hl::overlay_texts().end());
    EXPECT_EQ(c.prompts, prompts);
    // The list is repainted while the keypad is awaited (15 s when nothing
    // is typed); the overlay is gone afterwards.
    if (c.keys.front().empty()) {
      EXPECT_LT(redraws_before + 30, hl::redraws(list()));
    }
    EXPECT_EQ(ui::kNoWindow, hl::find_overlay(list()));
    const store::Personensatz p = person_on_disk(n);
    const store::Templatesatz t = templates_on_disk(n);
    EXPECT_EQ(c.pin, p.spezial_pin());
    EXPECT_EQ(c.pin.empty() ? 0 : 32000, t.length(0));
    EXPECT_EQ(c.pin.empty() ? 0 : 255, t.quality(0));
    EXPECT_EQ(c.pin.empty() ? 0 : 1, p.group_mark(1));
    EXPECT_EQ(c.pin.empty() ? store::kNeedFinger : store::kNeedPin, p.combined_mode());
    EXPECT_FALSE(station->transparent(1));
  }
}

TEST_F(Pin, RefusedForAPersonWithTemplates) {
  Mask m;
  m.pin_manual = true;
  start(m);
  const int n = store_person(person("6100", true, {{3, 300, 4, 80}}));
  ui::Window d = enrol_for("6100");
  EXPECT_EQ("Speichern ohne Templatedaten ist nicht möglich,\nes sind schon Templates vorhanden !|Info\n",
            press(d, ui::kIdSecond, {kOk}));
  EXPECT_NE(ui::kNoWindow, enrol());
  EXPECT_EQ(0, templates_on_disk(n).length(0));
}

TEST_F(Pin, EnteredInTheDialogWithEveryRefusal) {
  namespace pin = res::d_spezial_pin;
  Mask m;
  m.pin_manual = true;
  start(m);
  const int holder = store_person(person("7000", true, {{0, 32000, 1, 255}}, "333333", store::kNeedPin));
  const int n = store_person(person("7001"));
  const int other = store_person(person("7002"));
  struct Entry {
    std::string pin, repeat, refusal;
  };
  const Entry entries[] = {
      {"", "", "\nSpezial PIN Eingabe ist erforderlich !\n\n"},
      {"12345", "", "\nDer eingegebene Spezial PIN ist zu kurz (Länge Userpin) !\n\n"},
      {"123456", "", "\nSpezial PIN Eingabewiederholung ist erforderlich !\n\n"},
      {"123456", "12345", "\nDer eingegebene Spezial PIN, bei der Wiederholung, ist zu kurz (Länge Userpin) !\n\n"},
      {"123456", "123457", "\nDie eingegebenen Spezial PIN's sind nicht identisch !\n\n"},
      {"333333", "333333", "\nSpezial PIN ist schon vergeben !\nBitte geben Sie einen anderen ein !\n\n"},
  };
  ui::Window d = enrol_for("7001");
  press(d, ui::kIdSecond, {});
  ui::Window dp = dialog("D_SPEZIAL_PIN");
  ASSERT_NE(ui::kNoWindow, dp);
  EXPECT_FALSE(ui::window_enabled(list()));
  EXPECT_EQ(6, hl::text_limit(dp, pin::kPin));
  EXPECT_EQ(6, hl::text_limit(dp, pin::kRepeat));
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.pin + "/" + e.repeat);
    ASSERT_TRUE(hl::type(dp, pin::kPin, e.pin));
    ASSERT_TRUE(hl::type(dp, pin::kRepeat, e.repeat));
    EXPECT_EQ(e.refusal + "|Fehler Meldung\n", press(dp, ui::kIdAction, {}));
    EXPECT_EQ(dp, hl::boxes().at(0).owner);
  }
  EXPECT_EQ("", person_on_disk(n).spezial_pin());
  ASSERT_TRUE(hl::type(dp, pin::kPin, "444444"));
  ASSERT_TRUE(hl::type(dp, pin::kRepeat, "444444"));
  EXPECT_EQ(kCombined + kPersonData, press(dp, ui::kIdAction, {kYes, kOk, kNo}));
  EXPECT_EQ(ui::kNoWindow, dialog("D_SPEZIAL_PIN"));
  EXPECT_EQ("444444", person_on_disk(n).spezial_pin());
  EXPECT_EQ(32000, templates_on_disk(n).length(0));

  // "Exit Menu" takes the dummy back.
  d = enrol_for("7002");
  press(d, ui::kIdSecond, {});
  EXPECT_EQ(32000, templates_on_disk(other).length(0));
  EXPECT_EQ("", press(dialog("D_SPEZIAL_PIN"), ui::kIdExitMenu, {}));
  EXPECT_EQ(0, templates_on_disk(other).length(0));
  EXPECT_EQ(0, person_on_disk(other).group_mark(1));
  EXPECT_TRUE(ui::window_enabled(list()));

  // ... but not from a person who already has a PIN: the dummy carries it.
  d = enrol_for("7000");
  press(d, ui::kIdSecond, {});
  ASSERT_NE(ui::kNoWindow, dialog("D_SPEZIAL_PIN"));
  EXPECT_EQ("", press(dialog("D_SPEZIAL_PIN"), ui::kIdExitMenu, {}));
  EXPECT_EQ(32000, templates_on_disk(holder).length(0));
  EXPECT_EQ("333333", person_on_disk(holder).spezial_pin());
  EXPECT_EQ(1, person_on_disk(holder).group_mark(1));
}

// The template list: its rows, the tie rule of a descending sort, and the
// choice without a selection.
using TemplateList = Program;

TEST_F(TemplateList, RowsAndSorting) {
  start();
  EXPECT_FALSE(hl::choose_menu(2100) && list() != ui::kNoWindow);
  EXPECT_EQ("No personnel data is captured yet!|Info\n", boxes());
  store_person(person("9003", true));
  store_person(person("9001", false));
  store_person(person("9002", true));
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(2100));
  ui::Window l = list();
  ASSERT_NE(ui::kNoWindow, l);
  EXPECT_EQ("Change template data", ui::title(l));
  EXPECT_EQ((std::vector<std::string>{"Last name", "First name", "Personnel number",
                                      "Identification number", "Fingerprint"}),
            hl::column_titles(l, 8000));
  EXPECT_EQ((std::vector<int>{150, 100, 100, 150, 100}), hl::column_widths(l, 8000));
  auto column = [&](int c) {
    std::vector<std::string> out;
    for (const auto& r : rows(l)) out.push_back(r[static_cast<std::size_t>(c)]);
    return out;
  };
  EXPECT_EQ((std::vector<std::string>{"9003", "9001", "9002"}), column(2));
  EXPECT_EQ((std::vector<std::string>{"Ja", "Nein", "Ja"}), column(4));
  // All names are equal: descending leaves them to the Personalnummer.
  ASSERT_TRUE(hl::click_header(l, 8000, 0));
  EXPECT_EQ((std::vector<std::string>{"9001", "9002", "9003"}), column(2));
  ASSERT_TRUE(hl::click_header(l, 8000, 4));
  EXPECT_EQ((std::vector<std::string>{"9001", "9002", "9003"}), column(2));
  EXPECT_EQ((std::vector<std::string>{"Nein", "Ja", "Ja"}), column(4));
  ASSERT_TRUE(hl::click_header(l, 8000, 2));
  EXPECT_EQ((std::vector<std::string>{"9003", "9002", "9001"}), column(2));
  ASSERT_TRUE(hl::right_click_row(l, 8000, -1));
  EXPECT_EQ("Es wurde keine Person ausgewählt !|Info\n", boxes());
  EXPECT_EQ(ui::kNoWindow, enrol());
}

}  // namespace
}  // namespace enroltest

namespace enroltest {
namespace {

// After a stored enrolment: the question about the person data, offering to
// go back when the list was reached from the person form; Yes opens the
// person's form in the person list.
// A template record that does not read opens no D_ENROL: what would be
// stored there would overwrite the templates the buffer still holds.
TEST_F(TemplateList, AnUnreadableTemplateRecordOpensNoEnrolment) {
  start();
  const int n = store_person(person("4100", true, {{3, 300, 1, 80}}));
  ASSERT_TRUE(hl::choose_menu(2100));
  hl::clear_boxes();
  platform::fault::arm(platform::fault::Op::FileOpen, 1);
  ASSERT_TRUE(hl::double_click_row(list(), 8000, 0));
  platform::fault::reset();
  EXPECT_EQ(ui::kNoWindow, enrol());
  EXPECT_EQ("Fehler beim lesen des Templatesatzes !, Nummer " + std::to_string(n) + "|Fehler Info\n", boxes());
  EXPECT_EQ(300, templates_on_disk(n).length(3));
}

TEST_F(TemplateList, QuestionAboutThePersonDataAfterwards) {
  const std::string kSaved =
      "Finger captured succesfully!\n\nQ-value for finger ist good.\n\nSave data set?\n\n|Finger Info\n"
      "Do you want to capture / change other templates?|Template\n";
  start();
  store_person(person("9101"));
  struct Road {
    const char* name;
    std::string question;
  };
  const Road roads[] = {
      {"from the person form", "\nMöchten Sie zurück zu den Personendaten wechseln ?\n|Frage\n"},
      {"from the search", "\nMöchten Sie zu den Personendaten wechseln ?\n|Frage\n"},
      {"from the menu", "\nMöchten Sie zu den Personendaten wechseln ?\n|Frage\n"},
  };
  for (int road = 0; road < 3; ++road) {
    SCOPED_TRACE(roads[road].name);
    if (road == 0) {
      ASSERT_TRUE(hl::choose_menu(2010));
      ASSERT_TRUE(hl::double_click_row(hl::find_list(ui::kListPersons), 8000, 0));
      press(dialog("D_PERSON"), res::d_person::kToTemplateData, {kNo});
    } else if (road == 1) {
      ASSERT_TRUE(hl::choose_menu(2120));
      ui::Window s = dialog("D_SUCHEN");
      ASSERT_TRUE(hl::press(s, res::d_suchen::kByPersonnelNumber));
      ASSERT_TRUE(hl::choose_item(s, res::d_suchen::kMatches, "9101"));
      ASSERT_TRUE(hl::press(s, ui::kIdAction));
    } else {
      enrol_for("9101");
    }
    ui::Window d = enrol();
    ASSERT_NE(ui::kNoWindow, d);
    hl::advance(100);
    station->script_qualities({85});
    EXPECT_EQ(kSaved + roads[road].question, press(d, ui::kIdAction, {kYes, kNo, kYes}));
    EXPECT_EQ(ui::kNoWindow, list());
    ui::Window f = dialog("D_PERSON");
    ASSERT_NE(ui::kNoWindow, f);
    EXPECT_EQ("9101", ui::get_text(f, res::d_person::kPersonnelNumber));
    ASSERT_TRUE(hl::press(f, ui::kIdExitMenu));
    ASSERT_TRUE(hl::close_window(hl::find_list(ui::kListPersons)));
  }
}

}  // namespace
}  // namespace enroltest
