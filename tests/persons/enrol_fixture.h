// The template windows on the ui backend: a new installation with the
// administrator's full menu, an input mask chosen per test, persons and
// templates stored as an earlier run would have, and the simulated enrol
// station behind the station's TCP connection.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/driver.h"
#include "sim.h"
#include "store/records.h"
#include "support/distribution.h"
#include "support/program.h"

namespace enroltest {

namespace hl = ui::headless;

// The input-mask settings a test runs with.
struct Mask {
  int fingers = 1;
  bool with_fingerprint = true;
  int min_q = 70;
  int good_q = 90;
  bool show_q = true;
  bool finger_names = false;
  bool pin_manual = false;
  bool pin_keypad = false;
  bool pin_plain = false;
  int module = 0;  // RF-ID reader module
};

// A person to store; its template blocks as (block, length, group, Q).
struct Block {
  int index, length, group, quality;
};
struct Person {
  std::string personnel;
  std::string identification;
  bool fingerprint = true;
  std::vector<Block> blocks;
  std::string pin;
  std::uint8_t combined = store::kNeedFinger;
  bool write_on_transponder = false;
  bool distribute = false;
};
// A person with Personalnummer `pnr` (the Ausweisnummer made from it) and
// these blocks.
Person person(const std::string& pnr, bool fingerprint = true, std::vector<Block> blocks = {},
              const std::string& pin = "", std::uint8_t combined = store::kNeedFinger);

// Answers for the questions to come.
constexpr int kYes = ui::kIdYes;
constexpr int kNo = ui::kIdNo;
constexpr int kOk = ui::kIdOk;  // an information box takes an answer too

class Program : public testsupport::ProgramTest {
 protected:
  void TearDown() override;

  // The program with the full administrator menu, the input mask `m` stored,
  // and the simulated station, its parameters matching the mask.
  void start(const Mask& m = Mask{});

  // Stores the person (and its template record, group marks set for the
  // groups it holds); its record number.
  int store_person(const Person& p);

  // Command 2100 (after closing an open template list), then a double click
  // on the row of Personalnummer `personnel`: D_ENROL for that person
  // (kNoWindow when it did not open).
  ui::Window enrol_for(const std::string& personnel);
  ui::Window list() const { return hl::find_list(ui::kListTemplates); }
  ui::Window enrol() const { return dialog("D_ENROL"); }
  ui::Window delete_list() const { return hl::find_list(ui::kListTemplateDelete); }
  ui::Window temp_del() const { return dialog("D_TEMP_DEL"); }
  // Presses a button after queueing the answers for the questions it raises;
  // the boxes shown, "text|caption" one a line (UTF-8).
  std::string press(ui::Window w, int id, const std::vector<int>& answers);
  // The grid button labelled `label` in dialog `d` (0 when none).
  int grid_button(ui::Window d, const std::string& label) const;

  // Person and template record `record` as the files hold them.
  store::Personensatz person_on_disk(int record) const;
  store::Templatesatz templates_on_disk(int record) const;
  // Users the station's template store holds.
  std::size_t station_users() const;

  // The readers "Door A" (bus address 1) and "Gate D" (4), simulated, their
  // parameters matching the input mask; both pre-selected.
  void attach_readers();
  // What both readers hold is what Personen.dat and Template.dat say, and the
  // reader masks in memory are those of the file.
  ::testing::AssertionResult readers_follow_database();
  // Parameters of the simulated device at `address` as the input mask wants.
  static void match_mask(sim::Simulator& s, int address);

  std::unique_ptr<sim::Simulator> station;
  testsupport::SimulatedReaders readers;
  int door = -1, gate = -1;
};

}  // namespace enroltest
