# Precompiled headers: the standard, Qt and GoogleTest headers most sources include are
# parsed once instead of once per source, which is most of a Qt source's compile time. The
# libraries share the platform library's, the tests the test support's, what else uses Qt
# Quick the application shell's (the Quick headers added); the Qt Quick tests have their
# own. The flags of those that share are the same. Plain code (the C kit) gets none.
# CMAKE_DISABLE_PRECOMPILE_HEADERS=ON builds without them, which shows a source that forgot
# an include.
function(varnok_precompile target)
  get_target_property(_links ${target} LINK_LIBRARIES)
  set(_owner platform)
  set(_headers <algorithm> <cmath> <cstdint> <cstring> <functional> <map> <memory> <mutex> <string> <vector>
               <QByteArray> <QCoreApplication> <QDebug> <QList> <QMap> <QObject> <QString> <QStringList>
               <QTimer> <QVariant>)
  if("GTest::gtest" IN_LIST _links)
    set(_owner testsupport)
    list(APPEND _headers <gtest/gtest.h>)
  endif()
  if("Qt5::Quick" IN_LIST _links)
    if(_owner STREQUAL platform)
      set(_owner app)
    else()
      set(_owner ${target})
    endif()
    list(APPEND _headers <QQmlContext> <QQmlEngine> <QQuickItem> <QQuickView>)
  endif()
  # C sources take none: the headers are C++.
  get_target_property(_c_sources ${target} SOURCES)
  list(FILTER _c_sources INCLUDE REGEX "\\.c$")
  if(_c_sources)
    set_source_files_properties(${_c_sources} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  endif()
  if(TARGET ${_owner} AND NOT _owner STREQUAL target)
    target_precompile_headers(${target} REUSE_FROM ${_owner})
  else()
    target_precompile_headers(${target} PRIVATE ${_headers})
  endif()
endfunction()

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
  else()
    varnok_precompile(${name})
  endif()
endfunction()

# One GoogleTest executable per test folder; every test case runs as its own
# CTest test, so the singletons of the system start fresh in each. Tests run headless
# (the test main sees to it), except the display tests (suites named Display*, label
# "display"): they render in a real window on the display they are given (xvfb-run in CI),
# and take longest, so a parallel run starts them first. One variable per ENVIRONMENT: the
# discovery splits a list of them.
function(varnok_test name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name} ${_srcs})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} testsupport GTest::gtest GTest::gmock)
  varnok_precompile(${name})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TEST_FILTER "-Display*"
    DISCOVERY_TIMEOUT 60)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TEST_FILTER "Display*"
    PROPERTIES ENVIRONMENT VARNOK_TEST_DISPLAY=1 LABELS display COST 100
    DISCOVERY_TIMEOUT 60)
endfunction()
