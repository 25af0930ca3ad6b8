// The connection rows that the reader form D_LESER and the enrol-station form
// D_INITIAL share (same control ids): RS232 with COM port and baud rate, or
// TCP/IP with address or host name and port.
#pragma once

#include <string>

#include "platform/ui.h"

namespace views {

// What the rows show and what they give back.
struct Connection {
  bool tcp = false;
  int com_port = 0;  // index: 0 is "COM 01"
  int baud = 0;      // baud index
  std::string address;
  unsigned port = 0;
};

// Longest IP address or host name, and longest port text.
constexpr int kAddressChars = 15;
constexpr int kPortChars = 5;

// Fills the rows: the radio button of the connection type, COM 01 to COM 32,
// the baud rates, the address (limited to 15 characters) and the port (5), and
// enables the controls of that type. An index outside its list selects the
// first entry.
void fill_connection(ui::Window d, const Connection& c);
// Enables the COM port and baud lists for RS232, the address and port fields
// for TCP/IP.
void switch_connection(ui::Window d, bool tcp);
// Reads the rows. For TCP/IP the address and the port are checked; a refused
// entry shows its message (caption "Info", owned by the dialog) and gives false.
bool read_connection(ui::Window d, Connection* out);

}  // namespace views
