# What a client team gets: `cmake --install` lays out
#   bin/                 Search.dll, QZProtocol.dll, SearchDemo.exe
#   lib/                 their import libraries and the picture library
#   include/             the headers a client includes
#   lib/cmake/Search/    the CMake package: find_package(Search CONFIG) gives Search::Search,
#                        Search::QZProtocol, Search::Records and Search::CustomPic
# and CPack zips the same tree, one zip per architecture.
include(CMakePackageConfigHelpers)

set(SEARCH_INSTALL_CMAKEDIR lib/cmake/Search)

install(TARGETS Search QZProtocol search_records picture
  EXPORT SearchTargets
  RUNTIME DESTINATION bin
  LIBRARY DESTINATION lib
  ARCHIVE DESTINATION lib
  FILE_SET HEADERS DESTINATION include)
install(TARGETS SearchDemo RUNTIME DESTINATION bin)

install(EXPORT SearchTargets NAMESPACE Search:: DESTINATION ${SEARCH_INSTALL_CMAKEDIR})
configure_package_config_file(cmake/SearchConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/SearchConfig.cmake
  INSTALL_DESTINATION ${SEARCH_INSTALL_CMAKEDIR})
# A 32-bit client cannot use the 64-bit package, nor the other way round: the version file
# answers "unsuitable" to a build whose pointer size differs.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/SearchConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/SearchConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/SearchConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/SearchBoost.cmake
  DESTINATION ${SEARCH_INSTALL_CMAKEDIR})

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Search)
set(CPACK_PACKAGE_VENDOR "${SEARCH_COMPANY_NAME}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${SEARCH_PRODUCT_NAME}")
set(CPACK_PACKAGE_FILE_NAME "Search-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME}")
# The build trees carry debug information; the shipped files do not.
set(CPACK_STRIP_FILES ON)
include(CPack)
