# Windows programs of a cross-built tree run under Wine. Each build tree keeps its own prefix
# (<build>/wineprefix): a 32-bit tree a 32-bit prefix, as on the 32-bit systems its DLLs are for.
# cmake/wine-session starts and stops a tree's virtual display and wineserver; cmake/wine-run runs
# one program in that session, and CTest runs every Windows test through it.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(SEARCH_WINEARCH win32)
else()
  set(SEARCH_WINEARCH win64)
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/wine/settings CONTENT "WINEARCH=${SEARCH_WINEARCH}\n")

set(SEARCH_WINE_RUN ${PROJECT_SOURCE_DIR}/cmake/wine-run)
set(SEARCH_WINE_SESSION ${PROJECT_SOURCE_DIR}/cmake/wine-session)
set(CMAKE_CROSSCOMPILING_EMULATOR ${SEARCH_WINE_RUN} ${CMAKE_BINARY_DIR})
