# Build conventions shared by every target: flags, the platform target and test executables.

set(VEXLOR_GTEST_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources (Debian's googletest package)")

# Warnings are errors in every build.
function(vexlor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# One GoogleTest executable registered as one ctest entry. SUPPORT links the test-support
# library and the tests' main with its process-wide environment.
#   vexlor_test(NAME n SOURCES a.cpp ... [LIBS t ...] [RESOURCES] [SUPPORT] [LOCK res ...] [NO_MAIN])
function(vexlor_test)
  cmake_parse_arguments(T "RESOURCES;NO_MAIN;SUPPORT" "NAME" "SOURCES;LIBS;LOCK" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  vexlor_warnings(${T_NAME})
  # Test code is mostly assertion macros: optimising it costs build time and gains nothing (the
  # code under test keeps its own flags). GoogleTest's header joins the precompiled ones.
  target_compile_options(${T_NAME} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-O0>)
  if(NOT TARGET vexlor_test_pch)
    add_library(vexlor_test_pch OBJECT ${CMAKE_SOURCE_DIR}/cmake/test_pch.cpp)
    vexlor_warnings(vexlor_test_pch)
    target_compile_options(vexlor_test_pch PRIVATE -O0)
    target_link_libraries(vexlor_test_pch PRIVATE gtest vexlor_platform)
    target_precompile_headers(vexlor_test_pch PRIVATE <gtest/gtest.h>)
  endif()
  target_precompile_headers(${T_NAME} REUSE_FROM vexlor_test_pch)
  if(T_SUPPORT)
    target_sources(${T_NAME} PRIVATE $<TARGET_OBJECTS:vxtestmain>)
    target_link_libraries(${T_NAME} PRIVATE vxtestsupport gtest ${T_LIBS})
  elseif(T_NO_MAIN)
    target_link_libraries(${T_NAME} PRIVATE gtest ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE gtest gtest_main ${T_LIBS})
  endif()
  if(T_RESOURCES AND NOT VEXLOR_NATIVE)
    target_link_libraries(${T_NAME} PRIVATE vexlor_resources)
  endif()
  if(NOT VEXLOR_NATIVE)
    # Console subsystem so gtest's output reaches the runner; windows are created all the same.
    target_link_options(${T_NAME} PRIVATE -mconsole)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  if(T_LOCK)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_LOCK}")
  endif()
endfunction()
