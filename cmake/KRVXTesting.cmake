# krvx_add_test(NAME <name> SOURCES ... [LIBS ...] [LABELS ...])
# One GoogleTest program, registered with CTest. When cross-compiling for Windows, CTest runs it through
# CMAKE_CROSSCOMPILING_EMULATOR (Wine), which the toolchain file sets.
function(krvx_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "KRVX_TEST_BIN=${CMAKE_BINARY_DIR}/bin")
  if(WIN32)
    # The system's debug-output buffer has one reader at a time: tests that listen to it take turns.
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK debug_output_buffer)
  endif()
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
