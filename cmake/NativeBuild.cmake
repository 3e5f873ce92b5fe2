# Windows builds: a build of the same sources for the build machine, with the same editor choice.
# It draws the bitmaps that the module's resources carry and gives the reference
# marrowfold-process that the Windows output must match.
include(ExternalProject)
set(MARROWFOLD_NATIVE_BUILD ${CMAKE_BINARY_DIR}/native)
set(MARROWFOLD_BITMAP_FOLDER ${MARROWFOLD_NATIVE_BUILD}/resources/bitmaps/generated)
set(MARROWFOLD_BITMAP_IDS 1000 1001 1002 1003 1004 1005 1006 1007 1008 1009 1010 1011 1012)
# The files the module's resources take: each bitmap as BMP at 1x (bitmap1000.bmp) and as PNG at
# 2x and 3x (bitmap1000@2x.png, bitmap1000@3x.png).
set(MARROWFOLD_BITMAP_FILES)
foreach(file_suffix ".bmp" "@2x.png" "@3x.png")
    set(files ${MARROWFOLD_BITMAP_IDS})
    list(TRANSFORM files PREPEND ${MARROWFOLD_BITMAP_FOLDER}/bitmap)
    list(TRANSFORM files APPEND ${file_suffix})
    list(APPEND MARROWFOLD_BITMAP_FILES ${files})
endforeach()

ExternalProject_Add(marrowfold_native
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${MARROWFOLD_NATIVE_BUILD}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=${MARROWFOLD_NATIVE_CXX}
        -DMARROWFOLD_EDITOR=${MARROWFOLD_EDITOR} -DMARROWFOLD_BITMAP_GENERATOR=ON
        -DMARROWFOLD_HOST_TOOLS=OFF -DMARROWFOLD_TESTS=OFF -DMARROWFOLD_BENCH=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${MARROWFOLD_NATIVE_BUILD}
        --target marrowfold-process marrowfold_bitmaps
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${MARROWFOLD_NATIVE_BUILD}/marrowfold-process ${MARROWFOLD_BITMAP_FILES})
