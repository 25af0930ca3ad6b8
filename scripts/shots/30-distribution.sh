# Screenshots of the distribution to the readers (sourced by screenshots.sh with
# the program running, logged in, the station initialised and four readers
# entered):
#   <ed>-download.png  the reader selection D_DOWN_AN_LESER during a bulk
#                      download (F10), with the progress bar and status texts
#   <ed>-toc-list.png  the Template-on-Card list (F11)
# The program is closed first so that enroltool can put persons and two
# simulated readers (readersim, slowed down so that the download can be
# watched) into the installation; then it is started again and logged in.
dist_enroltool=$root/build/native/tools/enroltool/enroltool
dist_sim_pid=
dist_failed() { echo "distribution: $*"; failed=1; }
dist_steps() {
  cmake --build "$root/build/native" -j "$jobs" --target enroltool >"$root/build/native/build-enroltool.log" 2>&1 ||
    { dist_failed "enroltool did not build"; return 1; }
  local rport=$((port + 1)) names dialog_title list_title info_title i
  "$readersim" --readers 1,2 --tcp "127.0.0.1:$rport" --slow 40 </dev/null >/dev/null 2>&1 &
  dist_sim_pid=$!
  # Close the program, then add the persons and the two readers.
  activate "$main"
  xdotool key alt+F4
  for _ in $(seq 1 40); do kill -0 "$wine_pid" 2>/dev/null || break; sleep 0.25; done
  kill "$wine_pid" 2>/dev/null
  wineserver -w 2>/dev/null
  names=(Baker Fischer Garcia Hansen Ito Jensen Kowalski Larsen Meyer Novak Olsen Petrov)
  for i in "${!names[@]}"; do
    "$dist_enroltool" person add "$work" --name "${names[$i]}" --first-name "Alex" \
      --personnel-number "$(printf '%010d' $((1001 + i)))" --id "$(printf '%X' $((0xA100 + i)))" \
      --pin "$(printf '%06d' $((314159 + 7 * i)))" --demo-templates 2 >/dev/null ||
      { dist_failed "persons could not be added"; return 1; }
  done
  "$dist_enroltool" reader add "$work" --name "Lobby (simulated)" --tcp "127.0.0.1:$rport" --address 1 --preselect >/dev/null &&
    "$dist_enroltool" reader add "$work" --name "Garage (simulated)" --tcp "127.0.0.1:$rport" --address 2 --preselect >/dev/null ||
    { dist_failed "readers could not be added"; return 1; }
  (cd "$work" && exec wine "$exe") >>"$work.log" 2>&1 &
  wine_pid=$!
  local login
  login=$(wait_window "$login_title" 60) || { dist_failed "no login after the restart"; return 1; }
  main=$(wait_window '^Enrol Station$' 10)
  activate "$login"
  xdotool type --delay 30 "$password"
  xdotool key Return
  sleep 3
  # F10: all persons to the readers; the question's default button is Yes.
  dialog_title='^Send data to reader$' list_title='^Modelo no cart'
  info_title='^Load info$'
  if [ "$ed" = de ]; then dialog_title='^Daten an Leser senden$' info_title='^Download Info$'; fi
  activate "$main"
  xdotool key F10
  local box
  box=$(wait_window '^(Load personal data|Personendaten laden)$' 10) || { dist_failed "no download question"; return 1; }
  activate "$box"
  xdotool key Return
  local sel
  sel=$(wait_window "$dialog_title" 10) || { dist_failed "no reader selection"; return 1; }
  activate "$sel"
  # Untick the pre-selected readers that are not simulated: "Entrance hall"
  # (COM 01) and "Main gate" (192.168.0.21), boxes 0 and 2 (330 x 288 units).
  click_du "$sel" 13 61 330 288
  click_du "$sel" 13 81 330 288
  click_du "$sel" 42 273 330 288     # "Send"
  sleep 4
  shot "$sel" "$out/$ed-download.png"
  box=$(wait_window "$info_title" 120) || { dist_failed "the download did not end"; return 1; }
  activate "$box"
  xdotool key Return
  sleep 1
  activate "$main"
  xdotool key F11
  local toc
  toc=$(wait_window "$list_title" 10) || { dist_failed "no Template-on-Card list"; return 1; }
  activate "$toc"
  sleep 0.5
  shot "$toc" "$out/$ed-toc-list.png"
  xdotool key alt+F4
  sleep 0.5
}
dist_steps
[ -n "$dist_sim_pid" ] && kill "$dist_sim_pid" 2>/dev/null
dist_sim_pid=
