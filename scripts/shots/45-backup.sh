# Screenshot steps of the backup dialog D_BACKUP_RESTORE (300 x 82 dialog
# units; sourced by screenshots.sh with the program running, the administrator
# logged in and the simulated station presenting a card):
#   <ed>-backup.png   "Admin" > "Backup/Restore" > "Backup": a file name typed,
#                     the backup transponder read with "Reader"
#   <ed>-restore.png  "Restore" after that backup was made ("Backup", the
#                     result box answered): the file name is the last backup
# The backup file goes into the program's working directory.

# Opens item n (0 = Backup, 1 = Restore) of "Admin" > "Backup/Restore".
backup_dialog() {
  local i
  activate "$main"
  xdotool key alt+a
  sleep 0.4
  xdotool key b
  sleep 0.4
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Return
  wait_window '^Backup / Restore$' 10
}

if backup_d=$(backup_dialog 0); then
  activate "$backup_d"
  click_du "$backup_d" 145 10 300 82     # the file name
  xdotool type --delay 20 enrol-backup.bak
  click_du "$backup_d" 264 31 300 82     # "Reader", then the Info box before the read
  if answer_info 10; then
    sleep 1.5                            # the card is read at the station
    shot "$backup_d" "$out/$ed-backup.png"
    activate "$backup_d"
    click_du "$backup_d" 42 67 300 82    # "Backup"
    if backup_box=$(wait_window '^Backup Info$' 30); then
      activate "$backup_box"
      xdotool key Return
      sleep 0.5
    else
      echo "the backup did not report success"
      failed=1
      xdotool key Return
      sleep 0.5
    fi
  else
    echo "the backup dialog did not ask for the transponder"
    failed=1
  fi
else
  echo "the backup dialog did not open"
  failed=1
fi
# Whatever is left open goes with "Exit Menu".
if backup_d=$(wait_window '^Backup / Restore$' 1); then
  activate "$backup_d"
  xdotool key alt+F4
  sleep 0.5
fi

if backup_d=$(backup_dialog 1); then
  activate "$backup_d"
  sleep 0.3
  shot "$backup_d" "$out/$ed-restore.png"
  xdotool key alt+F4
  sleep 0.5
else
  echo "the restore dialog did not open"
  failed=1
fi
