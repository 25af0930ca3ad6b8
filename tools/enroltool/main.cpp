// enroltool entry: global options, usage text and command dispatch.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "resources/catalogue.h"

namespace enroltool {
namespace {

const char kUsage[] =
    "Usage: enroltool [--yes|--no] COMMAND ARGUMENTS\n"
    "\n"
    "Commands:\n"
    "  init DIR --admin-password PASSWORD [--force]\n"
    "      Create a new installation in DIR (created when missing), as the first\n"
    "      administrator login does: Programm.cfg and all empty data files.\n"
    "      The administrator password must have %s (the\n"
    "      program's login takes no other). An existing installation is\n"
    "      replaced only with --force; on any failure it stays as it was.\n"
    "  verify DIR\n"
    "      Load the configuration with all key checks and read every slot of every\n"
    "      data file. Prints per file the slots in use, free and failing (record\n"
    "      number and result code). Exit code 0 only when everything reads.\n"
    "  show DIR config|persons|readers|input|users\n"
    "      Print the records as text. Passwords, PINs and keys are never shown.\n"
    "%s"
    "%s"
    "%s"
    "%s"
    "%s"
    "%s"
    "\n"
    "Options:\n"
    "  --yes, --no   answer of questions the operations ask (default: no)\n"
    "  --help, -h    this text\n"
    "\n"
    "Exit codes: 0 done, 1 failed or faults found, 2 wrong arguments.\n";

void print_usage(FILE* to) {
  const char* exchange = "";
  const char* link = "";
  const char* maint = "";
  const char* backup = "";
  const char* connection = "";
  const char* readers = "";
#ifdef ENROLTOOL_HAVE_EXCHANGE
  exchange = exchange_usage();
#endif
#ifdef ENROLTOOL_HAVE_LINK
  link = link_usage();
  connection = connection_usage();
#endif
#ifdef ENROLTOOL_HAVE_MAINT
  maint = maint_usage();
#endif
#ifdef ENROLTOOL_HAVE_BACKUP
  backup = backup_usage();
#endif
#ifdef ENROLTOOL_HAVE_READERS
  readers = readers_usage();
#endif
  std::fprintf(to, kUsage, admin_password_rule().c_str(), exchange, link, maint, backup, readers,
               connection);
}

}  // namespace
}  // namespace enroltool

int main(int argc, char** argv) {
  using namespace enroltool;
  res::select_edition(res::Edition::English);

  // Global options may stand anywhere; what remains is the command and its
  // arguments.
  std::vector<char*> rest;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      print_usage(stdout);
      return kExitOk;
    }
    if (std::strcmp(a, "--yes") == 0) {
      options().yes = true;
    } else if (std::strcmp(a, "--no") == 0) {
      options().yes = false;
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (rest.empty()) {
    print_usage(stderr);
    return kExitUsage;
  }

  const std::string name = rest[0];
  Args args(rest.begin() + 1, rest.end());
  if (name == "init") return run_init(args);
  if (name == "verify") return run_verify(args);
  if (name == "show") return run_show(args);
#ifdef ENROLTOOL_HAVE_EXCHANGE
  int exchanged = run_exchange_command(name, args);
  if (exchanged != kNotExchangeCommand) return exchanged;
#endif
#ifdef ENROLTOOL_HAVE_BACKUP
  int brc = run_backup_command(name, args);
  if (brc != kNotBackupCommand) return brc;
#endif
#ifdef ENROLTOOL_HAVE_LINK
  int rc = run_link_command(name, static_cast<int>(rest.size() - 1), rest.data() + 1);
  if (rc != kNotLinkCommand) return rc;
#endif
#ifdef ENROLTOOL_HAVE_MAINT
  int maint = run_maint_command(name, args);
  if (maint != kNotMaintCommand) return maint;
#endif
#ifdef ENROLTOOL_HAVE_READERS
  int readers = run_readers_command(name, args);
  if (readers != kNotReadersCommand) return readers;
#endif
  return fail(kExitUsage, "unknown command '" + name + "' (see enroltool --help)");
}
