# One sanitizer configuration per build tree, chosen with -DVELQON_SANITIZE=address|thread.
# It applies to every Velqon target (BuildOptions.cmake) so that the library and its tests are
# instrumented together.
if(VELQON_SANITIZE STREQUAL "address")
  list(APPEND VELQON_COMPILE_OPTIONS -fsanitize=address,undefined -fno-sanitize-recover=all
       -fno-omit-frame-pointer)
  list(APPEND VELQON_LINK_OPTIONS -fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(VELQON_SANITIZE STREQUAL "thread")
  list(APPEND VELQON_COMPILE_OPTIONS -fsanitize=thread -fno-omit-frame-pointer)
  list(APPEND VELQON_LINK_OPTIONS -fsanitize=thread)
elseif(NOT VELQON_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VELQON_SANITIZE must be empty, 'address' or 'thread'")
endif()
