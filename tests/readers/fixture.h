// The program on the headless ui backend in a temporary working directory, with
// a new installation made by the first administrator login and the full menu of
// the user logged in, for driving the reader list and form as an operator does.
#pragma once

#include <string>
#include <vector>

#include "platform/headless/driver.h"
#include "store/records.h"
#include "support/program.h"

namespace readertest {

namespace hl = ui::headless;

// What the operator enters into the reader form.
struct Entry {
  std::string name;
  bool tcp = false;
  int com = 0;   // COM port index (0 = COM 01)
  int baud = 0;  // baud index (0 = 115200)
  std::string address;
  std::string port;
  int bus = 0;  // bus address index (0 = 01)
  bool active = false;
};

// The reader views' tests: the fixture base with helpers for the reader list
// and form.
class Program : public testsupport::ProgramTest {
 protected:
  // Starts the program with a new installation and the full menu of the
  // administrator, or of the user "Download" when `download_user`.
  void start(bool download_user = false) { start_logged_in(download_user); }

  // Stores a reader straight through the store (as an earlier run would have),
  // at the first free slot; its record number.
  int store_reader(const Entry& e, std::uint16_t wait_value = 0);

  // Types an entry into the open form.
  void enter(ui::Window form, const Entry& e);
  // Command 2200, the entry, "Create\nnew set"; true when the success box came.
  bool create_reader(const Entry& e);

  // The reader list (opened by command 2210 or 2220) and its rows.
  ui::Window list() const;
  std::vector<std::vector<std::string>> rows() const;
  ui::Window form() const { return hl::find_dialog("D_LESER"); }
  ui::Window main_window() const { return hl::main_window(); }

  // The readers as Leser.dat holds them.
  std::vector<store::Lesersatz> on_disk() const;
  // Names of the readers on disk, in slot order.
  std::vector<std::string> names_on_disk() const;
  testsupport::Bytes leser_file() const;
};

}  // namespace readertest
