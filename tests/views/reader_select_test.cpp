// The reader selection D_DOWN_AN_LESER of the view kit: what it shows for the
// readers of the table, where its reports go, and the progress it shows while
// a loop runs.
#include <string>
#include <vector>

#include "resources/ids/d_down_an_leser.h"
#include "store/store.h"
#include "support/program.h"
#include "views/host.h"
#include "views/reader_select.h"

namespace {

namespace hl = ui::headless;
using namespace res::d_down_an_leser;

class Select : public testsupport::ProgramTest {
 protected:
  // A reader record straight into the store; its slot.
  int reader(const std::string& name, bool preselect, int slot_wanted = -1) {
    store::Lesersatz& r = store::db().edit_reader;
    r = store::Lesersatz{};
    if (slot_wanted >= 0) r.set_nummer(static_cast<std::uint32_t>(slot_wanted + 1));
    r.set_verbindung(1);
    r.set_ip("127.0.0.1");
    r.set_tcp_port(10001);
    r.set_name(name);
    r.set_bus_address(static_cast<std::uint16_t>(slot_wanted < 0 ? 0 : slot_wanted % 15));
    r.set_preselect(preselect ? 1 : 0);
    int n = store::rw_leser(store::kWrite);
    EXPECT_GT(n, 0);
    return n - 1;
  }
};

TEST_F(Select, ShowsOneBoxPerNamedReaderInSlotOrder) {
  start_logged_in();
  reader("Entrance", true, 0);
  reader("", true, 2);  // a record without a name gets no box
  reader("A reader name of thirty chars", false, 3);
  reader("Gate", true, 7);
  ui::Window d = views::open_reader_select(views::kModeNone, "Pick them.");
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ(d, views::host().dialog);
  EXPECT_FALSE(ui::window_enabled(main()));
  EXPECT_EQ("Send data to reader", ui::title(d));
  EXPECT_EQ("Attention!", ui::get_text(d, kHeading));
  EXPECT_EQ(ui::rgb(255, 0, 0), ui::text_colour(d, kHeading));
  EXPECT_EQ("Pick them.", ui::get_text(d, kInstruction));
  const std::vector<std::string> labels = {"Entrance", "A reader name of thirty c", "Gate"};
  for (int k = 0; k < kReaders; ++k) {
    SCOPED_TRACE(k);
    const bool shown = k < 3;
    EXPECT_EQ(shown, ui::control_visible(d, kFirstReaderBox + k));
    EXPECT_EQ(shown, ui::control_visible(d, kFirstReaderLabel + k));
    if (shown) {
      EXPECT_EQ(labels[static_cast<std::size_t>(k)], ui::get_text(d, kFirstReaderLabel + k));
    }
  }
  EXPECT_EQ((std::vector<int>{0, 7}), views::checked_readers(d));
  ASSERT_TRUE(hl::press(d, kFirstReaderBox + 1));
  ASSERT_TRUE(hl::press(d, kFirstReaderBox + 0));
  EXPECT_EQ((std::vector<int>{3, 7}), views::checked_readers(d));
  EXPECT_EQ("", boxes());
}

TEST_F(Select, WithoutAFontItSaysSo) {
  start_logged_in();
  hl::fail_next(hl::Failure::NoDialogFont);
  ASSERT_NE(ui::kNoWindow, views::open_reader_select(views::kModeNone, "x"));
  EXPECT_EQ("Kein Font|Info\n", boxes());
}

// Reports go to the first open window registered, in the fixed order, as its
// command 8050; "Send" is 1 and "Exit Menu" 0.
TEST_F(Select, ReportsToTheFirstOpenRegisteredWindow) {
  start_logged_in();
  std::vector<std::pair<ui::Window, std::intptr_t>> got;
  auto recorder = [&got](ui::Window w, const ui::Event& e) {
    if (e.kind != ui::EventKind::Command || e.id != views::kReaderSelectReport) return false;
    got.emplace_back(w, e.param);
    return true;
  };
  const ui::Rect r{10, 10, 400, 300};
  ui::Window dc = ui::create_list_window(ui::kListTemplateOnCard, main(), "dc", r, recorder);
  ui::Window dt = ui::create_list_window(ui::kListTemplateDelete, main(), "dt", r, recorder);
  views::set_select_target(views::SelectTarget::TemplateOnCard, dc);
  views::set_select_target(views::SelectTarget::TemplateDelete, dt);
  ui::Window d = views::open_reader_select(views::kModeNone, "x");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  ui::destroy_window(dt);
  ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  using Report = std::pair<ui::Window, std::intptr_t>;
  EXPECT_EQ((std::vector<Report>{{dt, 1}, {dc, 0}}), got);
  // With none open the main window gets 2450, which ends the download.
  ui::destroy_window(dc);
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  EXPECT_EQ("The download is now complete.|Load info\n", boxes());
  EXPECT_EQ(ui::kNoWindow, dialog("D_DOWN_AN_LESER"));
  EXPECT_TRUE(ui::window_enabled(main()));
}

TEST_F(Select, ProgressShowsTheBarTheTextsAndRepaints) {
  start_logged_in();
  ui::Window d = views::open_reader_select(views::kModeNone, "x");
  views::SelectProgress progress;
  ASSERT_TRUE(progress.start(d, 6, "Loading of the template data"));
  hl::ProgressState bar = hl::progress(d, kProgress);
  EXPECT_EQ(0, bar.low);
  EXPECT_EQ(12, bar.high);
  EXPECT_EQ(1, bar.step);
  EXPECT_EQ(0, bar.position);
  EXPECT_EQ("Loading of the template data", ui::get_text(d, kOperation));
  EXPECT_EQ("0", ui::get_text(d, kDone));
  EXPECT_EQ("6", ui::get_text(d, kTotal));
  EXPECT_FALSE(ui::control_enabled(d, ui::kIdAction));
  EXPECT_FALSE(ui::control_enabled(d, ui::kIdExitMenu));
  // Under the reader columns, above the status texts.
  const ui::Rect placed = ui::control_rect(d, kProgress);
  EXPECT_GT(placed.y, ui::control_rect(d, kFirstReaderBox + 15).y);
  EXPECT_LT(placed.y + placed.height, ui::control_rect(d, kOperation).y);

  ops::LoopHooks h = progress.hooks();
  EXPECT_EQ(d, h.owner);
  const int before = hl::redraws(d);
  h.step();
  h.status("Laden der Templatedaten", "Personnel number 1 to reader Door !");
  h.step();
  h.person_done();
  EXPECT_EQ(2, hl::progress(d, kProgress).position);
  EXPECT_EQ("Laden der Templatedaten", ui::get_text(d, kOperation));
  EXPECT_EQ("Personnel number 1 to reader Door !", ui::get_text(d, kDetail));
  EXPECT_EQ("1", ui::get_text(d, kDone));
  EXPECT_GT(hl::redraws(d), before);
  h.status("", "");
  EXPECT_EQ("", ui::get_text(d, kOperation));
  progress.finish();
  EXPECT_FALSE(ui::control_exists(d, kProgress));
  EXPECT_TRUE(ui::control_enabled(d, ui::kIdAction));

  hl::fail_next(hl::Failure::CreateProgress);
  EXPECT_FALSE(progress.start(d, 1, "x"));
  EXPECT_EQ("Progress Bar not created!|\n", boxes());
}

}  // namespace
