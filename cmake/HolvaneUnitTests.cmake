# SPDX-License-Identifier: MIT
# holvane_add_unit_tests(NAME SOURCES source... [LIBS library...] [OWN_MAIN] [TIMEOUT seconds]
#                        [ENVIRONMENT variable=value])
#
# A GoogleTest program NAME, made the same way in every folder, and a CTest test for each of its
# tests, named as GoogleTest names it, in Russian (tests/test_language.h). The program links
# LIBS and GoogleTest's main, or with
# OWN_MAIN GoogleTest alone, for sources that bring their own main. On Windows it is linked
# statically, so that it needs no MinGW DLL beside it. Each test may run TIMEOUT seconds (60
# unless told), with ENVIRONMENT set when given.
#
# In a cross build the program's tests are listed when the tests run, not when it is built, so
# that building does not need the emulator (Wine) that runs it.
include(GoogleTest)

function(holvane_add_unit_tests name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OWN_MAIN" "TIMEOUT;ENVIRONMENT" "SOURCES;LIBS")
  if(arg_UNPARSED_ARGUMENTS OR NOT arg_SOURCES)
    message(FATAL_ERROR "holvane_add_unit_tests(${name}): SOURCES are needed, and only "
                        "LIBS, OWN_MAIN, TIMEOUT and ENVIRONMENT beside them")
  endif()
  add_executable(${name} ${arg_SOURCES})
  if(arg_OWN_MAIN)
    target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest_main)
  endif()
  # Every test program speaks Russian, and so does each program it starts (tests/test_language.h).
  target_link_libraries(${name} PRIVATE holvane_test_language)
  add_dependencies(${name} holvane_catalogues)
  if(WIN32)
    target_link_options(${name} PRIVATE -static)
  endif()

  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 60)
  endif()
  set(properties TIMEOUT ${arg_TIMEOUT})
  if(arg_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT ${arg_ENVIRONMENT})
  endif()
  set(discovery)
  if(CMAKE_CROSSCOMPILING)
    # Listing a program's tests starts the emulator, which on a busy machine may take longer
    # than the 5 seconds CMake gives it.
    set(discovery DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
  endif()
  gtest_discover_tests(${name} ${discovery} PROPERTIES ${properties})
endfunction()
