// Tests of what only the Win32 backend does: real controls holding Windows-1252
// texts as UTF-16, dialog layouts in the real dialog font, the menu built from
// the data, painting, owner-drawn colours, the overlay and the layout of the
// status bar and report lists. Run under Wine with a display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/driver.h"
#include "platform/ui.h"
#include "platform/win32/ui/probe.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/dialogs.h"
#include "resources/images.h"
#include "resources/menu.h"
#include "support/support.h"

namespace {

namespace hl = ui::headless;
using ui::Window;

class Win32 : public ::testing::Test {
 protected:
  void SetUp() override {
    hl::reset();
    res::select_edition(res::Edition::English);
    main_ = ui::create_main_window("Enrol Station", 790, 580, [this](Window w, const ui::Event& e) {
      return paint_ && e.kind == ui::EventKind::Paint ? (paint_(w), true) : false;
    });
    ASSERT_NE(main_, ui::kNoWindow);
  }
  void TearDown() override {
    hl::reset();
    res::select_edition(res::Edition::English);
  }
  static bool ignore(Window, const ui::Event&) { return false; }
  Window main_ = ui::kNoWindow;
  std::function<void(Window)> paint_;
};

// Bytes whose Windows-1252 meaning differs from Latin-1 (euro sign, S and Z with
// caron, Y with diaeresis) and some that agree (umlauts, sharp s).
const std::string kMixed = testsupport::cp("€ Šž Ÿ Müßig");

TEST_F(Win32, TextsCrossTheBoundaryAsWindows1252) {
  ui::set_title(main_, kMixed);
  EXPECT_EQ(ui::title(main_), kMixed);

  Window d = ui::create_dialog("D_PERSON", main_, ignore);
  ASSERT_NE(d, ui::kNoWindow);
  ui::set_text(d, 200, kMixed);
  EXPECT_EQ(ui::get_text(d, 200), kMixed);
  EXPECT_TRUE(hl::type(d, 200, testsupport::cp("Ž€")));
  EXPECT_EQ(ui::get_text(d, 200), testsupport::cp("Ž€"));
  ui::destroy_window(d);

  Window s = ui::create_dialog("D_SUCHEN", main_, ignore);
  ASSERT_NE(s, ui::kNoWindow);
  const res::DialogTemplate* t = res::dialog_template("D_SUCHEN");
  int combo = 0;
  for (std::size_t i = 0; i < t->count && combo == 0; ++i)
    if (t->controls[i].kind == res::Ctl::ComboList || t->controls[i].kind == res::Ctl::ComboEdit ||
        t->controls[i].kind == res::Ctl::ListBox)
      combo = t->controls[i].id;
  if (combo != 0) {
    EXPECT_EQ(ui::items_add(s, combo, kMixed), 0);
    EXPECT_EQ(ui::items_text(s, combo, 0), kMixed);
  }
  ui::destroy_window(s);

  Window list = ui::create_list_window(ui::kListPersons, main_, kMixed, ui::Rect{10, 10, 500, 300}, ignore);
  ASSERT_TRUE(ui::create_report_list(list, 8000, ui::kGridLines | ui::kFullRowSelect));
  ASSERT_TRUE(ui::list_add_column(list, 8000, 0, kMixed, 120));
  ASSERT_EQ(ui::list_insert_row(list, 8000, 0, {kMixed}), 0);
  EXPECT_EQ(ui::list_text(list, 8000, 0, 0), kMixed);
  EXPECT_EQ(hl::column_titles(list, 8000), std::vector<std::string>{kMixed});
  EXPECT_EQ(ui::title(list), kMixed);
}

TEST_F(Win32, EveryDialogOfBothEditionsShowsItsTextsUnclipped) {
  std::size_t count = 0;
  const res::DialogTemplate* all = res::dialog_templates(&count);
  ASSERT_GT(count, 20u);
  for (res::Edition edition : {res::Edition::English, res::Edition::German}) {
    res::select_edition(edition);
    for (std::size_t i = 0; i < count; ++i) {
      const res::DialogTemplate& t = all[i];
      Window d = ui::create_dialog(t.name, main_, ignore);
      ASSERT_NE(d, ui::kNoWindow) << t.name;
      EXPECT_EQ(ui::title(d), res::text(t.caption)) << t.name;
      for (std::size_t k = 0; k < t.count; ++k) {
        const res::ControlTemplate& c = t.controls[k];
        if (c.id == res::kStaticId) continue;
        EXPECT_TRUE(ui::control_exists(d, c.id)) << t.name << " " << c.id;
        if (c.text == res::kNoText || c.kind == res::Ctl::Box) continue;
        EXPECT_EQ(ui::get_text(d, c.id), res::text(c.text)) << t.name << " " << c.id;
        ui::win32::TextFit fit = ui::win32::text_fit(d, c.id);
        EXPECT_LE(fit.text_width, fit.room_width)
            << t.name << " control " << c.id << " \"" << res::cp1252_to_utf8(res::text(c.text))
            << "\" edition " << static_cast<int>(edition);
        EXPECT_LE(fit.text_height, fit.room_height) << t.name << " control " << c.id;
      }
      ui::destroy_window(d);
    }
  }
}

TEST_F(Win32, MenuIsBuiltFromTheDataAndGreysByCommand) {
  ASSERT_TRUE(ui::attach_menu(main_));
  EXPECT_TRUE(hl::menu_attached());
  std::size_t count = 0;
  const res::MenuEntry* entries = res::start_menu(&count);
  int items = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (entries[i].kind != res::MenuKind::Item) continue;
    ++items;
    EXPECT_TRUE(ui::menu_enabled(main_, entries[i].command)) << entries[i].command;
    ASSERT_TRUE(ui::menu_enable(main_, entries[i].command, false)) << entries[i].command;
    EXPECT_FALSE(ui::menu_enabled(main_, entries[i].command)) << entries[i].command;
  }
  EXPECT_EQ(items, 37);  // every command of the menu table
  EXPECT_FALSE(ui::menu_enable(main_, 2450, true));  // no menu item of its own
  EXPECT_TRUE(ui::menu_enable(main_, 1500, true));
  EXPECT_TRUE(ui::menu_enabled(main_, 1500));
  ui::menu_redraw(main_);
  EXPECT_EQ(hl::menu_redraws(), 1);
  // Attaching again (a second start sequence) replaces the menu.
  ASSERT_TRUE(ui::attach_menu(main_));
  EXPECT_TRUE(ui::menu_enabled(main_, 2010));
}

TEST_F(Win32, PaintingDrawsTheTileAndTheTitle) {
  ui::Image tile = ui::load_image_resource("Hgrund");
  ASSERT_NE(tile, 0u);
  EXPECT_EQ(ui::image_size(tile).width, 80);
  EXPECT_EQ(ui::load_image_resource("NOSUCH"), 0u);
  EXPECT_EQ(ui::load_image_file("Z:\\no\\such\\Programm.bmp"), 0u);
  ui::Font font{"My_Font", 40, true, false, false, true};
  paint_ = [&](Window w) {
    ui::paint_image(w, tile, 0, 0, 80, 80, ui::Blend::Copy);
    ui::paint_image(w, tile, 80, 0, 80, 80, ui::Blend::And);
    ui::paint_text(w, "WWWW", ui::Rect{200, 0, 300, 80}, font, ui::rgb(255, 0, 0));
  };
  hl::pump();  // the window's own first painting is done
  std::vector<hl::PaintOp> ops = hl::paint(main_);
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[2].font.face, "My_Font");

  const res::Picture& p = res::hgrund();
  for (int at : {0, 17 * 80 + 41, 79 * 80 + 79}) {
    int x = at % 80, y = at / 80;
    const std::uint8_t* px = &p.rgba[static_cast<std::size_t>(at) * 4];
    EXPECT_EQ(ui::win32::pixel(main_, x, y), ui::rgb(px[0], px[1], px[2])) << x << "," << y;
  }
  int red = 0;
  for (int x = 200; x < 500; ++x)
    if (ui::win32::pixel(main_, x, 40) == ui::rgb(255, 0, 0)) ++red;
  EXPECT_GT(red, 10);
  ui::free_image(tile);
}

TEST_F(Win32, ColourButtonsAndBoxesShowTheirColours) {
  res::select_edition(res::Edition::German);
  Window d = ui::create_dialog("D_ENROL", main_, ignore);
  ASSERT_NE(d, ui::kNoWindow);
  const res::DialogTemplate* t = res::dialog_template("D_ENROL");
  int button = 0;
  for (std::size_t i = 0; i < t->count; ++i)
    if (t->controls[i].kind == res::Ctl::ColourButton && button == 0) button = t->controls[i].id;
  ASSERT_NE(button, 0) << "D_ENROL has no colour button";
  ui::set_colour(d, button, ui::rgb(0, 200, 0));
  ui::set_text(d, button, "");
  ui::redraw_control(d, button);
  ui::Rect r = ui::control_rect(d, button);
  EXPECT_EQ(ui::win32::pixel(d, r.x + r.width / 2, r.y + r.height / 2), ui::rgb(0, 200, 0));
  EXPECT_EQ(ui::win32::pixel(d, r.x, r.y), ui::rgb(0, 0, 0));  // the frame
  EXPECT_EQ(ui::colour(d, button), ui::rgb(0, 200, 0));
  ui::set_colour(d, button, ui::kFaceColour);
  ui::redraw_control(d, button);
  EXPECT_NE(ui::win32::pixel(d, r.x + r.width / 2, r.y + r.height / 2), ui::rgb(0, 200, 0));

  // The quality box: its background inside the border.
  ui::set_colour(d, 208, ui::rgb(255, 255, 0));
  ui::redraw_control(d, 208);
  ui::Rect b = ui::control_rect(d, 208);
  EXPECT_EQ(ui::win32::pixel(d, b.x + 3, b.y + b.height / 2), ui::rgb(255, 255, 0));
}

TEST_F(Win32, OverlayCoversTheClientAreaAndShowsItsTextInRed) {
  Window o = ui::create_overlay(main_, 40);
  ASSERT_NE(o, ui::kNoWindow);
  EXPECT_EQ(hl::find_overlay(main_), o);
  ui::Size client = ui::client_size(main_);
  EXPECT_EQ(ui::client_size(o).width, client.width);
  EXPECT_EQ(ui::client_size(o).height, client.height);
  ui::set_overlay_text(o, "wait");
  int red = 0, y = client.height * 2 / 5;
  for (int x = 0; x < client.width; ++x)
    if (ui::win32::pixel(o, x, y) == ui::rgb(255, 0, 0)) ++red;
  EXPECT_GT(red, 5);
  EXPECT_EQ(hl::overlay_texts(), std::vector<std::string>{"wait"});
}

TEST_F(Win32, StatusBarAndReportListFollowTheirWindowsSize) {
  ASSERT_TRUE(ui::create_status_bar(main_, 7000));
  ui::Rect bar = ui::control_rect(main_, 7000);
  EXPECT_EQ(bar.y + bar.height, ui::client_size(main_).height);
  EXPECT_EQ(bar.width, ui::client_size(main_).width);
  ui::Rect r = ui::window_rect(main_);
  ui::move_window(main_, ui::Rect{r.x, r.y, 640, 480});
  bar = ui::control_rect(main_, 7000);
  EXPECT_EQ(bar.y + bar.height, ui::client_size(main_).height);
  EXPECT_EQ(bar.width, ui::client_size(main_).width);
  ui::status_parts(main_, 7000, {100, 200, 300, -1});
  ui::set_status_text(main_, 7000, 3, testsupport::cp("\t12:00 Süd"));
  EXPECT_EQ(ui::status_text(main_, 7000, 3), testsupport::cp("\t12:00 Süd"));

  int sized = 0;
  Window list = ui::create_list_window(ui::kListReaders, main_, "Leser", ui::Rect{20, 20, 400, 300},
                                       [&sized](Window, const ui::Event& e) {
                                         if (e.kind == ui::EventKind::Sized) ++sized;
                                         return false;
                                       });
  ASSERT_TRUE(ui::create_report_list(list, 8000, ui::kMultiSelect));
  EXPECT_EQ(sized, 0);  // creating and showing is no change of size
  ui::move_window(list, ui::Rect{20, 20, 600, 400});
  EXPECT_EQ(sized, 1);
  ui::Rect lv = ui::control_rect(list, 8000);
  EXPECT_EQ(lv.width, ui::client_size(list).width);
  EXPECT_EQ(lv.height, ui::client_size(list).height);
}

TEST_F(Win32, ListSortKeepsEqualRowsInOrderAndMovesTheSelection) {
  Window list = ui::create_list_window(ui::kListPersons, main_, "P", ui::Rect{20, 20, 400, 300}, ignore);
  ASSERT_TRUE(ui::create_report_list(list, 8000, ui::kMultiSelect | ui::kFullRowSelect));
  ASSERT_TRUE(ui::list_add_column(list, 8000, 0, "Name", 100));
  ASSERT_TRUE(ui::list_add_column(list, 8000, 1, "No", 60));
  const std::vector<std::vector<std::string>> rows = {
      {"b", "1"}, {"a", "2"}, {"b", "3"}, {"a", "4"}, {"c", "5"}};
  for (const auto& r : rows) ui::list_insert_row(list, 8000, 99, r);
  ui::list_select(list, 8000, 2, true);  // b 3
  ui::list_sort(list, 8000, [](const std::vector<std::string>& x, const std::vector<std::string>& y) {
    return x[0].compare(y[0]);
  });
  EXPECT_EQ(hl::rows(list, 8000), (std::vector<std::vector<std::string>>{
                                      {"a", "2"}, {"a", "4"}, {"b", "1"}, {"b", "3"}, {"c", "5"}}));
  EXPECT_EQ(ui::list_selected(list, 8000), std::vector<int>{3});
  EXPECT_TRUE(ui::list_delete_row(list, 8000, 0));
  EXPECT_FALSE(ui::list_delete_row(list, 8000, 4));
  EXPECT_EQ(ui::list_first_selected(list, 8000), 2);
  EXPECT_FALSE(ui::list_set_text(list, 8000, 0, 2, "x"));  // no third column

  // Focusing the window puts the keyboard into its list.
  ui::focus_window(main_);
  ui::focus_window(list);
  EXPECT_EQ(hl::focus(), std::make_pair(list, 8000));
}

TEST_F(Win32, EditStylesSwitchAtRunTime) {
  Window d = ui::create_dialog("D_PERSON", main_, ignore);
  ASSERT_NE(d, ui::kNoWindow);
  ui::set_edit_style(d, 200, ui::kUpperCase, true);
  EXPECT_TRUE(hl::type(d, 200, testsupport::cp("meyer-öz")));
  EXPECT_EQ(ui::get_text(d, 200), testsupport::cp("MEYER-ÖZ"));
  ui::set_edit_style(d, 200, ui::kUpperCase, false);
  ui::set_edit_style(d, 200, ui::kDigitsOnly, true);
  EXPECT_EQ(ui::edit_style(d, 200), static_cast<unsigned>(ui::kDigitsOnly));
  EXPECT_FALSE(hl::type(d, 200, "a1b2"));
  EXPECT_EQ(ui::get_text(d, 200), "12");
  ui::set_edit_style(d, 200, ui::kDigitsOnly, false);
  EXPECT_TRUE(hl::type_more(d, 200, "ab"));
  EXPECT_EQ(ui::get_text(d, 200), "12ab");
  ui::set_edit_style(d, 200, ui::kPassword, true);
  EXPECT_EQ(hl::shown_text(d, 200), "****");
  EXPECT_EQ(ui::get_text(d, 200), "12ab");
  ui::set_edit_style(d, 200, ui::kPassword, false);
  EXPECT_EQ(hl::shown_text(d, 200), "12ab");
  ui::set_edit_style(d, 200, ui::kReadOnly, true);
  EXPECT_FALSE(hl::type(d, 200, "x"));
  ui::set_text(d, 200, "set by the program");  // the program may still fill it
  EXPECT_EQ(ui::get_text(d, 200), "set by the program");
  ui::set_edit_style(d, 200, ui::kReadOnly, false);
  EXPECT_TRUE(hl::type_more(d, 200, "!"));
  EXPECT_EQ(ui::get_text(d, 200), "set by the program!");
}

TEST_F(Win32, LabelsTakeAFontHeightAndATextColour) {
  Window d = ui::create_dialog("D_INITIAL", main_, ignore);
  ASSERT_NE(d, ui::kNoWindow);
  int before = ui::win32::text_fit(d, 113).text_height;
  ASSERT_GT(before, 0);
  EXPECT_TRUE(ui::set_font_height(d, 113, 3 * before));
  EXPECT_GE(ui::win32::text_fit(d, 113).text_height, 2 * before);
  EXPECT_FALSE(ui::set_font_height(d, 4711, 20));  // no such control
  ui::set_text_colour(d, 113, ui::rgb(200, 0, 0));
  EXPECT_EQ(ui::text_colour(d, 113), ui::rgb(200, 0, 0));
  ui::redraw_control(d, 113);
  ui::Rect r = ui::control_rect(d, 113);
  int red = 0;
  for (int y = r.y; y < r.y + r.height; ++y)
    for (int x = r.x; x < r.x + r.width; ++x)
      if (ui::win32::pixel(d, x, y) == ui::rgb(200, 0, 0)) ++red;
  EXPECT_GT(red, 3);

  Window list = ui::create_list_window(ui::kListPersons, main_, "P", ui::Rect{0, 0, 300, 200}, ignore);
  ASSERT_TRUE(ui::create_report_list(list, 8000, 0));
  EXPECT_FALSE(ui::set_font_height(list, 8000, 20));  // a list window has no dialog font
}

}  // namespace
