# Builds the Debian package with CPack into WORK_DIR (nothing is installed on the machine) and
# checks its file list, `dpkg-deb -c`: exactly the library and its development link, the seven
# public headers, the CMake package files and velqon.pc; plus the package's name and version.
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
run(${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR})
file(GLOB packages ${WORK_DIR}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one .deb in ${WORK_DIR}, found: ${packages}")
endif()

run(dpkg-deb -f ${packages} Package Version)
if(NOT output STREQUAL "Package: velqon\nVersion: ${VERSION}\n")
  message(FATAL_ERROR "unexpected control fields:\n${output}")
endif()

# Every entry that is not a directory, as "path" or "path -> link target".
run(dpkg-deb -c ${packages})
matching_lines(entries "${output}" "^[^d][^ ]* +[^ ]+ +[0-9]+ [0-9-]+ [0-9:]+ \\./(.+)$")

set(lib usr/${LIBDIR})
set(expected
  "${lib}/libvelqon64.so.0"
  "${lib}/libvelqon64.so -> libvelqon64.so.0"
  usr/include/VelqonMFC.h
  usr/include/VelqonMfcContainers.h
  usr/include/VelqonThread.h
  usr/include/VelqonProcess.h
  usr/include/VelqonProcInfo.h
  usr/include/velqontools.h
  usr/include/VelqonWin32.h
  ${lib}/cmake/Velqon/VelqonConfig.cmake
  ${lib}/cmake/Velqon/VelqonConfigVersion.cmake
  ${lib}/cmake/Velqon/VelqonTargets.cmake
  ${lib}/pkgconfig/velqon.pc)
# The per-configuration part of the exported targets is named after the build type.
set(without_config ${entries})
list(FILTER without_config EXCLUDE REGEX "^${lib}/cmake/Velqon/VelqonTargets-[a-z]+\\.cmake$")
list(LENGTH entries all_count)
list(LENGTH without_config rest_count)
math(EXPR config_count "${all_count} - ${rest_count}")

set(missing ${expected})
list(REMOVE_ITEM missing ${without_config})
set(extra ${without_config})
list(REMOVE_ITEM extra ${expected})
if(missing OR extra OR NOT config_count EQUAL 1)
  string(REPLACE ";" "\n  " missing "${missing}")
  string(REPLACE ";" "\n  " extra "${extra}")
  message(FATAL_ERROR "package contents differ\nmissing:\n  ${missing}\nunexpected:\n  ${extra}\n"
                      "per-configuration target files: ${config_count} (expected 1)")
endif()
message("${packages}: ${all_count} files as expected")
