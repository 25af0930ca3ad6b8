# Screenshot steps of the person windows (sourced by screenshots.sh with the
# program running and the administrator logged in): twelve persons entered
# through the person form D_PERSON (449 x 188 dialog units) as an operator does
# (menu "new person set", the fields, "Create new set", No to the question about
# the templates), then
#   <ed>-person-form.png  the form for a new person, filled in, before "Create"
#   <ed>-person-list.png  the person list (F5) with the twelve persons
#   <ed>-search.png       the search D_SUCHEN with a search text and a person chosen
# The input mask is the one of a new installation: no additional field is
# active, so the identification number stands right of the company code.

person_keys=(alt+m p) question_title='^Message / Question$'
person_list_title='^Change Persons$' search_title='^Search$'
if [ "$ed" = de ]; then
  person_keys=(alt+v p) question_title='^Meldung / Frage$'
  person_list_title='^Personen ändern$' search_title='^Suchen$'
fi

# A new person through the form:
#   add_person NAME FIRST_NAME PERSONNEL_NUMBER IDENTIFICATION PIN [SHOT]
add_person() {
  local form question
  activate "$main"
  xdotool key "${person_keys[@]}" Return  # "new person set", the first item
  form=$(wait_window '^Person$' 10) || return 1
  activate "$form"
  click_du "$form" 60 22 449 188 && xdotool type --delay 15 "$1"
  click_du "$form" 190 22 449 188 && xdotool type --delay 15 "$2"
  click_du "$form" 300 22 449 188 && xdotool type --delay 15 "$3"
  click_du "$form" 110 52 449 188 && xdotool type --delay 15 "$4"
  click_du "$form" 35 82 449 188 && xdotool type --delay 15 "$5"
  click_du "$form" 60 22 449 188  # back to the name: the PIN is filled up on leaving
  if [ -n "${6:-}" ]; then
    sleep 0.3
    shot "$form" "$6"
  fi
  click_du "$form" 138 169 449 188  # "Create new set"
  question=$(wait_window "$question_title" 10) || return 1
  activate "$question"
  xdotool key n  # No: the templates later
  sleep 0.5
}

persons_ok=1
people=(
  "Becker|Anna|1000000101|04A1B2C301|4711"
  "Schneider|Lukas|1000000102|04A1B2C302|120583"
  "Nowak|Ewa|1000000103|04A1B2C303|"
  "Hoffmann|Jonas|1000000104|04A1B2C304|350912"
  "Okafor|Chidi|1000000105|04A1B2C305|"
  "Wagner|Marie|1000000106|04A1B2C306|778899"
  "Rossi|Giulia|1000000107|04A1B2C307|"
  "Schulz|Felix|1000000108|04A1B2C308|246810"
  "Yilmaz|Emre|1000000109|04A1B2C309|"
  "Meyer|Sophie|1000000110|04A1B2C30A|135790"
  "Lindqvist|Erik|1000000111|04A1B2C30B|"
  "Dubois|Claire|1000000112|04A1B2C30C|864200"
)
for entry in "${people[@]}"; do
  IFS='|' read -r p_name p_first p_number p_ident p_pin <<<"$entry"
  shot_file=
  [ "$p_number" = 1000000112 ] && shot_file=$out/$ed-person-form.png
  add_person "$p_name" "$p_first" "$p_number" "$p_ident" "$p_pin" "$shot_file" ||
    { echo "the persons could not be entered"; persons_ok=0; failed=1; break; }
done

if [ "$persons_ok" = 1 ]; then
  activate "$main"
  xdotool key F5
  if plist=$(wait_window "$person_list_title" 10); then
    activate "$plist"
    sleep 0.3
    shot "$plist" "$out/$ed-person-list.png"
    xdotool key alt+F4
    sleep 0.5
  else
    echo "the person list did not open"
    failed=1
  fi

  activate "$main"
  xdotool key "${person_keys[@]}" Down Down Down Return  # "Search person"
  if search=$(wait_window "$search_title" 10); then
    activate "$search"
    click_du "$search" 60 68 260 192   # search text
    xdotool type --delay 30 s
    click_du "$search" 60 96 260 192   # the first match
    sleep 0.3
    shot "$search" "$out/$ed-search.png"
    click_du "$search" 218 177 260 192  # "Exit Menu"
    sleep 0.5
  else
    echo "the search did not open"
    failed=1
  fi
fi
