# `docs` target: the API reference from the public headers' comments (see Doxyfile), written to
# build/docs/html under the source root. doxygen is looked for when the target runs, so
# installing it later needs no new configure step; without it the target says what to install.
add_custom_target(docs
  COMMAND ${CMAKE_COMMAND} -P ${PROJECT_SOURCE_DIR}/cmake/scripts/run_doxygen.cmake
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  VERBATIM)
