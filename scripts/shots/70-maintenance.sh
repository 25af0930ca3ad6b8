# Screenshots of the "System" menu (sourced by screenshots.sh with the program
# running, the administrator logged in; 30-distribution.sh entered the two
# simulated readers "Lobby (simulated)" and "Garage (simulated)" at bus
# addresses 1 and 2 behind port + 1):
#   <ed>-reader-test.png     the reader selection D_DOWN_AN_LESER of the reader
#                            test after "Send", with its status texts (the
#                            closing box moved aside for the shot)
#   <ed>-operating-mode.png  D_BMODE
#   <ed>-release-info.png    D_LESER_VERS_INFO
maint_sim_pid=
maint_failed() { echo "maintenance: $*"; failed=1; }

# Opens item n (0 = first) of the "System" menu and waits for its window.
#   maint_item N TITLE_PATTERN
maint_item() {
  local n=$1 title=$2 i
  activate "$main"
  xdotool key alt+s
  sleep 0.4
  for ((i = 0; i < n; i++)); do xdotool key Down; done
  xdotool key Return
  wait_window "$title" 10
}

maint_steps() {
  local sel_title='^Send data to reader$' box_title='^Info reader test$'
  local bmode_title='^Operating mode for the reader$' info_title='^Reader ReleaseInfo$'
  if [ "$ed" = de ]; then
    sel_title='^Daten an Leser senden$' box_title='^Info Lesertest$'
    bmode_title='^Betriebsmode für Leser$' info_title='^Leser VersionsInfo$'
  fi
  "$readersim" --readers 1,2 --tcp "127.0.0.1:$((port + 1))" </dev/null >/dev/null 2>&1 &
  maint_sim_pid=$!
  sleep 0.5
  local sel box d
  sel=$(maint_item 0 "$sel_title") || { maint_failed "no reader selection for the reader test"; return 1; }
  activate "$sel"
  # Untick the pre-selected readers that nobody simulates: "Entrance hall"
  # (COM 01) and "Main gate" (192.168.0.21), boxes 0 and 2 (330 x 288 units).
  click_du "$sel" 13 61 330 288
  click_du "$sel" 13 81 330 288
  click_du "$sel" 42 273 330 288  # "Send"
  # A fresh simulated reader does not hold the installation's parameters: its
  # check asks whether to update them (the default answer, Yes, is taken).
  local i ask
  box=
  for ((i = 0; i < 120; i++)); do
    box=$(xdotool search --onlyvisible --name "$box_title" 2>/dev/null | head -1)
    [ -n "$box" ] && break
    ask=$(xdotool search --onlyvisible --name '^Info (Lobby|Garage) \(simulated\)$' 2>/dev/null | head -1)
    if [ -n "$ask" ]; then
      activate "$ask"
      xdotool key Return
    fi
    sleep 0.5
  done
  [ -n "$box" ] || { maint_failed "the reader test did not end"; return 1; }
  # The closing box stands over the dialog: moved aside, the status texts show.
  xdotool windowmove "$box" 600 620
  sleep 0.5
  shot "$sel" "$out/$ed-reader-test.png"
  activate "$box"
  xdotool key Return
  sleep 1

  d=$(maint_item 5 "$bmode_title") || { maint_failed "D_BMODE did not open"; return 1; }
  activate "$d"
  sleep 0.3
  shot "$d" "$out/$ed-operating-mode.png"
  xdotool key alt+F4
  sleep 0.5

  d=$(maint_item 6 "$info_title") || { maint_failed "D_LESER_VERS_INFO did not open"; return 1; }
  activate "$d"
  xdotool type --delay 30 "R2.4"
  sleep 0.3
  shot "$d" "$out/$ed-release-info.png"
  xdotool key alt+F4
  sleep 0.5
}
maint_steps
[ -n "$maint_sim_pid" ] && kill "$maint_sim_pid" 2>/dev/null
maint_sim_pid=
