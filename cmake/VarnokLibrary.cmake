# One static library per subsystem folder. Sources are collected from the folder (or the
# folders DIRS names) so that adding a module is adding its files. PLAIN: code without Qt.
# A folder of headers alone gives an interface library.
function(varnok_library name)
  cmake_parse_arguments(ARG "PLAIN" "" "LINKS;EXCLUDE;DIRS" ${ARGN})
  if(NOT ARG_DIRS)
    set(ARG_DIRS ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(_srcs "")
  foreach(_dir IN LISTS ARG_DIRS)
    file(GLOB _found CONFIGURE_DEPENDS ${_dir}/*.cpp ${_dir}/*.c ${_dir}/*.h)
    list(APPEND _srcs ${_found})
  endforeach()
  foreach(_ex IN LISTS ARG_EXCLUDE)
    list(FILTER _srcs EXCLUDE REGEX "${_ex}")
  endforeach()
  set(_compiled ${_srcs})
  list(FILTER _compiled INCLUDE REGEX "\\.(c|cpp)$")
  if(NOT _compiled)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LINKS})
    return()
  endif()
  add_library(${name} STATIC ${_srcs})
  target_include_directories(${name} PUBLIC ${ARG_DIRS} ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  if(ARG_PLAIN)
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTORCC OFF)
  endif()
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
