# The layering rules of src/, checked on every #include line:
#   - only platform/ includes operating-system or toolkit headers;
#   - each core folder includes only its own layer and those below it:
#       platform < resources < diag < store < link < ops;
#   - a view folder (views, persons, readers, exchange, admin) includes the core,
#     the ui layer and the view kit views/, but no other view folder; the kit
#     includes no view folder; only the shell, which dispatches to the views,
#     includes them all.
# Run: cmake -DSRC=<src folder> -P check_layers.cmake (fails with every breach
# listed).
if(NOT SRC)
  message(FATAL_ERROR "SRC not given")
endif()

set(CORE platform resources diag store link ops)
set(VIEWS views shell persons readers exchange admin)
# What each folder may include, besides itself.
set(allow_platform)
set(allow_resources platform)
set(allow_diag platform resources)
set(allow_store platform resources diag)
set(allow_link platform resources diag store)
set(allow_ops platform resources diag store link)
set(allow_views ${CORE})
set(allow_persons ${CORE} views)
set(allow_readers ${CORE} views)
set(allow_exchange ${CORE} views)
set(allow_admin ${CORE} views)
set(allow_shell ${CORE} ${VIEWS})
# System headers only platform/ may include.
set(os_headers_regex
    "^([Ww]indows|[Ww]insock2?|[Ww][Ss]2tcpip|[Cc]ommctrl|[Cc]ommdlg|shellapi|shlobj|termios|unistd|fcntl|netdb|poll|dirent|pthread|sys/.*|netinet/.*|arpa/.*)\\.h$")
# The window toolkit and the backends: the core reaches the operator only
# through the message box (platform/message_box.h).
set(ui_headers_regex "^platform/(ui\\.h|headless/|win32/|posix/)")

file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*.h ${SRC}/*.cpp)
set(breaches)
foreach(f ${files})
  string(REGEX MATCH "^[^/]+" top "${f}")
  file(STRINGS ${SRC}/${f} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(line MATCHES "<([^>]+)>")
      set(header "${CMAKE_MATCH_1}")
      if(NOT top STREQUAL "platform" AND header MATCHES "${os_headers_regex}")
        list(APPEND breaches "${f}: system header <${header}> outside platform/")
      endif()
    elseif(line MATCHES "\"([^\"]+)\"")
      set(header "${CMAKE_MATCH_1}")
      string(REGEX MATCH "^[^/]+" target "${header}")
      list(FIND CORE "${top}" in_core)
      if(NOT in_core EQUAL -1 AND NOT top STREQUAL "platform" AND header MATCHES "${ui_headers_regex}")
        list(APPEND breaches "${f}: the core includes the ui layer \"${header}\"")
      endif()
      if(NOT header MATCHES "/" OR target STREQUAL top)
        continue()
      endif()
      if(NOT DEFINED allow_${top})
        continue()  # a folder without rules of its own (none today)
      endif()
      list(FIND allow_${top} "${target}" ok)
      if(ok EQUAL -1)
        list(APPEND breaches "${f}: includes \"${header}\" (${top}/ may not include ${target}/)")
      endif()
    endif()
  endforeach()
endforeach()

if(breaches)
  list(JOIN breaches "\n  " text)
  message(FATAL_ERROR "layering rules broken:\n  ${text}")
endif()
list(LENGTH files n)
message(STATUS "layering rules hold for ${n} files")
