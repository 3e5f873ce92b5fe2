# 32-bit x86 Windows, the module's own platform; its programs run under 32-bit wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MARROWFOLD_MINGW_TRIPLE i686-w64-mingw32)
set(MARROWFOLD_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
