# One static library per subsystem folder. Sources are collected from the folder
# so that adding a module is adding its files.
function(varnok_library name)
  cmake_parse_arguments(ARG "" "" "LINKS;EXCLUDE" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(_ex IN LISTS ARG_EXCLUDE)
    list(FILTER _srcs EXCLUDE REGEX "${_ex}")
  endforeach()
  add_library(${name} STATIC ${_srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# One GoogleTest executable per test folder; every test case runs as its own
# CTest test, so the singletons of the system start fresh in each. Tests run headless
# (the test main sees to it), except the display tests (suites named Display*, label
# "display"): they render in a real window on the display they are given (xvfb-run in CI).
# One variable per ENVIRONMENT: the discovery splits a list of them.
function(varnok_test name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name} ${_srcs})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} testsupport GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TEST_FILTER "-Display*"
    DISCOVERY_TIMEOUT 60)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TEST_FILTER "Display*"
    PROPERTIES ENVIRONMENT VARNOK_TEST_DISPLAY=1 LABELS display
    DISCOVERY_TIMEOUT 60)
endfunction()
