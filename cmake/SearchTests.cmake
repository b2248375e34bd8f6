# search_add_test_dir(<name> <folder> [LIBS <targets...>] [SOURCES <extra files...>]): one
# GoogleTest executable <name>_tests from every .cpp (and, for Windows, .rc) in <folder>.
# scripts/test runs every *_tests binary it finds in bin/.
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
  target_include_directories(${name}_tests PRIVATE ${folder})
endfunction()
