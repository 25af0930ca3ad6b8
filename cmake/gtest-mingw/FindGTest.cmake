# GoogleTest for the MinGW-w64 cross build: compiled from the sources that the
# Debian package googletest installs under /usr/src/googletest, once per build
# tree, and offered under the names the native package uses
# (GTest::gtest, GTest::gtest_main).
if(TARGET GTest::gtest)
  set(GTest_FOUND TRUE)
  return()
endif()

set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
if(NOT EXISTS ${GTEST_SOURCE_DIR}/googletest/CMakeLists.txt)
  set(GTest_FOUND FALSE)
  if(GTest_FIND_REQUIRED)
    message(FATAL_ERROR "GoogleTest sources not found in ${GTEST_SOURCE_DIR} (package googletest)")
  endif()
  return()
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
# GoogleTest's own sources are not held to the project's warning flags.
get_directory_property(_enrol_gtest_opts COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${GTEST_SOURCE_DIR}/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${_enrol_gtest_opts}")

# Newer GoogleTest sources name their targets GTest::* themselves.
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
set(GTest_FOUND TRUE)
set(GTEST_FOUND TRUE)
