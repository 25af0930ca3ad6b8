// enroltool init: a new installation, made exactly as the first administrator
// login makes it (create_konfig with 123, then create_db) as one change: the
// new files are written beside whatever is there, checked, and put into place
// together, so that a failure or a crash leaves what was there before.
#include <filesystem>
#include <string>

#include "commands.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/workdir.h"
#include "resources/cp1252.h"
#include "store/commit.h"
#include "store/store.h"
#include "store/users.h"

namespace enroltool {
namespace {

namespace fs = std::filesystem;

const char* const kInstallationFiles[] = {store::kKonfigFile,  store::kPersonFile,
                                          store::kTemplateFile, store::kReaderFile,
                                          store::kEingabeFile,  store::kUserFile,
                                          store::kLedgerFile};
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

// Needs the administrator record made by make_admin in the store's buffers and
// `dir` as the working directory.
int create_installation() {
  store::Change change;
  int rc = store::create_konfig(123, &change);
  if (rc != 1) {
    return fail(kExitFailed, "creating Programm.cfg failed (code " + std::to_string(rc) + ")");
  }
  rc = store::create_db(&change);
  if (rc != 1) {
    return fail(kExitFailed, "creating the data files failed (code " + std::to_string(rc) + ")");
  }
  // The new files must load as the program loads them at start; until the
  // change is committed the store reads them in place of the ones in use.
  rc = store::load_all();
  if (rc != 1) {
    return fail(kExitFailed, "the new data files do not load (code " + std::to_string(rc) + ")");
  }
  if (change.commit() != store::Change::kCommitted) {
    return fail(kExitFailed, "cannot put the new files into place (in use?)");
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
  bool made_dir = false;
  if (fs::exists(dir, ec)) {
    // What a change cut off by a crash left there is settled first.
    platform::set_working_directory(dir.string());
    rc = recover(req.dir);
    if (rc != kExitOk) return rc;
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

  if (!fs::exists(dir, ec)) {
    if (!fs::create_directory(dir, ec)) return fail(kExitFailed, "cannot create " + req.dir);
    made_dir = true;
  }
  platform::set_working_directory(dir.string());
  rc = create_installation();
  if (rc != kExitOk) {
    if (made_dir) fs::remove(dir, ec);
    return rc;
  }
  std::printf("Created installation %s in %s\n",
              term(store::db().konfig.installation_number()).c_str(), dir.string().c_str());
  return kExitOk;
}

}  // namespace enroltool
