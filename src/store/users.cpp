// Rules of the login, password-change and user-management dialogs.
#include "store/users.h"

#include "platform/clock.h"
#include "platform/message_box.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "store/store.h"

namespace store {
namespace {

constexpr int kFirstUser = 2;   // records 2..16 are the further users
constexpr int kLastUser = 16;

Box info(res::TextId id) { return Box{res::text(id), res::text(res::CAP_INFO), ui::kOk}; }

// A failure text followed by the error-number line, caption "Fehler Meldung".
Box failure(const std::string& first, long code) {
  return Box{first + res::format(res::ST_USER_ERROR_CODE, code), res::text(res::CAP_FEHLER_MELDUNG),
             ui::kOk};
}

Box question(res::TextId id) {
  return Box{res::text(id), res::text(res::CAP_FRAGE), ui::kYesNo};
}

std::vector<std::string> names_after(const std::string& first) {
  std::vector<std::string> list{first};
  const Tables& t = db();
  for (int n = kFirstUser; n <= kLastUser; ++n)
    if (t.users[n - 1].used() && !t.users[n - 1].name().empty()) list.push_back(t.users[n - 1].name());
  return list;
}

void log_in(LoginOutcome* out, const Usersatz& user, bool admin) {
  Tables& t = db();
  t.user_read = user;
  t.user_current = user;
  out->logged_in = true;
  out->record = static_cast<int>(user.nummer());
  out->download_user = !admin && user.name() == "Download";
}

// Table index (record - 1) of the user named `name` among records 2..16, or -1.
int find_user(const std::string& name) {
  const Tables& t = db();
  for (int n = kFirstUser; n <= kLastUser; ++n)
    if (t.users[n - 1].used() && t.users[n - 1].name() == name) return n - 1;
  return -1;
}

std::string today() {
  platform::LocalTime now = platform::local_time();
  return res::sformat("%02u%02u%04u", now.day, now.month, now.year);
}

// The name a user-management request works on: the chosen entry's text or the
// typed text (cut to 18 characters).
std::string request_name(const UserRequest& req) {
  return req.entry > 0 ? req.entry_text : res::cut(req.typed_name, 18);
}

UserOutcome write_failure(int code) {
  UserOutcome out;
  out.boxes.push_back(failure(res::text(res::ST_USER_WRITE_FAILED), code));
  return out;
}

}  // namespace

// The stored password field holds 19 characters and a zero; the record key is
// made from exactly 16 characters.
static_assert(kPasswordMaxChars < 20, "a password must fit the stored field");
static_assert(kAdminPasswordMinChars == 16, "the record key takes 16 characters");

std::string as_typed(const std::string& typed) { return res::cut(typed, kPasswordMaxChars); }

AdminPasswordFit admin_password_fit(const std::string& password) {
  if (password.size() < kAdminPasswordMinChars) return AdminPasswordFit::kTooShort;
  if (password.size() > kPasswordMaxChars) return AdminPasswordFit::kTooLong;
  return AdminPasswordFit::kFits;
}

std::vector<std::string> login_list() { return names_after("Admin"); }
std::vector<std::string> user_list() { return names_after(""); }

namespace {

LoginOutcome try_login(int entry, const std::string& entry_text, const std::string& password_in,
                       bool no_configuration) {
  LoginOutcome out;
  const std::string password = as_typed(password_in);
  if (password.empty()) {
    out.boxes.push_back(info(res::ST_LOGIN_NO_PASSWORD));
    return out;
  }
  Tables& t = db();
  if (entry != 0) {
    for (int n = kFirstUser; n <= kLastUser; ++n) {
      t.user_read.set_nummer(static_cast<std::uint32_t>(n));
      int rc = rw_user(kRead);
      if (rc < 0) {
        out.boxes.push_back(failure(res::format(res::ST_LOGIN_READ_RECORD, n), rc));
        return out;
      }
      const Usersatz& u = t.user_read;
      if (u.used() && u.name() == entry_text && u.password() == password) {
        log_in(&out, u, false);
        return out;
      }
    }
    out.boxes.push_back(info(res::ST_LOGIN_WRONG_PASSWORD));
    return out;
  }
  if (admin_password_fit(password) == AdminPasswordFit::kTooShort) {
    out.boxes.push_back(info(res::ST_LOGIN_ADMIN_TOO_SHORT));
    return out;
  }
  if (no_configuration) {
    Usersatz admin;
    admin.set_nummer(kAdminRecord);
    admin.set_name("Admin");
    admin.set_password(password);
    log_in(&out, admin, true);
    return out;
  }
  t.user_read.set_nummer(kAdminRecord);
  int rc = rw_user(kRead);
  if (rc < 0) {
    out.boxes.push_back(failure(res::text(res::ST_LOGIN_READ_FILE), rc));
    return out;
  }
  if (t.user_read.password() == password) {
    log_in(&out, t.user_read, true);
    return out;
  }
  out.boxes.push_back(info(res::ST_LOGIN_WRONG_PASSWORD));
  return out;
}

}  // namespace

LoginOutcome login(int entry, const std::string& entry_text, const std::string& password,
                   bool no_configuration) {
  // The search reads users into the read buffer; a failed attempt leaves both
  // user buffers as they were.
  Tables& t = db();
  const Usersatz read_before = t.user_read, current_before = t.user_current;
  LoginOutcome out = try_login(entry, entry_text, password, no_configuration);
  if (!out.logged_in) {
    t.user_read = read_before;
    t.user_current = current_before;
  }
  return out;
}

PasswordOutcome change_password(const std::string& old_in, const std::string& new_in,
                                const std::string& repeat_in) {
  PasswordOutcome out;
  const std::string old_pw = as_typed(old_in), new_pw = as_typed(new_in), repeat = as_typed(repeat_in);
  Tables& t = db();
  const Usersatz user = t.user_read;
  res::TextId refusal = res::kTextCount;
  if (old_pw.empty() || old_pw != user.password())
    refusal = res::ST_PW_OLD_WRONG;
  else if (new_pw.empty())
    refusal = res::ST_PW_NEW_EMPTY;
  else if (repeat.empty())
    refusal = res::ST_PW_REPEAT_EMPTY;
  else if (new_pw == user.password())
    refusal = res::ST_PW_SAME_AS_CURRENT;
  else if (new_pw != repeat)
    refusal = res::ST_PW_REPEAT_DIFFERS;
  else if (new_pw == user.previous_password())
    refusal = res::ST_PW_SAME_AS_PREVIOUS;
  if (refusal != res::kTextCount) {
    out.boxes.push_back(info(refusal));
    return out;
  }
  Usersatz changed = user;
  changed.set_previous_password(user.password());
  changed.set_password(new_pw);
  changed.set_change_date(today());
  changed.set_must_change(0);
  t.user_current = changed;
  int rc = rw_user(kWrite);
  if (rc < 0) {
    t.user_current = user;
    out.boxes.push_back(failure(res::text(res::ST_USER_WRITE_FAILED), rc));
    return out;
  }
  t.user_read = changed;
  out.changed = true;
  out.boxes.push_back(info(res::ST_PW_CHANGED));
  return out;
}

namespace {

// The checks both user-management actions start with. True when they pass;
// otherwise `out` holds the refusal.
bool name_ok(const std::string& name, UserOutcome* out) {
  if (name.size() < 6) {
    out->boxes.push_back(info(res::ST_USER_NAME_SHORT));
    return false;
  }
  return true;
}

}  // namespace

UserOutcome user_save(const UserRequest& req) {
  UserOutcome out;
  std::string name = request_name(req);
  if (!name_ok(name, &out)) return out;
  if (req.password.size() < 6) {
    out.boxes.push_back(info(res::ST_USER_PASSWORD_SHORT));
    return out;
  }
  if (find_user(name) >= 0) {
    out.ask = true;
    out.question = question(req.entry > 0 ? res::ST_USER_OVERWRITE_CHOSEN : res::ST_USER_OVERWRITE_TYPED);
    return out;
  }
  return user_save_answer(req, true);
}

UserOutcome user_save_answer(const UserRequest& req, bool yes) {
  UserOutcome out;
  if (!yes) {
    out.clear_password = true;
    return out;
  }
  Tables& t = db();
  std::string name = request_name(req);
  int index = find_user(name);
  Usersatz rec;
  if (index >= 0) {
    rec = t.users[index];
    rec.set_previous_password(rec.password());
  } else {
    rec.set_name(name);
  }
  rec.set_password(as_typed(req.password));
  rec.set_must_change(1);
  const Usersatz before = t.user_current;
  t.user_current = rec;
  int rc = rw_user(kWrite);
  if (rc < 0) {
    t.user_current = before;
    return write_failure(rc);
  }
  out.boxes.push_back(info(index >= 0 ? res::ST_USER_PASSWORD_CHANGED : res::ST_USER_CREATED));
  out.rebuild_list = true;
  out.clear_password = true;
  return out;
}

UserOutcome user_delete(const UserRequest& req) {
  UserOutcome out;
  std::string name = req.entry_text;
  if (!name_ok(name, &out)) return out;
  if (find_user(name) < 0) {
    out.boxes.push_back(info(res::ST_USER_NOT_FOUND));
    return out;
  }
  out.ask = true;
  out.question = question(res::ST_USER_DELETE_CONFIRM);
  return out;
}

UserOutcome user_delete_answer(const UserRequest& req, bool yes) {
  UserOutcome out;
  if (!yes) return out;
  Tables& t = db();
  int index = find_user(req.entry_text);
  if (index < 0) {
    out.boxes.push_back(info(res::ST_USER_NOT_FOUND));
    return out;
  }
  const Usersatz before = t.user_current;
  t.user_current.set_nummer(static_cast<std::uint32_t>(index + 1));
  int rc = rw_user(kDelete);
  if (rc < 0) {
    t.user_current = before;
    return write_failure(rc);
  }
  out.boxes.push_back(info(res::ST_USER_DELETED));
  out.rebuild_list = true;
  out.clear_password = true;
  return out;
}

}  // namespace store
