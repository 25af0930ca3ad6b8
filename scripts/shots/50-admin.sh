# Screenshot steps of the parameter dialogs (sourced by screenshots.sh with the
# program running, the administrator logged in): "Admin" > "Parameter" >
# each of the six items in menu order, into <ed>-<dialog>.png:
#   input-mask, template-parameter, field-descriptions (fields 1 and 3
#   switched on and saved), field-defaults, rfid-module, rfid-key (with a
#   demonstration key typed in, not saved).

# Opens item n (0 = first) of the "Parameter" submenu and waits for its dialog.
#   admin_dialog N TITLE_PATTERN
admin_dialog() {
  local n=$1 title=$2 i
  activate "$main"
  xdotool key alt+a
  sleep 0.4
  xdotool key m
  sleep 0.4
  for ((i = 0; i < n; i++)); do xdotool key Down; done
  xdotool key Return
  wait_window "$title" 10
}

# Shoots a dialog and closes it with "Exit Menu" (the close box).
#   admin_shot N TITLE_PATTERN NAME
admin_shot() {
  local d
  if ! d=$(admin_dialog "$1" "$2"); then
    echo "the dialog $3 did not open"
    failed=1
    return 1
  fi
  activate "$d"
  sleep 0.3
  shot "$d" "$out/$ed-$3.png"
  xdotool key alt+F4
  sleep 0.5
}

admin_titles=('^Input masks parameter$' '^Template Parameter$' '^Additional fields / descriptions$'
              '^Additional field / defaults$' '^RF ID Reader module$' '^RF ID Key$')
admin_fields=("Cost centre" "Area")
if [ "$ed" = de ]; then
  admin_titles=('^Eingabemasken Parameter$' '^Template Parameter$' '^Zusatzfelder / Bezeichnungen$'
                '^Zusatzfelder / Vorbelegung$' '^RF ID Lesermodul$' '^RF ID Schlüssel$')
  admin_fields=("Kostenstelle" "Bereich")
fi

admin_shot 0 "${admin_titles[0]}" input-mask
admin_shot 1 "${admin_titles[1]}" template-parameter
# Additional fields 1 and 3 switched on with descriptions (310 x 166 dialog
# units), shot, and saved, so that the defaults dialog has fields to show.
if admin_d=$(admin_dialog 2 "${admin_titles[2]}"); then
  activate "$admin_d"
  click_du "$admin_d" 20 49 310 166    # "Additional field 1 active"
  click_du "$admin_d" 185 48 310 166   # its description
  xdotool type --delay 20 "${admin_fields[0]}"
  click_du "$admin_d" 20 97 310 166    # "Additional field 3 active"
  click_du "$admin_d" 185 96 310 166
  xdotool type --delay 20 "${admin_fields[1]}"
  sleep 0.3
  shot "$admin_d" "$out/$ed-field-descriptions.png"
  click_du "$admin_d" 42 151 310 166   # "Save"
  sleep 0.5
else
  echo "the dialog field-descriptions did not open"
  failed=1
fi
admin_shot 3 "${admin_titles[3]}" field-defaults
admin_shot 4 "${admin_titles[4]}" rfid-module
# The write key: the administrator sees the key itself, and the default key is
# the same in every installation that never changed it, so the shot shows a
# demonstration key typed over it; the dialog is left without saving.
if admin_d=$(admin_dialog 5 "${admin_titles[5]}"); then
  activate "$admin_d"
  click_du "$admin_d" 130 13 230 52     # the key field
  xdotool key End shift+Home
  xdotool type --delay 20 00112233445566778899AABBCCDDEEFF
  sleep 0.3
  shot "$admin_d" "$out/$ed-rfid-key.png"
  xdotool key alt+F4
  sleep 0.5
else
  echo "the dialog rfid-key did not open"
  failed=1
fi
