# Compiler flags shared by every target.
add_compile_options(-Wall -Wextra -ffp-contract=off)
if(MARROWFOLD_WERROR)
    add_compile_options(-Werror)
endif()

if(MARROWFOLD_M32)
    add_compile_options(-m32 -msse2 -mfpmath=sse)
    add_link_options(-m32)
    include(${CMAKE_CURRENT_LIST_DIR}/ThirtyTwoBitRunner.cmake)
endif()

if(MARROWFOLD_SANITIZE)
    add_compile_options(-fsanitize=${MARROWFOLD_SANITIZE} -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${MARROWFOLD_SANITIZE})
endif()
