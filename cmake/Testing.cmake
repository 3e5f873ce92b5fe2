if(MARROWFOLD_M32 OR CMAKE_CROSSCOMPILING)
    # Debian ships GoogleTest built for the machine's own word size and platform only; the
    # 32-bit and Windows builds compile it from the sources Debian installs beside it.
    set(MARROWFOLD_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${MARROWFOLD_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL SYSTEM)
    # Our warning flags are for our own code.
    foreach(library gtest gtest_main gmock gmock_main)
        target_compile_options(${library} PRIVATE -w)
    endforeach()
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# The leak checker does not scan threads' local storage: gcc 12's runtime crashes reading the
# dynamic thread-local blocks of libraries unloaded before the exit (the LV2 tests load and unload
# the bundle's libraries over and over). Nothing is kept only through thread-local storage here,
# and scanning less can only report more leaks, never hide one.
set(MARROWFOLD_LSAN_SCAN "use_tls=0")

# marrowfold_add_test(NAME SOURCES... LIBS ... [X11] [PROPERTIES ...]): one GoogleTest binary
# registered with CTest, its tests with the CTest properties given. X11 tests share one display
# and its pointer, so CTest never runs two of them at once, and they run with the leak
# suppressions of cairo's Xlib backend.
function(marrowfold_add_test name)
    cmake_parse_arguments(ARG "X11" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    # What every version shown to a user must read.
    target_compile_definitions(${name} PRIVATE MARROWFOLD_PROJECT_VERSION="${PROJECT_VERSION}")
    if(ARG_X11)
        set(suppressions ${PROJECT_SOURCE_DIR}/cmake/lsan-x11.supp)
        set(properties RESOURCE_LOCK x11_display)
    else()
        set(suppressions ${PROJECT_SOURCE_DIR}/cmake/lsan.supp)
        set(properties)
    endif()
    list(APPEND properties ${ARG_PROPERTIES})
    if(CMAKE_CROSSCOMPILING)
        # Each program start under wine costs a process and its libraries, so a cross-built
        # suite is one CTest test that runs all its cases.
        add_test(NAME ${name} COMMAND ${name})
        return()
    endif()
    list(APPEND properties ENVIRONMENT "LSAN_OPTIONS=suppressions=${suppressions}:${MARROWFOLD_LSAN_SCAN}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
