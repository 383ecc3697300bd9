# pxu_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# Builds test_<name> as a QtTest program and registers it with CTest. Tests run offscreen,
# each in its own temporary folder (QTemporaryDir), so `ctest -j` is safe.
function(pxu_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(test_${name} ${T_SOURCES})
  target_link_libraries(test_${name} PRIVATE Qt6::Test pxu_test_support ${T_LIBS})
  add_test(NAME ${name} COMMAND test_${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PXU_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output"
    TIMEOUT 300)
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
