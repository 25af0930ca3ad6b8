# Keeps the operator's guides true to the program:
# - every picture docs/GUIDE.md and docs/ANLEITUNG.md show exists in
#   docs/screenshots/, and each guide shows only its own edition's pictures
#   (en-*.png in the English guide, de-*.png in the German one);
# - every command that `enroltool --help` names appears in both guides as
#   "enroltool COMMAND";
# - every Log.txt line a guide quotes (the lines of its ```log blocks) is a
#   text of the catalogue (the *.inc files of TEXTS), whole or after its tag
#   ("DownAlle  - " and the like: ten characters, a dash and a blank).
#   cmake -DDOCS=<folder with GUIDE.md, ANLEITUNG.md, screenshots/>
#         (-DENROLTOOL=<enroltool> | -DHELP_FILE=<its --help text>)
#         -DTEXTS=<folder with the catalogue's *.inc> -P check_guides.cmake
if(DEFINED HELP_FILE)
  file(READ "${HELP_FILE}" help)
else()
  execute_process(COMMAND "${ENROLTOOL}" --help RESULT_VARIABLE rc OUTPUT_VARIABLE help
                  ERROR_VARIABLE help_err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "enroltool --help exited with ${rc}: ${help_err}")
  endif()
endif()

# The commands: a usage line indented by two blanks starts with the command's
# lower-case words ("init", "reader add"); arguments are upper case or options.
string(REGEX MATCHALL "\n  [a-z][a-z-]*( [a-z][a-z-]*)*" lines "${help}")
set(commands)
foreach(line IN LISTS lines)
  string(STRIP "${line}" command)
  list(APPEND commands "${command}")
endforeach()
list(REMOVE_DUPLICATES commands)
list(LENGTH commands count)
if(count LESS 3)
  message(FATAL_ERROR "no commands found in the enroltool usage:\n${help}")
endif()

# The catalogue's texts as C string literals, the parts of a text written on
# several lines joined into one.
file(GLOB catalogue_files "${TEXTS}/*.inc")
if(NOT catalogue_files)
  message(FATAL_ERROR "no catalogue texts in ${TEXTS}")
endif()
set(catalogue "")
foreach(f IN LISTS catalogue_files)
  file(READ "${f}" part)
  string(APPEND catalogue "${part}\n")
endforeach()
string(REGEX REPLACE "\"[ \t]*\n[ \t]*\"" "" catalogue "${catalogue}")

# True in `out` when `line` is a catalogue text, as C string literal.
function(in_catalogue line out)
  string(REPLACE "\\" "\\\\" literal "${line}")
  string(REPLACE "\"" "\\\"" literal "${literal}")
  string(FIND "${catalogue}" "\"${literal}\"" at)
  set(${out} FALSE PARENT_SCOPE)
  if(NOT at EQUAL -1)
    set(${out} TRUE PARENT_SCOPE)
  endif()
endfunction()

set(faults)
foreach(pair "GUIDE.md:en" "ANLEITUNG.md:de")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 guide)
  list(GET pair 1 edition)
  if(NOT EXISTS "${DOCS}/${guide}")
    list(APPEND faults "${guide}: missing")
    continue()
  endif()
  file(READ "${DOCS}/${guide}" text)
  string(REGEX MATCHALL "\\(screenshots/[A-Za-z0-9_.-]+\\)" refs "${text}")
  if(NOT refs)
    list(APPEND faults "${guide}: shows no screenshot")
  endif()
  foreach(ref IN LISTS refs)
    string(REGEX REPLACE "^\\(screenshots/(.*)\\)$" "\\1" picture "${ref}")
    if(NOT EXISTS "${DOCS}/screenshots/${picture}")
      list(APPEND faults "${guide}: screenshots/${picture} does not exist")
    endif()
    if(NOT picture MATCHES "^${edition}-")
      list(APPEND faults "${guide}: screenshots/${picture} is not a ${edition}- picture")
    endif()
  endforeach()
  foreach(command IN LISTS commands)
    if(NOT text MATCHES "enroltool (--yes |--no )?${command}[ `\n]")
      list(APPEND faults "${guide}: enroltool ${command} is not described")
    endif()
  endforeach()
  string(REGEX MATCHALL "```log\n[^`]*```" blocks "${text}")
  foreach(block IN LISTS blocks)
    string(REGEX REPLACE "^```log\n(.*)```$" "\\1" block "${block}")
    string(REPLACE "\n" ";" lines "${block}")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)  # a block inside a list item is indented
      if(line STREQUAL "")
        continue()
      endif()
      in_catalogue("${line}" found)
      if(NOT found AND line MATCHES "^[A-Za-z][A-Za-z ]........- ")
        string(SUBSTRING "${line}" 12 -1 rest)
        in_catalogue("${rest}" found)
      endif()
      if(NOT found)
        list(APPEND faults "${guide}: Log.txt line not in the catalogue: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  string(REPLACE ";" "\n" faults "${faults}")
  message(FATAL_ERROR "the guides do not match the program:\n${faults}")
endif()
message(STATUS "guides: ${count} enroltool commands, every picture present")
