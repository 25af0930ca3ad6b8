#include "views/connection.h"

#include "ops/reader_entry.h"
#include "platform/serial.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/ids/connection_rows.h"
#include "views/boxes.h"

namespace views {
namespace {

using namespace res::connection_rows;

constexpr int kComPorts = 32;

int in_range(int index, int count) { return index >= 0 && index < count ? index : 0; }

// The selected entry of a list; nothing selected counts as the first.
int selected(ui::Window d, int id) {
  int i = ui::items_selected(d, id);
  return i > 0 ? i : 0;
}

}  // namespace

void fill_connection(ui::Window d, const Connection& c) {
  ui::check_radio(d, kRs232, kTcpIp, c.tcp ? kTcpIp : kRs232);
  ui::items_clear(d, kComPort);
  for (int i = 1; i <= kComPorts; ++i) ui::items_add(d, kComPort, res::format(res::VW_COM_PORT, i));
  ui::items_select(d, kComPort, in_range(c.com_port, kComPorts));
  ui::items_clear(d, kBaud);
  for (int i = 0; i < platform::kBaudCount; ++i) ui::items_add(d, kBaud, platform::baud_text(i));
  ui::items_select(d, kBaud, in_range(c.baud, platform::kBaudCount));
  ui::limit_text(d, kAddress, kAddressChars);
  ui::set_text(d, kAddress, c.address);
  ui::limit_text(d, kPort, kPortChars);
  ui::set_text(d, kPort, res::sformat("%u", c.port));
  switch_connection(d, c.tcp);
}

void switch_connection(ui::Window d, bool tcp) {
  ui::enable_control(d, kComPort, !tcp);
  ui::enable_control(d, kBaud, !tcp);
  ui::enable_control(d, kAddress, tcp);
  ui::enable_control(d, kPort, tcp);
}

bool read_connection(ui::Window d, Connection* out) {
  Connection c;
  c.tcp = !ui::checked(d, kRs232);
  if (!c.tcp) {
    c.com_port = selected(d, kComPort);
    c.baud = selected(d, kBaud);
    *out = c;
    return true;
  }
  c.address = res::cut(ui::get_text(d, kAddress), kAddressChars);
  std::string refusal;
  if (!ops::check_reader_connection(true, c.address, ui::get_text(d, kPort), &c.port, &refusal)) {
    info(d, refusal);
    return false;
  }
  *out = c;
  return true;
}

}  // namespace views
