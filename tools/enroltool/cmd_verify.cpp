// enroltool verify: loads the configuration with all key checks and reads every
// slot of every data file through the store's own record operations.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/workdir.h"
#include "store/store.h"

namespace enroltool {
namespace {

// What a record-read code means. The input mask's file counts its codes one
// lower for path and open (-1/-2 path, -3 open, -4 position).
std::string read_code_text(int code, bool eingabe) {
  if (eingabe && code >= -4 && code <= -1) code -= 1;
  switch (code) {
    case -2:
    case -3: return "path cannot be built";
    case -4: return "cannot be opened: missing, or in use by another program";
    case -5: return "positioning failed";
    case -10: return "cannot be read: file too short";
    case -11: return "check byte wrong: damaged, or sealed with another key";
    case -12: return "wrong record length";
    default: return "failed";
  }
}

// One slot as read: the result code and, when it read, what it holds.
struct SlotResult {
  int rc = 0;              // the record operation's result (the number on success)
  bool used = false;       // in use (persons, readers, users) or holding templates
  std::string problem;     // a slot that reads but holds something it must not
};

struct FileReport {
  int used = 0, free = 0, failing = 0;
  std::vector<std::string> lines;  // the failing slots and other faults
};

bool check_size(const char* name, int slots, int slot_size, FileReport* rep) {
  std::string path;
  std::error_code ec;
  if (!platform::working_path(name, &path) || !std::filesystem::exists(path, ec)) {
    rep->lines.push_back("  missing");
    ++rep->failing;
    return false;
  }
  auto size = std::filesystem::file_size(path, ec);
  auto expected = static_cast<std::uintmax_t>(slots) * static_cast<std::uintmax_t>(slot_size);
  if (!ec && size != expected) {
    rep->lines.push_back("  size " + std::to_string(size) + " bytes, expected " +
                         std::to_string(expected));
  }
  return true;
}

FileReport walk(const char* name, int slots, int slot_size, bool eingabe,
                const std::function<SlotResult(int)>& read_slot) {
  FileReport rep;
  if (!check_size(name, slots, slot_size, &rep)) return rep;
  bool size_fault = !rep.lines.empty();
  for (int n = 1; n <= slots; ++n) {
    SlotResult r = read_slot(n);
    if (r.rc < 0) {
      ++rep.failing;
      rep.lines.push_back("  record " + std::to_string(n) + ": code " + std::to_string(r.rc) +
                          " (" + read_code_text(r.rc, eingabe) + ")");
    } else if (!r.problem.empty()) {
      ++rep.failing;
      rep.lines.push_back("  record " + std::to_string(n) + ": " + r.problem);
    } else if (r.used) {
      ++rep.used;
    } else {
      ++rep.free;
    }
  }
  if (size_fault && rep.failing == 0) rep.failing = 1;  // the size line itself
  return rep;
}

std::string number_problem(std::uint32_t stored, int n) {
  return "number field holds " + std::to_string(stored) + " instead of " + std::to_string(n);
}

SlotResult read_person(int n) {
  store::Tables& t = store::db();
  t.person_read.set_nummer(static_cast<std::uint32_t>(n));
  SlotResult r;
  r.rc = store::rw_person(store::kRead);
  if (r.rc < 0) return r;
  std::uint32_t stored = t.person_read.nummer();
  r.used = stored != 0;
  if (stored != 0 && stored != static_cast<std::uint32_t>(n)) r.problem = number_problem(stored, n);
  return r;
}

SlotResult read_template(int n) {
  store::Tables& t = store::db();
  t.template_read.set_nummer(static_cast<std::uint32_t>(n));
  SlotResult r;
  r.rc = store::rw_template(store::kRead);
  if (r.rc < 0) return r;
  // Every template record carries its number, used or not.
  if (t.template_read.nummer() != static_cast<std::uint32_t>(n)) {
    r.problem = number_problem(t.template_read.nummer(), n);
  }
  for (int b = 0; b < store::kFingerBlocks; ++b) {
    if (t.template_read.length(b) != 0) r.used = true;
  }
  return r;
}

SlotResult read_reader(int n) {
  store::Tables& t = store::db();
  t.current_reader.set_nummer(static_cast<std::uint32_t>(n));
  SlotResult r;
  r.rc = store::rw_leser(store::kRead);
  if (r.rc < 0) return r;
  std::uint32_t stored = t.current_reader.nummer();
  r.used = stored != 0;
  if (stored != 0 && stored != static_cast<std::uint32_t>(n)) r.problem = number_problem(stored, n);
  return r;
}

SlotResult read_user(int n) {
  store::Tables& t = store::db();
  t.user_read.set_nummer(static_cast<std::uint32_t>(n));
  SlotResult r;
  r.rc = store::rw_user(store::kRead);
  if (r.rc < 0) return r;
  std::uint32_t stored = t.user_read.nummer();
  if (n == store::kLastUserRecord) {
    // The last-user record holds the number of the user who logged in last.
    r.used = true;
    if (stored >= store::kLastUserRecord) {
      r.problem = "last-user record names record " + std::to_string(stored);
    }
    return r;
  }
  r.used = stored != 0;
  if (stored != 0 && stored != static_cast<std::uint32_t>(n)) r.problem = number_problem(stored, n);
  return r;
}

SlotResult read_eingabe(int) {
  SlotResult r;
  r.rc = store::rw_eingabe(store::kRead);
  r.used = r.rc == 1;
  return r;
}

void print(const char* name, int slots, const char* used_word, const char* free_word,
           const FileReport& rep) {
  std::printf("%s: %d slot%s: %d %s, %d %s, %d failing\n", name, slots, slots == 1 ? "" : "s",
              rep.used, used_word, rep.free, free_word, rep.failing);
  for (const std::string& l : rep.lines) std::printf("%s\n", l.c_str());
}

}  // namespace

int run_verify(const Args& args) {
  if (int rc = check_operands("verify", args, args.size()); rc != kExitOk) return rc;
  if (args.size() != 1) return fail(kExitUsage, "verify: give exactly one directory");
  int rc = open_installation(args[0]);
  if (rc != kExitOk) return rc;

  const store::Konfigsatz& k = store::db().konfig;
  std::printf("Programm.cfg: keys and settings load; installation %s, database version %u\n",
              term(k.installation_number()).c_str(), k.db_version());
  if (k.db_version() != store::kCurrentDbVersion) {
    std::printf("verify: the data files are in the layout of database version %u; the program "
                "converts them at its next start\n",
                k.db_version());
    return kExitFailed;
  }

  using store::kPersons;
  int failing = 0;
  struct Walk {
    const char* name;
    int slots;
    int slot_size;
    bool eingabe;
    SlotResult (*read)(int);
    const char* used_word;
    const char* free_word;
  };
  const Walk walks[] = {
      {store::kPersonFile, kPersons, store::Personensatz::kSlot, false, read_person, "in use", "free"},
      {store::kTemplateFile, kPersons, store::Templatesatz::kSlot, false, read_template,
       "with templates", "without"},
      {store::kReaderFile, store::kReaders, store::Lesersatz::kSlot, false, read_reader, "in use",
       "free"},
      {store::kEingabeFile, 1, store::Eingabesatz::kSlot, true, read_eingabe, "read", "free"},
      {store::kUserFile, store::kUsers, store::Usersatz::kSlot, false, read_user, "in use", "free"},
  };
  for (const Walk& w : walks) {
    FileReport rep = walk(w.name, w.slots, w.slot_size, w.eingabe, w.read);
    print(w.name, w.slots, w.used_word, w.free_word, rep);
    failing += rep.failing;
  }
  // The ledger of unfinished removals: read only; a missing one is made by the
  // program at its next start.
  const int ledger = store::load_ledger();
  if (ledger == 0) {
    std::printf("%s: missing; the program creates it at its next start\n", store::kLedgerFile);
  } else if (ledger != 1) {
    std::printf("%s: does not read (%d)\n", store::kLedgerFile, ledger);
    ++failing;
  } else {
    int open = 0, marked = 0;
    for (const store::Widerrufsatz& e : store::db().ledger.entries) open += e.used();
    for (int i = 0; i < store::kLedgerReaders; ++i)
      marked += store::db().ledger.head.reason(i) != store::EraseReason::None;
    std::printf("%s: %d open removal%s, %d reader%s to erase\n", store::kLedgerFile, open,
                open == 1 ? "" : "s", marked, marked == 1 ? "" : "s");
  }
  if (failing > 0) {
    std::printf("verify: %d fault%s found\n", failing, failing == 1 ? "" : "s");
    return kExitFailed;
  }
  std::printf("verify: every record reads\n");
  return kExitOk;
}

}  // namespace enroltool
