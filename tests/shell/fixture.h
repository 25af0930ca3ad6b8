// The program in a temporary working directory on the headless ui backend, with
// helpers that act as the operator does and an in-process simulated enrol
// station on loopback TCP.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/driver.h"
#include "sim.h"
#include "support/program.h"

namespace uitest {

namespace hl = ui::headless;

using testsupport::kAdminPassword;
// The station's serial number as the simulator reports it, and its text.
extern const sim::Bytes kSerial;
extern const char* const kSerialText;
extern const sim::Bytes kOtherSerial;
extern const char* const kOtherSerialText;
extern const sim::Bytes kOwnerCard;
extern const char* const kOwnerCardText;
extern const sim::Bytes kOtherCard;
extern const char* const kOtherCardText;

// The shell's view tests: the fixture base with the simulated enrol station.
class Program : public testsupport::ProgramTest {
 protected:
  void TearDown() override;

  // install(), then users made in the user management, then a new run.
  void install_with_users(const std::vector<std::pair<std::string, std::string>>& users);

  // Starts the simulated station and points the Konfigsatz in use at it (not
  // written); serial number `serial`, and a card presented whenever one is
  // waited for, when `card` is not empty.
  sim::Simulator& station(const sim::Bytes& serial, const sim::Bytes& card);
  // Writes a registered station (identity and owner transponder) pointing at
  // the running simulator into Programm.cfg.
  void register_station(const std::string& identity, const std::string& owner);

  // Menu commands enabled now, in ascending order.
  std::vector<int> enabled_commands() const;

  int station_port = 0;
  std::unique_ptr<sim::Simulator> sim;
};

// Every command of the menu.
extern const std::vector<int> kAllCommands;

}  // namespace uitest
