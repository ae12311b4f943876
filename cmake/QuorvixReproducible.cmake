# The Windows program is built to the same bytes from the same commit, wherever the checkout and
# the build folder are: no build paths in the objects (__FILE__ in asserts, debug names) and no
# link time in the PE header.
add_compile_options(
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
  -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
add_link_options(-Wl,--no-insert-timestamp)
