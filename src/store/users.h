// The rules of the three user dialogs: login, password change and user
// management. Each function takes what the operator entered and returns what the
// dialog must show (message boxes in order, with exact texts and captions) and
// what it must do next; a Yes/No question is returned as a pending question whose
// answer the dialog passes back to the matching *_answer function.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace store {

// How many characters of a password the program takes, for every place that
// takes one: the password fields of the login, the password change and the user
// management, and a new installation made outside the program.
// - Every password field takes at most kPasswordMaxChars characters: more cannot
//   be typed, so no longer password is ever stored or compared.
// - The administrator needs at least kAdminPasswordMinChars at the login.
// - A new installation's record key is made from the first kAdminPasswordMinChars
//   characters of the administrator's password.
// As both numbers are 16, the administrator's password has exactly 16
// characters, and the record key and the stored check both use all of them.
constexpr std::size_t kPasswordMaxChars = 16;
constexpr std::size_t kAdminPasswordMinChars = 16;

// What a password field holds after `typed` was typed into it: at most its
// first kPasswordMaxChars characters.
std::string as_typed(const std::string& typed);

// Whether the administrator can log in by typing exactly `password` (Windows-1252
// characters, one byte each).
enum class AdminPasswordFit { kFits, kTooShort, kTooLong };
AdminPasswordFit admin_password_fit(const std::string& password);

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
// text, `password` the typed password (taken as_typed), `no_configuration`
// true for a new installation. On success the user's record is in user_read and
// user_current.
LoginOutcome login(int entry, const std::string& entry_text, const std::string& password,
                   bool no_configuration);

struct PasswordOutcome {
  bool changed = false;  // dialog ends with command 1300 and parameter 1
  std::vector<Box> boxes;
};
// "OK" of D_PASSWORT for the user logged in (user_read): old, new and repeated
// password (each taken as_typed).
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
