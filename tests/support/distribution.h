// The readers of the distribution tests, simulated: readers at bus addresses
// 1, 2 and 3 on one bus behind one TCP endpoint and a reader at address 4
// behind a second one, with their records in the store; persons with templates
// stored straight through the store; and the check that what every simulated
// reader holds is what the database says (the persons whose reader-mask bit is
// set, with their templates, and nobody else).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim.h"
#include "store/store.h"

namespace testsupport {

// Every folder's state reset (English edition, no faults, no boxes) and a new
// installation created and loaded in `dir`, which becomes the working directory.
void new_installation(const std::string& dir);

// A person to store: the templates are `templates` blocks of `length` bytes
// (block i in group i + 1), with data that differs from person to person.
struct PersonSpec {
  std::string personnel_number;  // also seeds the template data
  std::string id;                // Ausweisnummer, hex
  int templates = 1;
  int length = 400;
  std::string special_pin;
  std::string name = "Muster";
  bool write_on_transponder = true;
  bool distribute = true;
};

// A person with `templates` templates of `length` bytes.
PersonSpec person(const std::string& personnel_number, const std::string& id, int templates,
                  int length = 400);

// Stores the person and its template record; the record number.
int store_person(const PersonSpec& spec);

// Stores a record for a TCP reader on 127.0.0.1:`port` at bus address
// `address`; its table slot.
int store_reader_record(const std::string& name, int port, int address, bool preselect);

class SimulatedReaders {
 public:
  SimulatedReaders();
  ~SimulatedReaders();
  // Starts both simulators.
  void start();
  void stop();
  // Stores a reader record for the reader at `address` (1 to 3 on the bus, 4
  // alone) named `name`, pre-selected or not; its table slot.
  int add_reader(const std::string& name, int address, bool preselect = true);
  // A reader record that no simulator answers (a closed port); its slot.
  int add_unreachable(const std::string& name, bool preselect = true);

  // The simulator and bus address behind a reader slot.
  sim::Simulator& sim_of(int slot);
  int address_of(int slot) const;
  // Makes the reader at `slot` hold parameter set 1 with another user-ID length,
  // so that its check asks for an update (which empties it).
  void mismatch_parameters(int slot);

  // What each reader of `slots` holds equals `tables`: the persons whose bit
  // for the slot is set, with the user ID and template data of their records,
  // and no other user.
  ::testing::AssertionResult hold(const std::vector<int>& slots, const store::Tables& tables);

  sim::Simulator& bus() { return *bus_; }
  int bus_port() const { return bus_port_; }
  sim::Simulator& single() { return *single_; }

 private:
  std::unique_ptr<sim::Simulator> bus_, single_;
  int bus_port_ = 0, single_port_ = 0;
  std::vector<int> slot_address_ = std::vector<int>(store::kReaders, 0);
};

}  // namespace testsupport
