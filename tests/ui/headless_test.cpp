// The headless ui backend refuses what a real window refuses, follows the
// keyboard rule and the accelerator rule, and runs timers in virtual time.
#include <strings.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/headless/driver.h"
#include "platform/ui.h"
#include "platform/ui_rules.h"
#include "resources/catalogue.h"
#include "support/support.h"

namespace {

namespace hl = ui::headless;
using ui::EventKind;
using ui::Window;

// Records every event a window receives; optionally reacts to them.
struct Recorder {
  std::vector<ui::Event> events;
  std::function<bool(Window, const ui::Event&)> react;
  ui::Handler handler() {
    return [this](Window w, const ui::Event& e) {
      events.push_back(e);
      return react ? react(w, e) : false;
    };
  }
  int count(EventKind kind, int id = -1) const {
    int n = 0;
    for (const ui::Event& e : events)
      if (e.kind == kind && (id == -1 || e.id == id)) ++n;
    return n;
  }
};

class Headless : public ::testing::Test {
 protected:
  void SetUp() override {
    hl::reset();
    res::select_edition(res::Edition::English);
    main_ = ui::create_main_window("Enrol Station", 790, 580, main_rec_.handler());
    ASSERT_NE(main_, ui::kNoWindow);
  }
  void TearDown() override { res::select_edition(res::Edition::English); }
  Recorder main_rec_;
  Window main_ = ui::kNoWindow;
};

TEST_F(Headless, DialogsComeFromTheirTemplatesInTheEditionsTexts) {
  Recorder rec;
  res::select_edition(res::Edition::German);
  Window d = ui::create_dialog("D_PERSON", main_, rec.handler());
  ASSERT_NE(d, ui::kNoWindow);
  EXPECT_EQ(ui::title(d), "Person");
  EXPECT_EQ(ui::get_text(d, 950), testsupport::cp("Menü verlassen"));
  EXPECT_EQ(ui::get_text(d, 930), "Kopieren\n(neuer Satz)");
  EXPECT_TRUE(ui::edit_style(d, 203) & ui::kReadOnly);
  EXPECT_TRUE(ui::edit_style(d, 205) & ui::kDigitsOnly);
  EXPECT_EQ(hl::find_dialog("D_PERSON"), d);
  EXPECT_EQ(ui::create_dialog("D_NOTHING", main_, rec.handler()), ui::kNoWindow);
  res::select_edition(res::Edition::English);
  ui::destroy_window(d);
  Window e = ui::create_dialog("D_INITIAL", main_, rec.handler());
  EXPECT_EQ(ui::title(e), "Initialization");
}

TEST_F(Headless, OnlyOneChainOfDialogsIsOpen) {
  Recorder enrol_rec, finger_rec, other;
  Window list = ui::create_list_window(ui::kListTemplates, main_, "Change template data",
                                       ui::window_rect(main_), other.handler());
  Window enrol = ui::create_dialog("D_ENROL", list, enrol_rec.handler());
  ASSERT_NE(enrol, ui::kNoWindow);
  // A second dialog beside it is refused, one owned by it is allowed.
  EXPECT_EQ(ui::create_dialog("D_SUCHEN", main_, other.handler()), ui::kNoWindow);
  Window finger = ui::create_dialog("D_FINGER", enrol, finger_rec.handler());
  ASSERT_NE(finger, ui::kNoWindow);
  EXPECT_EQ(hl::top_dialog(), finger);
  // Closing the list takes both dialogs with it, the innermost first.
  std::vector<Window> destroyed;
  auto note = [&destroyed](Recorder& r, Window self) {
    r.react = [&destroyed, self](Window, const ui::Event& e) {
      if (e.kind == EventKind::Destroyed) destroyed.push_back(self);
      return false;
    };
  };
  note(enrol_rec, enrol);
  note(finger_rec, finger);
  note(other, list);
  ui::destroy_window(list);
  EXPECT_EQ(destroyed, (std::vector<Window>{finger, enrol, list}));
  EXPECT_TRUE(hl::open_dialogs().empty());
  EXPECT_NE(ui::create_dialog("D_SUCHEN", main_, other.handler()), ui::kNoWindow);
}

TEST_F(Headless, TypingRespectsStateLimitAndStyles) {
  Recorder rec;
  Window d = ui::create_dialog("D_PERSON", main_, rec.handler());
  ui::limit_text(d, 202, 4);
  EXPECT_FALSE(hl::type(d, 202, "123456"));
  EXPECT_EQ(ui::get_text(d, 202), "1234");
  EXPECT_EQ(rec.count(EventKind::EditChanged, 202), 4);

  EXPECT_FALSE(hl::type(d, 203, "AB"));  // read-only
  EXPECT_FALSE(hl::type(d, 205, "12a3"));  // digits only: the letter is dropped
  EXPECT_EQ(ui::get_text(d, 205), "123");
  EXPECT_TRUE(hl::type(d, 204, testsupport::cp("abä9")));
  EXPECT_EQ(ui::get_text(d, 204), testsupport::cp("ABÄ9"));

  ui::enable_control(d, 200, false);
  EXPECT_FALSE(hl::type(d, 200, "Meier"));
  ui::enable_control(d, 200, true);
  ui::show_control(d, 200, false);
  EXPECT_FALSE(hl::type(d, 200, "Meier"));
  ui::show_control(d, 200, true);
  ui::enable_window(d, false);
  EXPECT_FALSE(hl::type(d, 200, "Meier"));
  EXPECT_FALSE(hl::press(d, 950));
  ui::enable_window(d, true);
  EXPECT_TRUE(hl::type(d, 200, "Meier"));
  EXPECT_TRUE(hl::type_more(d, 200, "s"));
  EXPECT_EQ(ui::get_text(d, 200), "Meiers");
  EXPECT_TRUE(hl::type(d, 200, ""));
  EXPECT_EQ(ui::get_text(d, 200), "");
}

TEST_F(Headless, HandlersSeeEachCharacterAndMayTakeTheFocusBack) {
  Recorder rec;
  Window d = ui::create_dialog("D_PERSON", main_, rec.handler());
  // A field that removes characters other than hexadecimal digits as they come,
  // and that keeps the focus while it is empty.
  rec.react = [](Window w, const ui::Event& e) {
    if (e.kind == EventKind::EditChanged && e.id == 204) {
      std::string t = ui::get_text(w, 204);
      if (!t.empty() && !std::isxdigit(static_cast<unsigned char>(t.back()))) {
        t.pop_back();
        ui::set_text(w, 204, t);
      }
    }
    if (e.kind == EventKind::FocusLost && e.id == 204 && ui::get_text(w, 204).empty())
      ui::focus_control(w, 204);
    return false;
  };
  EXPECT_TRUE(hl::type(d, 204, "1XZ2"));
  EXPECT_EQ(ui::get_text(d, 204), "12");
  EXPECT_TRUE(hl::type(d, 204, ""));
  EXPECT_FALSE(hl::type(d, 200, "Meier"));  // the empty field keeps the focus
  EXPECT_FALSE(hl::press(d, 950));
  EXPECT_EQ(rec.count(EventKind::Command, 950), 0);
  EXPECT_EQ(hl::focus(), std::make_pair(d, 204));
  EXPECT_TRUE(hl::type(d, 204, "7"));
  EXPECT_TRUE(hl::press(d, 950));
  EXPECT_EQ(rec.count(EventKind::Command, 950), 1);
}

TEST_F(Headless, ButtonsChecksRadiosAndLists) {
  Recorder rec;
  Window d = ui::create_dialog("D_LESER", main_, rec.handler());
  ui::enable_control(d, 900, false);
  EXPECT_FALSE(hl::press(d, 900));
  EXPECT_EQ(rec.count(EventKind::Command, 900), 0);
  // The two connection radios form one group across the lists between them.
  EXPECT_TRUE(hl::press(d, 101));
  EXPECT_TRUE(hl::press(d, 111));
  EXPECT_FALSE(ui::checked(d, 101));
  EXPECT_TRUE(ui::checked(d, 111));
  EXPECT_EQ(rec.count(EventKind::Command, 111), 1);
  EXPECT_TRUE(hl::press(d, 142));
  EXPECT_TRUE(ui::checked(d, 142));
  EXPECT_TRUE(hl::press(d, 142));
  EXPECT_FALSE(ui::checked(d, 142));

  for (const char* b : {"115200", "57600", "38400"}) ui::items_add(d, 104, b);
  EXPECT_FALSE(hl::choose_item(d, 104, 3));
  EXPECT_FALSE(hl::choose_item(d, 104, std::string("9600")));
  EXPECT_TRUE(hl::choose_item(d, 104, std::string("57600")));
  EXPECT_EQ(ui::items_selected(d, 104), 1);
  EXPECT_EQ(ui::get_text(d, 104), "57600");
  EXPECT_EQ(rec.count(EventKind::SelectionChanged, 104), 1);
  ui::set_text(d, 104, "38400");  // a drop-down list selects an entry it holds
  EXPECT_EQ(ui::items_selected(d, 104), 2);
  ui::set_text(d, 104, "1200");
  EXPECT_EQ(ui::items_selected(d, 104), 2);
  ui::enable_control(d, 104, false);
  EXPECT_FALSE(hl::choose_item(d, 104, 0));
}

TEST_F(Headless, EnterFollowsTheKeyboardRule) {
  EXPECT_EQ(ui::enter_action(700), ui::EnterAction::PostAction);
  EXPECT_EQ(ui::enter_action(930), ui::EnterAction::PressFocused);
  EXPECT_EQ(ui::enter_action(200), ui::EnterAction::NextField);
  EXPECT_EQ(ui::enter_action(0), ui::EnterAction::NextField);

  Recorder rec;
  Window d = ui::create_dialog("D_ANMELDEN", main_, rec.handler());
  ui::focus_control(d, 700);
  EXPECT_TRUE(hl::type(d, 700, "secret"));
  EXPECT_TRUE(hl::press_enter());
  EXPECT_EQ(rec.count(EventKind::Command, 900), 1);  // Enter in the password field logs in
  ui::destroy_window(d);

  Recorder prec;
  Window p = ui::create_dialog("D_PASSWORT", main_, prec.handler());
  EXPECT_EQ(hl::focus(), std::make_pair(p, 111));  // the first field has the focus
  EXPECT_TRUE(hl::press_enter());
  EXPECT_EQ(hl::focus(), std::make_pair(p, 121));
  ui::enable_control(p, 131, false);  // Enter skips a disabled field
  EXPECT_TRUE(hl::press_enter());
  EXPECT_EQ(hl::focus(), std::make_pair(p, 900));
  EXPECT_EQ(prec.count(EventKind::Command), 0);
  EXPECT_TRUE(hl::press_key(ui::kKeyTab));
  EXPECT_EQ(hl::focus(), std::make_pair(p, 950));
  EXPECT_TRUE(hl::press_enter());  // on a focused action button: pressed
  EXPECT_EQ(prec.count(EventKind::Command, 950), 1);
}

TEST_F(Headless, AcceleratorsHonourGreyedItemsAndADisabledMainWindow) {
  EXPECT_FALSE(hl::press_key(ui::kKeyF2));  // no table loaded yet
  ASSERT_TRUE(ui::load_accelerators());
  EXPECT_FALSE(hl::press_key(ui::kKeyF2));  // no menu attached yet
  ASSERT_TRUE(ui::attach_menu(main_));
  ASSERT_TRUE(ui::menu_enable(main_, 1100, false));
  EXPECT_FALSE(hl::press_key(ui::kKeyF2));
  EXPECT_FALSE(hl::choose_menu(1100));
  EXPECT_EQ(main_rec_.count(EventKind::Command, 1100), 0);
  EXPECT_TRUE(hl::press_key(ui::kKeyF1));
  EXPECT_EQ(main_rec_.count(EventKind::Command, 1000), 1);
  ui::enable_window(main_, false);
  EXPECT_FALSE(hl::press_key(ui::kKeyF1));
  EXPECT_FALSE(hl::choose_menu(1000));
  ui::enable_window(main_, true);
  EXPECT_TRUE(hl::choose_menu(1000));
  EXPECT_EQ(main_rec_.count(EventKind::Command, 1000), 2);
  EXPECT_FALSE(hl::press_key(ui::kKeyF4));  // no accelerator
  EXPECT_FALSE(ui::menu_enable(main_, 2450, true));
  EXPECT_FALSE(ui::menu_enabled(main_, 1100));
}

TEST_F(Headless, TimersFireInVirtualTime) {
  ASSERT_TRUE(ui::set_timer(main_, 20, 2000));
  ASSERT_TRUE(ui::set_timer(main_, 11, 1000));
  hl::advance(999);
  EXPECT_EQ(main_rec_.count(EventKind::Timer), 0);
  hl::advance(1);
  EXPECT_EQ(main_rec_.count(EventKind::Timer, 11), 1);
  // Both fall due at 2000: the one armed first fires first.
  hl::advance(1000);
  ASSERT_EQ(main_rec_.count(EventKind::Timer), 3);
  EXPECT_EQ(main_rec_.events[1].id, 20);
  EXPECT_EQ(main_rec_.events[2].id, 11);
  EXPECT_TRUE(ui::kill_timer(main_, 20));
  EXPECT_FALSE(ui::kill_timer(main_, 20));
  EXPECT_FALSE(hl::timer_running(main_, 20));

  // A handler that blocks (sleeps) lets the timer fall due; it fires once after.
  main_rec_.events.clear();
  main_rec_.react = [](Window, const ui::Event& e) {
    if (e.kind == EventKind::Command && e.id == 1) platform::sleep_ms(5000);
    return true;
  };
  ui::post_command(main_, 1, 0);
  hl::pump();
  EXPECT_EQ(main_rec_.count(EventKind::Timer, 11), 1);

  hl::fail_next(hl::Failure::SetTimer);
  EXPECT_FALSE(ui::set_timer(main_, 20, 50));
  hl::fail_next(hl::Failure::KillTimer);
  EXPECT_FALSE(ui::kill_timer(main_, 11));
  EXPECT_TRUE(ui::kill_timer(main_, 11));
}

TEST_F(Headless, ReportListsSelectSortAndReportEvents) {
  Recorder rec;
  Window list = ui::create_list_window(ui::kListPersons, main_, "Change Persons",
                                       ui::window_rect(main_), rec.handler());
  ASSERT_TRUE(ui::create_report_list(list, 8000, ui::kGridLines | ui::kFullRowSelect |
                                                     ui::kMultiSelect));
  EXPECT_EQ(ui::control_rect(list, 8000).width, ui::client_size(list).width);
  ASSERT_TRUE(ui::list_add_column(list, 8000, 0, "Last name", 150));
  ASSERT_TRUE(ui::list_add_column(list, 8000, 1, "Personnel number", 100));
  ui::list_insert_row(list, 8000, 99, {"meier", "2"});
  ui::list_insert_row(list, 8000, 99, {"Abel", "3"});
  ui::list_insert_row(list, 8000, 99, {"Meier", "1"});
  // Case-insensitive, stable: the two Meiers keep their order.
  ui::list_sort(list, 8000, [](const std::vector<std::string>& a,
                               const std::vector<std::string>& b) {
    return strcasecmp(a[0].c_str(), b[0].c_str());
  });
  EXPECT_EQ(hl::rows(list, 8000), (std::vector<std::vector<std::string>>{
                                      {"Abel", "3"}, {"meier", "2"}, {"Meier", "1"}}));
  EXPECT_TRUE(hl::select_rows(list, 8000, {0, 2}));
  EXPECT_TRUE(hl::right_click_row(list, 8000, 2));  // on a selected row: selection kept
  EXPECT_EQ(ui::list_selected(list, 8000), (std::vector<int>{0, 2}));
  EXPECT_TRUE(hl::right_click_row(list, 8000, 1));  // on another row: that row alone
  EXPECT_EQ(ui::list_selected(list, 8000), (std::vector<int>{1}));
  EXPECT_TRUE(hl::click_header(list, 8000, 1));
  EXPECT_FALSE(hl::click_header(list, 8000, 2));
  EXPECT_TRUE(hl::double_click_row(list, 8000, 2));
  EXPECT_TRUE(hl::list_enter(list, 8000));
  ASSERT_EQ(rec.events.size(), 5u);
  EXPECT_EQ(rec.events[1].kind, EventKind::RightClick);
  EXPECT_EQ(rec.events[1].row, 1);
  EXPECT_EQ(rec.events[2].kind, EventKind::HeaderClick);
  EXPECT_EQ(rec.events[2].column, 1);
  EXPECT_EQ(rec.events[3].kind, EventKind::DoubleClick);
  EXPECT_EQ(rec.events[3].row, 2);
  EXPECT_EQ(ui::list_selected(list, 8000), (std::vector<int>{2}));
  EXPECT_EQ(rec.events[4].kind, EventKind::ListEnter);

  hl::fail_next(hl::Failure::DeleteRow);
  EXPECT_FALSE(ui::list_delete_row(list, 8000, 0));
  EXPECT_TRUE(ui::list_delete_row(list, 8000, 0));
  EXPECT_EQ(ui::list_count(list, 8000), 2);
  hl::fail_next(hl::Failure::InsertRow);
  EXPECT_EQ(ui::list_insert_row(list, 8000, 0, {"x", "9"}), -1);

  ui::enable_window(list, false);  // a dialog over it: the list takes no clicks
  EXPECT_FALSE(hl::double_click_row(list, 8000, 0));
  EXPECT_FALSE(hl::click_header(list, 8000, 0));
}

TEST_F(Headless, ClosingADialogPressesExitMenuAndOtherWindowsAreDestroyed) {
  Recorder rec;
  Window d = ui::create_dialog("D_SUCHEN", main_, rec.handler());
  EXPECT_TRUE(hl::close_window(d));
  EXPECT_EQ(rec.count(EventKind::Command, 950), 1);
  EXPECT_TRUE(ui::window_exists(d));  // the handler decides what Exit Menu does
  ui::enable_control(d, 950, false);
  EXPECT_TRUE(hl::close_window(d));
  EXPECT_EQ(rec.count(EventKind::Command, 950), 1);
  ui::destroy_window(d);

  Recorder lrec;
  Window list = ui::create_list_window(ui::kListReaders, main_, "Change reader data",
                                       ui::window_rect(main_), lrec.handler());
  EXPECT_TRUE(hl::close_window(list));
  EXPECT_FALSE(ui::window_exists(list));
  EXPECT_EQ(lrec.count(EventKind::Destroyed), 1);
}

TEST_F(Headless, FileDialogsAnswerFromTheScript) {
  ui::FileDialog fd;
  fd.save = true;
  fd.title = "Datei speichern";
  std::string path = "unchanged";
  hl::script_file("/tmp/export.txt");
  hl::script_file_cancel();
  EXPECT_TRUE(ui::file_dialog(main_, fd, &path));
  EXPECT_EQ(path, "/tmp/export.txt");
  EXPECT_FALSE(ui::file_dialog(main_, fd, &path));
  EXPECT_FALSE(ui::file_dialog(main_, fd, &path));
  EXPECT_EQ(path, "/tmp/export.txt");
  ASSERT_EQ(hl::file_dialogs().size(), 3u);
  EXPECT_EQ(hl::file_dialogs()[0].dialog.title, "Datei speichern");
  EXPECT_FALSE(hl::file_dialogs()[1].unscripted);
  EXPECT_TRUE(hl::file_dialogs()[2].unscripted);
}

TEST_F(Headless, PaintingIsRecordedOnlyWhilePainting) {
  ui::Image tile = ui::load_image_resource("Hgrund");
  ASSERT_NE(tile, 0u);
  EXPECT_EQ(ui::image_size(tile).width, 80);
  EXPECT_EQ(ui::load_image_file("/nonexistent/Programm.bmp"), 0u);
  ui::paint_image(main_, tile, 0, 0, 80, 80, ui::Blend::Copy);  // outside a paint
  main_rec_.react = [tile](Window w, const ui::Event& e) {
    if (e.kind != EventKind::Paint) return false;
    ui::paint_image(w, tile, 80, 0, 80, 80, ui::Blend::Copy);
    ui::paint_text(w, "Enrol Station", ui::Rect{10, 50, 770, 30}, ui::Font{"My_Font", 30},
                   ui::rgb(51, 0, 204));
    return true;
  };
  std::vector<hl::PaintOp> ops = hl::paint(main_);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].box.x, 80);
  EXPECT_EQ(ops[1].text, "Enrol Station");
  EXPECT_EQ(ops[1].colour, ui::rgb(51, 0, 204));
}

TEST_F(Headless, StatusBarProgressBarAndEscape) {
  ASSERT_TRUE(ui::create_status_bar(main_, 7000));
  EXPECT_FALSE(ui::create_status_bar(main_, 7000));  // one control per id
  ui::status_parts(main_, 7000, {288, 504, 648, 768});
  ui::set_status_text(main_, 7000, 2, "\t07.12.2026");
  EXPECT_EQ(ui::status_text(main_, 7000, 2), "\t07.12.2026");
  EXPECT_EQ(ui::status_text(main_, 7000, 3), "");
  EXPECT_EQ(hl::status_part_edges(main_, 7000), (std::vector<int>{288, 504, 648, 768}));

  Recorder rec;
  Window d = ui::create_dialog("D_DOWN_AN_LESER", main_, rec.handler());
  hl::fail_next(hl::Failure::CreateProgress);
  EXPECT_FALSE(ui::create_progress(d, 7010, ui::Rect{10, 350, 480, 16}));
  ASSERT_TRUE(ui::create_progress(d, 7010, ui::Rect{10, 350, 480, 16}));
  ui::progress_range(d, 7010, 0, 4);
  ui::progress_step_size(d, 7010, 1);
  for (int i = 0; i < 4; ++i) ui::progress_step(d, 7010);
  EXPECT_EQ(ui::progress_position(d, 7010), 4);
  ui::progress_step(d, 7010);  // past the end the bar starts over
  EXPECT_EQ(ui::progress_position(d, 7010), 0);
  ui::destroy_control(d, 7010);
  EXPECT_FALSE(ui::control_exists(d, 7010));

  EXPECT_TRUE(hl::press_key(ui::kKeyEscape));
  EXPECT_EQ(rec.count(EventKind::Command, ui::kIdCancel), 1);
}

TEST(CentredOver, CentresOrAlignsWithTheEdge) {
  ui::Rect outer{100, 50, 790, 580};
  ui::Rect small = ui::centred_over(outer, ui::Size{390, 180});
  EXPECT_EQ(small.x, 300);
  EXPECT_EQ(small.y, 250);
  ui::Rect wide = ui::centred_over(outer, ui::Size{900, 100});
  EXPECT_EQ(wide.x, 100);
  EXPECT_EQ(wide.y, 290);
}

}  // namespace
