# Builds and runs a C++11 consumer against a Velqon installed in PREFIX: a tree made by
# `cmake --install`, or the Debian packages unpacked (WORK_DIR/root/usr of debian_package.cmake).
#   STEP=install       cmake --install into PREFIX; checks the SONAME and the development link
#   STEP=find_package  builds consumer/ with find_package(Velqon) and runs it
#   STEP=pkg-config    compiles consumer/*.cpp with the compiler and `pkg-config velqon` flags,
#                      with the run-time search path the README gives, and runs it
#   STEP=subproject    builds PARENT_DIR, a project that includes Velqon's source tree, with
#                      the consumer, and runs it
# Nothing is installed outside PREFIX, which lives in the build tree.
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)

set(libdir ${PREFIX}/${LIBDIR})

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE ${PREFIX})
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
  if(NOT IS_SYMLINK ${libdir}/libvelqon64.so)
    message(FATAL_ERROR "no development link ${libdir}/libvelqon64.so")
  endif()
  file(READ_SYMLINK ${libdir}/libvelqon64.so target)
  if(NOT target STREQUAL "libvelqon64.so.0")
    message(FATAL_ERROR "libvelqon64.so points at '${target}', not libvelqon64.so.0")
  endif()
  run(${READELF} -d ${libdir}/libvelqon64.so.0)
  if(NOT output MATCHES "Library soname: \\[libvelqon64\\.so\\.0\\]")
    message(FATAL_ERROR "libvelqon64.so.0 lacks the SONAME libvelqon64.so.0:\n${output}")
  endif()

elseif(STEP STREQUAL "find_package")
  file(REMOVE_RECURSE ${WORK_DIR})
  run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR} -DCMAKE_PREFIX_PATH=${PREFIX}
      -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release)
  # The package must come from PREFIX, not from a copy installed on the machine.
  file(STRINGS ${WORK_DIR}/CMakeCache.txt found REGEX "^Velqon_DIR:")
  if(NOT found STREQUAL "Velqon_DIR:PATH=${libdir}/cmake/Velqon")
    message(FATAL_ERROR "find_package(Velqon) used '${found}', not ${libdir}/cmake/Velqon")
  endif()
  run(${CMAKE_COMMAND} --build ${WORK_DIR})
  run(${WORK_DIR}/consumer)
  message("${output}")

elseif(STEP STREQUAL "pkg-config")
  file(REMOVE_RECURSE ${WORK_DIR})
  file(MAKE_DIRECTORY ${WORK_DIR})
  # Only PREFIX's .pc files are visible.
  set(ENV{PKG_CONFIG_LIBDIR} ${libdir}/pkgconfig)
  unset(ENV{PKG_CONFIG_PATH})
  run(pkg-config --cflags --libs velqon)
  string(STRIP "${output}" flags_text)
  separate_arguments(flags UNIX_COMMAND "${flags_text}")
  set(seen "")
  foreach(flag ${flags})
    if(flag MATCHES "^-([IL])(.+)$")
      file(REAL_PATH "${CMAKE_MATCH_2}" dir)
      list(APPEND seen "-${CMAKE_MATCH_1}${dir}")
    else()
      list(APPEND seen "${flag}")
    endif()
  endforeach()
  foreach(expected -I${PREFIX}/include/velqon -L${libdir} -lvelqon64 -pthread)
    if(NOT expected IN_LIST seen)
      message(FATAL_ERROR "`pkg-config --cflags --libs velqon` lacks ${expected}: ${flags_text}")
    endif()
  endforeach()
  # The README's recipe: the library's directory as the program's run-time search path.
  run(pkg-config --variable=libdir velqon)
  string(STRIP "${output}" rpath)
  file(GLOB sources ${CONSUMER_DIR}/*.cpp)
  run(${CXX} -std=c++11 -Wall -Wextra -Werror ${sources} ${flags} -Wl,-rpath,${rpath}
      -o ${WORK_DIR}/consumer)
  unset(ENV{LD_LIBRARY_PATH})
  run(${WORK_DIR}/consumer)
  message("${output}")

elseif(STEP STREQUAL "subproject")
  file(REMOVE_RECURSE ${WORK_DIR})
  set(launcher "")
  if(LAUNCHER)
    set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
  endif()
  run(${CMAKE_COMMAND} -S ${PARENT_DIR} -B ${WORK_DIR} -DVELQON_SOURCE_DIR=${SOURCE_DIR}
      -DCONSUMER_DIR=${CONSUMER_DIR} -DCMAKE_CXX_COMPILER=${CXX} ${launcher})
  run(${CMAKE_COMMAND} --build ${WORK_DIR} --parallel 2)
  run(${WORK_DIR}/parent)

else()
  message(FATAL_ERROR "unknown STEP '${STEP}'")
endif()
