# Runs the layering check on a tree that breaks every rule once and fails
# unless each breach is reported (so that the check itself is seen to work).
execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${BAD} -P ${CHECK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "the layering check passed a tree that breaks it")
endif()
foreach(expected
    "store/up.cpp: includes \"readers/readers.h\""
    "link/os.cpp: system header <termios.h>"
    "persons/other_view.cpp: includes \"readers/readers.h\""
    "views/kit.cpp: includes \"shell/shell.h\""
    "ops/ui.cpp: the core includes the ui layer \"platform/ui.h\"")
  string(FIND "${err}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "not reported: ${expected}\n${err}")
  endif()
endforeach()
string(FIND "${err}" "other_view.cpp: includes \"views/host.h\"" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "the view kit was refused to a view:\n${err}")
endif()
