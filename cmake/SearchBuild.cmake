# What every target of this project is built with, set on each target rather than for the whole
# tree, so that nothing leaks into GoogleTest or into a client's build through this project's files.

# Shown in the version resource of every shipped file (the Details page of a file's properties).
set(SEARCH_COMPANY_NAME "查找模块开发组")
set(SEARCH_PRODUCT_NAME "查找用户和商圈")
set(SEARCH_COPYRIGHT "版权所有 (C) 2026 ${SEARCH_COMPANY_NAME}")

# search_target_settings(<target>): C++17 (also for whoever uses the target: the shared headers are
# C++17), warnings, the Win32 API flavour and a self-contained link.
function(search_target_settings target)
  target_compile_features(${target} PUBLIC cxx_std_17)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(WIN32)
    target_compile_definitions(${target} PRIVATE
      UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX)
    # A function with a local array or a local whose address is taken checks a canary before it
    # returns. MinGW-w64 10's runtime has no __stack_chk_fail: it comes from GCC's libssp.
    target_compile_options(${target} PRIVATE -fstack-protector-strong)
    get_target_property(_type ${target} TYPE)
    if(_type STREQUAL "EXECUTABLE" OR _type STREQUAL "SHARED_LIBRARY")
      # Nothing may depend on libstdc++-6.dll, libwinpthread-1.dll or libssp-0.dll at run time: a
      # client ships our DLLs and nothing else of this compiler. (A test program sets
      # SEARCH_SHARED_RUNTIME to stand for a client that links the runtime as DLLs, the
      # toolchain's default.)
      if(NOT SEARCH_SHARED_RUNTIME)
        target_link_options(${target} PRIVATE -static)
      endif()
      target_link_libraries(${target} PRIVATE ssp)
    elseif(_type STREQUAL "STATIC_LIBRARY")
      # Whoever links the library (a client, for the shipped CustomPic) needs libssp too.
      target_link_libraries(${target} INTERFACE ssp)
    endif()
  endif()
endfunction()

# search_version_resource(<target> DESCRIPTION <text>): a VERSIONINFO resource for the file the
# target makes, with the project's version and build number (cmake/SearchVersion.cmake) and the
# commit, the description given (Chinese, as the client shows it), company, product and copyright.
# Windows targets only.
function(search_version_resource target)
  cmake_parse_arguments(ARG "" "DESCRIPTION" "" ${ARGN})
  get_target_property(_type ${target} TYPE)
  if(_type STREQUAL "EXECUTABLE")
    set(SEARCH_VERSION_FILETYPE VFT_APP)
  else()
    set(SEARCH_VERSION_FILETYPE VFT_DLL)
  endif()
  set(SEARCH_VERSION_DESCRIPTION "${ARG_DESCRIPTION}")
  set(SEARCH_VERSION_INTERNAL_NAME "${target}")
  foreach(_part MAJOR MINOR PATCH)
    if("${PROJECT_VERSION_${_part}}" STREQUAL "")
      set(SEARCH_VERSION_${_part} 0)
    else()
      set(SEARCH_VERSION_${_part} ${PROJECT_VERSION_${_part}})
    endif()
  endforeach()
  # Two steps: configure_file fills in the texts, file(GENERATE) the file name the target gets.
  set(_configured ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc.in)
  set(_generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${_configured} @ONLY)
  file(GENERATE OUTPUT ${_generated} INPUT ${_configured})
  target_sources(${target} PRIVATE ${_generated})
  set_target_properties(${target} PROPERTIES SEARCH_FILE_DESCRIPTION "${ARG_DESCRIPTION}")
endfunction()

# The same commit built in any folder gives the same bytes. The LLVM build writes the source tree
# into objects and PDBs as /src (point a debugger there, or at a checkout, to find the sources):
# absolute paths through the prefix map; the paths that are relative to the build tree (objects,
# and sources too when ccache has made them relative) through the build tree's place under /src,
# which lld makes them absolute against. A build tree outside the sources keeps its own path.
# The time stamps are the linker's content hash (-Brepro, in the toolchain file).
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(SEARCH_SOURCE_PREFIX /src)
  cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${PROJECT_BINARY_DIR}" NORMALIZE _build_in_sources)
  if(_build_in_sources)
    file(RELATIVE_PATH _build_place "${PROJECT_SOURCE_DIR}" "${PROJECT_BINARY_DIR}")
    set(_build_place "${SEARCH_SOURCE_PREFIX}/${_build_place}")
  else()
    set(_build_place "${PROJECT_BINARY_DIR}")
  endif()
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=${SEARCH_SOURCE_PREFIX}
                      -fdebug-compilation-dir=.)
  add_link_options(LINKER:-Xlink=-pdbsourcepath:${_build_place})
endif()
