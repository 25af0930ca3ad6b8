#!/usr/bin/env bash
# Screenshots of the real program under Wine, both editions, into docs/screenshots/:
#   <ed>-main-login.png  main window at start-up end, with the login dialog
#   <ed>-login.png       the login dialog
#   <ed>-initial.png     the initialisation dialog (D_INITIAL) after the first login
#   <ed>-main-menu.png   main window after the login, File menu open
# (<ed> = en for enrolstation.exe, de for enrolstation_de.exe). Each edition starts
# in a fresh working directory with the demo installation picture.
#   bash scripts/screenshots.sh [en|de]
# Runs under a private Xvfb (with openbox) when there is no display.
set -uo pipefail
source "$(dirname "$0")/wine-gui.sh"

editions=(en de)
[ $# -gt 0 ] && editions=("$@")
out=$root/docs/screenshots
password=${SHOT_PASSWORD:-Screen5Shot7Pass}

bash "$root/scripts/setup.sh" || exit 1
build_editions || exit 1
mkdir -p "$out"
wine_pid=
work=
finish() {
  [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
  stop_gui
  [ -n "$work" ] && rm -rf "$work"
}
trap finish EXIT
HEADLESS=${HEADLESS:-1}  # a clean screen of known size
start_display || exit 1
prepare_prefix

# A window with its frame, and whatever lies over it, as PNG.
shot() {
  import -screen -frame -window "$1" "$2" 2>/dev/null && echo "   ${2#$root/}"
}

failed=0
for ed in "${editions[@]}"; do
  exe=$exe_en login_title='^Login$' init_title='^Initialization$' file_key=alt+f
  if [ "$ed" = de ]; then
    exe=$exe_de login_title='^Anmeldung$' init_title='^Initalisierung$' file_key=alt+d
  fi
  gui_log "edition $ed: $(basename "$exe")"
  work=$root/build/screenshots/$ed
  rm -rf "$work"
  mkdir -p "$work"
  demo_picture "$work/Programm.bmp"
  (cd "$work" && exec wine "$exe") >"$work.log" 2>&1 &
  wine_pid=$!
  if ! login=$(wait_window "$login_title" 60); then
    echo "the login dialog did not appear (log: ${work#$root/}.log)"
    screenshot "$out/$ed-failed.png"
    failed=1
    kill "$wine_pid" 2>/dev/null
    continue
  fi
  main=$(wait_window '^Enrol Station$' 10)
  sleep 1.5  # the clock in the status bar
  shot "$main" "$out/$ed-main-login.png"
  shot "$login" "$out/$ed-login.png"
  activate "$login"
  xdotool type --delay 30 "$password"
  xdotool key Return
  if init=$(wait_window "$init_title" 30); then
    sleep 0.5
    shot "$init" "$out/$ed-initial.png"
    activate "$init"
    xdotool key alt+F4
  else
    echo "the initialisation dialog did not appear"
    failed=1
  fi
  sleep 1
  activate "$main"
  xdotool key "$file_key"
  sleep 1
  shot "$main" "$out/$ed-main-menu.png"
  xdotool key Escape Escape
  sleep 0.3
  activate "$main"
  xdotool key alt+F4
  for _ in $(seq 1 40); do kill -0 "$wine_pid" 2>/dev/null || break; sleep 0.25; done
  kill "$wine_pid" 2>/dev/null
  wine_pid=
  wineserver -w 2>/dev/null
done
exit $failed
