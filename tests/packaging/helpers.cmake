# Small helpers shared by the packaging check scripts.

# run(<command> <args>...): runs the command, stops the script with its output when it fails,
# and leaves its standard output in `output`.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " line "${ARGN}")
    message(FATAL_ERROR "`${line}` failed (${rc}):\n${out}\n${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

# matching_lines(<variable> <text> <regex>): the first capture group of every line of <text>
# that matches <regex>, as a list in <variable>.
function(matching_lines variable text regex)
  string(REPLACE "\n" ";" lines "${text}")
  set(matches "")
  foreach(line ${lines})
    if(line MATCHES "${regex}")
      list(APPEND matches "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${variable} "${matches}" PARENT_SCOPE)
endfunction()
