#!/usr/bin/env bash
# Screenshots of the real program under Wine, both editions, into docs/screenshots/:
#   <ed>-main-login.png  main window at start-up end, with the login dialog
#   <ed>-login.png       the login dialog
#   <ed>-initial.png     the initialisation dialog (D_INITIAL) after the first login
#   <ed>-main-menu.png   main window with the enrol station initialised (the
#                        simulated one, readersim), data menu open
#   <ed>-reader.png      the reader form D_LESER filled in for a new reader
#   <ed>-reader-list.png the reader list window (F7) with the four readers
#                        entered through the form (two on COM ports, two on
#                        TCP/IP, pre-selected and not)
# and the shots of each subsystem's steps in scripts/shots/ (named there).
# (<ed> = en for enrolstation.exe, de for enrolstation_de.exe). Each edition starts
# in a fresh working directory with the demo installation picture, and with the
# user's date and time formats of its country (the status bar shows them):
# United States for en, Germany for de.
#   bash scripts/screenshots.sh [en|de]
#   SHOT_STEPS="30 75" bash scripts/screenshots.sh en   only the steps of scripts/shots/
#                        whose names begin so, after the start-up shots; a step
#                        that needs another's data names it
# Runs under a private Xvfb (with openbox) when there is no display.
set -uo pipefail
source "$(dirname "$0")/wine-gui.sh"

editions=(en de)
[ $# -gt 0 ] && editions=("$@")
out=$root/docs/screenshots
password=${SHOT_PASSWORD:-Screen5Shot7Pass}

bash "$root/scripts/setup.sh" || exit 1
build_editions || exit 1
build_readersim || exit 1
mkdir -p "$out"
wine_pid=
sim_pid=
work=
# The user's short date and time formats in the prefix (Control Panel,
# International), as Windows keeps them.
formats_changed=0
user_formats() {
  formats_changed=1
  wine reg add 'HKCU\Control Panel\International' /v sShortDate /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKCU\Control Panel\International' /v sTimeFormat /d "$2" /f >/dev/null 2>&1
}
finish() {
  [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
  # back to the prefix's own (United States)
  [ "$formats_changed" = 1 ] && user_formats M/d/yyyy 'h:mm:ss tt'
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  stop_gui
  [ -n "$work" ] && rm -rf "$work"
}
trap finish EXIT
HEADLESS=${HEADLESS:-1}  # a clean screen of known size
start_display || exit 1
prepare_prefix
port=$((10100 + $$ % 800))
"$readersim" --station --tcp "127.0.0.1:$port" --auto-card 04A1B2C3D4 </dev/null >/dev/null 2>&1 &
sim_pid=$!

# A window with its frame, and whatever lies over it, as PNG.
shot() {
  import -screen -frame -window "$1" "$2" 2>/dev/null && echo "   ${2#$root/}"
}

# A new reader through the form D_LESER (264 x 148 dialog units), as an operator
# enters it: menu "new Reader set", the connection, the name, "Active", then
# "Create new set" (in the place of the save button) and the Info box after it.
#   add_reader com PORT_INDEX NAME ACTIVE [SHOT]
#   add_reader tcp ADDRESS:PORT NAME ACTIVE [SHOT]
add_reader() {
  local kind=$1 where=$2 name=$3 active=$4 shot_file=${5:-} form
  activate "$main"
  xdotool key "${data_keys[@]}" Return
  form=$(wait_window "$reader_title" 10) || return 1
  activate "$form"
  if [ "$kind" = com ]; then
    click_du "$form" 105 24 264 148  # COM port list: open and close it again,
    click_du "$form" 105 24 264 148  # then step down to the port
    local i
    for ((i = 0; i < where; i++)); do xdotool key Down; done
  else
    click_du "$form" 20 53 264 148   # radio button TCP/IP
    click_du "$form" 130 52 264 148  # address
    xdotool key End shift+Home
    xdotool type --delay 20 "${where%:*}"
    click_du "$form" 228 52 264 148  # port
    xdotool key End shift+Home
    xdotool type --delay 20 "${where##*:}"
  fi
  click_du "$form" 164 83 264 148    # reader name
  xdotool type --delay 20 "$name"
  [ "$active" = 1 ] && click_du "$form" 191 101 264 148
  if [ -n "$shot_file" ]; then
    sleep 0.3
    shot "$form" "$shot_file"
  fi
  click_du "$form" 47 129 264 148    # "Create new set"
  answer_info 10
}

failed=0
for ed in "${editions[@]}"; do
  exe=$exe_en login_title='^Login$' init_title='^Initialization$' formats=(M/d/yyyy 'h:mm:ss tt')
  data_keys=(alt+m r) list_title='^Change reader data$' reader_title='^Reader$'
  if [ "$ed" = de ]; then
    exe=$exe_de login_title='^Anmeldung$' init_title='^Initalisierung$'
    data_keys=(alt+v l) list_title='^Leserdaten ändern$' reader_title='^Leser$'
    formats=(dd.MM.yyyy HH:mm:ss)
  fi
  user_formats "${formats[@]}"
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
  activate "$login"
  shot "$login" "$out/$ed-login.png"
  xdotool type --delay 30 "$password"
  xdotool key Return
  if init=$(wait_window "$init_title" 30); then
    sleep 0.5
    shot "$init" "$out/$ed-initial.png"
    fill_station "$init" "$port"
    answer_info 20 && answer_info 30 || { echo "the station was not initialised"; failed=1; }
  else
    echo "the initialisation dialog did not appear"
    failed=1
  fi
  sleep 1
  activate "$main"
  xdotool key "${data_keys[0]}"
  sleep 0.5
  xdotool key "${data_keys[1]}"
  sleep 1
  shot "$main" "$out/$ed-main-menu.png"
  xdotool key Escape Escape Escape
  sleep 0.3
  names=("Entrance hall" "Stores" "Main gate" "Server room")
  [ "$ed" = de ] && names=("Eingangshalle" "Lager" "Haupttor" "Serverraum")
  add_reader com 0 "${names[0]}" 1 &&
    add_reader com 2 "${names[1]}" 0 &&
    add_reader tcp 192.168.0.21:10001 "${names[2]}" 1 &&
    add_reader tcp door-reader:10002 "${names[3]}" 0 "$out/$ed-reader.png" ||
    { echo "the readers could not be entered"; failed=1; }
  activate "$main"
  xdotool key F7
  if list=$(wait_window "$list_title" 10); then
    activate "$list"
    sleep 0.3
    shot "$list" "$out/$ed-reader-list.png"
    xdotool key alt+F4
    sleep 0.5
  else
    echo "the reader list did not open"
    failed=1
  fi
  # The windows of the other subsystems: each scripts/shots/*.sh is sourced here,
  # in name order, with the program running (logged in as the administrator,
  # station initialised, the four readers entered) and $main, $ed, $out, $port,
  # $work and the helpers above at hand; a step that fails sets failed=1.
  for steps in "$root"/scripts/shots/*.sh; do
    [ -e "$steps" ] || continue
    # SHOT_STEPS="20 25" runs only the steps whose names begin so.
    if [ -n "${SHOT_STEPS:-}" ]; then
      wanted=0
      for prefix in $SHOT_STEPS; do
        case "$(basename "$steps")" in "$prefix"*) wanted=1 ;; esac
      done
      [ "$wanted" = 1 ] || continue
    fi
    gui_log "shots: $(basename "$steps")"
    # shellcheck source=/dev/null
    source "$steps"
  done
  activate "$main"
  xdotool key alt+F4
  for _ in $(seq 1 40); do kill -0 "$wine_pid" 2>/dev/null || break; sleep 0.25; done
  kill "$wine_pid" 2>/dev/null
  wine_pid=
  wineserver -w 2>/dev/null
done
exit $failed
