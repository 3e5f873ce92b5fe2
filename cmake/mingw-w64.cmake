# Cross-building for Windows with Debian's mingw-w64, for the architecture the including file
# names (cmake/mingw-w64-i686.cmake, cmake/mingw-w64-x86_64.cmake). The -posix compilers use the
# POSIX thread model, whose C++ library has std::thread and std::mutex (GoogleTest and the tests
# need them). Programs built here run through wine (cmake/wine-run), so CTest runs them as usual.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MARROWFOLD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MARROWFOLD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MARROWFOLD_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${MARROWFOLD_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${MARROWFOLD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The wine prefix lives in the build folder, so no ~/.wine appears and a fresh build starts clean.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine-run ${MARROWFOLD_WINE_ARCH} ${CMAKE_BINARY_DIR}/wine-prefix)
