# quorvix_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l])
# One test executable per call, registered with ctest as one test. Under the win32 preset the
# executable runs under Wine through CMAKE_CROSSCOMPILING_EMULATOR (one Wine start per binary).
function(quorvix_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} quorvix_gtest_main)
  quorvix_warnings(${T_NAME})
  target_compile_definitions(${T_NAME} PRIVATE
    QUORVIX_FIXTURES="${QUORVIX_FIXTURES_DIR}" QUORVIX_TOOLS="${QUORVIX_TOOLS_DIR}"
    QUORVIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 900)
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# Where the shared fixtures live: beside the checkout by default.
get_filename_component(_quorvix_shared "${CMAKE_SOURCE_DIR}/../shared" ABSOLUTE)
set(QUORVIX_SHARED_DIR "${_quorvix_shared}" CACHE PATH "Folder holding fixtures/ and tools/")
set(QUORVIX_FIXTURES_DIR "${QUORVIX_SHARED_DIR}/fixtures")
set(QUORVIX_TOOLS_DIR "${QUORVIX_SHARED_DIR}/tools")
