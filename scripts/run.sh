#!/usr/bin/env bash
# Builds and runs the program: sets up what is missing, cross-builds both Windows
# editions, builds the reader simulator and enroltool natively (build/native/tools/),
# starts the simulator as the demo enrol station (readersim --station --demo: a
# card is presented a moment after the station begins to wait for one, fingers
# enrol with a good quality, the keypad types a PIN), and starts the program
# under Wine in the demo working directory.
#   bash scripts/run.sh            English edition (enrolstation.exe): demo/,
#                                  station 127.0.0.1:10001, control port 10009
#   bash scripts/run.sh de         German edition (enrolstation_de.exe): demo-de/,
#                                  station 127.0.0.1:10011, control port 10019
#   bash scripts/run.sh de -d      switches after the edition go to the program
#                                  (-d log, -e skip the station check, -j go on)
# Each edition has its own demo folder, ports and Wine prefix, so that both can
# run at once and ending one leaves the other running.
# With a display the program runs on it until it is closed. Without one it runs
# on a private Xvfb (with openbox), a screenshot of the main window with the login
# dialog is saved to build/run-screenshot.png (build/run-screenshot-de.png), and
# the program is ended again (KEEP_RUNNING=1 keeps it running until Ctrl-C; reach
# it with DISPLAY shown).
#
# First start: log in as Admin with a new password of exactly 16 characters (it
# becomes the administrator's password); the initialisation dialog opens: choose
# TCP/IP, address 127.0.0.1, port 10001, and "Read Init Card".
#
# Environment: DEMO_DIR (demo folder), STATION_PORT, CONTROL_PORT (readersim
# control lines on 127.0.0.1), CARD (the card the station presents, hex, default
# 04A1B2C3D4), QUALITY (finger quality, 85), KEYS (the PIN typed at the keypad,
# 471100), GUI_WINEPREFIX (default build/wineprefix-gui, build/wineprefix-gui-de),
# and those of scripts/wine-gui.sh (CROSS_BUILD, JOBS, HEADLESS).
set -uo pipefail

edition=en
if [ "${1:-}" = de ] || [ "${1:-}" = en ]; then
  edition=$1
  shift
fi
here=$(cd "$(dirname "$0")/.." && pwd)
suffix=
[ "$edition" = de ] && suffix=-de
export GUI_WINEPREFIX=${GUI_WINEPREFIX:-$here/build/wineprefix-gui$suffix}
source "$(dirname "$0")/wine-gui.sh"

demo=${DEMO_DIR:-$root/demo$suffix}
if [ "$edition" = de ]; then
  port=${STATION_PORT:-10011}
  control=${CONTROL_PORT:-10019}
else
  port=${STATION_PORT:-10001}
  control=${CONTROL_PORT:-10009}
fi
card=${CARD:-04A1B2C3D4}

bash "$root/scripts/setup.sh" || exit 1
build_editions || exit 1
exe=$exe_en
login_title='^Login$'
[ "$edition" = de ] && exe=$exe_de login_title='^Anmeldung$'

build_readersim enroltool || exit 1

mkdir -p "$demo"
demo_picture "$demo/Programm.bmp"
if [ ! -f "$demo/Programm.cfg" ]; then
  gui_log "first start in ${demo#$root/}/: log in as Admin with a new password of exactly 16"
  gui_log "characters (it becomes the administrator's); in the initialisation dialog choose"
  gui_log "TCP/IP, 127.0.0.1, port $port, then \"Read Init Card\" (the simulated station presents"
  gui_log "card $card)"
fi

sim_pid=
wine_pid=
finish() {
  [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
  stop_gui
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
}
trap finish EXIT
trap 'exit 130' INT TERM

gui_log "enrol station: readersim --station --demo on 127.0.0.1:$port (card $card, control port $control)"
"$readersim" --station --demo --tcp "127.0.0.1:$port" --control "$control" ${CARD:+--auto-card "$CARD"} \
  ${QUALITY:+--quality "$QUALITY"} ${KEYS:+--auto-keys "$KEYS"} >"$demo/readersim.log" 2>&1 </dev/null &
sim_pid=$!
sleep 0.5
if ! kill -0 "$sim_pid" 2>/dev/null; then
  echo "readersim did not start:"
  cat "$demo/readersim.log"
  exit 1
fi

start_display || exit 1
prepare_prefix
gui_log "starting $(basename "$exe")${*:+ $*} in ${demo#$root/}/ (DISPLAY=$DISPLAY)"
(cd "$demo" && exec wine "$exe" "$@") >"$demo/wine.log" 2>&1 &
wine_pid=$!

if [ "$gui_private_display" = 1 ]; then
  shot=$root/build/run-screenshot$suffix.png
  if main=$(wait_window '^Enrol Station$' 60) && wait_window "$login_title" 30 >/dev/null; then
    sleep 1.5
    import -screen -frame -window "$main" "$shot" 2>/dev/null
    gui_log "screenshot of the main window with the login dialog: ${shot#$root/}"
  else
    screenshot "$shot"
    gui_log "the login dialog did not appear; screen saved to ${shot#$root/}"
    exit 1
  fi
  if [ "${KEEP_RUNNING:-0}" != 1 ]; then
    exit 0
  fi
  gui_log "running on DISPLAY=$DISPLAY until Ctrl-C"
fi
wait "$wine_pid"
code=$?
wine_pid=
gui_log "program ended with exit code $code"
exit $code
