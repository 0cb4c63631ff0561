# abi-check and abi-baseline (cmake/Abi.cmake says what they compare and why these options).
#   cmake -DMODE=check|baseline -DLIBRARY=<lib> -DBASELINE=<abi file> -DHEADERS=<include dir>
#         -DCHECKABLE=<TRUE|FALSE> -P abi_compare.cmake
find_program(abidw abidw NO_CACHE)
find_program(abidiff abidiff NO_CACHE)
if(NOT abidw OR NOT abidiff)
  set(text "abidw and abidiff are not installed (apt-get install abigail-tools)")
  if(MODE STREQUAL "check")
    message("ABI check skipped: ${text}")
    return()
  endif()
  message(FATAL_ERROR "${text}")
endif()
if(NOT CHECKABLE)
  set(text "the ABI baseline belongs to the default preset's build (g++, debug information, "
           "not checked, not sanitized); this build tree is not one")
  if(MODE STREQUAL "check")
    message("ABI check skipped: ${text}")
    return()
  endif()
  message(FATAL_ERROR ${text})
endif()

set(common --headers-dir ${HEADERS} --drop-private-types)
if(MODE STREQUAL "baseline")
  execute_process(COMMAND ${abidw} ${common} --drop-undefined-syms --no-corpus-path
                          --no-comp-dir-path --short-locs --no-parameter-names
                          --type-id-style hash
                          --out-file ${BASELINE} ${LIBRARY}
                  COMMAND_ERROR_IS_FATAL ANY)
  message("Wrote ${BASELINE}. Commit it with the change, and a line in CHANGELOG.md.")
elseif(MODE STREQUAL "check")
  execute_process(COMMAND ${abidiff} --headers-dir2 ${HEADERS} --drop-private-types
                          --fail-no-debug-info ${BASELINE} ${LIBRARY}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(NOT rc EQUAL 0)
    message("${report}")
    message(FATAL_ERROR "The ABI of ${LIBRARY} differs from ${BASELINE} (abidiff exit ${rc}, "
      "report above). If the change is deliberate: cmake --build build --target abi-baseline, "
      "add a line to CHANGELOG.md and commit both with the change.")
  endif()
  message("ABI as recorded in ${BASELINE}")
else()
  message(FATAL_ERROR "MODE must be check or baseline")
endif()
