# QUORVIX_SANITIZE="thread" or "address,undefined": every native target of the build is
# instrumented. Undefined behaviour stops the program at its first report rather than going on,
# so a finding fails the test that met it. The skin library is a Windows DLL built by its own
# command and is never instrumented.
if(QUORVIX_SANITIZE)
  if(QUORVIX_FUZZ)
    message(FATAL_ERROR "The fuzz build brings its own sanitizers; leave QUORVIX_SANITIZE empty")
  endif()
  add_compile_options(-fsanitize=${QUORVIX_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${QUORVIX_SANITIZE})
endif()
