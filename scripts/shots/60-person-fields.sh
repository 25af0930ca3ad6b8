# Screenshot step of the person form with additional fields (sourced by
# screenshots.sh after 50-admin.sh, which switched additional fields 1 and 3 on):
#   <ed>-person-form-fields.png  the form for a new person with both fields
#                                shown in their places, filled in, not saved
# Field 1 stands before the company code, field 3 (moved left into the room of
# the inactive field 2) before the identification number.

fields_person_keys=(alt+m p)
[ "$ed" = de ] && fields_person_keys=(alt+v p)
activate "$main"
xdotool key "${fields_person_keys[@]}" Return  # "new person set"
if fields_form=$(wait_window '^Person$' 10); then
  activate "$fields_form"
  click_du "$fields_form" 60 22 449 188 && xdotool type --delay 15 Kowalski
  click_du "$fields_form" 190 22 449 188 && xdotool type --delay 15 Jan
  click_du "$fields_form" 300 22 449 188 && xdotool type --delay 15 1000000113
  click_du "$fields_form" 35 52 449 188 && xdotool type --delay 15 7
  click_du "$fields_form" 175 52 449 188 && xdotool type --delay 15 3
  click_du "$fields_form" 255 52 449 188 && xdotool type --delay 15 04A1B2C30D
  click_du "$fields_form" 60 22 449 188  # back to the name: the fields are filled up
  sleep 0.3
  shot "$fields_form" "$out/$ed-person-form-fields.png"
  click_du "$fields_form" 400 169 449 188  # "Exit Menu"
  sleep 0.5
else
  echo "the person form did not open"
  failed=1
fi
