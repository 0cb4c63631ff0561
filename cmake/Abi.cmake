# ABI guard. abi/libvelqon64.so.0.abi records the library's ABI as libabigail's abidw reads it
# from the library and its debug information: every exported function and variable, their
# parameter and return types, and the layout of every public type they reach (sizes, member
# offsets, virtual table slots, enumerator values). abidiff compares the built library with it.
#
#   cmake --build build --target abi-check      compare (the test packaging.Abi does the same)
#   cmake --build build --target abi-baseline   rewrite the baseline from the built library
#
# Any difference fails the check with abidiff's report. A deliberate ABI change regenerates the
# baseline with abi-baseline in the same commit, with a line in CHANGELOG.md saying what changed
# (and, when it adds to the ABI, VELQON_ABI_SINCE in cmake/VelqonPackaging.cmake set to the
# coming release; when it breaks it, a new SONAME).
#
# What cannot trip it: code in headers that is inline and not exported (hidden: the library is
# built with -fvisibility-inlines-hidden), types of headers nobody's exported function uses,
# and anything internal. Both commands keep only types defined in include/ (--headers-dir,
# --drop-private-types), so a change of an internal type that an exported function reaches
# only through a pointer is no ABI change either; undefined symbols (what the library calls in
# the C and C++ libraries) are left out (--drop-undefined-syms).
#
# The baseline comes from the default preset: g++, debug information, neither checked nor
# sanitized. Other builds are not compared: the checked build exports one more function,
# sanitizers add their own symbols, and clang records some types and constructors differently
# (see tests/packaging/exported-symbols.txt).
string(TOUPPER "${CMAKE_BUILD_TYPE}" velqon_config)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT VELQON_CHECKED AND NOT VELQON_SANITIZE
   AND NOT VELQON_FUZZ AND " ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${velqon_config}} " MATCHES " -g ")
  set(VELQON_ABI_CHECKABLE TRUE)
else()
  set(VELQON_ABI_CHECKABLE FALSE)
endif()

set(velqon_abi_args -DLIBRARY=$<TARGET_FILE:velqon>
  -DBASELINE=${PROJECT_SOURCE_DIR}/abi/libvelqon64.so.0.abi
  -DHEADERS=${PROJECT_SOURCE_DIR}/include -DCHECKABLE=${VELQON_ABI_CHECKABLE})
set(VELQON_ABI_CHECK_COMMAND ${CMAKE_COMMAND} ${velqon_abi_args} -DMODE=check
  -P ${PROJECT_SOURCE_DIR}/cmake/scripts/abi_compare.cmake)
add_custom_target(abi-check COMMAND ${VELQON_ABI_CHECK_COMMAND} DEPENDS velqon VERBATIM)
add_custom_target(abi-baseline
  COMMAND ${CMAKE_COMMAND} ${velqon_abi_args} -DMODE=baseline -P ${PROJECT_SOURCE_DIR}/cmake/scripts/abi_compare.cmake
  DEPENDS velqon VERBATIM)
