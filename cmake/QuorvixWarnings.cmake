# Warnings for the project's own targets; third-party sources are built without them.
function(quorvix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  if(QUORVIX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
