# Shared by the check scripts: named steps with their times, builds from CMakePresets.json, and
# one summary line at the end. Source it from the repository's root.

jobs=$(nproc)
results=()
skipped=()
failed=0
started=$SECONDS

# step NAME COMMAND ARGS...: runs the command and records whether it passed and how long it took.
# A command may set step_note to a remark that its line in the summary carries.
step() {
    local name=$1
    shift
    echo "=== $name"
    local begin=$SECONDS
    step_note=
    step_name=$name
    if "$@"; then
        results+=("$name: ok ($((SECONDS - begin))s)${step_note:+; $step_note}")
    else
        results+=("$name: FAILED")
        failed=1
    fi
}

# step_skip WHAT: within a step, records that part of it (WHAT, with the reason) did not run; the
# summary line names it.
step_skip() {
    skipped+=("$step_name, $1")
    step_note="skipped ${1}"
}

# preset_dir PRESET: the build folder of a configure preset.
preset_dir() {
    echo "build-ci/$1"
}

# build_preset PRESET [TARGETS...]: configures and builds, printing the logs only on failure.
build_preset() {
    local preset=$1
    shift
    local dir
    dir=$(preset_dir "$preset")
    mkdir -p build-ci
    cmake --preset "$preset" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$dir" -j"$jobs" "${targets[@]}" >"$dir.build.log" 2>&1 ||
        { tail -60 "$dir.build.log"; return 1; }
}

# test_preset PRESET: the preset's whole test suite.
test_preset() {
    (cd "$(preset_dir "$1")" && ctest --output-on-failure -j"$jobs" --timeout 600)
}

# finish PASSED FAILED: prints every step's line and one summary line, "PASSED passed in Ns" or
# "FAILED FAILED after Ns", followed by "; skipped: ..." for what did not run, and exits with the
# overall status.
finish() {
    echo
    printf '%s\n' "${results[@]}"
    local skips=
    [ ${#skipped[@]} -eq 0 ] || printf -v skips '; skipped: %s' "${skipped[@]}"
    if [ $failed -eq 0 ]; then
        echo "SUMMARY: $1 passed in $((SECONDS - started))s$skips"
    else
        echo "SUMMARY: $2 FAILED after $((SECONDS - started))s$skips"
    fi
    exit $failed
}

# Leak checking in the sanitizer builds' programs: our suppressions, and threads' local storage
# not scanned (see cmake/Testing.cmake for why).
export_leak_options() {
    export LSAN_OPTIONS="suppressions=$1/cmake/lsan.supp:use_tls=0"
}
