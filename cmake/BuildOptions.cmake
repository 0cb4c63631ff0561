# Compile and link options of Velqon's own targets: the library, its tests, benchmarks, examples
# and fuzz targets. They are target properties, never directory or global settings, so a project
# that includes Velqon (add_subdirectory, FetchContent) keeps its own warnings, flags and build
# type. Sanitizers.cmake and Fuzz.cmake append their instrumentation to the same two lists.
set(VELQON_COMPILE_OPTIONS -Wall -Wextra)
if(VELQON_WARNINGS_AS_ERRORS)
  list(APPEND VELQON_COMPILE_OPTIONS -Werror)
endif()
set(VELQON_LINK_OPTIONS "")

# velqon_apply_build_options(<dir>): gives VELQON_COMPILE_OPTIONS and VELQON_LINK_OPTIONS to
# every compiled target defined in <dir> and below. Called once, after every subdirectory is
# added, so a new test, example or internal library picks the options up without a line of its
# own.
function(velqon_apply_build_options dir)
  get_directory_property(targets DIRECTORY ${dir} BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|STATIC_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_compile_options(${target} PRIVATE ${VELQON_COMPILE_OPTIONS})
      if(NOT type STREQUAL "OBJECT_LIBRARY" AND NOT type STREQUAL "STATIC_LIBRARY")
        target_link_options(${target} PRIVATE ${VELQON_LINK_OPTIONS})
      endif()
    endif()
  endforeach()
  get_directory_property(subdirs DIRECTORY ${dir} SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    velqon_apply_build_options(${subdir})
  endforeach()
endfunction()
