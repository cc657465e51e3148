# How the project registers its tests: one call per test program.
#
#   kolvara_add_test(<program> SOURCES <file>... [LINK <target>...] [GTEST] [WINDOW_MANAGER]
#                    [PRINT_SCHEDULER WITH_PRINTER|WITHOUT_PRINTER] [ENVIRONMENT <VAR=value>...])
#
# The program's folder under tests/ names its area (generation, display, app), which is
# the first part of every test name; the area and the folder are its labels. A Qt Test program gives one CTest test
# per test function, <area>.<program without tst_>.<function>, found after each build by
# asking the program itself (-functions), so every function runs without being listed
# anywhere. A GoogleTest program (GTEST) gives one test per case, <area>.<Suite>.<Case>.
# Every test runs on the offscreen platform, as without a window manager; a WINDOW_MANAGER
# program instead runs each function on its own X server under openbox
# (scripts/wm-test-env.sh), where windows get a real frame. PRINT_SCHEDULER
# runs the program against a private CUPS scheduler (scripts/cups-test-env.sh, started as
# a CTest fixture; starting cupsd needs root) with the printer kolvara-pdf or with none.
#
# One function alone: ctest -R app.print_run_cups.printToFileKeepsBothPages
#
# In a tree built with KOLVARA_SANITIZE every test also carries the label "sanitizers" and
# runs with the sanitizers' options: leaks are reported, except the system libraries' own
# listed in scripts/lsan.supp.

include_guard(GLOBAL)
include(GoogleTest)

set(KOLVARA_OFFSCREEN "offscreen:configfile=${PROJECT_SOURCE_DIR}/scripts/offscreen.json")
set(KOLVARA_QT_DISCOVERY "${CMAKE_CURRENT_LIST_DIR}/KolvaraQtTestDiscovery.cmake")
set(KOLVARA_WM_SCRIPT "${PROJECT_SOURCE_DIR}/scripts/wm-test-env.sh")
set(KOLVARA_SANITIZER_ENVIRONMENT "")
if(KOLVARA_SANITIZE)
  set(KOLVARA_SANITIZER_ENVIRONMENT
      "ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
      "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
      "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0")
endif()

# The private schedulers, started and stopped as CTest fixtures. Their folders are short:
# the scheduler's socket path must stay below 100 bytes, so a build tree too deep for that
# keeps them under /tmp.
function(kolvara_add_print_schedulers)
  set(script ${PROJECT_SOURCE_DIR}/scripts/cups-test-env.sh)
  cmake_path(NORMAL_PATH script)
  set(root ${PROJECT_BINARY_DIR}/tests)
  string(LENGTH "${root}/cups0/cupsd.sock" socket_length)
  if(socket_length GREATER_EQUAL 100)
    string(MD5 hash "${PROJECT_BINARY_DIR}")
    string(SUBSTRING "${hash}" 0 12 hash)
    set(root /tmp/kolvara-${hash})
  endif()
  set(KOLVARA_CUPS_SCRIPT ${script} PARENT_SCOPE)
  set(KOLVARA_CUPS_DIR ${root}/cups PARENT_SCOPE)
  set(KOLVARA_CUPS_EMPTY_DIR ${root}/cups0 PARENT_SCOPE)

  foreach(kind IN ITEMS cups cups_empty)
    if(kind STREQUAL cups)
      set(command start)
      set(dir ${root}/cups)
    else()
      set(command start-empty)
      set(dir ${root}/cups0)
    endif()
    add_test(NAME app.${kind}.start COMMAND ${script} ${command} ${dir})
    add_test(NAME app.${kind}.stop COMMAND ${script} stop ${dir})
    set_tests_properties(app.${kind}.start PROPERTIES FIXTURES_SETUP kolvara_${kind} LABELS app)
    set_tests_properties(app.${kind}.stop PROPERTIES FIXTURES_CLEANUP kolvara_${kind} LABELS app)
  endforeach()
endfunction()

function(kolvara_add_test program)
  cmake_parse_arguments(PARSE_ARGV 1 arg "GTEST;WINDOW_MANAGER" "PRINT_SCHEDULER" "SOURCES;LINK;ENVIRONMENT")
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" area "${folder}")
  # Labelled by area and by folder: ctest -L app, ctest -L app/print_run.
  set(labels ${area})
  if(NOT folder STREQUAL area)
    list(APPEND labels ${folder})
  endif()
  if(KOLVARA_SANITIZE)
    list(APPEND labels sanitizers)
  endif()

  add_executable(${program} ${arg_SOURCES})
  target_link_libraries(${program} PRIVATE ${arg_LINK})
  # Forms come from the libraries under test, already generated.
  set_target_properties(${program} PROPERTIES AUTOUIC OFF)

  if(arg_GTEST)
    if(arg_PRINT_SCHEDULER OR arg_ENVIRONMENT OR arg_WINDOW_MANAGER)
      message(FATAL_ERROR "kolvara_add_test(${program}): GoogleTest programs run without a display or scheduler")
    endif()
    gtest_discover_tests(${program} TEST_PREFIX "${area}." NO_PRETTY_VALUES TEST_LIST ${program}_TESTS)
    # Set once the cases are known: lists do not pass whole through gtest_discover_tests.
    set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${program}_labels.cmake)
    file(WRITE ${include_file}
      "foreach(test IN LISTS ${program}_TESTS)\n"
      "  set_tests_properties(\"\${test}\" PROPERTIES LABELS [==[${labels}]==]"
      " ENVIRONMENT [==[${KOLVARA_SANITIZER_ENVIRONMENT}]==])\n"
      "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
    return()
  endif()

  set(environment "QT_QPA_PLATFORM=${KOLVARA_OFFSCREEN}" ${KOLVARA_SANITIZER_ENVIRONMENT} ${arg_ENVIRONMENT})
  set(other "")
  set(launcher "")
  if(arg_WINDOW_MANAGER)
    set(environment "QT_QPA_PLATFORM=xcb" ${KOLVARA_SANITIZER_ENVIRONMENT} ${arg_ENVIRONMENT})
    set(launcher ${KOLVARA_WM_SCRIPT})
    set(other "TIMEOUT 60")
  endif()
  if(arg_PRINT_SCHEDULER STREQUAL "WITH_PRINTER")
    list(APPEND environment "CUPS_SERVER=${KOLVARA_CUPS_DIR}/cupsd.sock" "KOLVARA_CUPS_DIR=${KOLVARA_CUPS_DIR}"
         "KOLVARA_CUPS_SCRIPT=${KOLVARA_CUPS_SCRIPT}")
    # The queue outlives a single test: one printing test at a time.
    set(other "FIXTURES_REQUIRED kolvara_cups RESOURCE_LOCK kolvara_cups TIMEOUT 120")
  elseif(arg_PRINT_SCHEDULER STREQUAL "WITHOUT_PRINTER")
    list(APPEND environment "CUPS_SERVER=${KOLVARA_CUPS_EMPTY_DIR}/cupsd.sock")
    set(other "FIXTURES_REQUIRED kolvara_cups_empty TIMEOUT 60")
  elseif(arg_PRINT_SCHEDULER)
    message(FATAL_ERROR "kolvara_add_test(${program}): PRINT_SCHEDULER is WITH_PRINTER or WITHOUT_PRINTER")
  endif()
  if(arg_PRINT_SCHEDULER)
    # A default chosen through these variables would override the scheduler's.
    string(APPEND other " ENVIRONMENT_MODIFICATION [==[PRINTER=unset:;LPDEST=unset:]==]")
  endif()
  list(JOIN environment ";" environment)
  list(JOIN labels ";" labels)
  # The properties as set_tests_properties reads them, for the tests found after the build.
  set(properties_file ${CMAKE_CURRENT_BINARY_DIR}/${program}_properties.txt)
  file(CONFIGURE OUTPUT ${properties_file}
       CONTENT " LABELS [==[${labels}]==] ENVIRONMENT [==[${environment}]==] ${other}" @ONLY)

  string(REGEX REPLACE "^tst_" "" name "${program}")
  set(prefix "${area}.${name}")
  set(ctest_file ${CMAKE_CURRENT_BINARY_DIR}/${program}_tests.cmake)
  # Found again whenever the program or its properties change.
  add_custom_command(OUTPUT ${ctest_file}
    COMMAND ${CMAKE_COMMAND} -D "TEST_EXECUTABLE=$<TARGET_FILE:${program}>" -D "TEST_PREFIX=${prefix}"
            -D "PROPERTIES_FILE=${properties_file}" -D "CTEST_FILE=${ctest_file}" -D "TEST_LAUNCHER=${launcher}"
            -P ${KOLVARA_QT_DISCOVERY}
    DEPENDS ${program} ${properties_file} ${KOLVARA_QT_DISCOVERY}
    VERBATIM)
  add_custom_target(${program}_functions ALL DEPENDS ${ctest_file})
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${program}_include.cmake)
  file(WRITE ${include_file}
    "if(EXISTS \"${ctest_file}\")\n"
    "  include(\"${ctest_file}\")\n"
    "else()\n"
    "  add_test(${prefix}.NOT_BUILT ${prefix}.NOT_BUILT)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
