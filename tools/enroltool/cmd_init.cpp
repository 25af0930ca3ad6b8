// enroltool init: a new installation, made exactly as the first administrator
// login makes it (create_konfig with 123, then create_db), but built in a
// scratch directory and moved into place only when complete, so that a failure
// leaves whatever was there before untouched.
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/workdir.h"
#include "resources/cp1252.h"
#include "store/store.h"
#include "store/users.h"

namespace enroltool {
namespace {

namespace fs = std::filesystem;

const char* const kInstallationFiles[] = {store::kKonfigFile,  store::kPersonFile,
                                          store::kTemplateFile, store::kReaderFile,
                                          store::kEingabeFile,  store::kUserFile,
                                          store::kLedgerFile};
const char kScratch[] = "enroltool-init.tmp";
const char kOldSuffix[] = ".enroltool-old";

struct InitRequest {
  std::string dir;
  std::string password;  // as typed (UTF-8)
  bool have_password = false;
  bool force = false;
};

int parse(const Args& args, InitRequest* req) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--force") {
      req->force = true;
    } else if (a == "--admin-password") {
      if (i + 1 >= args.size()) return fail(kExitUsage, "--admin-password needs a value");
      req->password = args[++i];
      req->have_password = true;
    } else if (a.rfind("--admin-password=", 0) == 0) {
      req->password = a.substr(17);
      req->have_password = true;
    } else if (!a.empty() && a[0] == '-') {
      return fail(kExitUsage, "init: unknown option " + a);
    } else if (req->dir.empty()) {
      req->dir = a;
    } else {
      return fail(kExitUsage, "init: more than one directory given");
    }
  }
  if (req->dir.empty()) return fail(kExitUsage, "init: no directory given");
  if (!req->have_password) return fail(kExitUsage, "init: --admin-password is required");
  return kExitOk;
}

// The administrator record, made in memory as the login dialog makes it for a
// new installation. A password the program's login could not take character
// for character is refused here (kExitUsage), before anything is written.
int make_admin(const std::string& typed) {
  std::string pw = res::utf8_to_cp1252(typed);
  if (res::cp1252_to_utf8(pw) != typed) {
    return fail(kExitUsage, "the password holds characters that Windows-1252 cannot hold");
  }
  if (store::admin_password_fit(pw) != store::AdminPasswordFit::kFits) {
    return fail(kExitUsage, "the password has " + std::to_string(pw.size()) +
                                " characters; the administrator's login takes " +
                                admin_password_rule());
  }
  store::LoginOutcome out = store::login(0, "Admin", pw, true);
  if (!out.logged_in) {
    for (const store::Box& b : out.boxes) ui::message_box(ui::kNoWindow, b.text, b.caption, b.style);
    return kExitUsage;
  }
  return kExitOk;
}

std::string join(const fs::path& dir, const char* name) { return (dir / name).string(); }

// Moves the completed files from the scratch directory into `dir`. Files of an
// installation already there are first renamed aside and are put back if any
// step fails.
bool move_into_place(const fs::path& scratch, const fs::path& dir, std::string* why) {
  std::vector<const char*> set_aside;
  std::vector<const char*> moved;
  auto undo = [&]() {
    for (const char* n : moved) platform::file_delete(join(dir, n));
    for (const char* n : set_aside) {
      platform::file_rename(join(dir, n) + kOldSuffix, join(dir, n));
    }
  };
  for (const char* n : kInstallationFiles) {
    if (!platform::path_exists(join(dir, n))) continue;
    std::string old = join(dir, n) + kOldSuffix;
    platform::file_delete(old);  // left from an earlier run that was cut off
    if (!platform::file_rename(join(dir, n), old)) {
      *why = std::string("cannot rename ") + n + " aside (in use?)";
      undo();
      return false;
    }
    set_aside.push_back(n);
  }
  for (const char* n : kInstallationFiles) {
    if (!platform::file_rename(join(scratch, n), join(dir, n))) {
      *why = std::string("cannot move the new ") + n + " into place";
      undo();
      return false;
    }
    moved.push_back(n);
  }
  for (const char* n : set_aside) platform::file_delete(join(dir, n) + kOldSuffix);
  return true;
}

// Needs the administrator record made by make_admin in the store's buffers.
int create_in(const fs::path& scratch) {
  platform::set_working_directory(scratch.string());
  int rc = store::create_konfig(123);
  if (rc != 1) {
    return fail(kExitFailed, "creating Programm.cfg failed (code " + std::to_string(rc) + ")");
  }
  rc = store::create_db();
  if (rc != 1) {
    return fail(kExitFailed, "creating the data files failed (code " + std::to_string(rc) + ")");
  }
  // The new files must load as the program loads them at start.
  rc = store::load_all();
  if (rc != 1) {
    return fail(kExitFailed, "the new data files do not load (code " + std::to_string(rc) + ")");
  }
  return kExitOk;
}

}  // namespace

int run_init(const Args& args) {
  InitRequest req;
  int rc = parse(args, &req);
  if (rc != kExitOk) return rc;

  std::error_code ec;
  fs::path dir = fs::absolute(req.dir, ec).lexically_normal();
  if (ec) return fail(kExitFailed, "cannot resolve directory: " + req.dir);
  if (!dir.has_filename()) dir = dir.parent_path();
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
    return fail(kExitFailed, req.dir + " is not a directory");
  }
  if (!req.force) {
    for (const char* n : kInstallationFiles) {
      if (platform::path_exists(join(dir, n))) {
        return fail(kExitFailed, req.dir + " holds an installation already (" + n +
                                     "); --force replaces it");
      }
    }
  }
  store::reset_store();
  rc = make_admin(req.password);
  if (rc != kExitOk) return rc;

  bool made_dir = false;
  if (!fs::exists(dir, ec)) {
    if (!fs::create_directory(dir, ec)) return fail(kExitFailed, "cannot create " + req.dir);
    made_dir = true;
  }
  fs::path scratch = dir / kScratch;
  fs::remove_all(scratch, ec);
  if (!fs::create_directory(scratch, ec)) {
    return fail(kExitFailed, "cannot create a scratch directory in " + req.dir);
  }

  rc = create_in(scratch);
  std::string why;
  if (rc == kExitOk && !move_into_place(scratch, dir, &why)) rc = fail(kExitFailed, why);
  fs::remove_all(scratch, ec);
  if (rc != kExitOk) {
    if (made_dir) fs::remove(dir, ec);
    return rc;
  }
  std::printf("Created installation %s in %s\n",
              term(store::db().konfig.installation_number()).c_str(), dir.string().c_str());
  return kExitOk;
}

}  // namespace enroltool
