# Runs doxygen on the Doxyfile of the working directory, or fails saying how to get doxygen.
find_program(doxygen doxygen NO_CACHE)
if(NOT doxygen)
  message(FATAL_ERROR "The docs target needs doxygen, which is not installed.\n"
                      "On Debian or Ubuntu: sudo apt-get install doxygen")
endif()
message(STATUS "Generating the API reference in build/docs/html")
execute_process(COMMAND ${doxygen} Doxyfile COMMAND_ERROR_IS_FATAL ANY)
