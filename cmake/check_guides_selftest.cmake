# Runs the guide check on guides that break it once each way and fails unless
# every fault is reported (so that the check itself is seen to work).
execute_process(COMMAND ${CMAKE_COMMAND} -DDOCS=${BAD} -DHELP_FILE=${BAD}/help.txt
                        -DTEXTS=${TEXTS} -P ${CHECK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "the guide check passed guides that break it")
endif()
foreach(expected
    "GUIDE.md: screenshots/en-missing.png does not exist"
    "GUIDE.md: screenshots/de-present.png is not a en- picture"
    "GUIDE.md: enroltool reader add is not described"
    "ANLEITUNG.md: enroltool backup is not described"
    "ANLEITUNG.md: shows no screenshot"
    "GUIDE.md: Log.txt line not in the catalogue: DownAlle"  # its blanks run together
    "Ende!!!")
  string(FIND "${err}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "not reported: ${expected}\n${err}")
  endif()
endforeach()
foreach(unexpected "en-present.png" "enroltool init" "enroltool backup-info" "enroltool reader list")
  string(FIND "${err}" "${unexpected}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "reported wrongly: ${unexpected}\n${err}")
  endif()
endforeach()
