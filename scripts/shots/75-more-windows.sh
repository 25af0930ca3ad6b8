# Screenshot steps of the windows the other steps leave out (sourced by
# screenshots.sh after 30-distribution.sh, which put twelve persons with
# templates and two simulated readers into the installation):
#   <ed>-download-persons.png  the download-persons list (F10, "No" to the
#                              question about all persons)
#   <ed>-software-info.png     the "Software Info" box of the "?" menu
#   <ed>-users.png             the user management D_USER with a new user
#                              typed in (then saved)
#   <ed>-password.png          the password change D_PASSWORT of that user,
#                              logged in with F1 (then left, Admin again)
#   <ed>-matching.png          D_MATCHING from the Template-on-Card list for
#                              its first person; left without writing

more_failed() { echo "more windows: $*"; failed=1; }
more_user=Operator1 more_user_password=Op3rator
more_persons_title='^(Load personal data|Personendaten laden)$'
more_users_title='^User management$' more_password_title='^Change Password$'
more_question_title='^Question$' more_file_key=alt+f
if [ "$ed" = de ]; then
  more_users_title='^Userverwaltung$' more_password_title='^Passwort ändern$'
  more_question_title='^Frage$' more_file_key=alt+d
fi

# Logs in through F1: the login list entry `steps` Down from the first
# ("Admin"), then the password.
#   more_login STEPS PASSWORD
more_login() {
  local d i
  activate "$main"
  xdotool key F1
  d=$(wait_window "$login_title" 10) || return 1
  activate "$d"
  click_du "$d" 110 11 180 72        # the user list: open it
  xdotool key Home
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Return
  click_du "$d" 110 29 180 72        # the password
  xdotool type --delay 30 "$2"
  click_du "$d" 42 55 180 72         # "Login"
  sleep 2
}

more_steps() {
  local d box
  # The download-persons list.
  activate "$main"
  xdotool key F10
  box=$(wait_window "$more_persons_title" 10) || { more_failed "no download question"; return 1; }
  activate "$box"
  xdotool key n
  sleep 1.5
  d=$(wait_window "$more_persons_title" 10) || { more_failed "no download-persons list"; return 1; }
  activate "$d"
  sleep 0.5
  shot "$d" "$out/$ed-download-persons.png"
  xdotool key alt+F4
  sleep 0.5

  # Software info: menu "?" (alt+?), "Soft&ware Info".
  activate "$main"
  xdotool key alt+question
  sleep 0.4
  xdotool key w
  if box=$(wait_window '^Info$' 10); then
    activate "$box"
    sleep 0.3
    shot "$box" "$out/$ed-software-info.png"
    xdotool key Return
    sleep 0.5
  else
    more_failed "no software info"
  fi

  # The user management: a new user.
  activate "$main"
  xdotool key alt+a
  sleep 0.4
  xdotool key u
  d=$(wait_window "$more_users_title" 10) || { more_failed "no user management"; return 1; }
  activate "$d"
  click_du "$d" 130 11 214 72        # user name
  xdotool type --delay 30 "$more_user"
  click_du "$d" 130 29 214 72        # password
  xdotool type --delay 30 "$more_user_password"
  sleep 0.3
  shot "$d" "$out/$ed-users.png"
  click_du "$d" 39 55 214 72         # "Save"
  answer_info 10 || more_failed "the user was not created"
  click_du "$d" 178 55 214 72        # "Exit Menu"
  sleep 0.5

  # The new user logs in and opens "Change Password" (File, third item).
  more_login 1 "$more_user_password"
  activate "$main"
  xdotool key "$more_file_key"
  sleep 0.4
  xdotool key Down Down Return
  if d=$(wait_window "$more_password_title" 10); then
    activate "$d"
    click_du "$d" 165 11 220 88      # old password
    xdotool type --delay 30 "$more_user_password"
    sleep 0.3
    shot "$d" "$out/$ed-password.png"
    click_du "$d" 178 71 220 88      # "Exit Menu"
    sleep 0.5
  else
    more_failed "no password change"
  fi
  more_login 0 "$password"

  # D_MATCHING: the first person of the Template-on-Card list (Baker); a
  # new installation has a Template-on-Card module (Legic advant) and ticks
  # "Write template on transponder" for every new person.
  activate "$main"
  xdotool key F11
  d=$(wait_window '^Modelo no cart' 10) || { more_failed "no Template-on-Card list"; return 1; }
  activate "$d"
  xdotool mousemove --window "$d" 60 27 click 1  # the first row (Baker), as an operator clicks it
  sleep 0.4
  xdotool key Return
  box=$(wait_window "$more_question_title" 10) || { more_failed "no write question"; return 1; }
  activate "$box"
  xdotool key y
  if box=$(wait_window '^Matching Level$' 10); then
    activate "$box"
    sleep 0.3
    shot "$box" "$out/$ed-matching.png"
  else
    more_failed "no D_MATCHING"
  fi
}
more_steps
