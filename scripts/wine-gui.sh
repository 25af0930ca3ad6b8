# Shared by run.sh, wine-smoke.sh and screenshots.sh (sourced, not run): the
# cross build of the two Windows programs, a Wine prefix of their own, and a
# display (a private Xvfb with openbox when there is none).
#
# Environment: CROSS_BUILD (cross build folder, default build/mingw, the one
# wine-tests.sh uses), JOBS (parallel compile jobs, default 2), HEADLESS=1 (use a
# private Xvfb even when DISPLAY is set).

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cross_build=${CROSS_BUILD:-$root/build/mingw}
case "$cross_build" in /*) ;; *) cross_build=$root/$cross_build ;; esac
jobs=${JOBS:-2}
gui_xvfb_pid=
gui_wm_pid=
gui_private_display=0

# A prefix of its own, so that wine-tests.sh (which stops its wineserver when
# done) and a running program do not disturb each other.
export WINEPREFIX=${GUI_WINEPREFIX:-$root/build/wineprefix-gui}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts

gui_log() { echo "== $*"; }

# Builds enrolstation.exe and enrolstation_de.exe (MinGW-w64, static).
build_editions() {
  gui_log "cross build of enrolstation.exe and enrolstation_de.exe ($cross_build)"
  mkdir -p "$cross_build"
  if ! cmake -S "$root" -B "$cross_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENROL_BENCH=OFF -DENROL_WERROR=ON \
        >"$cross_build/configure-gui.log" 2>&1; then
    tail -30 "$cross_build/configure-gui.log"
    return 1
  fi
  if ! cmake --build "$cross_build" -j "$jobs" --target enrolstation enrolstation_de \
        >"$cross_build/build-gui.log" 2>&1; then
    grep -E 'error|Error' "$cross_build/build-gui.log" | head -30
    return 1
  fi
  exe_en=$cross_build/src/enrolstation.exe
  exe_de=$cross_build/src/enrolstation_de.exe
  [ -f "$exe_en" ] && [ -f "$exe_de" ]
}

# A display for Wine: the caller's, or a private Xvfb with openbox (a window
# manager, so that activated windows get the keyboard focus for xdotool).
start_display() {
  if [ -n "${DISPLAY:-}" ] && [ "${HEADLESS:-0}" != 1 ]; then
    return 0
  fi
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    gui_xvfb_pid=$!
    sleep 1
    if kill -0 "$gui_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      gui_private_display=1
      break
    fi
    gui_xvfb_pid=
  done
  if [ -z "$gui_xvfb_pid" ]; then
    echo "no display and Xvfb could not be started"
    return 1
  fi
  openbox >/dev/null 2>&1 &
  gui_wm_pid=$!
  sleep 1
  gui_log "private display $DISPLAY (Xvfb with openbox)"
}

# Creates the Wine prefix on first use (takes a while).
prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    gui_log "creating the Wine prefix in ${WINEPREFIX#$root/}"
    mkdir -p "$WINEPREFIX"
    timeout 600 wine wineboot -i >/dev/null 2>&1
    wineserver -w 2>/dev/null
  fi
  # The window manager frames the windows and passes Alt+F4 and focus changes
  # on, as on a desktop (the test runner's prefix turns this off).
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f >/dev/null 2>&1
}

# Stops what start_display and Wine started.
stop_gui() {
  wineserver -k 2>/dev/null || true
  [ -n "$gui_wm_pid" ] && kill "$gui_wm_pid" 2>/dev/null
  [ -n "$gui_xvfb_pid" ] && kill "$gui_xvfb_pid" 2>/dev/null
  gui_wm_pid=
  gui_xvfb_pid=
}

# Waits until a window whose title matches the pattern exists; prints its id.
wait_window() {
  local pattern=$1 seconds=${2:-30} id
  for _ in $(seq 1 $((seconds * 4))); do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.25
  done
  return 1
}

# Gives the window the keyboard focus.
activate() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1" >/dev/null 2>&1
  sleep 0.3
}

# The whole screen (the program's windows are the only ones on it) as PNG.
screenshot() {
  import -window root "$1" 2>/dev/null
}

# A click at a point of a dialog given in dialog units:
#   click_du WINDOW X Y TEMPLATE_WIDTH TEMPLATE_HEIGHT
click_du() {
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --window "$1" $(($2 * WIDTH / $4)) $(($3 * HEIGHT / $5)) click 1
  sleep 0.4
}

# Answers the next message box (caption Info) with Enter; waits up to $1 seconds.
answer_info() {
  local box
  box=$(wait_window '^Info$' "$1") || return 1
  activate "$box"
  xdotool key Return
  for _ in $(seq 1 40); do
    xdotool search --onlyvisible --name '^Info$' >/dev/null 2>&1 || return 0
    sleep 0.25
  done
}

# In the initialisation dialog D_INITIAL (264 x 100 dialog units) the operator
# chooses TCP/IP, enters 127.0.0.1 and the port, and presses "Read Init Card".
fill_station() {
  local dialog=$1 port=$2
  activate "$dialog"
  click_du "$dialog" 40 53 264 100   # radio button TCP/IP
  click_du "$dialog" 130 52 264 100  # address
  xdotool key End shift+Home
  xdotool type --delay 20 127.0.0.1
  click_du "$dialog" 228 52 264 100  # port
  xdotool key End shift+Home
  xdotool type --delay 20 "$port"
  click_du "$dialog" 47 85 264 100   # "Read Init Card"
}

# The native reader simulator (build/native), built when missing or stale;
# further native targets given as arguments are built with it.
build_readersim() {
  native=$root/build/native
  gui_log "native build of readersim${*:+ and $*} ($native)"
  mkdir -p "$native"
  if ! { cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENROL_WERROR=ON >/dev/null &&
         cmake --build "$native" -j "$jobs" --target readersim "$@" >"$native/build-readersim.log" 2>&1; }; then
    grep -E 'error|Error' "$native/build-readersim.log" | head -20
    return 1
  fi
  readersim=$native/tools/readersim/readersim
}

# The installation picture of the demo: drawn over the background tiles (the
# program combines it with a bitwise AND, so white lets the tiles through).
demo_picture() {
  local file=$1
  [ -f "$file" ] && return 0
  convert -size 420x200 xc:white -fill '#1c3f8c' -stroke '#1c3f8c' -strokewidth 3 \
          -draw "roundrectangle 8,8 411,191 24,24" -fill white -stroke none \
          -draw "roundrectangle 14,14 405,185 20,20" -fill '#1c3f8c' -font DejaVu-Sans-Bold \
          -pointsize 34 -gravity center -annotate +0-28 'Enrol Station' -font DejaVu-Sans \
          -pointsize 18 -annotate +0+22 'Demo installation' -annotate +0+50 'station: readersim 127.0.0.1' \
          -type TrueColor BMP3:"$file" 2>/dev/null
}

# The target and the working folder of a Windows shortcut (.lnk), as Windows
# paths, one a line: the local base path of its link information and its
# working-directory string (characters beyond ASCII are not kept).
read_link() {
  local -a b
  read -r -a b < <(od -An -v -tu1 "$1" | tr '\n' ' ')
  local flags=$((b[20] | b[21] << 8)) at=76 target='' dir='' i n k s width=1
  ((flags & 0x80)) && width=2  # string data in UTF-16
  if ((flags & 0x01)); then     # an item-id list first: skip it
    at=$((at + 2 + (b[at] | b[at + 1] << 8)))
  fi
  if ((flags & 0x02)); then     # link information: the target's local base path
    local base=$((at + (b[at + 16] | b[at + 17] << 8 | b[at + 18] << 16)))
    for ((i = base; i < ${#b[@]} && b[i] != 0; i++)); do target+=$(printf "\\x$(printf %02x "${b[i]}")"); done
    at=$((at + (b[at] | b[at + 1] << 8 | b[at + 2] << 16)))
  fi
  for k in 4 8 16; do           # name, relative path, working directory
    ((flags & k)) || continue
    n=$((b[at] | b[at + 1] << 8))
    at=$((at + 2))
    s=''
    for ((i = 0; i < n && b[at + i * width] != 0; i++)); do
      s+=$(printf "\\x$(printf %02x "${b[at + i * width]}")")
    done
    at=$((at + n * width))
    [ "$k" = 16 ] && dir=$s
  done
  printf '%s\n%s\n' "$target" "$dir"
}
