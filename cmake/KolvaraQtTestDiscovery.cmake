# Script mode: lists the test functions of a Qt Test program and writes one CTest test for
# each into CTEST_FILE. Inputs: TEST_EXECUTABLE, TEST_PREFIX, PROPERTIES_FILE, CTEST_FILE, and
# TEST_LAUNCHER, a command each test runs under (none when empty).
set(ENV{QT_QPA_PLATFORM} offscreen)
# Listing the functions is no test run: leaks are looked for when the tests run.
set(ENV{ASAN_OPTIONS} detect_leaks=0)
execute_process(COMMAND "${TEST_EXECUTABLE}" -functions
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TEST_EXECUTABLE} -functions failed (${result}): ${errors}")
endif()
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" functions "${listing}")
if(NOT functions)
  message(FATAL_ERROR "${TEST_EXECUTABLE} lists no test functions")
endif()
file(READ "${PROPERTIES_FILE}" properties)
set(launcher "")
if(TEST_LAUNCHER)
  set(launcher "[==[${TEST_LAUNCHER}]==] ")
endif()
set(content "")
foreach(function IN LISTS functions)
  string(REPLACE "()" "" function "${function}")
  set(name "${TEST_PREFIX}.${function}")
  string(APPEND content
    "add_test([==[${name}]==] ${launcher}[==[${TEST_EXECUTABLE}]==] [==[${function}]==])\n"
    "set_tests_properties([==[${name}]==] PROPERTIES${properties})\n")
endforeach()
file(WRITE "${CTEST_FILE}" "${content}")
