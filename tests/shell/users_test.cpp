// Login, password change and user management as the operator meets them, and
// the menu each kind of user gets.
#include <algorithm>
#include <filesystem>
#include <string>

#include "fixture.h"
#include "platform/workdir.h"
#include "resources/ids/d_anmelden.h"
#include "resources/ids/d_passwort.h"
#include "resources/catalogue.h"
#include "resources/version.h"
#include "shell/shell.h"
#include "store/store.h"
#include "store/users.h"
#include "views/host.h"
#ifdef ENROLTOOL_PATH
#include "enroltool/tool_runner.h"
#endif

namespace uitest {
namespace {

using testsupport::cp;

const std::vector<int> kStartMenu = {1000, 1500, 6000, 6100};

std::vector<int> all_but(std::vector<int> off) {
  std::vector<int> on;
  for (int c : kAllCommands)
    if (std::find(off.begin(), off.end(), c) == off.end()) on.push_back(c);
  return on;
}

class Users : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    install_with_users({{"Muster1", "geheim1"}, {"Download", "laden1"}});
  }

  // The record as it is on disk.
  store::Usersatz on_disk(int n) {
    store::Usersatz keep = store::db().user_read;
    store::db().user_read.set_nummer(static_cast<std::uint32_t>(n));
    EXPECT_EQ(n, store::rw_user(store::kRead));
    store::Usersatz rec = store::db().user_read;
    store::db().user_read = keep;
    return rec;
  }

  // Logs in a new user and changes the password the dialog asks for.
  void first_login(const std::string& name, const std::string& old_pw, const std::string& new_pw) {
    ASSERT_TRUE(login(name, old_pw));
    ui::Window d = dialog("D_PASSWORT");
    ASSERT_NE(ui::kNoWindow, d);
    ASSERT_TRUE(hl::type(d, res::d_passwort::kOld, old_pw));
    ASSERT_TRUE(hl::type(d, res::d_passwort::kNew, new_pw));
    ASSERT_TRUE(hl::type(d, res::d_passwort::kRepeat, new_pw));
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    ASSERT_EQ(ui::kNoWindow, dialog("D_PASSWORT"));
  }
};

TEST_F(Users, LoginRefusals) {
  ASSERT_TRUE(start_and_run());
  hl::clear_boxes();
  ui::Window d = dialog("D_ANMELDEN");
  EXPECT_EQ(std::vector<std::string>({"Admin", "Muster1", "Download"}), hl::items(d, res::d_anmelden::kUserList));
  EXPECT_EQ(0, ui::items_selected(d, res::d_anmelden::kUserList));  // the administrator logged in last

  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  ASSERT_TRUE(hl::type(d, ui::kIdPassword, "Sesam-oeffne-di"));  // right, but only 15 characters
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  ASSERT_TRUE(hl::type(d, ui::kIdPassword, "Sesam-oeffne-da!"));
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  ASSERT_TRUE(hl::choose_item(d, res::d_anmelden::kUserList, "Muster1"));
  ASSERT_TRUE(hl::type(d, ui::kIdPassword, "geheim2"));
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nDie Eingabe eines Passwortes ist zwingend erforderlich !\n|Info\n"
               "\nDie Länge des eingegebenen Passwortes ist zu kurz (16 Zeichen) !\n|Info\n"
               "Eingegebenes Passwort ist falsch !|Info\n"
               "Eingegebenes Passwort ist falsch !|Info\n",
            boxes());
  EXPECT_EQ(d, dialog("D_ANMELDEN"));
  EXPECT_EQ(0, views::host().user.number);

  // "Exit Menu" leaves the menu as it was.
  ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  EXPECT_EQ(ui::kNoWindow, dialog("D_ANMELDEN"));
  EXPECT_TRUE(ui::window_enabled(main()));
  EXPECT_EQ(kStartMenu, enabled_commands());
}

TEST_F(Users, MustChangeOpensThePasswordDialogOnceAndLastUserIsRemembered) {
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Muster1", "geheim1"));
  EXPECT_EQ("Muster1", ui::status_text(main(), shell::kStatusBar, 1));
  EXPECT_EQ(2, views::host().user.number);
  EXPECT_EQ(2u, on_disk(17).nummer());
  ui::Window d = dialog("D_PASSWORT");
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ(16, hl::text_limit(d, res::d_passwort::kNew));
  EXPECT_EQ(std::vector<int>({1000, 1300, 1500, 6000, 6100}), enabled_commands());
  ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  // A second login in the same run is not asked again.
  ASSERT_TRUE(hl::choose_menu(1000));
  ui::Window l = dialog("D_ANMELDEN");
  EXPECT_EQ(1, ui::items_selected(l, res::d_anmelden::kUserList));
  ASSERT_TRUE(login("Muster1", "geheim1"));
  EXPECT_EQ(ui::kNoWindow, dialog("D_PASSWORT"));
  EXPECT_EQ(std::vector<int>({1000, 1300, 1500, 6000, 6100}), enabled_commands());

  // The next run preselects the user who logged in last.
  stop();
  ASSERT_TRUE(start_and_run());
  EXPECT_EQ("Muster1", ui::items_text(dialog("D_ANMELDEN"), 200, ui::items_selected(dialog("D_ANMELDEN"), 200)));
}

TEST_F(Users, PasswordChangeRules) {
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Muster1", "geheim1"));
  ui::Window d = dialog("D_PASSWORT");
  ASSERT_NE(ui::kNoWindow, d);
  hl::clear_boxes();
  struct Step {
    const char *old_pw, *new_pw, *repeat;
  } steps[] = {{"", "neu1", "neu1"},           {"falsch", "neu1", "neu1"},
               {"geheim1", "", "neu1"},        {"geheim1", "neu1", ""},
               {"geheim1", "geheim1", "geheim1"}, {"geheim1", "neu1", "neu2"}};
  for (const Step& s : steps) {
    hl::type(d, res::d_passwort::kOld, s.old_pw);
    hl::type(d, res::d_passwort::kNew, s.new_pw);
    hl::type(d, res::d_passwort::kRepeat, s.repeat);
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
  }
  EXPECT_EQ(
      "Fehlerhafte Eingabe des alten Passwortes !|Info\n"
      "Fehlerhafte Eingabe des alten Passwortes !|Info\n"
      "Fehlerhafte Eingabe des neuen Passwortes !|Info\n"
      "Fehlerhafte Eingabe des neuen Passwortes (Wiederholung) !|Info\n"
      "Fehlerhafte Eingabe, neues Passwort ist gleich dem alten Passwort !|Info\n"
      "Fehlerhafte Eingabe, neues Passwort und die Wiederholung sind nicht gleich !|Info\n",
      boxes());
  EXPECT_EQ("geheim1", on_disk(2).password());

  // No minimum length applies.
  hl::clear_boxes();
  hl::type(d, res::d_passwort::kOld, "geheim1");
  hl::type(d, res::d_passwort::kNew, "x");
  hl::type(d, res::d_passwort::kRepeat, "x");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nPasswort changed succesfully!\n|Info\n", boxes());
  EXPECT_EQ(ui::kNoWindow, dialog("D_PASSWORT"));
  store::Usersatz rec = on_disk(2);
  EXPECT_EQ("x", rec.password());
  EXPECT_EQ("geheim1", rec.previous_password());
  EXPECT_EQ("07122026", rec.change_date());
  EXPECT_EQ(0, rec.must_change());
  EXPECT_EQ(std::vector<int>({1000, 1300, 1500, 6000, 6100}), enabled_commands());

  // Back to the password before: refused. The one before that: accepted.
  for (const char* next : {"geheim1", "y", "geheim1"}) {
    hl::clear_boxes();
    ASSERT_TRUE(hl::choose_menu(1300));
    d = dialog("D_PASSWORT");
    std::string current = on_disk(2).password();
    hl::type(d, res::d_passwort::kOld, current);
    hl::type(d, res::d_passwort::kNew, next);
    hl::type(d, res::d_passwort::kRepeat, next);
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    if (std::string(next) == "geheim1" && current == "x") {
      EXPECT_EQ("Fehlerhafte Eingabe, neues Passwort und letztes altes Passwort sind gleich !|Info\n", boxes());
      ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
    } else {
      EXPECT_EQ("\nPasswort changed succesfully!\n|Info\n", boxes());
    }
  }
  EXPECT_EQ("geheim1", on_disk(2).password());

  // A login left with "Exit Menu" keeps the user logged in.
  ASSERT_TRUE(hl::choose_menu(1000));
  ASSERT_TRUE(hl::press(dialog("D_ANMELDEN"), 950));
  EXPECT_EQ(2, views::host().user.number);
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(1300));
  d = dialog("D_PASSWORT");
  hl::type(d, res::d_passwort::kOld, "geheim1");
  hl::type(d, res::d_passwort::kNew, "geheim9");
  hl::type(d, res::d_passwort::kRepeat, "geheim9");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nPasswort changed succesfully!\n|Info\n", boxes());
  EXPECT_EQ("geheim9", on_disk(2).password());
}

// A password changed by typing it opens the next login typed the same way,
// also when it is longer than the password fields take.
TEST_F(Users, ChangedPasswordLogsInAsTyped) {
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Muster1", "geheim1"));  // must change: the dialog opens by itself
  std::string current = "geheim1";
  for (const char* typed : {"Erstes-Passwort17", "Zweites-Passwort18"}) {
    SCOPED_TRACE(typed);
    if (dialog("D_PASSWORT") == ui::kNoWindow) {
      ASSERT_TRUE(hl::choose_menu(1300));
    }
    ui::Window d = dialog("D_PASSWORT");
    ASSERT_NE(ui::kNoWindow, d);
    hl::clear_boxes();
    hl::type(d, res::d_passwort::kOld, current);
    hl::type(d, res::d_passwort::kNew, typed);
    hl::type(d, res::d_passwort::kRepeat, typed);
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ("\nPasswort changed succesfully!\n|Info\n", boxes());
    current = typed;

    ASSERT_TRUE(hl::choose_menu(1000));
    ui::Window l = dialog("D_ANMELDEN");
    ASSERT_TRUE(hl::choose_item(l, res::d_anmelden::kUserList, "Muster1"));
    hl::type(l, res::d_anmelden::kPassword, typed);
    ASSERT_TRUE(hl::press(l, ui::kIdAction));
    EXPECT_EQ(ui::kNoWindow, dialog("D_ANMELDEN")) << boxes();
    EXPECT_EQ(2, views::host().user.number);
  }
}

TEST_F(Users, MenuStateOfEachKindOfUser) {
  // A registered station with the check skipped: every login passes it.
  ASSERT_TRUE(start_and_run("-e"));
  register_station("X", "Y");
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_EQ(all_but({1300}), enabled_commands());
  EXPECT_FALSE(views::host().user.download);

  ASSERT_TRUE(hl::choose_menu(1000));
  ASSERT_TRUE(login("Muster1", "geheim1"));
  // The password must be changed first; the first-login offer of this run went
  // to the administrator, so the dialog is opened from the menu.
  EXPECT_EQ(ui::kNoWindow, dialog("D_PASSWORT"));
  EXPECT_EQ(std::vector<int>({1000, 1300, 1500, 6000, 6100}), enabled_commands());
  ASSERT_TRUE(hl::choose_menu(1300));
  ui::Window d = dialog("D_PASSWORT");
  ASSERT_NE(ui::kNoWindow, d);
  hl::type(d, res::d_passwort::kOld, "geheim1");
  hl::type(d, res::d_passwort::kNew, "geheim2");
  hl::type(d, res::d_passwort::kRepeat, "geheim2");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  const std::vector<int> ordinary = all_but({1400, 5510, 5515, 5520, 5530, 5800, 5810, 5820, 1200, 2300});
  EXPECT_EQ(ordinary, enabled_commands());
  ASSERT_TRUE(hl::choose_menu(1000));
  ASSERT_TRUE(login("Muster1", "geheim2"));
  EXPECT_EQ(ordinary, enabled_commands());

  ASSERT_TRUE(hl::choose_menu(1000));
  ASSERT_TRUE(login("Download", "laden1"));
  EXPECT_TRUE(views::host().user.download);
  ASSERT_TRUE(hl::choose_menu(1300));
  d = dialog("D_PASSWORT");
  hl::type(d, res::d_passwort::kOld, "laden1");
  hl::type(d, res::d_passwort::kNew, "laden2");
  hl::type(d, res::d_passwort::kRepeat, "laden2");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ(std::vector<int>({1000, 1300, 1500, 2210, 2400, 6000, 6100}), enabled_commands());
  // A greyed command cannot be chosen.
  EXPECT_FALSE(hl::choose_menu(5800));
}

TEST_F(Users, WithoutAStationTheAdministratorIsOfferedTheInitialisationOnce) {
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_EQ(std::vector<int>({1000, 1400, 1500, 6000, 6100}), enabled_commands());
  ui::Window init = dialog("D_INITIAL");
  ASSERT_NE(ui::kNoWindow, init);
  EXPECT_FALSE(ui::window_enabled(main()));
  EXPECT_FALSE(hl::choose_menu(6100));  // the main window takes no input now
  ASSERT_TRUE(hl::press(init, ui::kIdExitMenu));
  ASSERT_TRUE(hl::choose_menu(1000));
  ASSERT_TRUE(login("Admin", kAdminPassword));
  EXPECT_EQ(ui::kNoWindow, dialog("D_INITIAL"));
  EXPECT_EQ(std::vector<int>({1000, 1400, 1500, 6000, 6100}), enabled_commands());
}

TEST_F(Users, UserManagement) {
  ASSERT_TRUE(start_and_run("-e"));
  register_station("X", "Y");
  ASSERT_TRUE(login("Admin", kAdminPassword));
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(5800));
  ui::Window d = dialog("D_USER");
  ASSERT_NE(ui::kNoWindow, d);
  EXPECT_EQ(std::vector<std::string>({"", "Muster1", "Download"}), hl::items(d, res::d_anmelden::kUserList));
  EXPECT_EQ(16, hl::text_limit(d, ui::kIdPassword));

  // Too short: the name (typed or chosen) and the password.
  hl::type(d, res::d_anmelden::kUserList, "Kurz5");
  hl::type(d, ui::kIdPassword, "passwort");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  hl::type(d, res::d_anmelden::kUserList, "Langer1");
  hl::type(d, ui::kIdPassword, "12345");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nThe entered user name is too short (min. 6 digits)!\n|Info\n"
               "\nDas eingegebene Benutzerpasswort ist zu kurz (min. 6 Stellen) !\n|Info\n",
            boxes());

  // A new user.
  hl::clear_boxes();
  hl::type(d, ui::kIdPassword, "123456");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nNew user created succesfully!\n|Info\n", boxes());
  EXPECT_EQ(std::vector<std::string>({"", "Muster1", "Download", "Langer1"}), hl::items(d, res::d_anmelden::kUserList));
  EXPECT_EQ("", ui::get_text(d, ui::kIdPassword));
  store::Usersatz rec = on_disk(4);
  EXPECT_EQ("Langer1", rec.name());
  EXPECT_EQ("123456", rec.password());
  EXPECT_EQ(1, rec.must_change());

  // A typed name that exists: the question, No keeps the stored password.
  hl::clear_boxes();
  hl::type(d, res::d_anmelden::kUserList, "Muster1");
  hl::type(d, ui::kIdPassword, "anders1");
  hl::script_answer(ui::kIdNo);
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nDer Benutzername ist schon in der DB vorhanden !\nMöchten Sie das vorhandene Passwort wirklich überschreiben ?\n|Frage\n",
            boxes());
  EXPECT_EQ("", ui::get_text(d, ui::kIdPassword));
  EXPECT_EQ("geheim1", on_disk(2).password());

  // Chosen from the list, Yes: the password is replaced and must be changed.
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_item(d, res::d_anmelden::kUserList, "Muster1"));
  hl::type(d, ui::kIdPassword, "anders1");
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nMöchten Sie das vorhandene Passwort wirklich überschreiben ?\n|Frage\n"
               "\nUser Password changed succesfully!\n|Info\n",
            boxes());
  rec = on_disk(2);
  EXPECT_EQ("anders1", rec.password());
  EXPECT_EQ("geheim1", rec.previous_password());
  EXPECT_EQ(1, rec.must_change());

  // Delete: refused, not confirmed, then confirmed.
  hl::clear_boxes();
  ASSERT_TRUE(hl::press(d, ui::kIdSecond));  // the empty entry
  ASSERT_TRUE(hl::choose_item(d, res::d_anmelden::kUserList, "Langer1"));
  hl::script_answer(ui::kIdNo);
  ASSERT_TRUE(hl::press(d, ui::kIdSecond));
  EXPECT_TRUE(on_disk(4).used());
  hl::script_answer(ui::kIdYes);
  ASSERT_TRUE(hl::press(d, ui::kIdSecond));
  EXPECT_EQ("\nThe entered user name is too short (min. 6 digits)!\n|Info\n"
               "\nMöchten Sie den vorhandenen Benutzer wirklich löschen ?\n|Frage\n"
               "\nMöchten Sie den vorhandenen Benutzer wirklich löschen ?\n|Frage\n"
               "\nBenutzer wurde erfolgreich gelöscht !\n|Info\n",
            boxes());
  EXPECT_FALSE(on_disk(4).used());
  EXPECT_EQ(std::vector<std::string>({"", "Muster1", "Download"}), hl::items(d, res::d_anmelden::kUserList));

  // Fifteen users fill the file; the sixteenth cannot be written.
  for (int i = 3; i <= 15; ++i) {
    hl::type(d, res::d_anmelden::kUserList, "Nutzer" + std::to_string(i));
    hl::type(d, ui::kIdPassword, "passwort");
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
  }
  hl::clear_boxes();
  hl::type(d, res::d_anmelden::kUserList, "Nutzer16");
  hl::type(d, ui::kIdPassword, "passwort");
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nKonnte in die User-/Passwortdatei nicht schreiben !\n\nFehlernummer -1 wurde zurück geliefert !\n|Fehler Meldung\n",
            boxes());
  ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  EXPECT_EQ(ui::kNoWindow, dialog("D_USER"));
  EXPECT_TRUE(ui::window_enabled(main()));

  // The fifteenth user (record 16) can log in.
  ASSERT_TRUE(hl::choose_menu(1000));
  ASSERT_TRUE(login("Nutzer15", "passwort"));
  EXPECT_EQ(16, views::host().user.number);
}

TEST_F(Users, InfoBoxes) {
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(hl::press(dialog("D_ANMELDEN"), 950));
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(6000));
  ASSERT_TRUE(hl::choose_menu(6100));
  ASSERT_EQ(2u, hl::boxes().size());
  EXPECT_EQ(cp("Hier kommt das Hilfefenster demnächst hin !"), hl::boxes()[0].text);
  EXPECT_EQ("Info", hl::boxes()[0].caption);
  const std::string& info = hl::boxes()[1].text;
  EXPECT_EQ(0u, info.find("\n\tProgramm\tZAM ENROL\t\t\n\tvom\t\t01.07.2009\n\tVersion\t\t" ENROL_VERSION_TEXT "\n"
                          "\tSeriennummer\t" + store::db().konfig.installation_number() + "\n\n\n\tErstellt von\t"));
  EXPECT_EQ(0u, store::db().konfig.installation_number().find("EN"));
  EXPECT_EQ(13u, store::db().konfig.installation_number().size());
  EXPECT_EQ(main(), hl::boxes()[1].owner);
}

TEST_F(Users, GermanEdition) {
  res::select_edition(res::Edition::German);
  ASSERT_TRUE(start_and_run());
  hl::clear_boxes();
  ui::Window d = dialog("D_ANMELDEN");
  EXPECT_EQ("Anmeldung", ui::title(d));
  ASSERT_TRUE(hl::type(d, ui::kIdPassword, "kurz"));
  ASSERT_TRUE(hl::press(d, ui::kIdAction));
  EXPECT_EQ("\nDie Länge des eingegebenen Passwortes ist zu kurz (16 Zeichen) !\n|Info\n", boxes());
  ASSERT_TRUE(login("Muster1", "geheim1"));
  ui::Window pw = dialog("D_PASSWORT");
  EXPECT_EQ(cp("Passwort ändern"), ui::title(pw));
  hl::clear_boxes();
  hl::type(pw, res::d_passwort::kOld, "geheim1");
  hl::type(pw, res::d_passwort::kNew, "geheim2");
  hl::type(pw, res::d_passwort::kRepeat, "geheim2");
  ASSERT_TRUE(hl::press(pw, ui::kIdAction));
  // The English edition's mixed-language success text is German here.
  EXPECT_EQ("\nPasswort wurde erfolgreich geändert !\n|Info\n", boxes());
  hl::clear_boxes();
  ASSERT_TRUE(hl::choose_menu(6100));
  EXPECT_EQ(0u, hl::boxes().at(0).text.find("\n\tProgramm\tZAM ENROL"));
}

// ---- the administrator's password from enroltool init to the first login

const char* const kInstallationFiles[] = {"Programm.cfg", "Personen.dat", "Template.dat",
                                          "Leser.dat",    "Eingabe.dat",  "Usepas.dat"};

// enroltool init of `dir` with `password` (UTF-8); its exit code. Native builds
// run the built tool. The Windows builds cannot run it and take its steps in
// this process: the tool's password rule, the administrator record as the
// first login makes it, then the files.
int enroltool_init(const std::string& dir, const std::string& password) {
#ifdef ENROLTOOL_PATH
  testsupport::TempDir scratch;
  return tooltest::run_tool(ENROLTOOL_PATH,
                            "init " + tooltest::shq(dir) + " --admin-password=" + tooltest::shq(password),
                            scratch)
      .rc;
#else
  std::string pw = cp(password);
  if (store::admin_password_fit(pw) != store::AdminPasswordFit::kFits) return 2;
  store::reset_store();
  platform::set_working_directory(dir);
  bool made = store::login(0, "Admin", pw, true).logged_in && store::create_konfig(123) == 1 &&
              store::create_db() == 1;
  platform::set_working_directory("");
  store::reset_store();
  return made ? 0 : 1;
#endif
}

class FirstLoginAfterInit : public Program, public ::testing::WithParamInterface<const char*> {};

// enroltool init takes an administrator password exactly when the program's
// login takes it as typed: what init made, the first login opens with the same
// characters; what init refused, before writing anything, the login field could
// not take whole or the login refused.
TEST_P(FirstLoginAfterInit, InitTakesWhatTheLoginTakes) {
  const std::string typed = GetParam();
  const int rc = enroltool_init(dir.path(), typed);
  ASSERT_TRUE(rc == 0 || rc == 2) << rc;
  for (const char* name : kInstallationFiles) {
    EXPECT_EQ(rc == 0, std::filesystem::exists(path(name))) << name;
  }
  ASSERT_TRUE(start_and_run());
  EXPECT_EQ(rc != 0, shell::state().no_configuration);
  ui::Window d = dialog("D_ANMELDEN");
  ASSERT_TRUE(hl::choose_item(d, res::d_anmelden::kUserList, "Admin"));
  hl::clear_boxes();
  const bool whole = hl::type(d, res::d_anmelden::kPassword, typed);
  if (rc == 0) {
    EXPECT_TRUE(whole) << "the login field cannot take the password init took";
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(1, views::host().user.number) << boxes();
  } else if (whole) {
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
    EXPECT_EQ(0, views::host().user.number) << "the login takes the password init refused";
    EXPECT_NE("", boxes());
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths15To18, FirstLoginAfterInit,
                         ::testing::Values("Sesam-oeffne-di", "Sesam-oeffne-di!", "Sesam-oeffne-di!7",
                                           "Sesam-oeffne-di!78"));

}  // namespace
}  // namespace uitest
