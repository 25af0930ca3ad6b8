#include "fixture.h"

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

namespace {
constexpr const char* kAdminPassword = "Sesam-oeffne-di!";
}

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
  hl::reset();
  shell::reset_program();
  platform::fault::reset();
  res::select_edition(res::Edition::English);
  std::filesystem::current_path(old_cwd);
}

void Program::start(bool download_user) {
  ASSERT_TRUE(shell::start_program(""));
  hl::advance(shell::kStartDelayMs);
  ui::Window login = hl::find_dialog("D_ANMELDEN");
  ASSERT_NE(ui::kNoWindow, login);
  ASSERT_TRUE(hl::choose_item(login, 200, "Admin"));
  ASSERT_TRUE(hl::type(login, 700, kAdminPassword));
  ASSERT_TRUE(hl::press(login, 900));
  // The first login offers the enrol-station initialisation; the reader views
  // do not need a station.
  ui::Window init = hl::find_dialog("D_INITIAL");
  ASSERT_NE(ui::kNoWindow, init);
  ASSERT_TRUE(hl::press(init, 950));
  views::host().user.download = download_user;
  if (download_user) views::host().user.number = 2;
  shell::grey_menu();
  shell::enable_full_menu();
  hl::clear_boxes();
}

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
    ASSERT_TRUE(hl::type(f, 112, e.address));
    ASSERT_TRUE(hl::type(f, 114, e.port));
  } else {
    ASSERT_TRUE(hl::choose_item(f, 102, e.com));
    ASSERT_TRUE(hl::choose_item(f, 104, e.baud));
  }
  ASSERT_TRUE(hl::type(f, 122, testsupport::cp(e.name)));
  ASSERT_TRUE(hl::choose_item(f, 132, e.bus));
  if (ui::checked(f, 142) != e.active) {
    ASSERT_TRUE(hl::press(f, 142));
  }
}

bool Program::create_reader(const Entry& e) {
  if (!hl::choose_menu(2200)) return false;
  ui::Window f = form();
  if (f == ui::kNoWindow) return false;
  enter(f, e);
  hl::clear_boxes();
  if (!hl::press(f, 930)) return false;
  return box_texts() ==
         std::vector<std::string>{"A new reader set was captured successfully!\n"};
}

ui::Window Program::list() const { return hl::find_list(ui::kListReaders); }

std::vector<std::vector<std::string>> Program::rows() const {
  auto r = hl::rows(list(), views::kListControl);
  for (auto& row : r)
    for (auto& t : row) t = res::cp1252_to_utf8(t);
  return r;
}

std::vector<store::Lesersatz> Program::on_disk() const {
  auto saved = std::make_unique<store::Tables>(store::db());
  EXPECT_EQ(1, store::load_all());
  std::vector<store::Lesersatz> out(store::db().readers.begin(), store::db().readers.end());
  store::db() = *saved;
  return out;
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

std::string Program::boxes() const {
  std::string out;
  for (const auto& b : hl::boxes())
    out += res::cp1252_to_utf8(b.text) + "|" + res::cp1252_to_utf8(b.caption) + "\n";
  return out;
}

std::vector<std::string> Program::box_texts() const {
  std::vector<std::string> out;
  for (const auto& b : hl::boxes()) out.push_back(res::cp1252_to_utf8(b.text));
  return out;
}

}  // namespace readertest
