# Cross build for 32-bit Windows with clang and lld, PDBs included.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(SEARCH_MINGW_TRIPLE i686-w64-mingw32)
# Windows' own stack walkers (RtlCaptureStackBackTrace, a debugger reading a crash dump) read unwind
# tables in 64-bit code only; in 32-bit code they follow the chain of frame pointers.
set(SEARCH_EXTRA_COMPILE_FLAGS -fno-omit-frame-pointer)
# 32-bit code of this toolchain unwinds with DWARF tables and registers no SEH handler, so each
# image says so (IMAGE_DLLCHARACTERISTICS_NO_SEH): Windows then refuses any handler that would
# claim to be in it. (A SafeSEH table cannot be made: GCC's runtime objects carry no SEH records.)
set(SEARCH_EXTRA_LINK_FLAGS -Wl,--no-seh)
include(${CMAKE_CURRENT_LIST_DIR}/llvm-mingw-w64-common.cmake)
