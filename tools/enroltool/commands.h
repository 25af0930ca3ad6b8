// enroltool: command-line tool for administrators and service staff. Creates,
// verifies and shows an installation's data files; the service commands of the
// reader link live in cmd_link.cpp when that is built (ENROLTOOL_HAVE_LINK).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace enroltool {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the operation failed, or a check found faults
constexpr int kExitUsage = 2;   // wrong arguments or unacceptable input

// Options that hold for every command.
struct Options {
  bool yes = false;  // answer questions of message boxes with Yes (default No)
  // A command may answer particular questions itself: given the box's text and
  // caption, the answer (ui::kIdYes ...), or 0 to leave it to --yes / --no.
  std::function<int(const std::string& text, const std::string& caption)> answer;
  // Where the line of a box goes ("caption: text [answered ...]"); unset:
  // standard error. A download routes it through its progress display.
  std::function<void(const std::string& line)> box_line;
};
Options& options();

// The arguments of one command, global options removed: args[0] is the first
// argument after the command name.
using Args = std::vector<std::string>;

// "enroltool: <message>" on standard error; returns `code`.
int fail(int code, const std::string& message);
// The first `count` arguments are a command's operands (directories, files): one
// that begins with "-" is a mistyped or misplaced option, refused with its name.
// kExitOk, or the failure printed and kExitUsage returned.
int check_operands(const std::string& command, const Args& args, std::size_t count);
// Windows-1252 bytes as UTF-8 for the terminal.
std::string term(const std::string& cp1252);
// Box texts begin and end with line breaks and carry blank lines; on the
// terminal they become one line.
std::string one_line(const std::string& text);

// How many characters the administrator's password takes, in words ("16 to 18
// characters", or "exactly 16 characters"), from the program's own rule.
std::string admin_password_rule();

// Checks that `dir` is a directory, makes it the working directory, finishes
// or undoes a change of several files that a crash cut off there (recover),
// checks that it holds Programm.cfg and loads the configuration with all key
// checks. kExitOk, or the failure is printed and kExitFailed returned.
int open_installation(const std::string& dir);
// Finishes or undoes a change left in the working directory `dir` and says so
// on standard error. kExitOk, or the failure printed and kExitFailed returned.
int recover(const std::string& dir);
// What a load_konfig result code means, for messages.
std::string konfig_code_text(int code);

int run_init(const Args& args);
int run_verify(const Args& args);
int run_show(const Args& args);

#ifdef ENROLTOOL_HAVE_EXCHANGE
// Master-data exchange: layout, export, import. Returns kNotExchangeCommand when
// `name` is none of them.
constexpr int kNotExchangeCommand = -1;
int run_exchange_command(const std::string& name, const Args& args);
// Usage lines of those commands, each ending with a line break.
const char* exchange_usage();
#endif

#ifdef ENROLTOOL_HAVE_LINK
// Service commands of the reader link (station-info, read-card, reader-check,
// reader-erase). argv[0] .. argv[argc-1] are the command's arguments, global
// options removed. Returns kNotLinkCommand when `name` is none of them.
constexpr int kNotLinkCommand = -1;
int run_link_command(const std::string& name, int argc, char** argv);
// Usage lines of those commands, each ending with a line break.
const char* link_usage();
// Usage lines that tell how CONNECTION is written (after all link commands).
const char* connection_usage();
#endif

#ifdef ENROLTOOL_HAVE_MAINT
// Reader maintenance commands (params, reader-params, reader-mode, reader-reset).
// Returns kNotMaintCommand when `name` is none of them.
constexpr int kNotMaintCommand = -1;
int run_maint_command(const std::string& name, const Args& args);
// Usage lines of those commands, each ending with a line break.
const char* maint_usage();
#endif

#ifdef ENROLTOOL_HAVE_BACKUP
// backup, restore and backup-info. `args` are the command's arguments, global
// options removed. Returns kNotBackupCommand when `name` is none of them.
constexpr int kNotBackupCommand = -1;
int run_backup_command(const std::string& name, const Args& args);
// Usage lines of those commands, each ending with a line break.
const char* backup_usage();
#endif

#ifdef ENROLTOOL_HAVE_READERS
// Reader records, the template download and persons for demonstrations
// (reader add|list, download, person add). Returns kNotReadersCommand when
// `name` is none of them.
constexpr int kNotReadersCommand = -1;
int run_readers_command(const std::string& name, const Args& args);
// Usage lines of those commands, each ending with a line break.
const char* readers_usage();
#endif

}  // namespace enroltool
