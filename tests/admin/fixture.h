// The parameter dialogs driven through their menu commands on a new
// installation, with the administrator (or an ordinary user) logged in.
#pragma once

#include <functional>
#include <string>

#include "platform/headless/driver.h"
#include "store/records.h"
#include "support/program.h"

namespace admintest {

namespace hl = ui::headless;

class Params : public testsupport::ProgramTest {
 protected:
  void SetUp() override;

  // The full menu of an ordinary user (record 2) instead of the administrator's.
  void become_ordinary_user();
  // Chooses the menu command; the dialog `resource` it opened (kNoWindow when none).
  ui::Window open(int command, const char* resource);

  // Changes the input mask in memory and in Eingabe.dat, as an earlier run would.
  void store_mask(const std::function<void(store::Eingabesatz&)>& change);
  store::Eingabesatz mask_on_disk() const { return on_disk()->eingabe; }
  testsupport::Bytes mask_file() const { return testsupport::read_file(path("Eingabe.dat")); }
  // Stores a person with the Personalnummer "P<n>" at the first free slot.
  void store_person(int n, std::uint8_t fingerprint_flag);
};

}  // namespace admintest
