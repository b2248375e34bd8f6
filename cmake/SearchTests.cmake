# Cases that take minutes, run by scripts/test but left out of `scripts/test --quick` (and of
# `ctest -LE slow`): each is registered as a CTest entry of its own, <suite>_<part>_tests, labelled
# `slow`, with a GoogleTest filter; the suite's own entry runs everything else. Together the
# entries run every case of the program once.
#   search_slow_cases(<suite> <part> <gtest filter>) before the suite's search_add_test_dir.
# Whole suites that are slow are named in SEARCH_SLOW_SUITES.
function(search_slow_cases suite part filter)
  set_property(GLOBAL APPEND PROPERTY SEARCH_SLOW_PARTS_${suite} "${part}=${filter}")
endfunction()
search_slow_cases(reliability teardowns "SearchWindowTest.ThousandTeardownsWithRepliesInFlight")
search_slow_cases(reliability soak "SoakTest.*")
# The window tests again at 120, 144 and 192 DPI, each run a program of its own (DpiTest.cpp).
search_slow_cases(window dpi "SearchWindowDpi.*")
# The demo's scripted tour, with its pictures.
set(SEARCH_SLOW_SUITES tour tour_classic)

# Every Windows test program plays a modern client, themed: its thread runs in a common-controls 6
# activation context. The cases that judge how the window looks run again as an older, classic
# client (SEARCH_CLIENT_LOOK=classic: no such context, and cmake/wine-run turns the desktop's
# visual style off for the run), each set as a CTest entry of its own, <suite>_<part>_tests.
#   search_classic_cases(<suite> <part> <gtest filter> [SLOW]) before the suite's search_add_test_dir.
function(search_classic_cases suite part filter)
  set(_slow "")
  if("SLOW" IN_LIST ARGN)
    set(_slow slow)
  endif()
  set_property(GLOBAL APPEND PROPERTY SEARCH_CLASSIC_PARTS_${suite} "${part}=${_slow}=${filter}")
endfunction()
set(SEARCH_LOOK_CASES "SearchWindowLook.*:SearchWindowTest.HighContrastSchemeDrawsTheWindowInTheSystemColoursOnly")
search_classic_cases(window classic "${SEARCH_LOOK_CASES}")
search_classic_cases(window classic_dpi "SearchWindowDpi.*" SLOW)

# search_add_test_dir(<name> <folder> [LIBS <targets...>] [SOURCES <extra files...>]): one
# GoogleTest executable <name>_tests from every .cpp (and, for Windows, .rc) in <folder>,
# registered with CTest under the same name (and its slow parts apart, see above). scripts/test
# runs what CTest knows.
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
  if(WIN32)
    set(_look ${PROJECT_SOURCE_DIR}/tests/win/support/look)
    list(APPEND _sources ${_look}/ThemedClient.cpp ${_look}/ThemedClient.rc)
    set_source_files_properties(${_look}/ThemedClient.cpp PROPERTIES INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}/driver)
  endif()
  add_executable(${name}_tests ${_sources} ${ARG_SOURCES})
  target_link_libraries(${name}_tests PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name}_tests PRIVATE ${folder} ${PROJECT_SOURCE_DIR}/tests/support)
  search_target_settings(${name}_tests)

  get_property(_parts GLOBAL PROPERTY SEARCH_SLOW_PARTS_${name})
  set(_slow "")
  foreach(_part IN LISTS _parts)
    string(REGEX MATCH "^([^=]*)=(.*)$" _ "${_part}")
    search_register_test(${name}_${CMAKE_MATCH_1}_tests COMMAND ${name}_tests
                         --gtest_filter=${CMAKE_MATCH_2})
    set_property(TEST ${name}_${CMAKE_MATCH_1}_tests APPEND PROPERTY LABELS slow)
    string(APPEND _slow ":${CMAKE_MATCH_2}")
  endforeach()
  get_property(_parts GLOBAL PROPERTY SEARCH_CLASSIC_PARTS_${name})
  foreach(_part IN LISTS _parts)
    string(REGEX MATCH "^([^=]*)=([^=]*)=(.*)$" _ "${_part}")
    search_register_test(${name}_${CMAKE_MATCH_1}_tests COMMAND ${name}_tests
                         --gtest_filter=${CMAKE_MATCH_3})
    set_property(TEST ${name}_${CMAKE_MATCH_1}_tests APPEND PROPERTY ENVIRONMENT SEARCH_CLIENT_LOOK=classic)
    if(CMAKE_MATCH_2)
      set_property(TEST ${name}_${CMAKE_MATCH_1}_tests APPEND PROPERTY LABELS slow)
    endif()
  endforeach()
  if(_slow)
    # A leading minus: every case but the slow ones.
    string(SUBSTRING "${_slow}" 1 -1 _slow)
    search_register_test(${name}_tests COMMAND ${name}_tests --gtest_filter=-${_slow})
  else()
    search_register_test(${name}_tests COMMAND ${name}_tests)
  endif()
endfunction()

# search_register_test(<name> COMMAND <command...>): a suite for CTest. A Windows suite runs
# through the Wine launcher (the emulator of a target, or given in the command) inside its tree's
# Wine session, one suite at a time: they share one virtual desktop, and a window of one suite
# taking the focus would disturb another.
function(search_register_test name)
  cmake_parse_arguments(ARG "" "" "COMMAND" ${ARGN})
  add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  if(name IN_LIST SEARCH_SLOW_SUITES)
    set_property(TEST ${name} APPEND PROPERTY LABELS slow)
  endif()
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session RESOURCE_LOCK wine_desktop)
  endif()
endfunction()
