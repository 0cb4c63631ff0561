# libFuzzer build (-DVELQON_FUZZ=ON), in a build tree of its own and with clang only.
#
# Every Velqon target is compiled with AddressSanitizer, UndefinedBehaviorSanitizer and the
# coverage hooks libFuzzer steers by (fuzzer-no-link), so that the library's own code is both
# checked and explored. Only the fuzz targets link the libFuzzer driver itself (see
# fuzz/CMakeLists.txt). Without the option the fuzz targets are built as plain programs that
# replay their seed corpus, and the sanitizer pass of VELQON_SANITIZE applies as usual.
if(NOT VELQON_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VELQON_FUZZ needs clang++ (libFuzzer): configure with CXX=clang++")
endif()
if(NOT VELQON_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VELQON_FUZZ brings its own sanitizers: leave VELQON_SANITIZE empty")
endif()
list(APPEND VELQON_COMPILE_OPTIONS -fsanitize=address,undefined,fuzzer-no-link
     -fno-sanitize-recover=all -fno-omit-frame-pointer)
list(APPEND VELQON_LINK_OPTIONS -fsanitize=address,undefined -fno-sanitize-recover=all)
