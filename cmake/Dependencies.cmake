# Boost (header-only MultiIndex and LexicalCast) and GoogleTest, from Debian's packages.
include(${CMAKE_CURRENT_LIST_DIR}/SearchBoost.cmake)
if(NOT TARGET Boost::headers)
  message(FATAL_ERROR "Boost headers not found under ${SEARCH_BOOST_ROOT} (apt-get install libboost-dev)")
endif()
# The records' containers are laid out by this Boost: the installed package holds a client to it.
search_boost_version(SEARCH_BOOST_VERSION)

find_package(Threads REQUIRED)

if(SEARCH_BUILD_TESTS)
  set(SEARCH_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${SEARCH_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
