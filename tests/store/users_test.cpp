// Rules of the login, password-change and user-management dialogs.
#include "fixture.h"
#include "platform/clock.h"
#include "store/users.h"

namespace {

using platform::fault::Op;
using storetest::kAdminPassword;
using storetest::Store;
using testsupport::cp;

class Users : public Store {
 protected:
  void SetUp() override {
    Store::SetUp();
    install();
  }

  // Creates a user through the management rules.
  void create(const std::string& name, const std::string& password) {
    store::UserOutcome out = store::user_save({0, "", name, password});
    ASSERT_FALSE(out.ask);
    ASSERT_EQ(1u, out.boxes.size());
    ASSERT_EQ("\nNew user created succesfully!\n", out.boxes[0].text);
  }

  static std::string only_text(const std::vector<store::Box>& boxes) {
    EXPECT_EQ(1u, boxes.size());
    return boxes.empty() ? std::string() : boxes[0].text;
  }
};

TEST_F(Users, AdminLogin) {
  store::LoginOutcome out = store::login(0, "Admin", "", false);
  EXPECT_FALSE(out.logged_in);
  EXPECT_EQ("\nDie Eingabe eines Passwortes ist zwingend erforderlich !\n", only_text(out.boxes));
  EXPECT_EQ("Info", out.boxes[0].caption);

  // 15 characters are refused even when they are the start of the right one.
  out = store::login(0, "Admin", std::string(kAdminPassword).substr(0, 15), false);
  EXPECT_EQ(cp("\nDie Länge des eingegebenen Passwortes ist zu kurz (16 Zeichen) !\n"), only_text(out.boxes));

  out = store::login(0, "Admin", "0123456789abcdefg", false);
  EXPECT_EQ("Eingegebenes Passwort ist falsch !", only_text(out.boxes));

  out = store::login(0, "Admin", kAdminPassword, false);
  EXPECT_TRUE(out.logged_in);
  EXPECT_EQ(1, out.record);
  EXPECT_FALSE(out.download_user);
  EXPECT_EQ("Admin", store::db().user_read.name());
  EXPECT_TRUE(out.boxes.empty());
}

TEST_F(Users, AdminLoginReadFailure) {
  platform::fault::arm(Op::FileOpen, 1);
  store::LoginOutcome out = store::login(0, "Admin", kAdminPassword, false);
  EXPECT_FALSE(out.logged_in);
  EXPECT_EQ(cp("\nKonnte die User-/Passwortdatei nicht lesen !\n\nFehlernummer -4 wurde zurück geliefert !\n"),
            only_text(out.boxes));
  EXPECT_EQ("Fehler Meldung", out.boxes[0].caption);
}

TEST_F(Users, FirstAdminLoginOfNewInstallation) {
  store::reset_store();
  store::LoginOutcome out = store::login(0, "Admin", "abcdefghijklmnop", true);
  ASSERT_TRUE(out.logged_in);
  EXPECT_EQ(1, out.record);
  EXPECT_EQ("Admin", store::db().user_current.name());
  EXPECT_EQ("abcdefghijklmnop", store::db().user_current.password());
}

TEST_F(Users, UserLoginAndList) {
  create("Operator1", "pass01");
  create("Download", "dlpass");
  for (int i = 3; i <= 15; ++i) create("User" + std::to_string(100 + i), "pw" + std::to_string(1000 + i));
  std::vector<std::string> list = store::login_list();
  ASSERT_EQ(16u, list.size());
  EXPECT_EQ("Admin", list[0]);
  EXPECT_EQ("Operator1", list[1]);
  EXPECT_EQ("User115", list[15]);
  EXPECT_EQ("", store::user_list()[0]);

  // The fifteenth user lives in record 16 and can log in.
  store::LoginOutcome out = store::login(15, "User115", "pw1015", false);
  ASSERT_TRUE(out.logged_in);
  EXPECT_EQ(16, out.record);

  out = store::login(2, "Download", "dlpass", false);
  ASSERT_TRUE(out.logged_in);
  EXPECT_TRUE(out.download_user);

  out = store::login(1, "Operator1", "wrong!", false);
  EXPECT_EQ("Eingegebenes Passwort ist falsch !", only_text(out.boxes));
  // The failed attempt read other users but leaves the user logged in.
  EXPECT_EQ("Download", store::db().user_read.name());
  EXPECT_EQ("Download", store::db().user_current.name());

  platform::fault::arm(Op::FileRead, 3);
  out = store::login(1, "User115", "pw1015", false);
  EXPECT_EQ(cp("\nKonnte Satz 4 in der User-/Passwortdatei nicht lesen !\n\nFehlernummer -10 wurde zurück geliefert !\n"),
            only_text(out.boxes));

  // A sixteenth user finds no slot.
  store::UserOutcome full = store::user_save({0, "", "OneTooMany", "secret"});
  EXPECT_EQ(cp("\nKonnte in die User-/Passwortdatei nicht schreiben !\n\nFehlernummer -1 wurde zurück geliefert !\n"),
            only_text(full.boxes));
}

TEST_F(Users, PasswordChangeRules) {
  create("Operator1", "first1");
  ASSERT_TRUE(store::login(1, "Operator1", "first1", false).logged_in);
  struct Case {
    const char *old_pw, *new_pw, *repeat, *text;
  } refusals[] = {
      {"", "second", "second", "Fehlerhafte Eingabe des alten Passwortes !"},
      {"wrong", "second", "second", "Fehlerhafte Eingabe des alten Passwortes !"},
      {"first1", "", "second", "Fehlerhafte Eingabe des neuen Passwortes !"},
      {"first1", "second", "", "Fehlerhafte Eingabe des neuen Passwortes (Wiederholung) !"},
      {"first1", "first1", "first1", "Fehlerhafte Eingabe, neues Passwort ist gleich dem alten Passwort !"},
      {"first1", "second", "secnod",
       "Fehlerhafte Eingabe, neues Passwort und die Wiederholung sind nicht gleich !"},
  };
  for (const Case& c : refusals) {
    store::PasswordOutcome out = store::change_password(c.old_pw, c.new_pw, c.repeat);
    EXPECT_FALSE(out.changed);
    EXPECT_EQ(c.text, only_text(out.boxes));
  }
  // No minimum length here.
  store::PasswordOutcome out = store::change_password("first1", "2", "2");
  ASSERT_TRUE(out.changed);
  EXPECT_EQ("\nPasswort changed succesfully!\n", only_text(out.boxes));
  const store::Usersatz& u = store::db().users[1];
  EXPECT_EQ("2", u.password());
  EXPECT_EQ("first1", u.previous_password());
  EXPECT_EQ(0, u.must_change());
  platform::LocalTime now = platform::local_time();
  EXPECT_EQ(res::sformat("%02u%02u%04u", now.day, now.month, now.year), u.change_date());

  // Back to the one before the last change: refused; the one before that: fine.
  ASSERT_TRUE(store::change_password("2", "third", "third").changed);
  out = store::change_password("third", "2", "2");
  EXPECT_EQ("Fehlerhafte Eingabe, neues Passwort und letztes altes Passwort sind gleich !",
            only_text(out.boxes));
  EXPECT_TRUE(store::change_password("third", "first1", "first1").changed);

  // The change reached the file.
  store::LoginOutcome again = store::login(1, "Operator1", "first1", false);
  EXPECT_TRUE(again.logged_in);

  platform::fault::arm(Op::FileWrite, 1);
  out = store::change_password("first1", "fourth", "fourth");
  EXPECT_FALSE(out.changed);
  EXPECT_EQ(cp("\nKonnte in die User-/Passwortdatei nicht schreiben !\n\nFehlernummer -22 wurde zurück geliefert !\n"),
            only_text(out.boxes));
  EXPECT_EQ("first1", store::db().users[1].password());
  EXPECT_EQ("first1", store::db().user_read.password());
}

TEST_F(Users, ManagementSaveAndOverwrite) {
  EXPECT_EQ("\nThe entered user name is too short (min. 6 digits)!\n",
            only_text(store::user_save({0, "", "Short", "secret"}).boxes));
  EXPECT_EQ("\nDas eingegebene Benutzerpasswort ist zu kurz (min. 6 Stellen) !\n",
            only_text(store::user_save({0, "", "Longer", "12345"}).boxes));
  create("Operator1", "pass01");
  EXPECT_EQ(1, store::db().users[1].must_change());

  // Typed again: the question says the name exists already.
  store::UserRequest typed{0, "", "Operator1", "pass02"};
  store::UserOutcome out = store::user_save(typed);
  ASSERT_TRUE(out.ask);
  EXPECT_EQ(cp("\nDer Benutzername ist schon in der DB vorhanden !\nMöchten Sie das vorhandene Passwort wirklich überschreiben ?\n"),
            out.question.text);
  EXPECT_EQ("Frage", out.question.caption);
  EXPECT_EQ(static_cast<unsigned>(ui::kYesNo), out.question.style);
  out = store::user_save_answer(typed, false);
  EXPECT_TRUE(out.clear_password);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_EQ("pass01", store::db().users[1].password());

  // Chosen from the list: the shorter question; Yes overwrites.
  store::UserRequest chosen{1, "Operator1", "", "pass02"};
  out = store::user_save(chosen);
  ASSERT_TRUE(out.ask);
  EXPECT_EQ(cp("\nMöchten Sie das vorhandene Passwort wirklich überschreiben ?\n"), out.question.text);
  out = store::user_save_answer(chosen, true);
  EXPECT_EQ("\nUser Password changed succesfully!\n", only_text(out.boxes));
  EXPECT_TRUE(out.rebuild_list);
  EXPECT_TRUE(out.clear_password);
  EXPECT_EQ("pass02", store::db().users[1].password());
  EXPECT_EQ("pass01", store::db().users[1].previous_password());

  // The administrator's own login data stays untouched by managing others.
  ASSERT_TRUE(store::login(0, "Admin", kAdminPassword, false).logged_in);
  create("Operator2", "pass03");
  EXPECT_EQ(1u, store::db().user_read.nummer());
  EXPECT_TRUE(store::change_password(kAdminPassword, "Neues-Passwort-1", "Neues-Passwort-1").changed);
  EXPECT_EQ("Admin", store::db().users[0].name());
  EXPECT_EQ("Operator2", store::db().users[2].name());
}

TEST_F(Users, ManagementDelete) {
  create("Operator1", "pass01");
  EXPECT_EQ("\nThe entered user name is too short (min. 6 digits)!\n",
            only_text(store::user_delete({1, "Oper", "", ""}).boxes));
  EXPECT_EQ("\nDer eingegebene Benutzername wurde nicht gefunden !\n",
            only_text(store::user_delete({1, "Nobody1", "", ""}).boxes));
  store::UserRequest req{1, "Operator1", "", ""};
  store::UserOutcome out = store::user_delete(req);
  ASSERT_TRUE(out.ask);
  EXPECT_EQ(cp("\nMöchten Sie den vorhandenen Benutzer wirklich löschen ?\n"), out.question.text);
  out = store::user_delete_answer(req, false);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_TRUE(store::db().users[1].used());

  platform::fault::arm(Op::FileWrite, 1);
  out = store::user_delete_answer(req, true);
  EXPECT_EQ(cp("\nKonnte in die User-/Passwortdatei nicht schreiben !\n\nFehlernummer -22 wurde zurück geliefert !\n"),
            only_text(out.boxes));
  EXPECT_TRUE(store::db().users[1].used());
  platform::fault::reset();

  out = store::user_delete_answer(req, true);
  EXPECT_EQ(cp("\nBenutzer wurde erfolgreich gelöscht !\n"), only_text(out.boxes));
  EXPECT_FALSE(store::db().users[1].used());
  EXPECT_EQ(1u, store::user_list().size());
  EXPECT_FALSE(store::login(1, "Operator1", "pass01", false).logged_in);
}

TEST_F(Users, GermanEditionKeepsTheTexts) {
  res::select_edition(res::Edition::German);
  EXPECT_EQ("Eingegebenes Passwort ist falsch !",
            only_text(store::login(0, "Admin", "0123456789abcdefg", false).boxes));
  res::select_edition(res::Edition::English);
}

}  // namespace
