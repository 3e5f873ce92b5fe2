# Settings of the Windows builds (configure with cmake/mingw-w64-i686.cmake for the module's own
# 32-bit platform, or cmake/mingw-w64-x86_64.cmake).
if(NOT DEFINED MARROWFOLD_MINGW_TRIPLE)
    message(FATAL_ERROR "Windows builds are cross builds: use cmake/mingw-w64-i686.cmake")
endif()

# Floating point on SSE2, as on the 64-bit builds, so every kernel computes the same bits; x87
# rounds differently even at 53-bit precision.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_compile_options(-msse2 -mfpmath=sse)
endif()
# The C and C++ runtimes and the thread library are linked in, so every program and the module
# import only system DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)

# Build-time generators run on the build machine: they are compiled with its own compiler.
set(MARROWFOLD_NATIVE_CXX c++ CACHE STRING "Compiler for programs run during the build")

# The module's exports: exactly `main`, named in a module definition file.
set(MARROWFOLD_MODULE_DEF ${PROJECT_SOURCE_DIR}/platform/win32/marrowfold.def)
