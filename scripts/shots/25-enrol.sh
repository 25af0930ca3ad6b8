# Screenshot steps of the fingerprint enrolment and the template deletion
# (sourced by screenshots.sh with the program running, the administrator logged
# in, the station initialised and the persons of 20-persons.sh entered):
#   <ed>-enrol-n3.png     D_ENROL with "Number finger" 3: fingers captured at the
#                         simulated station with good and ok qualities, the Q box
#   <ed>-enrol-n1.png     the same person with "Number finger" 1: each group's
#                         button coloured by its own block
#   <ed>-enrol-dummy.png  D_ENROL for a person given a Spezial PIN instead of
#                         fingers (the dummy template, pink)
#   <ed>-template-list.png the template list LView_t with the persons
#   <ed>-temp-del.png     D_TEMP_DEL for the person with the fingers
# The input mask is set through D_EINGABE ("With fingerprint" on, the numbers
# of fingers, "Entry S-Pin manually") and put back to what it was at the end;
# the station simulator is started once more with a control port, so that
# each capture delivers the quality the shot needs, and put back too.

enrol_failed() {
  echo "enrol: $*"
  failed=1
  [ -n "${ENROL_DEBUG:-}" ] && screenshot "$ENROL_DEBUG/enrol-failed-$ed-$RANDOM.png"
}

# Waits for a window whose title matches, gives it the focus and presses keys.
#   enrol_key TITLE_PATTERN KEY...
enrol_key() {
  local pattern=$1 w
  shift
  w=$(wait_window "$pattern" 15) || { enrol_failed "no window $pattern"; return 1; }
  activate "$w"
  xdotool key "$@"
  for _ in $(seq 1 40); do
    xdotool search --onlyvisible --name "$pattern" 2>/dev/null | grep -qx "$w" || break
    sleep 0.25
  done
  sleep 0.3
}

enrol_titles() {
  en_mask='^Input masks parameter$' en_note='^Important note!$' en_list='^Change template data$'
  en_enrol='^Change templates$' en_pin='^Special PIN award$' en_del_list='^Templatedaten löschen$'
  en_del='^Delete templates$' en_station='^Info Enrol station$' en_question='^Question$'
  en_data_keys=(alt+m t) en_admin_keys=(alt+a m)
  if [ "$ed" = de ]; then
    en_mask='^Eingabemasken Parameter$' en_note='^Wichtiger Hinweis!$' en_list='^Templatedaten ändern$'
    en_enrol='^Templates ändern$' en_pin='^Spezial PIN Vergabe$' en_del='^Templates löschen$'
    en_station='^Info Enrolstation$' en_question='^Frage$'
    en_data_keys=(alt+v t)
  fi
}

# D_EINGABE (333 x 212 dialog units): with fingerprint, number of fingers, good
# Q value, and whether "Entry S-Pin manually" is to be toggled; then "Save" and
# the notes about what changed.
#   enrol_mask WITH FINGERS GOOD TOGGLE_PIN NOTES
enrol_mask() {
  local d i
  activate "$main"
  xdotool key "${en_admin_keys[@]}"
  sleep 0.4
  xdotool key Return   # "Input mask", the first item of "Parameter"
  d=$(wait_window "$en_mask" 10) || { enrol_failed "no input mask dialog"; return 1; }
  activate "$d"
  local values=("$1" "$2")
  for i in 0 1; do
    click_du "$d" 303 $((24 + 14 * i)) 333 212
    xdotool key End shift+Home
    xdotool type --delay 20 "${values[$i]}"
  done
  click_du "$d" 303 66 333 212   # good Q value
  xdotool key End shift+Home
  xdotool type --delay 20 "$3"
  [ "$4" = 1 ] && click_du "$d" 20 146 333 212   # "Entry S-Pin manually"
  click_du "$d" 42 197 333 212   # "Save"
  for ((i = 0; i < $5; i++)); do enrol_key "$en_note" Return || return 1; done
  sleep 0.5
}

# Capture at the station with quality Q: "Enrol (Save)" in D_ENROL (362 x 224),
# Yes to saving, then Yes to "capture / change other templates".
#   enrol_capture DIALOG Q [STATION_UPDATE]
enrol_capture() {
  echo "quality $2" >&"$en_ctl"
  read -r -t 2 _ <&"$en_ctl"
  activate "$1"
  click_du "$1" 44 205 362 224
  enrol_key '^Finger Info$' y || return 1
  if [ "${3:-0}" = 1 ]; then
    # The station learns the fingerprint setting of the input mask.
    enrol_key "$en_station" y || return 1
    enrol_key "$en_station" Return || return 1
  fi
  enrol_key '^Template$' y
}

# Chooses row i (from 0) of a list window: a click on it and Enter.
enrol_row() {
  activate "$1"
  xdotool mousemove --window "$1" 120 $((25 + 14 * $2)) click 1
  sleep 0.3
  xdotool key Return
}

# A grid button of D_ENROL or D_TEMP_DEL by row and column (0-based).
enrol_grid() { click_du "$1" $((22 + 34 * $3)) $((78 + 20 * $2)) 362 "$4"; }

# The questions that may follow a stored enrolment: the transponder write,
# the load into the readers, back to the person data; all declined.
enrol_decline() {
  local w
  for _ in 1 2 3; do
    sleep 1
    w=$(xdotool search --onlyvisible --name '^(Template|Frage|Question)$' 2>/dev/null | head -1)
    [ -z "$w" ] && break
    activate "$w"
    xdotool key n
  done
}

# "Exit Menu" of D_ENROL, then the questions.
enrol_leave() {
  activate "$1"
  click_du "$1" 317 205 362 224
  enrol_decline
}

# Closes a list window.
enrol_close() {
  activate "$1"
  xdotool key alt+F4
  sleep 0.5
}

# A fresh template list (its rows in slot order) and D_ENROL for row i of it.
#   enrol_open ROW
enrol_open() {
  local l
  l=$(xdotool search --onlyvisible --name "$en_list" 2>/dev/null | head -1)
  [ -n "$l" ] && enrol_close "$l"
  activate "$main"
  xdotool key F6
  list=$(wait_window "$en_list" 10) || { enrol_failed "no template list"; return 1; }
  enrol_row "$list" "$1"
  d=$(wait_window "$en_enrol" 10) || { enrol_failed "no enrol dialog"; return 1; }
  sleep 0.5
}

enrol_steps() {
  enrol_titles
  local cport=$((port + 50)) list d
  # The station once more, now with a control port.
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  "$readersim" --station --tcp "127.0.0.1:$port" --auto-card 04A1B2C3D4 --control "$cport" \
    </dev/null >/dev/null 2>&1 &
  sim_pid=$!
  sleep 1
  exec {en_ctl}<>"/dev/tcp/127.0.0.1/$cport" || { enrol_failed "no station control"; return 1; }

  enrol_mask 1 3 90 1 2 || return 1
  # The first person: fingers 1/1 (good), 1/2 (ok) and 2/1 (good).
  enrol_open 0 || return 1
  enrol_grid "$d" 0 0 224 && enrol_capture "$d" 96 || return 1
  enrol_grid "$d" 0 1 224 && enrol_capture "$d" 84 1 || return 1
  enrol_grid "$d" 1 0 224 && enrol_capture "$d" 93 || return 1
  enrol_grid "$d" 0 1 224
  sleep 0.5
  shot "$d" "$out/$ed-enrol-n3.png"
  enrol_leave "$d"

  # One finger per group: the same person's blocks, each on its own button.
  enrol_close "$list"
  enrol_mask 1 1 90 0 1 || return 1
  enrol_open 0 || return 1
  enrol_grid "$d" 0 3 224
  sleep 0.5
  shot "$d" "$out/$ed-enrol-n1.png"
  enrol_leave "$d"

  # The second person: "Special PIN", the PIN in D_SPEZIAL_PIN (177 x 68),
  # then D_ENROL for it once more.
  enrol_open 1 || return 1
  activate "$d"
  click_du "$d" 127 205 362 224
  local pin
  pin=$(wait_window "$en_pin" 10) || { enrol_failed "no Spezial PIN dialog"; return 1; }
  activate "$pin"
  click_du "$pin" 125 12 177 68
  xdotool type --delay 30 975310
  click_du "$pin" 125 28 177 68
  xdotool type --delay 30 975310
  click_du "$pin" 42 53 177 68     # "Save"
  enrol_key '^Frage$' y || return 1
  enrol_key '^Info$' Return || return 1
  enrol_decline
  enrol_open 1 || return 1
  shot "$d" "$out/$ed-enrol-dummy.png"
  enrol_leave "$d"
  # The template list behind it, with the persons and their fingerprint flag.
  activate "$list"
  sleep 0.5
  shot "$list" "$out/$ed-template-list.png"
  enrol_close "$list"

  # "Delete template data": the first person, finger by finger.
  enrol_mask 1 3 90 0 1 || return 1
  activate "$main"
  xdotool key "${en_data_keys[@]}" Down Return
  list=$(wait_window "$en_del_list" 10) || { enrol_failed "no template-delete list"; return 1; }
  enrol_row "$list" 0
  enrol_key '^Frage$' n || return 1
  d=$(wait_window "$en_del" 10) || { enrol_failed "no D_TEMP_DEL"; return 1; }
  sleep 0.5
  enrol_grid "$d" 0 1 202
  sleep 0.3
  shot "$d" "$out/$ed-temp-del.png"
  activate "$d"
  click_du "$d" 317 187 362 202    # "Exit Menu"
  sleep 0.5
  enrol_close "$list"

  # The input mask and the station as they were.
  enrol_mask 0 1 99 1 2
  exec {en_ctl}>&-
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  "$readersim" --station --tcp "127.0.0.1:$port" --auto-card 04A1B2C3D4 </dev/null >/dev/null 2>&1 &
  sim_pid=$!
  sleep 1
}
enrol_steps
