# tamberlox_add_test(<name> SOURCES <files...> [LINUX_ONLY <files...>]
#                    [WINDOWS_ONLY <files...>] [FIXTURE <name>] [QPA <platform>]
#                    LIBS <targets...>)
# One GoogleTest executable registered with ctest. Tests run in the build's
# bin folder, where the two components lie beside them, without a display,
# and each in a home folder of its own (tests/support/HermeticHome.h).
function(tamberlox_add_test name)
  cmake_parse_arguments(ARG "" "FIXTURE;QPA" "SOURCES;LINUX_ONLY;WINDOWS_ONLY;LIBS" ${ARGN})
  # QPA: the Qt platform the windows are made on; offscreen unless a test
  # needs the system's own windows (Qt's windows platform).
  if(NOT ARG_QPA)
    set(ARG_QPA offscreen)
  endif()
  # FIXTURE: a test registered beside them that must run first.
  set(fixture)
  if(ARG_FIXTURE)
    set(fixture FIXTURES_REQUIRED ${ARG_FIXTURE})
  endif()
  # LINUX_ONLY: tests that need what Windows lacks (fork, signals, mounts,
  # resource limits, hard links) or an independent reader only Linux has.
  # WINDOWS_ONLY: tests of what only Windows has (its windows, menus and
  # resources), read back through the system's own calls.
  if(NOT WIN32)
    list(APPEND ARG_SOURCES ${ARG_LINUX_ONLY})
  else()
    list(APPEND ARG_SOURCES ${ARG_WINDOWS_ONLY})
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock tamberlox_test_main)
  target_compile_definitions(${name} PRIVATE
    TAMBERLOX_TESTDATA="${CMAKE_CURRENT_SOURCE_DIR}/testdata"
    TAMBERLOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    TEST_PREFIX "${name}."
    DISCOVERY_MODE PRE_TEST
    # One variable only: the discovered tests' properties take no list.
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=${ARG_QPA}"
               TIMEOUT 600 ${fixture})
endfunction()
