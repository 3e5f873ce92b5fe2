if(MARROWFOLD_M32)
    # Debian ships GoogleTest built for the machine's own word size only; the 32-bit build
    # compiles it from the sources Debian installs beside it.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Our warning flags are for our own code.
    foreach(library gtest gtest_main gmock gmock_main)
        target_compile_options(${library} PRIVATE -w)
    endforeach()
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# marrowfold_add_test(NAME SOURCES... LIBS ... [X11]): one GoogleTest binary registered with
# CTest. X11 tests share one display and its pointer, so CTest never runs two of them at once,
# and they run with the leak suppressions of cairo's Xlib backend.
function(marrowfold_add_test name)
    cmake_parse_arguments(ARG "X11" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    if(ARG_X11)
        set(suppressions ${PROJECT_SOURCE_DIR}/cmake/lsan-x11.supp)
        set(properties RESOURCE_LOCK x11_display)
    else()
        set(suppressions ${PROJECT_SOURCE_DIR}/cmake/lsan.supp)
        set(properties)
    endif()
    list(APPEND properties ENVIRONMENT "LSAN_OPTIONS=suppressions=${suppressions}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
