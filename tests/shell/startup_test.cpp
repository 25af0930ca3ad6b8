// Start-up: command line, title file, creation, start sequence with database
// update and loading, status bar and clock, painting, exit.
#include <string>

#include "fixture.h"
#include "resources/ids/d_anmelden.h"
#include "readers/station.h"
#include "views/host.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/files.h"
#include "platform/ui_rules.h"
#include "platform/workdir.h"
#include "diag/log.h"
#include "shell/shell.h"
#include "store/seal.h"
#include "store/store.h"

namespace uitest {
namespace {

using testsupport::Bytes;
using testsupport::cp;

const std::vector<int> kStartMenu = {1000, 1500, 6000, 6100};

// A complete black 24-bit Windows bitmap file: a loader that checks the headers
// and the pixel data (as Windows does) accepts it.
Bytes bitmap(int width, int height) {
  const int row = (width * 3 + 3) / 4 * 4;
  const int pixels = row * height;
  Bytes b(static_cast<std::size_t>(54 + pixels), 0);
  auto put32 = [&b](int at, int value) {
    for (int i = 0; i < 4; ++i)
      b[static_cast<std::size_t>(at + i)] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, 54 + pixels);  // file size
  put32(10, 54);          // offset of the pixels
  put32(14, 40);          // info header size
  put32(18, width);
  put32(22, height);
  b[26] = 1;   // planes
  b[28] = 24;  // bits per pixel
  put32(34, pixels);
  return b;
}

class Startup : public Program {};

TEST_F(Startup, CommandLineLooksAtTwoCharactersOnly) {
  struct Case {
    const char* line;
    bool debug, skip, carry_on;
  } cases[] = {{"-d", true, false, false},  {"-D", true, false, false},
               {"-ej", false, true, false}, {"-E", false, true, false},
               {"-J -e", false, false, true}, {"d", false, false, false},
               {"-", false, false, false},  {"", false, false, false},
               {" -d", false, false, false}, {"-x", false, false, false}};
  for (const Case& c : cases) {
    stop();
    ASSERT_TRUE(start(c.line)) << c.line;
    EXPECT_EQ(c.debug, diag::debug_logging()) << c.line;
    EXPECT_EQ(c.skip, readers::station_switches().skip_check) << c.line;
    EXPECT_EQ(c.carry_on, readers::station_switches().continue_after_mismatch) << c.line;
  }
}

TEST_F(Startup, TitleFile) {
  struct Case {
    std::string file;
    std::string title;
  } cases[] = {
      {"A\r\n", "Enrol Station"},
      {"", "Enrol Station"},
      {"Werk Nord   \r\n", "Werk Nord"},
      {"AB", "AB"},
      {"Zutritt\r\nHalle 2", "Zutritt\r\nHalle 2"},
      {"Ein sehr langer Name der Anlage im Werk", "Ein sehr langer Name der Anla"},
  };
  for (const Case& c : cases) {
    stop();
    testsupport::write_file(path("Progname.txt"), testsupport::bytes_of(c.file));
    ASSERT_TRUE(start());
    EXPECT_EQ(c.title, ui::title(main())) << c.file;
  }
  std::remove(path("Progname.txt").c_str());
  std::string title;
  EXPECT_EQ(-3, shell::read_progname(&title));
}

TEST_F(Startup, FirstStartGoesStraightToTheLogin) {
  ASSERT_TRUE(start());
  EXPECT_TRUE(shell::state().no_configuration);
  EXPECT_EQ(dir.path(), platform::working_directory());
  EXPECT_EQ(std::vector<std::string>({"Programmbitmap ist nicht vorhanden !"}), box_texts());
  EXPECT_FALSE(hl::menu_attached());
  EXPECT_TRUE(hl::timer_running(main(), shell::kStartTimer));
  hl::clear_boxes();

  hl::advance(1999);
  EXPECT_FALSE(hl::menu_attached());
  hl::advance(1);
  EXPECT_TRUE(hl::menu_attached());
  EXPECT_FALSE(hl::timer_running(main(), shell::kStartTimer));
  EXPECT_EQ(kStartMenu, enabled_commands());
  EXPECT_EQ("", boxes());  // no update, no loading
  ui::Window d = dialog("D_ANMELDEN");
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ(std::vector<std::string>({"Admin"}), hl::items(d, res::d_anmelden::kUserList));
  EXPECT_EQ(0, ui::items_selected(d, res::d_anmelden::kUserList));
  EXPECT_EQ(16, hl::text_limit(d, ui::kIdPassword));
  EXPECT_EQ(std::make_pair(d, 700), hl::focus());
  ui::Rect r = ui::window_rect(d);
  ui::Rect centred = ui::centred_over(ui::window_rect(main()), ui::Size{r.width, r.height});
  EXPECT_EQ(centred.x, r.x);
  EXPECT_EQ(centred.y, r.y);
  EXPECT_EQ('N', views::host().dialog_mode);
  EXPECT_FALSE(ui::window_enabled(main()));
  EXPECT_TRUE(hl::timer_running(main(), shell::kClockTimer));

  // The first administrator login creates the installation.
  ASSERT_TRUE(hl::type(d, ui::kIdPassword, kAdminPassword));
  ASSERT_TRUE(hl::press_enter());  // Enter in the password field logs in
  EXPECT_EQ(2064u, testsupport::read_file(path("Programm.cfg")).size());
  EXPECT_EQ(500u * 224, testsupport::read_file(path("Personen.dat")).size());
  EXPECT_EQ(500u * 10208, testsupport::read_file(path("Template.dat")).size());
  EXPECT_EQ(32u * 96, testsupport::read_file(path("Leser.dat")).size());
  EXPECT_EQ(400u, testsupport::read_file(path("Eingabe.dat")).size());
  EXPECT_EQ(17u * 96, testsupport::read_file(path("Usepas.dat")).size());
  EXPECT_FALSE(shell::state().no_configuration);
  EXPECT_EQ(1, views::host().user.number);
  EXPECT_EQ("Admin", store::db().users[0].name());
  EXPECT_EQ(1u, store::db().users[16].nummer());  // last-user record
  // No station yet: the administrator gets the initialisation, opened at once.
  EXPECT_EQ(std::vector<int>({1000, 1400, 1500, 6000, 6100}), enabled_commands());
  EXPECT_NE(ui::kNoWindow, dialog("D_INITIAL"));
  EXPECT_EQ("", boxes());

  // The next run loads the new installation and finds the administrator.
  stop();
  ASSERT_TRUE(start_and_run());
  EXPECT_FALSE(shell::state().no_configuration);
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_EQ(1, views::host().user.number);
}

TEST_F(Startup, FirstStartWithAFailingCreationCanBeRepeated) {
  ASSERT_TRUE(start_and_run());
  platform::fault::arm(platform::fault::Op::FileOpen, 1);  // creating Programm.cfg
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_NE(std::string::npos,
            boxes().find("beim lesen der Konfigurationsdatei aufgetreten !|Fehler Meldung"));
  EXPECT_TRUE(shell::state().no_configuration);
  EXPECT_EQ(kStartMenu, enabled_commands());
  EXPECT_EQ(ui::kNoWindow, dialog("D_INITIAL"));
  // Login again: this time the installation is made.
  ASSERT_TRUE(hl::choose_menu(1000));
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_FALSE(shell::state().no_configuration);
  EXPECT_EQ(2064u, testsupport::read_file(path("Programm.cfg")).size());
}

TEST_F(Startup, FirstStartThatCannotMakeTheDataFilesStartsAfreshNextTime) {
  ASSERT_TRUE(start_and_run());
  hl::clear_boxes();
  // Opens: Programm.cfg made, read back (header, old layout, Konfigsatz), then
  // Personen.dat created.
  platform::fault::arm(platform::fault::Op::FileOpen, 5);
  ASSERT_TRUE(login("Admin", kAdminPassword));
  std::vector<std::string> shown = box_texts();
  ASSERT_EQ(2u, shown.size()) << boxes();
  EXPECT_EQ("Fehler -5 beim erstellen der Datenbank aufgetreten !", shown[0]);
  EXPECT_EQ("\nEs ist ein Fehler beim einlesen der Personendatei aufgetreten !\n\nDas Programm wird beendet !\n\n",
            shown[1]);
  EXPECT_EQ(ui::kNoWindow, main());
  EXPECT_FALSE(platform::path_exists(path("Programm.cfg")));

  stop();
  ASSERT_TRUE(start_and_run());
  EXPECT_TRUE(shell::state().no_configuration);
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_EQ(17u * 96, testsupport::read_file(path("Usepas.dat")).size());
  EXPECT_FALSE(shell::state().no_configuration);
}

TEST_F(Startup, PictureIsCroppedAndMovesUpAfterStartUp) {
  testsupport::write_file(path("Programm.bmp"), bitmap(640, 480));
  ASSERT_TRUE(start());
  ASSERT_EQ(1u, hl::boxes().size());
  EXPECT_EQ(cp("\nACHTUNG !!!\n\nProgramm Image ist zu groß\nMax. Width 500 = 640\nMax. Height 300 = 480\n"),
            hl::boxes()[0].text);
  EXPECT_EQ("Image Info", hl::boxes()[0].caption);

  ui::Size c = ui::client_size(main());
  int tiles = 0;
  std::vector<hl::PaintOp> ops = hl::paint(main());
  for (const hl::PaintOp& op : ops) {
    if (op.kind == hl::PaintOp::DrawImage && op.blend == ui::Blend::Copy) {
      EXPECT_EQ(80, op.box.width);
      EXPECT_EQ(0, op.box.x % 80);
      ++tiles;
    }
  }
  EXPECT_EQ((c.width / 80 + 1) * (c.height / 80 + 1), tiles);
  const hl::PaintOp* picture = nullptr;
  const hl::PaintOp* text = nullptr;
  for (const hl::PaintOp& op : ops) {
    if (op.kind == hl::PaintOp::DrawImage && op.blend == ui::Blend::And) picture = &op;
    if (op.kind == hl::PaintOp::DrawText) text = &op;
  }
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(c.width / 2 - 250, picture->box.x);
  EXPECT_EQ(c.height / 2 - 44, picture->box.y);
  EXPECT_EQ(500, picture->box.width);
  EXPECT_EQ(300, picture->box.height);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ("Enrol Station", text->text);
  EXPECT_EQ(50, text->box.y);
  EXPECT_EQ(30, text->box.height);
  EXPECT_EQ(10, text->box.x);
  EXPECT_EQ(c.width - 20, text->box.width);
  EXPECT_EQ("My_Font", text->font.face);
  EXPECT_EQ(30, text->font.height);
  EXPECT_TRUE(text->font.bold && text->font.italic && text->font.underline && text->font.fixed_pitch);
  EXPECT_EQ(ui::rgb(51, 0, 204), text->colour);

  hl::advance(shell::kStartDelayMs);
  c = ui::client_size(main());
  ops = hl::paint(main());
  bool titled = false;
  for (const hl::PaintOp& op : ops) {
    if (op.kind == hl::PaintOp::DrawText) titled = true;
    if (op.kind == hl::PaintOp::DrawImage && op.blend == ui::Blend::And) {
      EXPECT_EQ(c.height / 2 - 64, op.box.y);
    }
  }
  EXPECT_FALSE(titled);
}

TEST_F(Startup, SmallPictureIsDrawnWhole) {
  testsupport::write_file(path("Programm.bmp"), bitmap(200, 100));
  ASSERT_TRUE(start());
  EXPECT_EQ("", boxes());
  bool drawn = false;
  for (const hl::PaintOp& op : hl::paint(main()))
    if (op.kind == hl::PaintOp::DrawImage && op.blend == ui::Blend::And) {
      EXPECT_EQ(200, op.box.width);
      EXPECT_EQ(100, op.box.height);
      drawn = true;
    }
  EXPECT_TRUE(drawn);
}

TEST_F(Startup, StatusBarAndClock) {
  ASSERT_TRUE(start_and_run());
  ui::Size c = ui::client_size(main());
  int part = c.width / 32;
  EXPECT_EQ(std::vector<int>({part * 12, part * 21, part * 27, part * 32}),
            hl::status_part_edges(main(), shell::kStatusBar));
  EXPECT_EQ("", ui::status_text(main(), shell::kStatusBar, 0));
  // Date and time in the user's formats (on Windows the system's, elsewhere
  // dd.mm.yyyy and hh:mm:ss), each after a Tab.
  platform::LocalTime now = platform::local_time();
  EXPECT_EQ("\t" + platform::format_short_date(now), ui::status_text(main(), shell::kStatusBar, 2));
  std::string before = ui::status_text(main(), shell::kStatusBar, 3);
  EXPECT_EQ("\t" + platform::format_time(now), before);
#ifndef _WIN32
  EXPECT_EQ("\t07.12.2026", ui::status_text(main(), shell::kStatusBar, 2));
  EXPECT_EQ(9u, before.size());
#endif
  hl::advance(1000);
  EXPECT_NE(before, ui::status_text(main(), shell::kStatusBar, 3));
  EXPECT_TRUE(hl::timer_running(main(), shell::kClockTimer));
}

TEST_F(Startup, WindowingFailures) {
  // A status bar that cannot be made is reported; start-up goes on.
  hl::fail_next(hl::Failure::CreateStatusBar);
  ASSERT_TRUE(start_and_run());
  EXPECT_NE(std::string::npos,
            boxes().find("Statusfenster kann nicht erzeugt werden !|Info, Statusfenster"));
  EXPECT_NE(ui::kNoWindow, dialog("D_ANMELDEN"));

  // Missing accelerators are reported; the program runs without them.
  stop();
  hl::fail_next(hl::Failure::LoadAccelerators);
  ASSERT_TRUE(start());
  EXPECT_NE(std::string::npos, boxes().find("Fehler bei Accelerators|Error Message"));

  // The start timer is essential.
  stop();
  hl::fail_next(hl::Failure::SetTimer);
  EXPECT_FALSE(start());
  EXPECT_NE(std::string::npos,
            boxes().find("StartTimers (Main) aufgetreten !\n\nDas Programm wird beendet !\n\n|Fehler Meldung, Timer"));
  EXPECT_EQ(ui::kNoWindow, main());
  EXPECT_EQ(0, hl::quit_code());

  // A timer that cannot be stopped is reported and does nothing; it fires again.
  stop();
  ASSERT_TRUE(start());
  hl::clear_boxes();
  hl::fail_next(hl::Failure::KillTimer);
  hl::advance(shell::kStartDelayMs);
  EXPECT_EQ("Timer kann nicht gestoppt werden !|Info, Timer\n", boxes());
  EXPECT_FALSE(hl::menu_attached());
  hl::advance(shell::kStartDelayMs);
  EXPECT_TRUE(hl::menu_attached());
  EXPECT_NE(ui::kNoWindow, dialog("D_ANMELDEN"));

  // The clock goes on without a timer that could not be made, after saying so.
  hl::clear_boxes();
  hl::fail_next(hl::Failure::SetTimer);
  hl::advance(1000);
  EXPECT_EQ("Timer für Datum/Uhrzeit kann nicht erzeugt werden !|Info, Timer\n", boxes());
  EXPECT_FALSE(hl::timer_running(main(), shell::kClockTimer));

  // So is the registration of the window classes.
  stop();
  hl::fail_next(hl::Failure::RegisterClasses);
  EXPECT_EQ(0, shell::program_entry("", 1));
  EXPECT_EQ(ui::kNoWindow, main());
}

TEST_F(Startup, ExitEndsTheMessageLoop) {
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(hl::press(dialog("D_ANMELDEN"), 950));
  EXPECT_TRUE(ui::window_enabled(main()));
  // F1 opens the login again; while it is open, accelerators do nothing.
  hl::press_key(ui::kKeyF1);
  ui::Window d = dialog("D_ANMELDEN");
  ASSERT_NE(ui::kNoWindow, d);
  hl::press_key(ui::kKeyF1);
  EXPECT_EQ(std::vector<ui::Window>({d}), hl::open_dialogs());
  ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  ASSERT_TRUE(hl::choose_menu(1500));
  EXPECT_EQ(ui::kNoWindow, main());
  EXPECT_EQ(0, hl::quit_code());
}

}  // namespace
}  // namespace uitest
