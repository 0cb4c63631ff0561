# Runs lintian on the two Debian packages that debian_package.cmake built into WORK_DIR: no
# error, no warning, and no informational tag beyond NOTES, the ones cmake/VelqonPackaging.cmake
# explains. Without lintian the test is skipped (apt-get install lintian).
cmake_minimum_required(VERSION 3.25)

find_program(lintian lintian NO_CACHE)
if(NOT lintian)
  message("lintian skipped: not installed (apt-get install lintian)")
  return()
endif()
file(GLOB packages ${WORK_DIR}/*.deb)
execute_process(COMMAND ${lintian} --display-info --fail-on error,warning ${packages}
  RESULT_VARIABLE rc OUTPUT_VARIABLE report ERROR_QUIET)
message("${report}")
string(REGEX MATCHALL "(^|\n)I: [^ ]+ [^ \n]+" notes "${report}")
list(TRANSFORM notes REPLACE "^\n?I: [^ ]+ " "")
list(REMOVE_ITEM notes ${NOTES})
if(NOT rc EQUAL 0 OR notes)
  message(FATAL_ERROR "lintian: errors or warnings (exit ${rc}), or unexplained notes: ${notes}")
endif()
