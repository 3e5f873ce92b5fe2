# Settings of the 32-bit Windows build (configure with cmake/mingw-w64-i686.cmake).
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    message(FATAL_ERROR "The Windows build is 32-bit: use cmake/mingw-w64-i686.cmake")
endif()

# Floating point on SSE2, as on the 64-bit build, so every kernel computes the same bits; x87
# rounds differently even at 53-bit precision.
add_compile_options(-msse2 -mfpmath=sse)
# The C and C++ runtimes and the thread library are linked in, so every program and the module
# import only system DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)

# Build-time generators run on the build machine: they are compiled with its own compiler.
set(MARROWFOLD_NATIVE_CXX c++ CACHE STRING "Compiler for programs run during the build")

# The module's exports: exactly `main`, named in a module definition file.
set(MARROWFOLD_MODULE_DEF ${PROJECT_SOURCE_DIR}/platform/win32/marrowfold.def)
