#!/usr/bin/env bash
# Smoke test of the real Windows program under Wine: starts enrolstation.exe (or
# enrolstation_de.exe with "de") in a fresh working directory, completes the
# first administrator login the way an operator does (a 16-character password
# typed into the login dialog, Enter), checks that Programm.cfg (2064 bytes) and
# the five data files were created and that the initialisation dialog opened,
# initialises the enrol station from that dialog against the simulated station
# (readersim on loopback TCP; SMOKE_STATION=0 skips this and just closes the
# dialog), then closes the program and checks that it ended with exit code 0.
#   bash scripts/wine-smoke.sh [de]
# Runs under a private Xvfb (with openbox) when there is no display. KEEP=1 keeps
# the working directory. See scripts/wine-gui.sh for the other settings.
#
# For an installed program (scripts/wine-installer.sh sets these):
#   SMOKE_LINK=FILE.lnk  start the program as this shortcut says (Unix path of the
#                        .lnk): its target in its working folder, not the built
#                        program in a fresh directory. (Wine's "start" does not
#                        wait for a program started through a shortcut, so the
#                        script reads the shortcut and starts the target itself,
#                        which keeps the exit code.)
#   SMOKE_DIR=DIR        the working folder the shortcut must name: the data
#                        files must appear there; kept
#   SMOKE_READERSIM=PROG the simulator that plays the station (a .exe runs under
#                        Wine in the same prefix), not the native build
set -uo pipefail
source "$(dirname "$0")/wine-gui.sh"

edition=${1:-en}
password=${SMOKE_PASSWORD:-Smoke7Test9Pass0}  # 16 characters

bash "$root/scripts/setup.sh" || exit 1
login_title='^Login$'
init_title='^Initialization$'
if [ "$edition" = de ]; then
  login_title='^Anmeldung$'
  init_title='^Initalisierung$'
fi
link=${SMOKE_LINK:-}
if [ -n "$link" ]; then
  [ -f "$link" ] && [ -d "${SMOKE_DIR:-}" ] || { echo "FAIL  no shortcut $link or no SMOKE_DIR"; exit 1; }
  mapfile -t shortcut < <(read_link "$link")
  exe=$(winepath -u "${shortcut[0]}" 2>/dev/null)
  link_dir=$(winepath -u "${shortcut[1]}" 2>/dev/null)
  [ -f "$exe" ] || { echo "FAIL  the shortcut's target ${shortcut[0]} does not exist"; exit 1; }
  if [ ! -d "$link_dir" ] || [ "$(cd "$link_dir" && pwd -P)" != "$(cd "$SMOKE_DIR" && pwd -P)" ]; then
    echo "FAIL  the shortcut's working folder is ${shortcut[1]}, not $SMOKE_DIR"
    exit 1
  fi
  echo "ok    shortcut: ${shortcut[0]} in ${shortcut[1]}"
else
  build_editions || exit 1
  exe=$exe_en
  [ "$edition" = de ] && exe=$exe_de
fi

station=${SMOKE_STATION:-1}
station_port=$((10100 + $$ % 800))
if [ "$station" = 1 ]; then
  if [ -n "${SMOKE_READERSIM:-}" ]; then
    readersim=$SMOKE_READERSIM
  else
    build_readersim || exit 1
  fi
fi

# The working directory, and the logs beside the run's other files.
logs=$root/build/wine-smoke/run-$$
mkdir -p "$root/build/wine-smoke"
work=${SMOKE_DIR:-$logs}
mkdir -p "$work"
wine_pid=
sim_pid=
finish() {
  [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  stop_gui
  [ "${KEEP:-0}" = 1 ] || [ -n "${SMOKE_DIR:-}" ] || rm -rf "$work"
}
trap finish EXIT
failures=0
check() {  # check "what" command...
  local what=$1
  shift
  if "$@"; then
    echo "ok    $what"
  else
    echo "FAIL  $what"
    failures=$((failures + 1))
  fi
}

start_display || exit 1
prepare_prefix
if [ "$station" = 1 ]; then
  sim=("$readersim")
  case "$readersim" in *.exe) sim=(wine "$readersim") ;; esac
  "${sim[@]}" --station --tcp "127.0.0.1:$station_port" \
    --auto-card 04A1B2C3D4 --quality 85 >"$logs.sim.log" 2>&1 </dev/null &
  sim_pid=$!
fi
# The program in its working directory (the shortcut's working folder, when given).
start_program() {
  (cd "$work" && exec wine "$exe") >>"$logs.log" 2>&1 &
  wine_pid=$!
}
gui_log "starting $(basename "$exe") in ${work#$root/} (DISPLAY=$DISPLAY)"
start_program

# A fresh directory has no installation picture: the program says so first.
if info=$(wait_window '^Info$' 60); then
  activate "$info"
  xdotool key Return
fi
if ! login=$(wait_window "$login_title" 60); then
  echo "FAIL  the login dialog did not appear"
  screenshot "$root/build/wine-smoke/failed.png"
  exit 1
fi
echo "ok    login dialog shown"
[ ! -e "$work/Programm.cfg" ] || { echo "FAIL  Programm.cfg existed before the login"; exit 1; }
activate "$login"
xdotool type --delay 30 "$password"
xdotool key Return

# The first administrator login creates the installation.
files=(Programm.cfg Personen.dat Template.dat Leser.dat Eingabe.dat Usepas.dat)
for _ in $(seq 1 120); do
  all=1
  for f in "${files[@]}"; do [ -f "$work/$f" ] || all=0; done
  [ $all = 1 ] && break
  sleep 0.25
done
size_of() { stat -c %s "$work/$1" 2>/dev/null || echo missing; }
check "Programm.cfg has 2064 bytes ($(size_of Programm.cfg))" test "$(size_of Programm.cfg)" = 2064
for f in "${files[@]:1}"; do
  check "$f created ($(size_of "$f") bytes)" test -s "$work/$f"
done

# The operator chooses TCP/IP, enters the simulated station's address and port
# and reads the owner transponder (the simulator presents one when asked).
initialise_station() {
  local dialog=$1 before
  before=$(md5sum <"$work/Programm.cfg")
  fill_station "$dialog" "$station_port"
  check "the station asked for the transponder" answer_info 20
  check "the transponder number was shown" answer_info 30
  sleep 1
  check "the initialisation dialog closed" \
    bash -c "! xdotool search --onlyvisible --name '$init_title' >/dev/null"
  check "Programm.cfg rewritten with the registered station ($(size_of Programm.cfg) bytes)" \
    test "$(md5sum <"$work/Programm.cfg")" != "$before" -a "$(size_of Programm.cfg)" = 2064
}

# Without an initialised enrol station the first login opens the initialisation.
if init=$(wait_window "$init_title" 30); then
  echo "ok    initialisation dialog opened after the first login"
  if [ "$station" = 1 ]; then
    initialise_station "$init"
  else
    activate "$init"
    xdotool key alt+F4  # the close box: the dialog presses its "Exit Menu"
  fi
else
  check "initialisation dialog opened after the first login" false
fi

# Closes the main window (Alt+F4 through the window manager) and checks that the
# program ends with exit code 0.
close_program() {
  local main code=timeout
  main=$(xdotool search --onlyvisible --name '^Enrol Station$' | head -1)
  if [ -n "$main" ]; then
    sleep 1
    activate "$main"
    xdotool key alt+F4
  fi
  for _ in $(seq 1 80); do
    if ! kill -0 "$wine_pid" 2>/dev/null; then
      wait "$wine_pid"
      code=$?
      wine_pid=
      break
    fi
    sleep 0.25
  done
  [ "$code" = timeout ] && screenshot "$root/build/wine-smoke/still-running.png"
  check "program ended with exit code 0 (got $code)" test "$code" = 0
}
close_program

# A second start in the same directory loads the installation; with the station
# registered the login checks it over TCP and opens no dialog of its own.
if [ "$station" = 1 ]; then
  gui_log "second start in the same directory"
  start_program
  if info=$(wait_window '^Info$' 60); then
    activate "$info"
    xdotool key Return
  fi
  if login=$(wait_window "$login_title" 60); then
    activate "$login"
    xdotool type --delay 30 "$password"
    xdotool key Return
    sleep 5
    others=$(for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
               xdotool getwindowname "$id"; done | grep -v -x -e 'Enrol Station' -e '' | sort -u | tr '\n' ',')
    check "logged in with the station checked, no dialog or message left open (${others:-none})" \
      test -z "$others"
  else
    check "the login dialog appeared on the second start" false
  fi
  close_program
fi

if [ $failures -gt 0 ]; then
  echo "== Wine smoke test: $failures check(s) failed (log: ${logs#$root/}.log)"
  exit 1
fi
rm -f "$logs.log" "$logs.sim.log"
echo "== Wine smoke test passed"
