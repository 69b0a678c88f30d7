# nv_module(NAME SOURCES... [DEPS targets...])
# One static library per module; headers are included as "module/header.h"
# from the repository root.
function(nv_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(nv_${name} STATIC ${ARG_SOURCES})
  target_include_directories(nv_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(nv_${name} PUBLIC ${ARG_DEPS})
endfunction()

# nv_test(NAME SOURCES... DEPS targets...)
# A GoogleTest executable registered with CTest.
function(nv_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
