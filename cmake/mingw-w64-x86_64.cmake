# 64-bit x86 Windows: the same sources with the 64-bit record; its programs run under 64-bit wine,
# which also runs where the machine cannot execute 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MARROWFOLD_MINGW_TRIPLE x86_64-w64-mingw32)
set(MARROWFOLD_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
