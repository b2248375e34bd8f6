# Boost::headers: the header-only part of Boost that the result records need (MultiIndex for the
# containers, LexicalCast for identifier text). Used by this project's own build and shipped with
# its CMake package, so a client's build finds Boost the same way.
#
# SEARCH_BOOST_ROOT names the folder that holds boost/. A target Boost::headers that the including
# project already has (from its own find_package(Boost)) is used as it is.
if(NOT TARGET Boost::headers)
  if(DEFINED Boost_INCLUDE_DIR)
    set(_search_boost_default "${Boost_INCLUDE_DIR}")
  else()
    set(_search_boost_default "/usr/include")
  endif()
  set(SEARCH_BOOST_ROOT "${_search_boost_default}" CACHE PATH "Folder that holds the boost/ headers")
  unset(_search_boost_default)

  if(EXISTS "${SEARCH_BOOST_ROOT}/boost/multi_index_container.hpp" AND
     EXISTS "${SEARCH_BOOST_ROOT}/boost/lexical_cast.hpp")
    add_library(Boost::headers INTERFACE IMPORTED)
    set(_search_boost_include "${SEARCH_BOOST_ROOT}")
    if(CMAKE_CROSSCOMPILING)
      # A cross compiler must never see the build machine's own /usr/include, where Debian keeps
      # Boost: give it a folder that holds nothing but a link to boost/.
      set(_search_boost_include "${CMAKE_BINARY_DIR}/boost-include")
      file(MAKE_DIRECTORY "${_search_boost_include}")
      file(CREATE_LINK "${SEARCH_BOOST_ROOT}/boost" "${_search_boost_include}/boost" SYMBOLIC)
    endif()
    # Include folders of an imported target are system folders: Boost's warnings stay Boost's.
    set_target_properties(Boost::headers PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES "${_search_boost_include}"
      INTERFACE_COMPILE_DEFINITIONS BOOST_ALL_NO_LIB)
    unset(_search_boost_include)
  endif()
endif()

# search_boost_version(<var>): BOOST_VERSION (107400 for 1.74.0) of the headers Boost::headers
# names, or "" when there are none.
function(search_boost_version var)
  set(_version "")
  if(TARGET Boost::headers)
    get_target_property(_dirs Boost::headers INTERFACE_INCLUDE_DIRECTORIES)
    foreach(_dir IN LISTS _dirs)
      if(_version STREQUAL "" AND EXISTS "${_dir}/boost/version.hpp")
        file(STRINGS "${_dir}/boost/version.hpp" _line REGEX "^#define BOOST_VERSION [0-9]+")
        string(REGEX REPLACE "^#define BOOST_VERSION ([0-9]+).*" "\\1" _version "${_line}")
      endif()
    endforeach()
  endif()
  set(${var} "${_version}" PARENT_SCOPE)
endfunction()
