# Cross build for 64-bit Windows with clang and lld, PDBs included.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SEARCH_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/llvm-mingw-w64-common.cmake)
