// The program on the ui backend with a new installation and the administrator's
// full menu, for driving the person form, the person list and the search as an
// operator does; with an in-process simulated enrol station and reader bus.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/driver.h"
#include "sim.h"
#include "store/records.h"
#include "support/program.h"

namespace persontest {

namespace hl = ui::headless;

// What the operator types into the person form (UTF-8).
struct Entry {
  std::string name, first_name, personnel, identification, pin;
};

class Program : public testsupport::ProgramTest {
 protected:
  void TearDown() override;
  void start() { start_logged_in(); }

  // Stores a person straight through the store (as an earlier run would have)
  // at the first free slot; its record number.
  int store_person(const Entry& e);
  // Types an entry into the open form.
  void enter(ui::Window form, const Entry& e);
  // Command 2000, the entry, "Create\nnew set", No to the template question.
  // The boxes shown.
  std::string create(const Entry& e);

  ui::Window form() const { return hl::find_dialog("D_PERSON"); }
  ui::Window search() const { return hl::find_dialog("D_SUCHEN"); }
  ui::Window list() const { return hl::find_list(ui::kListPersons); }
  std::vector<std::vector<std::string>> rows() const { return ProgramTest::rows(list()); }
  // Persons on disk (Personen.dat), in slot order: Personalnummer of each in use.
  std::vector<std::string> personnel_on_disk() const;

  // The simulated enrol station, its Konfigsatz connection pointing at it
  // (not written).
  sim::Simulator& station();
  // A simulated reader bus with these addresses, and one reader record per
  // address (named `names[i]`) pointing at it.
  sim::Simulator& reader_bus(const std::vector<int>& addresses,
                             const std::vector<std::string>& names);

  std::unique_ptr<sim::Simulator> station_sim, bus_sim;
};

}  // namespace persontest
