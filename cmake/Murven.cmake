# Shared settings for every target of the project.

option(MURVEN_USE_CCACHE "Compile through ccache when it is installed" ON)
find_program(MURVEN_CCACHE ccache)
if(MURVEN_USE_CCACHE AND MURVEN_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  # Precompiled headers need the sloppiness settings, or ccache never hits.
  set(CMAKE_CXX_COMPILER_LAUNCHER
      ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      ${MURVEN_CCACHE})
endif()

# The headers nearly every translation unit pulls in; compiled once per target.
set(MURVEN_PCH_HEADERS
  <QtCore/QString>
  <QtCore/QByteArray>
  <QtCore/QStringList>
  <QtCore/QList>
  <QtCore/QHash>
  <QtCore/QDir>
  <QtCore/QFile>
  <QtCore/QFileInfo>
  <QtGui/QFont>
  <QtGui/QColor>
  <QtWidgets/QWidget>
  <functional>
  <memory>
  <vector>)

function(murven_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  # Line tables are enough for a backtrace; full debug information made
  # each object (a test's most of all) nearly a third slower to compile.
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-g1>)
  if(MURVEN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(WITH_ASAN)
    target_compile_options(${target} PRIVATE -fsanitize=address -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address)
  endif()
endfunction()

# One static library per folder of src/: every .cpp and .h beside the CMakeLists.
function(murven_library name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC)
  target_sources(${name} PRIVATE ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  target_precompile_headers(${name} PRIVATE ${MURVEN_PCH_HEADERS})
  murven_target_defaults(${name})
endfunction()

# One test program per folder of tests/, linked with the shared test main.
function(murven_test name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name})
  target_sources(${name} PRIVATE ${sources})
  target_link_libraries(${name} PRIVATE murven_testsupport ${ARG_LINKS})
  target_precompile_headers(${name} PRIVATE ${MURVEN_PCH_HEADERS} <gtest/gtest.h>)
  murven_target_defaults(${name})
  # The environment of a test (offscreen platform, time zone, fixture and
  # screenshot folders) is set by the shared test main itself, so a test
  # program started by hand behaves like one started by CTest. CTest runs
  # each suite of the program as one test (cmake/TestSuites.cmake).
  set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake")
  file(GENERATE OUTPUT "${include_file}" CONTENT
"set(MURVEN_TEST_PROGRAM \"$<TARGET_FILE:${name}>\")
set(MURVEN_TEST_DIR \"${CMAKE_CURRENT_BINARY_DIR}\")
set(MURVEN_TEST_LIST \"${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.txt\")
include(\"${PROJECT_SOURCE_DIR}/cmake/TestSuites.cmake\")
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()
