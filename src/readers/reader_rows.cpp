#include "readers/reader_rows.h"

#include "platform/serial.h"
#include "resources/catalogue.h"
#include "store/store.h"
#include "views/list_window.h"

namespace readers {
namespace {

using views::leading_number;

// The key fields a row's texts give back.
struct RowKey {
  std::string name;
  int connection = 0;  // 0 COM port, 1 TCP/IP
  int com_port = 0;
  int baud = 0;
  std::string ip;
  long tcp_port = 0;
  int bus_address = 0;
  bool preselected = false;
};

RowKey key_of(const std::vector<std::string>& row) {
  RowKey k;
  auto column = [&row](std::size_t i) { return i < row.size() ? row[i] : std::string(); };
  k.name = column(0);
  k.connection = column(1) == res::text(res::RD_ROW_COMPORT) ? 0 : 1;
  if (k.connection == 1) {
    k.ip = column(2);
    k.tcp_port = leading_number(column(3));
  } else {
    // "COM 03": the digits after "COM " give the port index plus one.
    k.com_port = static_cast<int>(leading_number(column(2), 4)) - 1;
    for (int i = 0; i < platform::kBaudCount; ++i)
      if (column(3) == platform::baud_text(i)) k.baud = i;
  }
  long bus = leading_number(column(4)) - 1;
  k.bus_address = bus > 0 ? static_cast<int>(bus) : 0;
  k.preselected = column(5) != res::text(res::RD_ROW_NO);
  return k;
}

bool matches(const store::Lesersatz& r, const RowKey& k) {
  int connection = r.verbindung() != 0 ? 1 : 0;
  if (r.name() != k.name || connection != k.connection || r.bus_address() != k.bus_address ||
      (r.preselect() != 0) != k.preselected)
    return false;
  if (connection == 1) return r.ip() == k.ip && r.tcp_port() == k.tcp_port;
  return r.com_port() == k.com_port && r.baud() == k.baud;
}

}  // namespace

std::vector<std::string> reader_row(const store::Lesersatz& r) {
  std::vector<std::string> row;
  row.push_back(r.name());
  if (r.verbindung() != 0) {
    row.push_back(res::text(res::RD_ROW_TCPIP));
    row.push_back(r.ip());
    row.push_back(res::sformat("%u", static_cast<unsigned>(r.tcp_port())));
  } else {
    row.push_back(res::text(res::RD_ROW_COMPORT));
    row.push_back(res::format(res::VW_COM_PORT, r.com_port() + 1));
    row.push_back(platform::baud_text(r.baud()));
  }
  row.push_back(res::sformat("%02d", r.bus_address() + 1));
  row.push_back(res::text(r.preselect() != 0 ? res::RD_ROW_YES : res::RD_ROW_NO));
  return row;
}

int find_reader(const std::vector<std::string>& row) {
  RowKey key = key_of(row);
  const auto& table = store::db().readers;
  for (int i = 0; i < store::kReaders; ++i)
    if (table[i].used() && matches(table[i], key)) return i;
  return -1;
}

}  // namespace readers
