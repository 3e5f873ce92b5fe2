# Where the 32-bit build's programs run: natively when the system executes 32-bit x86 programs,
# otherwise (a kernel or sandbox without 32-bit support) through qemu's user-mode emulator of
# 32-bit x86, which runs the same machine code. CTest and the test discovery use the runner.
set(probe_dir ${CMAKE_BINARY_DIR}/thirty-two-bit-probe)
file(WRITE ${probe_dir}/probe.c "int main(void) { return 0; }\n")
try_run(probe_ran probe_built ${probe_dir} ${probe_dir}/probe.c
    COMPILE_DEFINITIONS -m32 LINK_OPTIONS -m32)
if(NOT probe_built)
    message(FATAL_ERROR "The compiler cannot build 32-bit x86 programs (install g++-multilib)")
endif()
if(NOT probe_ran EQUAL 0)
    find_program(MARROWFOLD_QEMU_I386 qemu-i386)
    if(NOT MARROWFOLD_QEMU_I386)
        message(FATAL_ERROR "This system cannot run 32-bit x86 programs and has no qemu-i386 "
                            "(install qemu-user)")
    endif()
    message(STATUS "32-bit programs run through ${MARROWFOLD_QEMU_I386}")
    set(CMAKE_CROSSCOMPILING_EMULATOR ${MARROWFOLD_QEMU_I386} -L /)
endif()
