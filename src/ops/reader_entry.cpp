#include "ops/reader_entry.h"

#include <cstdint>

#include "link/address_rules.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "store/store.h"

namespace ops {

bool check_reader_connection(bool tcp, const std::string& address, const std::string& port_text,
                             unsigned* port, std::string* refusal) {
  if (!tcp) return true;
  switch (rlink::check_address(res::cut(address, kReaderAddressChars))) {
    case rlink::AddressCheck::Empty:
      *refusal = res::text(res::VW_NO_ADDRESS);
      return false;
    case rlink::AddressCheck::Bad:
      *refusal = res::text(res::VW_BAD_ADDRESS);
      return false;
    case rlink::AddressCheck::Ok:
      break;
  }
  if (!rlink::parse_tcp_port(res::cut(port_text, kReaderPortChars), port)) {
    *refusal = res::text(res::VW_BAD_PORT);
    return false;
  }
  return true;
}

bool enter_reader(const ReaderEntry& entry, std::string* refusal) {
  unsigned port = 0;
  if (!check_reader_connection(entry.tcp, entry.address, entry.port, &port, refusal)) return false;
  store::Lesersatz& e = store::db().edit_reader;
  e.set_verbindung(entry.tcp ? 1 : 0);
  if (entry.tcp) {
    e.set_ip(res::cut(entry.address, kReaderAddressChars));
    e.set_tcp_port(static_cast<std::uint16_t>(port));
  } else {
    e.set_com_port(static_cast<std::uint16_t>(entry.com_port));
    e.set_baud(static_cast<std::uint16_t>(entry.baud));
  }
  const std::string name = res::cut(entry.name, kReaderNameChars);
  if (name.empty()) {
    *refusal = res::text(res::RD_NO_NAME);
    return false;
  }
  e.set_name(name);
  e.set_bus_address(static_cast<std::uint16_t>(entry.bus));
  e.set_preselect(entry.preselect ? 1 : 0);
  switch (store::check_leser_eindeutig()) {
    case 0:
      return true;
    case 1:
      *refusal = res::text(res::RD_NAME_EXISTS);
      return false;
    case 2:
    case 3:
      *refusal = res::text(res::RD_CONNECTION_EXISTS);
      return false;
    default:
      *refusal = res::text(res::RD_UNKNOWN_UNIQUE_RESULT);
      return false;
  }
}

}  // namespace ops
