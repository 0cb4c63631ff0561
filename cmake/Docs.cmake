# `docs` target: the API reference from the public headers' comments (see Doxyfile), written to
# build/docs/html under the source root. Present only when doxygen is installed.
find_program(VELQON_DOXYGEN doxygen)
if(VELQON_DOXYGEN)
  add_custom_target(docs
    COMMAND ${VELQON_DOXYGEN} Doxyfile
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Generating the API reference in ${PROJECT_SOURCE_DIR}/build/docs/html"
    VERBATIM)
endif()
