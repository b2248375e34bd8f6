# Boost (header-only MultiIndex and LexicalCast) and GoogleTest, from Debian's packages.
set(SEARCH_BOOST_ROOT "/usr/include" CACHE PATH "Folder that holds the boost/ headers")
if(NOT EXISTS ${SEARCH_BOOST_ROOT}/boost/multi_index_container.hpp)
  message(FATAL_ERROR "Boost headers not found under ${SEARCH_BOOST_ROOT} (apt-get install libboost-dev)")
endif()

add_library(boost_headers INTERFACE)
if(CMAKE_CROSSCOMPILING)
  # The cross compiler must never see the native /usr/include: give it a folder holding only boost/.
  set(_boost_shim ${CMAKE_BINARY_DIR}/boost-include)
  file(MAKE_DIRECTORY ${_boost_shim})
  file(CREATE_LINK ${SEARCH_BOOST_ROOT}/boost ${_boost_shim}/boost SYMBOLIC)
  target_include_directories(boost_headers SYSTEM INTERFACE ${_boost_shim})
else()
  target_include_directories(boost_headers SYSTEM INTERFACE ${SEARCH_BOOST_ROOT})
endif()
# The module catches bad_lexical_cast; keep Boost's own exception machinery on.
target_compile_definitions(boost_headers INTERFACE BOOST_ALL_NO_LIB)

find_package(Threads REQUIRED)

if(SEARCH_BUILD_TESTS)
  set(SEARCH_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${SEARCH_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
