#include "fixture.h"

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

void Program::SetUp() {
  old_cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(dir.path());
  res::select_edition(res::Edition::English);
  platform::fault::reset();
  hl::reset();
  shell::reset_program();
  platform::set_working_directory("");
}

void Program::TearDown() {
  if (sim) sim->stop();
  hl::reset();
  shell::reset_program();
  platform::fault::reset();
  res::select_edition(res::Edition::English);
  std::filesystem::current_path(old_cwd);
}

bool Program::start(const std::string& command_line) { return shell::start_program(command_line); }

bool Program::start_and_run(const std::string& command_line) {
  if (!start(command_line)) return false;
  hl::advance(shell::kStartDelayMs);
  return hl::main_window() != ui::kNoWindow;
}

void Program::stop() {
  hl::reset();
  shell::reset_program();
}

void Program::install() {
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  ui::Window init = dialog("D_INITIAL");
  ASSERT_NE(ui::kNoWindow, init);
  ASSERT_TRUE(hl::press(init, 950));
  hl::clear_boxes();
}

void Program::install_with_users(const std::vector<std::pair<std::string, std::string>>& users) {
  install();
  // The user management needs the full administrator menu; open it directly.
  ui::send_command(main(), shell::kCmdUsers, 0);
  ui::Window d = dialog("D_USER");
  ASSERT_NE(ui::kNoWindow, d);
  for (const auto& u : users) {
    ASSERT_TRUE(hl::type(d, 200, u.first));
    ASSERT_TRUE(hl::type(d, 700, u.second));
    ASSERT_TRUE(hl::press(d, 900));
  }
  ASSERT_TRUE(hl::press(d, 950));
  hl::clear_boxes();
  stop();
}

bool Program::login(const std::string& user, const std::string& password) {
  ui::Window d = dialog("D_ANMELDEN");
  if (d == ui::kNoWindow) return false;
  if (!hl::choose_item(d, 200, user)) return false;
  if (!hl::type(d, 700, password)) return false;
  return hl::press(d, 900);
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

std::string Program::boxes() const {
  std::string all;
  for (const auto& b : hl::boxes()) all += b.text + "|" + b.caption + "\n";
  return all;
}

std::vector<std::string> Program::box_texts() const {
  std::vector<std::string> texts;
  for (const auto& b : hl::boxes()) texts.push_back(b.text);
  return texts;
}

std::vector<int> Program::enabled_commands() const {
  std::vector<int> on;
  for (int c : kAllCommands)
    if (ui::menu_enabled(main(), c)) on.push_back(c);
  return on;
}

}  // namespace uitest
