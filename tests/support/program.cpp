#include "support/program.h"

#include <filesystem>
#include <memory>

#include "platform/fault.h"
#include "platform/workdir.h"
#include "resources/catalogue.h"
#include "resources/cp1252.h"
#include "resources/ids/d_anmelden.h"
#include "shell/shell.h"
#include "views/host.h"
#include "views/list_window.h"

namespace testsupport {

void ProgramTest::SetUp() {
  old_cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(dir.path());
  res::select_edition(res::Edition::English);
  platform::fault::reset();
  hl::reset();
  shell::reset_program();
  platform::set_working_directory("");
}

void ProgramTest::TearDown() {
  hl::reset();
  shell::reset_program();
  platform::fault::reset();
  res::select_edition(res::Edition::English);
  std::filesystem::current_path(old_cwd);
}

bool ProgramTest::start(const std::string& command_line) {
  return shell::start_program(command_line);
}

bool ProgramTest::start_and_run(const std::string& command_line) {
  if (!start(command_line)) return false;
  hl::advance(shell::kStartDelayMs);
  return hl::main_window() != ui::kNoWindow;
}

void ProgramTest::stop() {
  hl::reset();
  shell::reset_program();
}

void ProgramTest::install() {
  ASSERT_TRUE(start_and_run());
  ASSERT_TRUE(login("Admin", kAdminPassword));
  // The first login offers the enrol-station initialisation.
  ui::Window init = dialog("D_INITIAL");
  ASSERT_NE(ui::kNoWindow, init);
  ASSERT_TRUE(hl::press(init, ui::kIdExitMenu));
  hl::clear_boxes();
}

void ProgramTest::start_logged_in(bool download_user) {
  ASSERT_NO_FATAL_FAILURE(install());
  views::host().user.download = download_user;
  if (download_user) views::host().user.number = 2;
  shell::grey_menu();
  shell::enable_full_menu();
  hl::clear_boxes();
}

bool ProgramTest::login(const std::string& user, const std::string& password) {
  ui::Window d = dialog("D_ANMELDEN");
  if (d == ui::kNoWindow) return false;
  if (!hl::choose_item(d, res::d_anmelden::kUserList, user)) return false;
  if (!hl::type(d, ui::kIdPassword, password)) return false;
  return hl::press(d, ui::kIdAction);
}

std::string ProgramTest::boxes() const {
  std::string out;
  for (const auto& b : hl::boxes())
    out += res::cp1252_to_utf8(b.text) + "|" + res::cp1252_to_utf8(b.caption) + "\n";
  return out;
}

std::vector<std::string> ProgramTest::box_texts() const {
  std::vector<std::string> out;
  for (const auto& b : hl::boxes()) out.push_back(res::cp1252_to_utf8(b.text));
  return out;
}

std::vector<std::vector<std::string>> ProgramTest::rows(ui::Window list) const {
  auto r = hl::rows(list, views::kListControl);
  for (auto& row : r)
    for (auto& t : row) t = res::cp1252_to_utf8(t);
  return r;
}

std::unique_ptr<store::Tables> ProgramTest::on_disk() const {
  auto saved = std::make_unique<store::Tables>(store::db());
  EXPECT_EQ(store::kLoadAllOk, store::load_all());
  auto loaded = std::make_unique<store::Tables>(store::db());
  store::db() = *saved;
  return loaded;
}

}  // namespace testsupport
