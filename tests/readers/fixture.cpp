#include "fixture.h"
#include "resources/ids/d_leser.h"

#include <filesystem>
#include <memory>

#include "link/link.h"
#include "platform/fault.h"
#include "platform/workdir.h"
#include "readers/readers.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "diag/log.h"
#include "shell/shell.h"
#include "store/store.h"
#include "views/host.h"
#include "views/list_window.h"

namespace readertest {

int Program::store_reader(const Entry& e, std::uint16_t wait_value) {
  store::Lesersatz& r = store::db().edit_reader;
  r = store::Lesersatz{};
  r.set_verbindung(e.tcp ? 1 : 0);
  r.set_com_port(static_cast<std::uint16_t>(e.com));
  r.set_baud(static_cast<std::uint16_t>(e.baud));
  r.set_wait_value(wait_value);
  r.set_ip(e.address);
  r.set_tcp_port(static_cast<std::uint16_t>(std::stoul(e.port.empty() ? "0" : e.port)));
  r.set_name(testsupport::cp(e.name));
  r.set_bus_address(static_cast<std::uint16_t>(e.bus));
  r.set_preselect(e.active ? 1 : 0);
  int n = store::rw_leser(store::kWrite);
  EXPECT_GT(n, 0);
  return n;
}

void Program::enter(ui::Window f, const Entry& e) {
  ASSERT_TRUE(hl::press(f, e.tcp ? 111 : 101));
  if (e.tcp) {
    ASSERT_TRUE(hl::type(f, res::d_leser::kAddress, e.address));
    ASSERT_TRUE(hl::type(f, res::d_leser::kPort, e.port));
  } else {
    ASSERT_TRUE(hl::choose_item(f, res::d_leser::kComPort, e.com));
    ASSERT_TRUE(hl::choose_item(f, res::d_leser::kBaud, e.baud));
  }
  ASSERT_TRUE(hl::type(f, res::d_leser::kName, testsupport::cp(e.name)));
  ASSERT_TRUE(hl::choose_item(f, res::d_leser::kBus, e.bus));
  if (ui::checked(f, res::d_leser::kPreselected) != e.active) {
    ASSERT_TRUE(hl::press(f, res::d_leser::kPreselected));
  }
}

bool Program::create_reader(const Entry& e) {
  if (!hl::choose_menu(2200)) return false;
  ui::Window f = form();
  if (f == ui::kNoWindow) return false;
  enter(f, e);
  hl::clear_boxes();
  if (!hl::press(f, ui::kIdSecond)) return false;
  return box_texts() ==
         std::vector<std::string>{"A new reader set was captured successfully!\n"};
}

ui::Window Program::list() const { return hl::find_list(ui::kListReaders); }

std::vector<std::vector<std::string>> Program::rows() const { return ProgramTest::rows(list()); }

std::vector<store::Lesersatz> Program::on_disk() const {
  auto disk = ProgramTest::on_disk();
  return std::vector<store::Lesersatz>(disk->readers.begin(), disk->readers.end());
}

std::vector<std::string> Program::names_on_disk() const {
  std::vector<std::string> names;
  for (const auto& r : on_disk())
    if (r.used()) names.push_back(res::cp1252_to_utf8(r.name()));
  return names;
}

testsupport::Bytes Program::leser_file() const {
  return testsupport::read_file(dir.file("Leser.dat"));
}

}  // namespace readertest
