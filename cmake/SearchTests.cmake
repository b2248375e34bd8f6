# search_add_test_dir(<name> <folder> [LIBS <targets...>] [SOURCES <extra files...>]): one
# GoogleTest executable <name>_tests from every .cpp (and, for Windows, .rc) in <folder>,
# registered with CTest under the same name. scripts/test runs what CTest knows.
function(search_add_test_dir name folder)
  cmake_parse_arguments(ARG "" "" "LIBS;SOURCES" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(NOT _sources)
    return()
  endif()
  if(WIN32)
    file(GLOB _resources CONFIGURE_DEPENDS ${folder}/*.rc)
    list(APPEND _sources ${_resources})
  endif()
  add_executable(${name}_tests ${_sources} ${ARG_SOURCES})
  target_link_libraries(${name}_tests PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name}_tests PRIVATE ${folder} ${PROJECT_SOURCE_DIR}/tests/support)
  search_target_settings(${name}_tests)
  search_register_test(${name}_tests COMMAND ${name}_tests)
endfunction()

# search_register_test(<name> COMMAND <command...>): a suite for CTest. A Windows suite runs
# through the Wine launcher (the emulator of a target, or given in the command) inside its tree's
# Wine session, one suite at a time: they share one virtual desktop, and a window of one suite
# taking the focus would disturb another.
function(search_register_test name)
  cmake_parse_arguments(ARG "" "" "COMMAND" ${ARGN})
  add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session RESOURCE_LOCK wine_desktop)
  endif()
endfunction()
