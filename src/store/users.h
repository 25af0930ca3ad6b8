// The rules of the three user dialogs: login, password change and user
// management. Each function takes what the operator entered and returns what the
// dialog must show (message boxes in order, with exact texts and captions) and
// what it must do next; a Yes/No question is returned as a pending question whose
// answer the dialog passes back to the matching *_answer function.
#pragma once

#include <string>
#include <vector>

namespace store {

// One message box to show: Windows-1252 text and caption, ui:: style bits.
struct Box {
  std::string text;
  std::string caption;
  unsigned style = 0;
};

// The login list: "Admin" as entry 0, then the names of the used records 2..16
// of the user table in record order.
std::vector<std::string> login_list();
// The user-management list: an empty entry 0, then the names of the used
// records 2..16.
std::vector<std::string> user_list();

struct LoginOutcome {
  bool logged_in = false;
  int record = 0;              // the record number logged in
  bool download_user = false;  // the user named "Download" (never the administrator)
  std::vector<Box> boxes;      // to show, in order, when not logged in
};
// "Login" of D_ANMELDEN: `entry` is the selected list entry, `entry_text` its
// text, `password` the typed password (cut to 18 characters), `no_configuration`
// true for a new installation. On success the user's record is in user_read and
// user_current.
LoginOutcome login(int entry, const std::string& entry_text, const std::string& password,
                   bool no_configuration);

struct PasswordOutcome {
  bool changed = false;  // dialog ends with command 1300 and parameter 1
  std::vector<Box> boxes;
};
// "OK" of D_PASSWORT for the user logged in (user_read): old, new and repeated
// password (each cut to 17 characters).
PasswordOutcome change_password(const std::string& old_pw, const std::string& new_pw,
                                const std::string& repeat_pw);

// What the user-management dialog entered: the selected combo entry and its
// text, the typed combo text and the password.
struct UserRequest {
  int entry = 0;
  std::string entry_text;
  std::string typed_name;
  std::string password;
};
struct UserOutcome {
  bool ask = false;        // show `question` (Yes/No) and pass the answer back
  Box question;
  std::vector<Box> boxes;  // to show, in order
  bool clear_password = false;
  bool rebuild_list = false;  // rebuild the list (empty entry 0 selected)
};
// "Save" of D_USER, and its continuation after the overwrite question.
UserOutcome user_save(const UserRequest& req);
UserOutcome user_save_answer(const UserRequest& req, bool yes);
// "Delete" of D_USER, and its continuation after the confirmation.
UserOutcome user_delete(const UserRequest& req);
UserOutcome user_delete_answer(const UserRequest& req, bool yes);

}  // namespace store
