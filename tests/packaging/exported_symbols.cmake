# Compares the dynamic symbols that LIBRARY defines with the names listed in LIST: exactly the
# same set, or the differences are printed (with their demangled form) and the test fails.
# C names appear plain and C++ names mangled, so the comparison also pins each name's linkage.
#
# LIST holds one symbol per line; blank lines and lines starting with '#' are ignored. A name
# followed by "checked-build-only" is expected only when CHECKED is true (VELQON_CHECKED), one
# followed by "gnu-only" only when COMPILER (CMAKE_CXX_COMPILER_ID) is GNU. To see
# the current exports: nm -D --defined-only build/src/libvelqon64.so.0 | awk '{print $3}' | sort
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)

run(${NM} -D --defined-only ${LIBRARY})
# "<address> <type> <name>[@version]"
matching_lines(exported "${output}" "^[0-9a-fA-F]+ [A-Za-z] ([^@]+)")

file(READ ${LIST} list_text)
matching_lines(listed "${list_text}" "^([^# \t]+)$")
if(CHECKED)
  matching_lines(checked_only "${list_text}" "^([^# \t]+)[ \t]+checked-build-only$")
  list(APPEND listed ${checked_only})
endif()
if(COMPILER STREQUAL "GNU")
  matching_lines(gnu_only "${list_text}" "^([^# \t]+)[ \t]+gnu-only$")
  list(APPEND listed ${gnu_only})
endif()

set(unexpected ${exported})
set(missing ${listed})
if(listed AND exported)
  list(REMOVE_ITEM unexpected ${listed})
  list(REMOVE_ITEM missing ${exported})
endif()

# A name exported with C++ linkage but listed with C linkage (or the other way round) shows up
# on both sides; the exported side says so instead of reporting two unrelated differences.
function(describe kind names)
  foreach(name ${names})
    execute_process(COMMAND c++filt ${name} OUTPUT_VARIABLE readable OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX REPLACE "\\(.*" "" base "${readable}")
    set(note "")
    if(name MATCHES "^_Z" AND base IN_LIST ARGN)
      set(note "  <- exported with C++ linkage, listed with C linkage")
    elseif(NOT name MATCHES "^_Z" AND ARGN MATCHES "(^|;)_Z[^;]*[0-9]${name}")
      set(note "  <- exported with C linkage, listed with C++ linkage")
    endif()
    if(readable STREQUAL name)
      message("  ${kind} ${name}${note}")
    else()
      message("  ${kind} ${name}  (${readable})${note}")
    endif()
  endforeach()
endfunction()

if(unexpected OR missing)
  message("Exported symbols of ${LIBRARY} differ from ${LIST}:")
  describe("exported, not listed:" "${unexpected}" ${missing})
  describe("listed, not exported:" "${missing}")
  message(FATAL_ERROR "exported symbol set mismatch")
endif()
list(LENGTH exported count)
message("${count} exported symbols, as listed")
