# One sanitizer configuration per build tree, chosen with -DVELQON_SANITIZE=address|thread.
# It applies to every target so that the library and its tests are instrumented together.
if(VELQON_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(VELQON_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT VELQON_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VELQON_SANITIZE must be empty, 'address' or 'thread'")
endif()
