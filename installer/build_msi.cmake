# Builds the Windows Installer package of one edition from enrolstation.wxs:
#   cmake -DEDITION=en|de -DVERSION=2.4.12 -DPROGRAM=enrolstation.exe
#         -DENROLTOOL=enroltool.exe -DREADERSIM=readersim.exe -DOUTPUT=file.msi
#         [-DWIXL=wixl] [-DMSIBUILD=msibuild] -P build_msi.cmake
# Used by the "installers" target (installer/CMakeLists.txt) and by the
# installer test, which packs the same programs under another version to try an
# upgrade. wixl (Debian package wixl) writes the package; msibuild (msitools)
# then adds the permissions of the data folder, which wixl has no element for:
# full control for SYSTEM and the administrators, change (read, write, delete)
# for the Users group, inherited by every file the program creates there.
foreach(var EDITION VERSION PROGRAM ENROLTOOL READERSIM OUTPUT)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "build_msi.cmake: ${var} not given")
  endif()
endforeach()
if(NOT WIXL)
  set(WIXL wixl)
endif()
if(NOT MSIBUILD)
  set(MSIBUILD msibuild)
endif()
if(NOT VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "build_msi.cmake: VERSION must be MAJOR.MINOR.PATCH, not ${VERSION}")
endif()
math(EXPR next_patch "${CMAKE_MATCH_3} + 1")
set(next "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${next_patch}")

set(here ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(OUTPUT "${OUTPUT}" ABSOLUTE)
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
set(tmp "${OUTPUT}.tmp")
file(REMOVE "${tmp}")
# wixl takes the programs by paths relative to where it runs.
foreach(var PROGRAM ENROLTOOL READERSIM)
  get_filename_component(path "${${var}}" ABSOLUTE)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "build_msi.cmake: ${path} does not exist")
  endif()
  file(RELATIVE_PATH rel_${var} "${out_dir}" "${path}")
endforeach()
execute_process(
  COMMAND ${WIXL} -a x64 -D Edition=${EDITION} -D Version=${VERSION} -D NextVersion=${next}
          -D ProgramExe=${rel_PROGRAM} -D EnroltoolExe=${rel_ENROLTOOL} -D ReadersimExe=${rel_READERSIM}
          -o ${tmp} ${here}/enrolstation.wxs
  WORKING_DIRECTORY "${out_dir}"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "wixl failed (${failed})")
endif()
execute_process(COMMAND ${MSIBUILD} ${tmp} -i ${here}/MsiLockPermissionsEx.idt RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "msibuild failed (${failed})")
endif()
file(RENAME "${tmp}" "${OUTPUT}")
