# What a client team gets: `cmake --install` (and CPack's zip, one per architecture, which puts the
# same folders under one top folder named as the zip, Search-VERSION.BUILD-COMMIT-ARCH) lays out
# three folders, so that the one a client copies holds nothing that could replace a file of its own
# and nothing it should not ship:
#   module/      what the client takes and ships:
#     bin/                  Search.dll
#     lib/                  its import library
#     include/              Search.h and SearchRecords.h
#     lib/cmake/Search/     find_package(Search CONFIG): Search::Search, and Search::Records as the
#                           component Records
#     Search-win64-ThirdPartyNotices.txt, Search-win64.cdx.json   what the DLL links in: notices
#                           and a CycloneDX bill of materials (-win32 for the 32-bit zip)
#   symbols/     the PDB of every DLL and program of the other two folders (Search.pdb, and the
#                stand-ins' QZProtocol.pdb and SearchDemo.pdb): kept for a symbol store, never shipped
#   stand-ins/   our own versions of the client's libraries, for building and running the demo:
#     bin/                  QZProtocol.dll, SearchDemo.exe
#     lib/                  libQZProtocol.dll.a, libCustomPic.a
#     include/              QZProtocol.h, QZTransmit.h, CustomPic.h
#     lib/cmake/SearchStandIns/   find_package(SearchStandIns CONFIG): Search::QZProtocol and
#                                 Search::CustomPic, on top of the module's package
#     SearchStandIns-win64-ThirdPartyNotices.txt, SearchStandIns-win64.cdx.json   the same for these
# The files installed are the build tree's own, unstripped: the DLLs the Wine suites of that tree
# test, each with the PDB it names.
include(CMakePackageConfigHelpers)

set(SEARCH_MODULE_DIR module)
set(SEARCH_STANDINS_DIR stand-ins)
set(SEARCH_SYMBOLS_DIR symbols)

install(TARGETS Search
  EXPORT SearchTargets
  RUNTIME DESTINATION ${SEARCH_MODULE_DIR}/bin
  LIBRARY DESTINATION ${SEARCH_MODULE_DIR}/lib
  ARCHIVE DESTINATION ${SEARCH_MODULE_DIR}/lib
  FILE_SET HEADERS DESTINATION ${SEARCH_MODULE_DIR}/include)
# The records apart: their Boost is looked up only for a build that asks for them.
install(TARGETS search_records
  EXPORT SearchRecordsTargets
  FILE_SET HEADERS DESTINATION ${SEARCH_MODULE_DIR}/include)
install(EXPORT SearchRecordsTargets NAMESPACE Search:: DESTINATION ${SEARCH_MODULE_DIR}/lib/cmake/Search)
install(TARGETS QZProtocol picture
  EXPORT SearchStandInsTargets
  RUNTIME DESTINATION ${SEARCH_STANDINS_DIR}/bin
  LIBRARY DESTINATION ${SEARCH_STANDINS_DIR}/lib
  ARCHIVE DESTINATION ${SEARCH_STANDINS_DIR}/lib
  FILE_SET HEADERS DESTINATION ${SEARCH_STANDINS_DIR}/include)
install(TARGETS SearchDemo RUNTIME DESTINATION ${SEARCH_STANDINS_DIR}/bin)

# lld writes each PDB beside its file (the toolchain's --pdb=); CMake knows PDB names only for MSVC.
# A debugger finds a PDB by the file name and GUID the DLL names, in whichever folder it is told.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  foreach(_target Search QZProtocol SearchDemo)
    install(FILES $<TARGET_FILE_DIR:${_target}>/$<TARGET_FILE_BASE_NAME:${_target}>.pdb
            DESTINATION ${SEARCH_SYMBOLS_DIR})
  endforeach()
endif()

# search_package_files(<name> <folder>): the config and version files of one package. The version
# file answers "unsuitable" to a build whose pointer size differs: a 32-bit client cannot use the
# 64-bit package, nor the other way round.
function(search_package_files name folder)
  set(_dest ${folder}/lib/cmake/${name})
  install(EXPORT ${name}Targets NAMESPACE Search:: DESTINATION ${_dest})
  configure_package_config_file(cmake/${name}Config.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
    INSTALL_DESTINATION ${_dest})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
    ${ARGN}
    DESTINATION ${_dest})
endfunction()
search_package_files(Search ${SEARCH_MODULE_DIR} ${PROJECT_SOURCE_DIR}/cmake/SearchBoost.cmake)
search_package_files(SearchStandIns ${SEARCH_STANDINS_DIR})

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Search)
set(CPACK_PACKAGE_VENDOR "${SEARCH_COMPANY_NAME}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${SEARCH_PRODUCT_NAME}")
# The zip's name says which commit it was built from, as the files' version resources do.
set(CPACK_PACKAGE_FILE_NAME "Search-${SEARCH_VERSION_FULL}-${CPACK_SYSTEM_NAME}")
# Shipped as built: stripping would make DLLs other than the ones tested, and the PDBs name them.
set(CPACK_STRIP_FILES OFF)
# The same commit gives the same zip: it is rewritten with every time stamp the commit's
# (SOURCE_DATE_EPOCH, when set, wins) and its entries in name order.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(SEARCH_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE SEARCH_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _git_failed ERROR_QUIET)
  if(_git_failed OR SEARCH_SOURCE_DATE_EPOCH STREQUAL "")
    set(SEARCH_SOURCE_DATE_EPOCH 0)  # outside git: the earliest time a zip can hold
  endif()
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Each folder's third-party notices and bill of materials (NAME-ThirdPartyNotices.txt, NAME.cdx.json),
# made from the PDBs of what was installed (cmake/third-party-bill): the last install step, so that
# the bill's checksums are those of the installed files.
if(SEARCH_SOURCE_PREFIX)
  find_program(SEARCH_PDBUTIL llvm-pdbutil${SEARCH_LLVM_SUFFIX} REQUIRED)
  foreach(_folder "${SEARCH_MODULE_DIR}=Search" "${SEARCH_STANDINS_DIR}=SearchStandIns")
    string(REPLACE "=" ";" _folder "${_folder}")
    list(GET _folder 0 _dir)
    list(GET _folder 1 _name)
    install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\" -E env SEARCH_PDBUTIL=${SEARCH_PDBUTIL}
        \"${Python3_EXECUTABLE}\" \"${PROJECT_SOURCE_DIR}/cmake/third-party-bill\"
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${_dir}\" ${_name}-${CPACK_SYSTEM_NAME} ${SEARCH_VERSION_FULL}
        \"${PROJECT_SOURCE_DIR}\" ${SEARCH_SOURCE_PREFIX} ${SEARCH_SOURCE_DATE_EPOCH}
      COMMAND_ERROR_IS_FATAL ANY)")
  endforeach()
endif()
set(CPACK_SEARCH_PYTHON ${Python3_EXECUTABLE})
set(CPACK_SEARCH_ZIP_TOOL ${PROJECT_SOURCE_DIR}/cmake/reproducible-zip)
set(CPACK_SEARCH_SOURCE_DATE_EPOCH ${SEARCH_SOURCE_DATE_EPOCH})
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/SearchPackageZip.cmake)
include(CPack)
