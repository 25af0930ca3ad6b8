// The parameter dialogs driven through their menu commands on a new
// installation, with the administrator (or an ordinary user) logged in.
#pragma once

#include <functional>
#include <string>

#include "platform/headless/driver.h"
#include "shell/shell.h"
#include "store/store.h"
#include "support/program.h"
#include "views/host.h"

namespace admintest {

namespace hl = ui::headless;

class Params : public testsupport::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(start_logged_in());
  }
  // The full menu of an ordinary user (record 2) instead of the administrator's.
  void become_ordinary_user() {
    views::host().user.number = 2;
    shell::grey_menu();
    shell::enable_full_menu();
  }
  // Chooses the menu command; the dialog `resource` it opened (kNoWindow when none).
  ui::Window open(int command, const char* resource) {
    hl::clear_boxes();
    return hl::choose_menu(command) ? dialog(resource) : ui::kNoWindow;
  }
  // Changes the input mask in memory and in Eingabe.dat, as an earlier run would.
  void store_mask(const std::function<void(store::Eingabesatz&)>& change) {
    change(store::db().eingabe);
    ASSERT_EQ(1, store::rw_eingabe(store::kWrite));
  }
  store::Eingabesatz mask_on_disk() const { return on_disk()->eingabe; }
  testsupport::Bytes mask_file() const { return testsupport::read_file(path("Eingabe.dat")); }
};

}  // namespace admintest
