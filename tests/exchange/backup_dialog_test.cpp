// The backup dialog D_BACKUP_RESTORE through the menu commands 5810 and 5820,
// with the administrator logged in and the backup transponder read at a
// simulated enrol station: the controls of each mode, the file dialogs, the
// refused starts, and backups and restores run from the dialog with the result
// box it owns and its status line.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/headless/driver.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/ids/d_backup_restore.h"
#include "sim.h"
#include "store/store.h"
#include "support/program.h"
#include "views/host.h"

namespace {

namespace hl = ui::headless;
using namespace res::d_backup_restore;

// The card the simulated station presents, and its number as read.
const sim::Bytes kCard = {0x04, 0xA1, 0xB2};
constexpr const char* kCardNumber = "0000000000000004A1B2";
constexpr std::size_t kBackupBytes = 5223168;

// What the windows showed while a box was up.
struct Seen {
  std::string text;
  ui::Window owner;
  std::string status;
  bool main_enabled;
  int redraws;  // of the dialog so far
};

class BackupDialog : public testsupport::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(start_logged_in());
    hl::watch_boxes([this](const hl::Box& b) {
      ui::Window d = dialog("D_BACKUP_RESTORE");
      seen.push_back(Seen{b.text, b.owner, d == ui::kNoWindow ? "-" : ui::get_text(d, kStatus),
                          ui::window_enabled(main()), hl::redraws(d)});
    });
  }
  void TearDown() override {
    if (station) station->stop();
    ProgramTest::TearDown();
  }

  // The simulated station presenting kCard; the Konfigsatz in use points at it.
  void start_station() {
    sim::Options o;
    o.bus = sim::Bus::Station;
    station = std::make_unique<sim::Simulator>(o);
    const int port = station->listen_tcp();
    ASSERT_GT(port, 0);
    station->set_auto_card(kCard);
    ASSERT_TRUE(station->start());
    store::Konfigsatz& k = store::db().konfig;
    k.set_station_connection(1);
    k.set_ip("127.0.0.1");
    k.set_tcp_port(static_cast<std::uint16_t>(port));
  }

  // Chooses 5810 or 5820; the dialog it opened.
  ui::Window open(int command) {
    hl::clear_boxes();
    seen.clear();
    return hl::choose_menu(command) ? dialog("D_BACKUP_RESTORE") : ui::kNoWindow;
  }

  std::vector<Seen> seen;
  std::unique_ptr<sim::Simulator> station;
};

TEST_F(BackupDialog, ControlsOfEachMode) {
  struct Case {
    int command;
    int dialog_mode;
    const char* start_label;
    bool transponder;
  };
  const Case cases[] = {{5810, views::kModeNone, "Backup", true},
                        {5820, views::kModeRestore, "Restore", false}};
  store::db().konfig.set_backup_path("C:\\save\\db.bak");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    ui::Window d = open(c.command);
    ASSERT_NE(ui::kNoWindow, d);
    EXPECT_EQ(c.dialog_mode, views::host().dialog_mode);
    EXPECT_FALSE(ui::window_enabled(main()));
    EXPECT_EQ("C:\\save\\db.bak", ui::get_text(d, kFile));
    EXPECT_EQ(510, hl::text_limit(d, kFile));
    EXPECT_EQ(c.start_label, ui::get_text(d, ui::kIdAction));
    EXPECT_EQ(c.transponder, ui::control_exists(d, kTransponder));
    EXPECT_EQ(c.transponder, ui::control_exists(d, kReadCard));
    if (c.transponder) {
      EXPECT_EQ("", ui::get_text(d, kTransponder));
      EXPECT_EQ(20, hl::text_limit(d, kTransponder));
      EXPECT_FALSE(hl::type(d, kTransponder, "123"));  // read-only
    }
    // "Exit Menu" pressed twice before the report arrives ends the dialog once.
    ui::send_command(d, ui::kIdExitMenu);
    ui::send_command(d, ui::kIdExitMenu);
    hl::pump();
    EXPECT_EQ(ui::kNoWindow, dialog("D_BACKUP_RESTORE"));
    EXPECT_TRUE(ui::window_enabled(main()));
    EXPECT_EQ(views::kModeNone, views::host().dialog_mode);
    EXPECT_TRUE(hl::boxes().empty());
  }
}

TEST_F(BackupDialog, SearchOffersTheFileDialogOfTheMode) {
  std::string cwd;
  ASSERT_TRUE(platform::current_directory(&cwd));
  const std::string stored = path("db.bak");
  const std::string long_path = "/" + std::string(600, 'x');
  struct Case {
    int command;
    const char* stored;  // last backup path
    const char* typed;   // over the field's text (null: nothing typed)
    std::string chosen;  // empty: cancelled
    std::string initial;
    std::string field;  // afterwards
  };
  const Case cases[] = {
      {5810, "", nullptr, long_path, platform::path_join(cwd, "*.*"), long_path.substr(0, 510)},
      {5810, "", "week.bak", "", platform::path_join(cwd, "week.bak"), "week.bak"},
      {5820, stored.c_str(), "other.bak", "/b/old.bak", stored, "/b/old.bak"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.initial);
    store::db().konfig.set_backup_path(c.stored);
    ui::Window d = open(c.command);
    ASSERT_NE(ui::kNoWindow, d);
    if (c.typed) {
      ASSERT_TRUE(hl::type(d, kFile, c.typed));
    }
    c.chosen.empty() ? hl::script_file_cancel() : hl::script_file(c.chosen);
    ASSERT_TRUE(hl::press(d, kSearch));
    EXPECT_EQ(0u, hl::unanswered_files());
    const hl::FileDialogShown& f = hl::file_dialogs().back();
    const bool backup = c.command == 5810;
    EXPECT_EQ(d, f.owner);
    EXPECT_EQ(backup ? "Datei sichern" : "Datei laden", f.dialog.title);
    EXPECT_TRUE(f.dialog.save == backup && f.dialog.overwrite_prompt == backup);
    EXPECT_TRUE(f.dialog.path_must_exist);
    EXPECT_EQ("All Files|*.*", f.dialog.filter_name + "|" + f.dialog.filter_pattern);
    EXPECT_EQ(c.initial, f.dialog.initial);
    EXPECT_EQ(c.field, ui::get_text(d, kFile));
    ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  }
}

// Starts one after another on one installation. The last box is the result
// box, the question declined or the refused entry; the status line is read
// while it is up. A refused start keeps the dialog open.
TEST_F(BackupDialog, BackupsAndRestoresRunWithTheDialogOnScreen) {
  ASSERT_NO_FATAL_FAILURE(start_station());
  const std::string file = path("db.bak");
  const store::Eingabesatz mask = store::db().eingabe;
  const std::string backup_status = res::text(res::BK_STATUS_BACKUP);
  const std::string restore_status = res::text(res::BK_STATUS_RESTORE);
  struct Case {
    int command;
    std::string name;
    bool read_card;
    std::vector<int> answers;
    std::string last_box;
    std::string status;  // while the last box is up
    std::function<void()> before;
    bool refused = false;
  };
  const Case cases[] = {
      {5810, "", false, {}, "\nBackupdateiname fehlt !\n\n", "", nullptr, true},
      {5810, "a.bak", false, {}, "\nBackup-Transpondernummer fehlt !\n\n", "", nullptr, true},
      {5820, "   ", false, {}, "\nRestoredateiname fehlt !\n\n", "", nullptr, true},
      {5810, file, true, {ui::kIdOk}, "\nBackup der Datenbank war erfolgreich.\n\n", backup_status,
       nullptr},
      // No to overwriting: nothing more is said, the earlier backup stays.
      {5810, file, true, {ui::kIdOk, ui::kIdNo}, "\nVorhandene Datensicherung überschreiben ?\n\n",
       "", nullptr},
      {5820, path("missing.bak"), false, {},
       "\nBei dem Restore der Datenbank ist ein Fehler aufgetreten !\n"
       "Der Fehlercode Nummer -1 wurde geliefert !\n\n",
       "", nullptr},
      // The input mask changed since the backup comes back from it.
      {5820, file, false, {ui::kIdYes, ui::kIdOk, ui::kIdYes},
       "\nRestore der Datenbank war erfolgreich.\n\n", restore_status,
       [] {
         store::db().eingabe.set_finger_count(7);
         ASSERT_EQ(1, store::rw_eingabe(store::kWrite));
       }},
      // A name without a letter: that file is written, the last path stays.
      {5810, "20100203", true, {ui::kIdOk}, "\nBackup der Datenbank war erfolgreich.\n\n",
       backup_status, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " " + std::to_string(c.command));
    if (c.before) {
      ASSERT_NO_FATAL_FAILURE(c.before());
    }
    ui::Window d = open(c.command);
    ASSERT_NE(ui::kNoWindow, d);
    for (int a : c.answers) hl::script_answer(a);
    if (c.read_card) {
      ASSERT_TRUE(hl::press(d, kReadCard));
      EXPECT_EQ(kCardNumber, ui::get_text(d, kTransponder));
    }
    ASSERT_TRUE(hl::type(d, kFile, testsupport::cp(c.name)));
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(0u, hl::unanswered_script());
    ASSERT_FALSE(seen.empty());
    const Seen& last = seen.back();
    EXPECT_EQ(c.last_box, res::cp1252_to_utf8(last.text));
    EXPECT_EQ(d, last.owner);
    EXPECT_EQ(c.status, last.status);
    EXPECT_FALSE(last.main_enabled);
    // Repainted as the records went by (a run that stopped early has little to show).
    EXPECT_EQ(!c.status.empty(), last.redraws > 50) << last.redraws;
    if (c.refused) {
      EXPECT_EQ(d, dialog("D_BACKUP_RESTORE"));
      ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
    }
    EXPECT_EQ(ui::kNoWindow, dialog("D_BACKUP_RESTORE"));
    EXPECT_TRUE(ui::window_enabled(main()));
  }
  EXPECT_FALSE(platform::path_exists("a.bak"));
  std::unique_ptr<store::Tables> disk = on_disk();
  EXPECT_TRUE(disk->eingabe.b == mask.b);
  EXPECT_EQ(file, disk->konfig.backup_path());
  EXPECT_EQ(kCardNumber, disk->konfig.backup_transponder());
  for (const char* name : {"db.bak", "20100203"}) {
    EXPECT_EQ(kBackupBytes, testsupport::read_file(path(name)).size()) << name;
  }
}

}  // namespace
