# Sourced by screenshots.sh with the program running: the export and import
# dialogs filled in as an operator fills them, saved ("Save changes", which sorts
# the positions), into <ed>-export.png and <ed>-import.png.
#   D_EXPORT: start-and-length records of 70 bytes with CR LF, five fields.
#   D_IMPORT: ";"-separated records with templates, one header line.

# Dialog units of the templates: both are 360 wide; D_EXPORT is 294 high,
# D_IMPORT 308.
exchange_w=360

# Types into the edit at (x, y) in place of its text.
exchange_edit() {
  local dialog=$1 h=$2 x=$3 y=$4 text=$5
  click_du "$dialog" "$x" "$y" "$exchange_w" "$h"
  xdotool key End shift+Home BackSpace
  [ -n "$text" ] && xdotool type --delay 20 "$text"
}

# Position i (0 to 9): the field list entry with code `code`, start and length.
exchange_position() {
  local dialog=$1 h=$2 i=$3 code=$4 start=$5 length=$6 y k
  y=$((95 + 15 * i))
  click_du "$dialog" 110 "$y" "$exchange_w" "$h"  # opens the list
  xdotool key Home
  for ((k = 0; k < code; k++)); do xdotool key Down; done
  xdotool key Return
  sleep 0.2
  exchange_edit "$dialog" "$h" 195 "$y" "$start"
  exchange_edit "$dialog" "$h" 250 "$y" "$length"
}

exchange_shot() {
  local key=$1 title=$2 h=$3 file=$4 fill=$5 dialog
  activate "$main"
  xdotool key "$key"
  if ! dialog=$(wait_window "$title" 10); then
    echo "the dialog $title did not open"
    failed=1
    return
  fi
  activate "$dialog"
  "$fill" "$dialog" "$h"
  click_du "$dialog" 49 $((h - 19)) "$exchange_w" "$h"  # "Save changes"
  sleep 0.5
  shot "$dialog" "$file"
  click_du "$dialog" 311 $((h - 19)) "$exchange_w" "$h"  # "Exit Menu"
  sleep 0.5
}

exchange_fill_export() {
  local d=$1 h=$2
  exchange_edit "$d" "$h" 180 13 'C:\Personal\export.txt'
  click_du "$d" 105 31 "$exchange_w" "$h"   # (or Start and Length)
  exchange_edit "$d" "$h" 85 63 70          # set length
  click_du "$d" 110 63 "$exchange_w" "$h"   # CR
  click_du "$d" 200 63 "$exchange_w" "$h"   # LF
  # entered out of order: "Save changes" shows them sorted by start
  exchange_position "$d" "$h" 0 3 42 10     # Pers. No.
  exchange_position "$d" "$h" 1 1 0 20      # Name
  exchange_position "$d" "$h" 2 2 21 20     # First Name
  exchange_position "$d" "$h" 3 8 53 10     # Preset No.
  exchange_position "$d" "$h" 4 10 64 6     # User PIN
}

exchange_fill_import() {
  local d=$1 h=$2
  exchange_edit "$d" "$h" 180 13 'C:\Personal\import.txt'
  exchange_edit "$d" "$h" 78 31 ';'         # separator
  exchange_edit "$d" "$h" 85 47 1           # one header line
  click_du "$d" 110 63 "$exchange_w" "$h"   # CR
  click_du "$d" 200 63 "$exchange_w" "$h"   # LF
  exchange_position "$d" "$h" 0 1 0 ''      # Name
  exchange_position "$d" "$h" 1 2 1 ''      # First Name
  exchange_position "$d" "$h" 2 3 2 ''      # Pers. No.
  exchange_position "$d" "$h" 3 8 3 ''      # Preset No.
  click_du "$d" 295 248 "$exchange_w" "$h"  # with templates
}

export_title='^Master data Export$' import_title='^Master data Import$'
if [ "$ed" = de ]; then
  export_title='^Stammdaten Export$' import_title='^Stammdaten Import$'
fi
exchange_shot F2 "$export_title" 294 "$out/$ed-export.png" exchange_fill_export
exchange_shot F3 "$import_title" 308 "$out/$ed-import.png" exchange_fill_import
