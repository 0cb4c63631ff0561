# Source-based coverage (-DVELQON_COVERAGE=ON, clang only; `cmake --workflow --preset coverage`).
#
# Every Velqon target is compiled with clang's profile instrumentation and coverage mapping.
# The coverage test preset points LLVM_PROFILE_FILE at <build>/profiles, so every test process
# (forked children included) leaves a raw profile there; the test coverage.report then merges
# them and prints line, region and branch coverage of src/, per subsystem and in total
# (cmake/scripts/coverage_report.cmake). Building empties the profile directory, so a run
# reports on its own tests only.
if(NOT VELQON_COVERAGE)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VELQON_COVERAGE needs clang++: configure with CXX=clang++")
endif()
if(NOT VELQON_SANITIZE STREQUAL "" OR VELQON_FUZZ)
  message(FATAL_ERROR "VELQON_COVERAGE is a build tree of its own: no sanitizer, no fuzzing")
endif()
list(APPEND VELQON_COMPILE_OPTIONS -fprofile-instr-generate -fcoverage-mapping)
list(APPEND VELQON_LINK_OPTIONS -fprofile-instr-generate)
set(VELQON_PROFILE_DIR ${PROJECT_BINARY_DIR}/profiles)

# velqon_add_coverage_report(): registers coverage.report over the library and every test
# program (the CRC engines are linked into their test directly, so their coverage is there).
# Called once, after the tests are defined.
function(velqon_add_coverage_report)
  velqon_collect_executables(${PROJECT_SOURCE_DIR}/tests programs)
  velqon_collect_executables(${PROJECT_SOURCE_DIR}/fuzz fuzzPrograms)
  set(objects $<TARGET_FILE:velqon>)
  foreach(program ${programs} ${fuzzPrograms})
    list(APPEND objects $<TARGET_FILE:${program}>)
  endforeach()
  add_custom_target(coverage-clean ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${VELQON_PROFILE_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELQON_PROFILE_DIR}
    COMMENT "Emptying ${VELQON_PROFILE_DIR}")
  add_test(NAME coverage.report
    COMMAND ${CMAKE_COMMAND} -DPROFILES=${VELQON_PROFILE_DIR} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            "-DOBJECTS=${objects}" -P ${PROJECT_SOURCE_DIR}/cmake/scripts/coverage_report.cmake)
endfunction()

# velqon_collect_executables(<dir> <variable>): the executable targets of <dir> and below.
function(velqon_collect_executables dir variable)
  set(found "")
  get_directory_property(targets DIRECTORY ${dir} BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      list(APPEND found ${target})
    endif()
  endforeach()
  get_directory_property(subdirs DIRECTORY ${dir} SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    velqon_collect_executables(${subdir} below)
    list(APPEND found ${below})
  endforeach()
  set(${variable} ${found} PARENT_SCOPE)
endfunction()
