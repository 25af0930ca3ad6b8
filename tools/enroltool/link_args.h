// The connection arguments of the reader-link commands and the steps every such
// command shares: parse the options, point the station and the current reader at
// the connection, and turn the operation's result into the exit code.
#pragma once

#include <string>

namespace enroltool {

struct LinkArgs {
  std::string dir;
  std::string host;
  int port = -1;
  std::string device;
  int baud = 0;
  int address = 0;  // bus address 1..15 (reader commands)
  int time_ms = 10000;
  std::string file;  // --file (commands that take one)
  int mode = -1;     // --mode 0..5 (commands that take one)
};

// Options beyond the connection (--tcp, --serial, --baud, --dir) that a command
// accepts; any other is refused, never ignored.
enum LinkOption : unsigned { kFileOption = 1, kModeOption = 2, kAddressOption = 4, kTimeOption = 8 };

// Parses the options; an empty return is success, else the complaint.
std::string parse_link_args(int argc, char** argv, unsigned extras, LinkArgs* a);
// Points the enrol station of the Konfigsatz in use at the connection given
// (a --serial device is mapped to a port index of its own).
void point_station(const LinkArgs& a);
// Loads the installation (or defaults) and points the station and the current
// reader at the connection given. kExitOk or a failure code.
int prepare_link(const LinkArgs& a, bool reader);
// 0 for success, else the operation's result modulo 256 (1 when that is 0).
int finish_link(const char* op, int result, bool ok);

}  // namespace enroltool
