// The template-delete list LView_dt and D_TEMP_DEL: which persons are listed,
// all templates at once, finger by finger, one person from the search, and
// two runs one after the other; checked in Template.dat and Personen.dat.
#include "enrol_fixture.h"

#include "platform/fault.h"
#include "resources/cp1252.h"
#include "resources/ids/d_temp_del.h"
#include "store/store.h"

namespace enroltest {
namespace {

// Rows of the open template-delete list: the Personalnummer of each.
std::vector<std::string> listed(ui::Window l) {
  std::vector<std::string> out;
  for (const auto& r : hl::rows(l, 8000)) out.push_back(r[2]);
  return out;
}

int row_of(ui::Window l, const std::string& pnr) {
  const auto r = hl::rows(l, 8000);
  for (std::size_t i = 0; i < r.size(); ++i)
    if (r[i][2] == pnr) return static_cast<int>(i);
  return -1;
}

// A: two templates; B: a dummy only with its PIN; C: nothing; D: a template
// record that does not read.
struct Four {
  int a, b, c, d;
};
class Deletion : public Program {
 protected:
  Four store_four() {
    Four f;
    f.a = store_person(person("8001", true, {{0, 300, 1, 85}, {1, 300, 2, 91}}));
    f.b = store_person(person("8002", true, {{0, 32000, 1, 255}}, "123456", store::kNeedPin));
    f.c = store_person(person("8003", true, {}));
    f.d = store_person(person("8004", true, {{0, 300, 1, 80}}));
    return f;
  }
};

TEST_F(Deletion, ListsPersonsWithTemplatesAndDeletesAllAtOnce) {
  start();
  const Four f = store_four();
  // The fourth template record read (person D) fails.
  platform::fault::arm(platform::fault::Op::FileRead, 4);
  ASSERT_TRUE(hl::choose_menu(2110));
  EXPECT_EQ("Fehler beim lesen des Templatesatzes !, Nummer 4|Fehler Info\n", boxes());
  platform::fault::reset();
  ui::Window l = delete_list();
  ASSERT_NE(ui::kNoWindow, l);
  EXPECT_EQ("Templatedaten löschen", res::cp1252_to_utf8(ui::title(l)));
  EXPECT_EQ((std::vector<std::string>{"Last name", "First name", "Personnel number", "Company code",
                                      "Identification number"}),
            hl::column_titles(l, 8000));
  EXPECT_EQ((std::vector<std::string>{"8001", "8002"}), listed(l));

  ASSERT_TRUE(hl::select_rows(l, 8000, {0, 1}));
  hl::clear_boxes();
  hl::script_answer(kYes);
  ASSERT_TRUE(hl::right_click_row(l, 8000, 0));
  EXPECT_EQ(
      "Möchten Sie für die selektierten Personen,\r\nwirklich alle Templates unwiderruflich löschen ?|Frage\n",
      boxes());
  EXPECT_TRUE(listed(l).empty());
  for (int n : {f.a, f.b}) {
    const store::Templatesatz t = templates_on_disk(n);
    for (int i = 0; i < store::kFingerBlocks; ++i) EXPECT_EQ(0, t.length(i)) << n << "/" << i;
    const store::Personensatz p = person_on_disk(n);
    for (int g = 1; g <= 10; ++g) EXPECT_EQ(0, p.group_mark(g)) << n << "/" << g;
  }
  // The PIN and the Combined Mode stay; the others are untouched.
  EXPECT_EQ("123456", person_on_disk(f.b).spezial_pin());
  EXPECT_EQ(store::kNeedPin, person_on_disk(f.b).combined_mode());
  EXPECT_EQ(300, templates_on_disk(f.d).length(0));
  EXPECT_EQ(1, person_on_disk(f.d).group_mark(1));
}

TEST_F(Deletion, FingerByFingerOverTwoPersons) {
  namespace ids = res::d_temp_del;
  start();
  const Four f = store_four();
  ASSERT_TRUE(hl::choose_menu(2110));
  ui::Window l = delete_list();
  ASSERT_TRUE(hl::select_rows(l, 8000, {0, 1}));
  hl::script_answer(kNo);
  ASSERT_TRUE(hl::right_click_row(l, 8000, 1));

  // Person A first (slot order).
  ui::Window d = temp_del();
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_FALSE(ui::window_enabled(l));
  EXPECT_EQ("8001", ui::get_text(d, ids::kPersonnelNumber));
  hl::advance(100);
  EXPECT_EQ("1/1", ui::get_text(d, ids::kSelection));
  EXPECT_TRUE(ui::control_enabled(d, ui::kIdAction));
  ASSERT_TRUE(hl::press(d, grid_button(d, "3/1")));
  EXPECT_FALSE(ui::control_enabled(d, ui::kIdAction));
  ASSERT_TRUE(hl::press(d, grid_button(d, "1/1")));
  EXPECT_EQ("", press(d, ui::kIdAction, {}));
  EXPECT_FALSE(ui::control_enabled(d, ui::kIdAction));
  EXPECT_EQ(ui::kFaceColour, ui::colour(d, grid_button(d, "1/1")));
  EXPECT_EQ(0, templates_on_disk(f.a).length(0));
  EXPECT_EQ(300, templates_on_disk(f.a).length(1));
  EXPECT_EQ("Daten jetzt an die Leser senden ?|Frage\n", press(d, ui::kIdExitMenu, {kNo}));

  // Then B: its dummy goes, and its PIN with it; nothing is left of it.
  d = temp_del();
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ("8002", ui::get_text(d, ids::kPersonnelNumber));
  hl::advance(100);
  EXPECT_EQ(
      "Bitte überprüfen Sie die Einstellungen (Combined Mode)\nfür die Personalnummer 8002 !\n\n|Info\n"
      "Keine Templates für Personalnummer 8002 vorhanden !\r\n\r\nPersonalnummer 8002 wird aus der "
      "Liste entfernt !\r\n|Info\n"
      "Daten jetzt an die Leser senden ?|Frage\n",
      press(d, ui::kIdAction, {kOk, kOk, kNo}));
  EXPECT_EQ(ui::kNoWindow, temp_del());
  EXPECT_TRUE(ui::window_enabled(l));
  EXPECT_EQ((std::vector<std::string>{"8001", "8004"}), listed(l));
  EXPECT_EQ(0, templates_on_disk(f.b).length(0));
  EXPECT_EQ("", person_on_disk(f.b).spezial_pin());
  // The group marks are left as they are.
  EXPECT_EQ(1, person_on_disk(f.a).group_mark(1));
}

TEST_F(Deletion, TwoRunsTouchOnlyTheirOwnPersons) {
  start();
  const Four f = store_four();
  ASSERT_TRUE(hl::choose_menu(2110));
  ui::Window l = delete_list();
  // First run: A alone, finger by finger, left without deleting: no question.
  ASSERT_TRUE(hl::click_row(l, 8000, row_of(l, "8001")));
  hl::script_answer(kNo);
  ASSERT_TRUE(hl::list_enter(l, 8000));
  ASSERT_NE(ui::kNoWindow, temp_del());
  EXPECT_EQ("", press(temp_del(), ui::kIdExitMenu, {}));
  EXPECT_EQ(ui::kNoWindow, temp_del());
  // Second run: B alone; A is not visited again.
  ASSERT_TRUE(hl::click_row(l, 8000, row_of(l, "8002")));
  hl::script_answer(kNo);
  ASSERT_TRUE(hl::list_enter(l, 8000));
  ASSERT_NE(ui::kNoWindow, temp_del());
  EXPECT_EQ("8002", ui::get_text(temp_del(), res::d_temp_del::kPersonnelNumber));
  EXPECT_EQ("", press(temp_del(), ui::kIdExitMenu, {}));
  EXPECT_EQ(ui::kNoWindow, temp_del());
  EXPECT_EQ(300, templates_on_disk(f.a).length(0));
  EXPECT_EQ(32000, templates_on_disk(f.b).length(0));
}

TEST_F(Deletion, OnePersonFromTheSearch) {
  start();
  const Four f = store_four();
  hl::fail_next(hl::Failure::SetTimer);  // a failure line, written without -d
  ui::send_command(main(), 2110, -f.a);
  hl::pump();
  ASSERT_NE(ui::kNoWindow, delete_list());
  ui::Window d = temp_del();
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ("8001", ui::get_text(d, res::d_temp_del::kPersonnelNumber));
  EXPECT_EQ("", press(d, ui::kIdExitMenu, {}));
  EXPECT_EQ(ui::kNoWindow, temp_del());
  const testsupport::Bytes log = testsupport::read_file(path("Log.txt"));
  EXPECT_NE(std::string::npos, std::string(log.begin(), log.end()).find("TDestroy  - Timer kann nicht erzeugt"));
}

}  // namespace
}  // namespace enroltest
