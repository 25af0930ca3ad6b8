// The fixture base of every view test: the program in a fresh temporary working
// directory on the ui backend, every folder's state reset before and after, and
// the operator's first steps (start, first administrator login, full menu). View
// tests derive from it and add the helpers of their windows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/driver.h"
#include "store/store.h"
#include "support/support.h"

namespace testsupport {

namespace hl = ui::headless;

// The administrator's password of every test installation (16 characters).
constexpr const char* kAdminPassword = "Sesam-oeffne-di!";

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the program as the entry does (up to the message loop); true when it
  // is running.
  bool start(const std::string& command_line = "");
  // Starts and lets the start timer fire: the start sequence runs and ends with
  // the login dialog (or the program ends).
  bool start_and_run(const std::string& command_line = "");
  // Forgets the running program (windows, tables, keys), keeping the files: the
  // next start is a new run in the same working directory.
  void stop();
  // The first start of a new installation: the administrator's first login
  // creates it. The initialisation dialog that opens by itself is left with
  // "Exit Menu". Boxes are cleared afterwards.
  void install();
  // install(), then the full menu of the administrator, or of the user
  // "Download" when `download_user`, as a passed station check gives it.
  void start_logged_in(bool download_user = false);
  // Login dialog: chooses `user` and types the password, then presses Login.
  bool login(const std::string& user, const std::string& password);

  ui::Window main() const { return hl::main_window(); }
  ui::Window dialog(const char* name) const { return hl::find_dialog(name); }
  ui::Window list(const char* class_name) const { return hl::find_list(class_name); }

  // Boxes shown since the last clear: "text|caption" one per line, and the
  // texts alone, in UTF-8. Answers for the questions to come: hl::script_answer.
  std::string boxes() const;
  std::vector<std::string> box_texts() const;
  // The rows of a list window's report list, in UTF-8.
  std::vector<std::vector<std::string>> rows(ui::Window list) const;

  // The tables as the files hold them: a fresh load through the store into a
  // copy; the tables in memory are left as they were.
  std::unique_ptr<store::Tables> on_disk() const;

  std::string path(const char* name) const { return dir.file(name); }

  TempDir dir;
  std::string old_cwd;
};

}  // namespace testsupport
