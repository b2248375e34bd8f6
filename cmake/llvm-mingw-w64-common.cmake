# Shared by the two LLVM toolchain files, which set SEARCH_MINGW_TRIPLE and the processor: cross
# build for Windows with clang and lld, run under Wine. They compile against the same MinGW-w64
# headers and the same GCC C++ library (posix thread model) as the GCC toolchain files, so the DLLs
# export the same C++ names as a g++ build, and a client built with MinGW-w64 g++ links against them.
# Unlike GNU ld, lld writes a PDB, which is what Windows debuggers and crash services read.
set(CMAKE_SYSTEM_NAME Windows)

set(SEARCH_LLVM_SUFFIX -19)
set(CMAKE_C_COMPILER clang${SEARCH_LLVM_SUFFIX})
set(CMAKE_CXX_COMPILER clang++${SEARCH_LLVM_SUFFIX})
set(CMAKE_C_COMPILER_TARGET ${SEARCH_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${SEARCH_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${SEARCH_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SEARCH_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC's C++ library of the posix thread model. Clang would pick a GCC folder by itself, but not
# necessarily this one: std::thread and std::mutex exist only in the posix model's headers.
file(GLOB _search_gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${SEARCH_MINGW_TRIPLE}/*-posix)
list(SORT _search_gcc_dirs COMPARE NATURAL)
list(POP_BACK _search_gcc_dirs SEARCH_MINGW_GCC_DIR)
if(NOT SEARCH_MINGW_GCC_DIR)
  message(FATAL_ERROR "no /usr/lib/gcc/${SEARCH_MINGW_TRIPLE}/*-posix (apt-get install g++-mingw-w64-*-posix)")
endif()
set(_search_cxx_library
  "-isystem ${SEARCH_MINGW_GCC_DIR}/include/c++"
  "-isystem ${SEARCH_MINGW_GCC_DIR}/include/c++/${SEARCH_MINGW_TRIPLE}")
list(JOIN _search_cxx_library " " _search_cxx_library)

# Debug information as CodeView, which lld gathers into a PDB beside each DLL and program. The
# compile command (with this machine's paths) stays out of the objects.
set(_search_debug_format "-gcodeview -gno-codeview-command-line")
# (CMake reads this file more than once: every value is set whole, never appended to.)
set(CMAKE_C_FLAGS_INIT "${_search_debug_format} ${SEARCH_EXTRA_COMPILE_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${_search_cxx_library} ${_search_debug_format} ${SEARCH_EXTRA_COMPILE_FLAGS}")

# The DLL's debug record names its PDB by file name only, as a debugger looks it up on a symbol
# path; -Brepro writes a hash of the contents where the PE time stamps would be. The posix model's
# C++ library calls winpthread, which g++ links by itself and clang only with -pthread. CMake
# repeats the compile flags on the link line, where clang would call the debug-format ones unused.
set(_search_link
  "-fuse-ld=lld -L${SEARCH_MINGW_GCC_DIR} -pthread"
  "-Wl,--pdb= -Wl,-Xlink=-pdbaltpath:%_PDB% -Wl,-Xlink=-Brepro"
  "-Wno-unused-command-line-argument ${SEARCH_EXTRA_LINK_FLAGS}")
list(JOIN _search_link " " _search_link)
foreach(_kind EXE SHARED MODULE)
  set(CMAKE_${_kind}_LINKER_FLAGS_INIT "${_search_link}")
endforeach()
