// The enrol station: the initialisation dialog D_INITIAL (command 1400) with the
// station's connection settings, its registration with the owner transponder and
// the release of an exchanged station, and the station check run after a login,
// a password change and the initialisation.
#pragma once

namespace readers {

// The command-line switches the station check obeys.
struct StationSwitches {
  bool skip_check = false;               // -e: the check passes at once
  bool continue_after_mismatch = false;  // -j: a mismatch is reported and passes
};
void set_station_switches(const StationSwitches& switches);
const StationSwitches& station_switches();

// Opens D_INITIAL over the main window, filled from the Konfigsatz. It reports
// to the main window with command 1400: 1 done, 0 "Exit Menu", -1 the release of
// an exchanged station was refused or given up.
void open_initial();

// 1 passed, 0 failed. Passes at once with the -e switch; fails silently while no
// station is registered; otherwise the station attached must be the registered
// one (with -j a mismatch is reported and passes).
int check_enrolstation();

}  // namespace readers
