#include "shell/users_views.h"

#include <string>
#include <vector>

#include "resources/catalogue.h"
#include "resources/ids/d_anmelden.h"
#include "resources/ids/d_passwort.h"
#include "resources/ids/d_user.h"
#include "shell/shell.h"
#include "store/store.h"
#include "store/users.h"
#include "views/host.h"

namespace shell {

namespace {

// The login and the user management share the ids of their user list and
// password field.
constexpr int kList = res::d_anmelden::kUserList;
constexpr int kPasswordField = res::d_anmelden::kPassword;
static_assert(kList == res::d_user::kUserName && kPasswordField == res::d_user::kPassword,
              "the user dialogs share their control ids");
using res::d_passwort::kNew;
using res::d_passwort::kOld;
using res::d_passwort::kRepeat;
// Every password field takes what the password rule takes (store/users.h), so a
// password the program accepts can always be typed in full at the login.
constexpr int kPasswordLimit = static_cast<int>(store::kPasswordMaxChars);
constexpr int kUserNameLimit = 16;

void show_boxes(const std::vector<store::Box>& boxes) {
  for (const store::Box& b : boxes) views::show_box(b.text, b.caption, b.style);
}

void fill_list(ui::Window d, const std::vector<std::string>& names) {
  ui::items_clear(d, kList);
  for (const std::string& n : names) ui::items_add(d, kList, n);
}

// ------------------------------------------------------------------ login


void login_pressed(ui::Window d) {
  int entry = ui::items_selected(d, kList);
  std::string entry_text = entry >= 0 ? ui::items_text(d, kList, entry) : std::string();
  store::LoginOutcome out =
      store::login(entry, entry_text, ui::get_text(d, kPasswordField), state().no_configuration);
  if (!out.logged_in) {
    show_boxes(out.boxes);
    return;
  }
  views::host().user.download = out.download_user;
  views::report_to_main(kCmdLogin, out.record);
}

bool login_handler(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command) return false;
  if (e.id == ui::kIdAction) login_pressed(d);
  if (e.id == ui::kIdExitMenu) views::report_to_main(kCmdLogin, 0);
  return e.id == ui::kIdAction || e.id == ui::kIdExitMenu;
}

// Index of the list entry of the user who logged in last; 0 ("Admin") when the
// last user was the administrator or is not in the list any more.
int last_user_entry(const std::vector<std::string>& names) {
  const store::Tables& t = store::db();
  int last = static_cast<int>(t.users[store::kLastUserRecord - 1].nummer());
  if (last <= store::kAdminRecord || last >= store::kLastUserRecord) return 0;
  const store::Usersatz& u = t.users[last - 1];
  if (!u.used()) return 0;
  for (std::size_t i = 1; i < names.size(); ++i)
    if (names[i] == u.name()) return static_cast<int>(i);
  return 0;
}

// ------------------------------------------------------------------ password change

bool password_handler(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command) return false;
  if (e.id == ui::kIdAction) {
    store::PasswordOutcome out =
        store::change_password(ui::get_text(d, kOld), ui::get_text(d, kNew), ui::get_text(d, kRepeat));
    show_boxes(out.boxes);
    if (out.changed) views::report_to_main(kCmdPassword, 1);
  }
  if (e.id == ui::kIdExitMenu) views::report_to_main(kCmdPassword, 0);
  return e.id == ui::kIdAction || e.id == ui::kIdExitMenu;
}

// ------------------------------------------------------------------ user management

void rebuild_user_list(ui::Window d) {
  fill_list(d, store::user_list());
  ui::items_select(d, kList, 0);
  ui::set_text(d, kList, "");
}

store::UserRequest user_request(ui::Window d) {
  store::UserRequest req;
  req.entry = ui::items_selected(d, kList);
  if (req.entry > 0) req.entry_text = ui::items_text(d, kList, req.entry);
  req.typed_name = ui::get_text(d, kList);
  req.password = ui::get_text(d, kPasswordField);
  return req;
}

// Shows an outcome; a pending question is asked and its continuation shown.
void finish(ui::Window d, const store::UserRequest& req, store::UserOutcome out,
            store::UserOutcome (*answer)(const store::UserRequest&, bool)) {
  if (out.ask) {
    int a = views::show_box(out.question.text, out.question.caption, out.question.style);
    out = answer(req, a == ui::kIdYes);
  }
  show_boxes(out.boxes);
  if (out.rebuild_list) rebuild_user_list(d);
  if (out.clear_password) ui::set_text(d, kPasswordField, "");
}

bool users_handler(ui::Window d, const ui::Event& e) {
  if (e.kind != ui::EventKind::Command) return false;
  if (e.id == ui::kIdAction) {
    store::UserRequest req = user_request(d);
    finish(d, req, store::user_save(req), store::user_save_answer);
  }
  if (e.id == ui::kIdSecond) {
    store::UserRequest req = user_request(d);
    finish(d, req, store::user_delete(req), store::user_delete_answer);
  }
  if (e.id == ui::kIdExitMenu) views::report_to_main(kCmdUsers, 0);
  return e.id == ui::kIdAction || e.id == ui::kIdSecond ||
         e.id == ui::kIdExitMenu;
}

}  // namespace

void open_login(std::intptr_t) {
  Shell& s = state();
  views::Host& h = views::host();
  s.before_login = Shell::LoggedIn{h.user, store::db().user_read, store::db().user_current};
  h.user = views::User{};
  store::clear_user_buffers();
  ui::Window d = views::open_main_dialog("D_ANMELDEN", login_handler, views::kModeNone);
  if (d == ui::kNoWindow) return;
  std::vector<std::string> names{"Admin"};
  int selected = 0;
  if (s.no_configuration) {
    h.dialog_mode = views::kModeNew;
  } else {
    names = store::login_list();
    selected = last_user_entry(names);
  }
  fill_list(d, names);
  ui::items_select(d, kList, selected);
  ui::limit_text(d, kPasswordField, kPasswordLimit);
  ui::focus_control(d, kPasswordField);
}

void keep_previous_user() {
  Shell& s = state();
  views::host().user = s.before_login.user;
  store::db().user_read = s.before_login.read;
  store::db().user_current = s.before_login.current;
}

void open_password(std::intptr_t) {
  ui::Window d = views::open_main_dialog("D_PASSWORT", password_handler);
  if (d == ui::kNoWindow) return;
  for (int id : {kOld, kNew, kRepeat}) ui::limit_text(d, id, kPasswordLimit);
  ui::focus_control(d, kOld);
}

void open_users(std::intptr_t) {
  ui::Window d = views::open_main_dialog("D_USER", users_handler);
  if (d == ui::kNoWindow) return;
  rebuild_user_list(d);
  ui::limit_text(d, kList, kUserNameLimit);
  ui::limit_text(d, kPasswordField, kPasswordLimit);
}

}  // namespace shell
