#include "fixture.h"

#include "shell/shell.h"
#include "store/store.h"
#include "views/host.h"

namespace admintest {

void Params::SetUp() {
  testsupport::ProgramTest::SetUp();
  ASSERT_NO_FATAL_FAILURE(start_logged_in());
}

void Params::become_ordinary_user() {
  views::host().user.number = 2;
  shell::grey_menu();
  shell::enable_full_menu();
}

ui::Window Params::open(int command, const char* resource) {
  hl::clear_boxes();
  if (!hl::choose_menu(command)) return ui::kNoWindow;
  return dialog(resource);
}

void Params::store_mask(const std::function<void(store::Eingabesatz&)>& change) {
  change(store::db().eingabe);
  ASSERT_EQ(1, store::rw_eingabe(store::kWrite));
}

void Params::store_person(int n, std::uint8_t fingerprint_flag) {
  store::Personensatz& p = store::db().person_write;
  p = store::Personensatz{};
  p.set_name("Name" + std::to_string(n));
  p.set_personalnummer("P" + std::to_string(n));
  p.set_fingerprint_flag(fingerprint_flag);
  ASSERT_GT(store::rw_person(store::kWrite), 0);
}

}  // namespace admintest
