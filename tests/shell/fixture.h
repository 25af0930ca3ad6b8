// The program in a temporary working directory on the headless ui backend, with
// helpers that act as the operator does and an in-process simulated enrol
// station on loopback TCP.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/driver.h"
#include "sim.h"
#include "support/support.h"

namespace uitest {

namespace hl = ui::headless;

constexpr const char* kAdminPassword = "Sesam-oeffne-di!";  // 16 characters
// The station's serial number as the simulator reports it, and its text.
extern const sim::Bytes kSerial;
extern const char* const kSerialText;
extern const sim::Bytes kOtherSerial;
extern const char* const kOtherSerialText;
extern const sim::Bytes kOwnerCard;
extern const char* const kOwnerCardText;
extern const sim::Bytes kOtherCard;
extern const char* const kOtherCardText;

class Program : public ::testing::Test {
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
  // install(), then users made in the user management, then a new run.
  void install_with_users(const std::vector<std::pair<std::string, std::string>>& users);

  // Login dialog: chooses `user` and types the password, then presses Login.
  bool login(const std::string& user, const std::string& password);

  // Starts the simulated station and points the Konfigsatz in use at it (not
  // written); serial number `serial`, and a card presented whenever one is
  // waited for, when `card` is not empty.
  sim::Simulator& station(const sim::Bytes& serial, const sim::Bytes& card);
  // Writes a registered station (identity and owner transponder) pointing at
  // the running simulator into Programm.cfg.
  void register_station(const std::string& identity, const std::string& owner);

  ui::Window main() const { return hl::main_window(); }
  ui::Window dialog(const char* name) const { return hl::find_dialog(name); }
  // "text|caption" of every box shown since the last clear, one per line.
  std::string boxes() const;
  // Texts of the boxes in order.
  std::vector<std::string> box_texts() const;
  // Menu commands enabled now, in ascending order.
  std::vector<int> enabled_commands() const;

  std::string path(const char* name) const { return dir.file(name); }

  testsupport::TempDir dir;
  std::string old_cwd;
  int station_port = 0;
  std::unique_ptr<sim::Simulator> sim;
};

// Every command of the menu.
extern const std::vector<int> kAllCommands;

}  // namespace uitest
