// backup, restore and backup-info: the program's own backup and restore of the
// whole database, with the backup transponder read at an enrol station.
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "link_args.h"
#include "link/link.h"
#include "ops/backup.h"
#include "platform/tcp.h"
#include "platform/message_box.h"
#include "resources/catalogue.h"
#include "store/store.h"

namespace enroltool {
namespace {

struct BackupArgs {
  std::string dir, file;
  std::string transponder;    // --transponder NUMBER
  bool keep_password = false;  // --keep-password
  bool connection = false;     // a CONNECTION was given
  LinkArgs link;
};

// A typed transponder number in the form the station reads it: 20 hex digits,
// upper case, zeros in front. A restore compares the number read at the
// station with the stored one character for character, so "4a1b2" must be
// stored as "0000000000000004A1B2". Empty when it is no such number.
std::string station_form(const std::string& typed) {
  const std::size_t digits = static_cast<std::size_t>(ops::kTransponderChars);
  if (typed.empty() || typed.size() > digits) return "";
  std::string number(digits - typed.size(), '0');
  for (char c : typed) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return "";
    number += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return number;
}

// Parses DIR FILE (or FILE alone for backup-info) and the options the command
// takes. An empty return is success, else the complaint.
std::string parse(const std::string& name, const Args& args, BackupArgs* a) {
  std::vector<std::string> words;
  std::vector<std::string> conn;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& w = args[i];
    if (w.rfind("--", 0) != 0) {
      words.push_back(w);
      continue;
    }
    bool has_value = i + 1 < args.size();
    if (w == "--keep-password" && name == "restore") {
      a->keep_password = true;
    } else if (w == "--transponder" && name == "backup") {
      if (!has_value) return "--transponder needs a number";
      a->transponder = station_form(args[++i]);
      if (a->transponder.empty())
        return "--transponder needs the transponder's number: 1 to 20 hex digits";
    } else if ((w == "--tcp" || w == "--serial" || w == "--baud") && name != "backup-info") {
      if (!has_value) return "option " + w + " needs a value";
      conn.push_back(w);
      conn.push_back(args[++i]);
      a->connection = a->connection || w != "--baud";
    } else {
      return "unknown option " + w;
    }
  }
  std::size_t want = name == "backup-info" ? 1 : 2;
  if (words.size() != want) return name == "backup-info" ? "needs FILE" : "needs DIR and FILE";
  if (want == 2) a->dir = words[0];
  a->file = words.back();
  std::vector<char*> argv;
  for (std::string& c : conn) argv.push_back(&c[0]);
  std::string complaint = parse_link_args(static_cast<int>(argv.size()), argv.data(), 0, &a->link);
  if (!complaint.empty()) return complaint;
  if (name == "backup" && a->connection == !a->transponder.empty())
    return "give either --transponder NUMBER or a CONNECTION";
  if (name == "restore" && !a->connection) return "needs a CONNECTION (--tcp HOST:PORT or --serial DEVICE)";
  return "";
}

// Reads the backup transponder at the station of the CONNECTION, leaving the
// installation's own station settings as they were.
int read_at_station(const LinkArgs& link, std::string* number) {
  store::Tables& t = store::db();
  const store::Konfigsatz keep = t.konfig;
  rlink::reset_link();
  point_station(link);
  int r = 0;
  if (platform::tcp_startup() == 0) {
    r = ops::read_backup_transponder(number);
    platform::tcp_cleanup();
  } else {
    std::fprintf(stderr, "enroltool: the socket library did not start\n");
  }
  t.konfig = keep;
  return r;
}

// Answers for the operator beyond --yes and --no: a repeat question of the
// transponder read is answered No, so that a missing card ends the command
// instead of reading for ever; with `keep_password` the password question of
// a restore is answered No too.
void answer_for_operator(bool keep_password) {
  const std::string password_question = res::text(res::RS_ASK_PASSWORD);
  options().answer = [=](const std::string& text, const std::string& caption) {
    if (ops::repeat_question(text, caption)) return static_cast<int>(ui::kIdNo);
    if (keep_password && text == password_question) return static_cast<int>(ui::kIdNo);
    return 0;
  };
}

// Status lines and progress in tenths on standard error.
ops::Hooks printing_hooks() {
  ops::Hooks h;
  h.status = [](const std::string& text) { std::fprintf(stderr, "%s\n", term(text).c_str()); };
  auto last = std::make_shared<int>(-1);
  h.progress = [last](int done, int total) {
    int tenth = total > 0 ? done * 10 / total : 10;
    if (tenth == *last) return;
    *last = tenth;
    std::fprintf(stderr, "progress %d%%\n", tenth * 10);
  };
  return h;
}

// Loads the installation with all its tables. kExitOk or a failure.
int load(const std::string& dir) {
  int rc = open_installation(dir);
  if (rc != kExitOk) return rc;
  int all = store::load_all();
  if (all != 1) return fail(kExitFailed, "the data files do not read (load_all " + std::to_string(all) + ")");
  return kExitOk;
}

// Shows the result box and turns the result into the exit code.
int finish(int mode, int result, const char* cancelled) {
  ops::show_result(mode, result);
  if (result == 1) return kExitOk;
  if (result == 0) return fail(kExitFailed, cancelled);
  return kExitFailed;
}

int backup(const BackupArgs& a) {
  int rc = load(a.dir);
  if (rc != kExitOk) return rc;
  std::string number = a.transponder;
  answer_for_operator(false);
  if (a.connection && read_at_station(a.link, &number) != 1)
    return fail(kExitFailed, "no backup transponder was read");
  if (!ops::take_start(ops::kBackup, a.file, number)) return kExitUsage;
  int r = ops::backup_restore(ops::kBackup, a.file, printing_hooks());
  return finish(ops::kBackup, r, "backup not made (the file exists: --yes overwrites it)");
}

int restore(const BackupArgs& a) {
  int rc = load(a.dir);
  if (rc != kExitOk) return rc;
  if (!ops::take_start(ops::kRestore, a.file, "")) return kExitUsage;
  // --yes answers the restore question.
  answer_for_operator(a.keep_password);
  ops::Hooks h = printing_hooks();
  const LinkArgs link = a.link;
  h.read_transponder = [link](std::string* number) { return read_at_station(link, number); };
  int r = ops::backup_restore(ops::kRestore, a.file, h);
  return finish(ops::kRestore, r, "restore not made (declined, no card or a wrong card; --yes answers the question)");
}

// What a check_backup_file code says about the file.
std::string info_code_text(int code) {
  static const struct {
    int base;
    const char* what;
  } kGroups[] = {{-10, "configuration record"}, {-20, "key header"},   {-30, "user records"},
                 {-40, "input-mask record"},    {-50, "reader records"}, {-63, "template records"},
                 {-70, "person records"}};
  for (const auto& g : kGroups) {
    if (code == g.base) return std::string(g.what) + ": cut off (the file is too short)";
    if (code == g.base - 1) return std::string(g.what) + ": do not unseal (not a backup file, or damaged)";
    if (code == g.base - 2) return std::string(g.what) + ": wrong length";
  }
  switch (code) {
    case -1: return "cannot be opened";
    case -3: return "positioning failed";
    case -23: return "the key header gives no valid record key";
    case -60: return "not enough memory";
    default: return "failed";
  }
}

int backup_info(const BackupArgs& a) {
  std::string stamp;
  int r = ops::check_backup_file(a.file, &stamp);
  if (!stamp.empty()) std::printf("backup of %s\n", term(ops::stamp_display(stamp)).c_str());
  if (r != 1) return fail(kExitFailed, a.file + ": " + info_code_text(r) + " (code " + std::to_string(r) + ")");
  std::printf("all %d records unseal with their lengths\n", ops::kBackupRecords);
  return kExitOk;
}

}  // namespace

const char* backup_usage() {
  return "  backup DIR FILE (--transponder NUMBER | CONNECTION)\n"
         "      Back up the whole database of DIR into FILE, tied to the backup\n"
         "      transponder given (its number in hex, zeros in front may be left\n"
         "      out) or read at the station. An existing FILE is\n"
         "      replaced only with --yes, and only once the new backup reads back.\n"
         "      A card that is not read is not asked for again (backup and restore).\n"
         "  restore DIR FILE CONNECTION [--keep-password]\n"
         "      Restore DIR from FILE after reading its backup transponder at the\n"
         "      station; --yes answers the restore question. The backup's password\n"
         "      and record key are taken unless --keep-password. On any failure DIR\n"
         "      stays as it was.\n"
         "  backup-info FILE\n"
         "      Print the backup's date and time and check that every record unseals\n"
         "      with its length (exit code 0 only then).\n"
         "      backup and restore exit with 1 when they fail or are declined; the\n"
         "      result box printed names the failure code.\n";
}

int run_backup_command(const std::string& name, const Args& args) {
  int (*run)(const BackupArgs&) = nullptr;
  if (name == "backup") run = backup;
  if (name == "restore") run = restore;
  if (name == "backup-info") run = backup_info;
  if (!run) return kNotBackupCommand;
  BackupArgs a;
  std::string complaint = parse(name, args, &a);
  if (!complaint.empty()) return fail(kExitUsage, name + ": " + complaint);
  return run(a);
}

}  // namespace enroltool
