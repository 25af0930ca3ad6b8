// What a reader record must satisfy before it is stored, for the reader form
// D_LESER and for `enroltool reader add` alike: a connection that can be used
// (for TCP/IP an address or host name and a port 1000 to 65535), a non-empty
// name, and a name and a connection with bus address that no other reader has.
#pragma once

#include <string>

namespace ops {

// A reader as the operator enters it.
struct ReaderEntry {
  bool tcp = false;
  int com_port = 0;  // index: 0 is COM 01
  int baud = 0;      // baud index: 0 is 115200
  std::string address;  // IP address or host name, at most 15 characters taken
  std::string port;     // the TCP port as typed
  std::string name;     // at most 25 characters taken
  int bus = 0;          // bus address index: 0 is bus address 01
  bool preselect = false;
};

constexpr int kReaderAddressChars = 15;
constexpr int kReaderPortChars = 5;
constexpr int kReaderNameChars = 25;

// Checks the connection part. True when acceptable (`port` takes the TCP port);
// otherwise `refusal` takes the message the operator is shown.
bool check_reader_connection(bool tcp, const std::string& address, const std::string& port_text,
                             unsigned* port, std::string* refusal);

// Checks an entry and writes it into the store's edit record, whose record
// number (and nothing else the entry does not name) is kept, then runs the
// uniqueness check against the reader table. True when the entry may be stored;
// otherwise `refusal` takes the message (caption "Info") and the edit record
// may hold part of the entry.
bool enter_reader(const ReaderEntry& entry, std::string* refusal);

}  // namespace ops
