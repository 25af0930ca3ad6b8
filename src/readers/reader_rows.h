// The reader list's rows: the texts of a row built from a Lesersatz, and the
// reader table slot found again from a row's texts.
#pragma once

#include <string>
#include <vector>

#include "store/records.h"

namespace readers {

// The six column texts: name; "TCPIP" or "COMPORT"; IP address or name, or
// "COM %02d"; TCP port "%u" or the baud text ("0" for an unknown index); bus
// address "%02d"; "Ja" or "Nein".
std::vector<std::string> reader_row(const store::Lesersatz& r);

// The reader table index (0 to 31) of the first reader in use whose name,
// connection type, bus address and pre-selection and, by connection type, COM
// port and baud index or IP address and TCP port equal what the row's texts
// say; -1 when there is none.
int find_reader(const std::vector<std::string>& row);

}  // namespace readers
