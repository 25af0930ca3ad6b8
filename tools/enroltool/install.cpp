// Opening an existing installation: a change that a crash cut off is finished
// or undone first, then the configuration is loaded.
#include <cstdio>
#include <filesystem>
#include <string>

#include "commands.h"
#include "platform/files.h"
#include "platform/workdir.h"
#include "store/commit.h"
#include "store/store.h"

namespace enroltool {

std::string konfig_code_text(int code) {
  if (code >= -25 && code <= -10) {
    return "the key header's copies of record-key byte " + std::to_string(-9 - code) +
           " disagree: damaged";
  }
  if (code >= -29 && code <= -26) {
    return "the key header's copies of check byte " + std::to_string(-25 - code) +
           " disagree: damaged";
  }
  switch (code) {
    case -1: return "cannot be opened: missing, or in use by another program";
    case -2: return "positioning failed";
    case -3: return "too short for a key header";
    case -4: return "key header does not unseal: not a configuration file, or damaged";
    case -5: return "key header has a wrong length";
    case -30: return "the settings record does not read: damaged or truncated";
    case -31: return "the settings record's copy of the record key differs";
    case -32: return "the settings record's copy of the second key differs";
    default: return "failed";
  }
}

int recover(const std::string& dir) {
  int rc = store::recover_change();
  switch (rc) {
    case store::kRecoverNothing: return kExitOk;
    case store::kRecoverFinished:
      std::fprintf(stderr, "enroltool: %s: finished a change of several files that was cut off (see Log.txt)\n",
                   dir.c_str());
      return kExitOk;
    case store::kRecoverUndone:
      std::fprintf(stderr, "enroltool: %s: undid a change of several files that was cut off (see Log.txt)\n",
                   dir.c_str());
      return kExitOk;
    case store::kRecoverCleaned:
      std::fprintf(stderr, "enroltool: %s: removed files left over by a change that was cut off (see Log.txt)\n",
                   dir.c_str());
      return kExitOk;
    case store::kRecoverDamaged:
      return fail(kExitFailed, dir + ": " + store::kIntentFile +
                                   " is damaged; the change it records was neither finished nor undone");
    default:
      return fail(kExitFailed, dir + ": a change of several files that was cut off could not be finished "
                                     "or undone (code " + std::to_string(rc) + "; see Log.txt)");
  }
}

int open_installation(const std::string& dir) {
  std::error_code ec;
  if (dir.empty() || !std::filesystem::is_directory(dir, ec)) {
    return fail(kExitFailed, "no such directory: " + dir);
  }
  std::string abs = std::filesystem::absolute(dir, ec).lexically_normal().string();
  if (ec) return fail(kExitFailed, "cannot resolve directory: " + dir);
  while (abs.size() > 1 && (abs.back() == '/' || abs.back() == '\\')) abs.pop_back();
  store::reset_store();
  platform::set_working_directory(abs);
  std::string cfg;
  if (!platform::working_path(store::kKonfigFile, &cfg)) {
    return fail(kExitFailed, "directory path too long: " + dir);
  }
  int rc = recover(dir);
  if (rc != kExitOk) return rc;
  if (!platform::path_exists(cfg)) {
    return fail(kExitFailed, dir + " holds no installation (Programm.cfg missing)");
  }
  // An old-layout configuration (database version 0) would be converted in
  // place by loading it; these commands only read, so it is left to the program.
  std::uintmax_t size = std::filesystem::file_size(cfg, ec);
  if (!ec && size == static_cast<std::uintmax_t>(store::kKeyHeaderSlot +
                                                 store::Konfigsatz::kOldSlot)) {
    return fail(kExitFailed, "Programm.cfg: layout of database version 0; the program converts "
                             "it at its next start");
  }
  rc = store::load_konfig();
  if (rc != 1) {
    return fail(kExitFailed, "Programm.cfg: " + konfig_code_text(rc) + " (code " +
                                 std::to_string(rc) + ")");
  }
  return kExitOk;
}

}  // namespace enroltool
