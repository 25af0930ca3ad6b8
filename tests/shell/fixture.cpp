#include "fixture.h"
#include "resources/ids/d_anmelden.h"

#include <algorithm>
#include <filesystem>

#include "link/link.h"
#include "platform/fault.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "diag/log.h"
#include "shell/shell.h"
#include "store/store.h"

namespace uitest {

const sim::Bytes kSerial = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01, 0x02};
const char* const kSerialText = "123456789ABCDEF00102";
const sim::Bytes kOtherSerial = {0x99, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x00};
const char* const kOtherSerialText = "99887766554433221100";
const sim::Bytes kOwnerCard = {0x04, 0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x07, 0x18, 0x29};
const char* const kOwnerCardText = "04A1B2C3D4E5F6071829";
const sim::Bytes kOtherCard = {0x04, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99};
const char* const kOtherCardText = "04112233445566778899";

// The menu commands of the command table, in ascending order.
const std::vector<int> kAllCommands = [] {
  std::size_t n = 0;
  const shell::CommandEntry* table = shell::commands(&n);
  std::vector<int> ids;
  for (std::size_t i = 0; i < n; ++i)
    if (table[i].access != shell::Access::Internal) ids.push_back(table[i].id);
  std::sort(ids.begin(), ids.end());
  return ids;
}();

void Program::TearDown() {
  if (sim) sim->stop();
  ProgramTest::TearDown();
}

void Program::install_with_users(const std::vector<std::pair<std::string, std::string>>& users) {
  install();
  // The user management needs the full administrator menu; open it directly.
  ui::send_command(main(), shell::kCmdUsers, 0);
  ui::Window d = dialog("D_USER");
  ASSERT_NE(ui::kNoWindow, d);
  for (const auto& u : users) {
    ASSERT_TRUE(hl::type(d, res::d_anmelden::kUserList, u.first));
    ASSERT_TRUE(hl::type(d, ui::kIdPassword, u.second));
    ASSERT_TRUE(hl::press(d, ui::kIdAction));
  }
  ASSERT_TRUE(hl::press(d, ui::kIdExitMenu));
  hl::clear_boxes();
  stop();
}

sim::Simulator& Program::station(const sim::Bytes& serial, const sim::Bytes& card) {
  sim::Options o;
  o.bus = sim::Bus::Station;
  sim = std::make_unique<sim::Simulator>(o);
  station_port = sim->listen_tcp();
  EXPECT_GT(station_port, 0);
  sim->set_serial(serial);
  if (!card.empty()) sim->set_auto_card(card);
  EXPECT_TRUE(sim->start());
  store::Konfigsatz& k = store::db().konfig;
  k.set_station_connection(1);
  k.set_ip("127.0.0.1");
  k.set_tcp_port(static_cast<std::uint16_t>(station_port));
  return *sim;
}

void Program::register_station(const std::string& identity, const std::string& owner) {
  store::Konfigsatz& k = store::db().konfig;
  k.set_station_registered(1);
  k.set_station_identity(identity);
  k.set_station_transponder(owner);
  ASSERT_EQ(1, store::rw_konfig(store::kWrite));
}

std::vector<int> Program::enabled_commands() const {
  std::vector<int> on;
  for (int c : kAllCommands)
    if (ui::menu_enabled(main(), c)) on.push_back(c);
  return on;
}

}  // namespace uitest
