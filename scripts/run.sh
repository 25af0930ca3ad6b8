#!/usr/bin/env bash
# Builds and runs the program: sets up what is missing, cross-builds both Windows
# editions, builds the reader simulator and enroltool natively (build/native/tools/),
# starts the simulator as the enrol station on 127.0.0.1:10001 (a card is
# presented whenever the station waits for one, fingers enrol with a good
# quality), and starts the program under Wine in the demo working directory demo/.
#   bash scripts/run.sh            English edition (enrolstation.exe)
#   bash scripts/run.sh de         German edition (enrolstation_de.exe)
#   bash scripts/run.sh de -d      switches after the edition go to the program
#                                  (-d log, -e skip the station check, -j go on)
# With a display the program runs on it until it is closed. Without one it runs
# on a private Xvfb (with openbox), a screenshot of the main window with the login
# dialog is saved to build/run-screenshot.png, and the program is ended again
# (KEEP_RUNNING=1 keeps it running until Ctrl-C; reach it with DISPLAY shown).
#
# First start: log in as Admin with a new password of exactly 16 characters (it
# becomes the administrator's password); the initialisation dialog opens: choose
# TCP/IP, address 127.0.0.1, port 10001, and "Read Init Card".
#
# Environment: DEMO_DIR (default demo/), STATION_PORT (10001), CARD (the card
# the station presents, hex, default 04A1B2C3D4), QUALITY (finger quality, 85),
# CONTROL_PORT (readersim control lines on 127.0.0.1, default 10009), and those
# of scripts/wine-gui.sh (CROSS_BUILD, JOBS, HEADLESS).
set -uo pipefail
source "$(dirname "$0")/wine-gui.sh"

edition=en
if [ "${1:-}" = de ] || [ "${1:-}" = en ]; then
  edition=$1
  shift
fi
demo=${DEMO_DIR:-$root/demo}
port=${STATION_PORT:-10001}
card=${CARD:-04A1B2C3D4}
quality=${QUALITY:-85}
control=${CONTROL_PORT:-10009}

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

gui_log "enrol station: readersim on 127.0.0.1:$port (card $card, quality $quality, control port $control)"
"$readersim" --station --tcp "127.0.0.1:$port" --auto-card "$card" \
  --quality "$quality" --control "$control" >"$demo/readersim.log" 2>&1 </dev/null &
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
  shot=$root/build/run-screenshot.png
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
