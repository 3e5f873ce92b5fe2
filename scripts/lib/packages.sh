# Shared by the set-up scripts: the Debian packages each command needs and an installer that
# gets as far as the package index allows. It installs packages and nothing else: no pins, no
# downgrades, no changes to apt's configuration. Source it from the repository's root.

# What building the module, the tools and the LV2 bundle needs: the demo and the README's next
# steps (rendering files, installing the bundle).
demo_packages=(
    build-essential cmake g++ pkg-config
    libcairo2-dev libx11-dev libfontconfig-dev fonts-liberation libsndfile1-dev lv2-dev
)

# Everything the whole test suite needs on top of that.
test_packages=(
    "${demo_packages[@]}" g++-multilib
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    clang libclang-rt-14-dev clang-format cppcheck
    # The X11 tests also run under xvfb-run, which needs xauth.
    xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick
    # The Windows builds: the mingw-w64 cross compilers, and wine to run what they build. The
    # 32-bit wine comes from Debian's i386 architecture; the 64-bit wine also runs where the
    # system cannot execute 32-bit programs, and there qemu's user-mode emulator runs the
    # 32-bit Linux build's tests.
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386 fonts-wine
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 qemu-user
    # The LV2 validator (sord_validate) and the real hosts the tests run: lilv's tools, jalv on
    # JACK, headless Ardour.
    lilv-utils sordi jalv jackd2 ardour
    # The Debian package: CPack computes its dependencies with dpkg-shlibdeps, the tests check
    # it with lintian.
    dpkg-dev lintian
)

# The packages that could not be installed, each as "NAME: apt's reason".
unavailable_packages=()

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

apt_install() {
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "$@"
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# A package of a foreign architecture (name:i386) needs that architecture added to dpkg once.
add_foreign_architectures() {
    local package arch
    for package in "$@"; do
        [[ $package == *:* ]] || continue
        arch=${package#*:}
        dpkg --print-foreign-architectures | grep -qx "$arch" && continue
        echo "Adding the $arch architecture for $package"
        as_root dpkg --add-architecture "$arch"
    done
}

# One index that fails (a mirror in the middle of a sync, say) leaves apt with the lists it had:
# say so and go on with those.
refresh_package_lists() {
    local output
    output=$(as_root apt-get update -qq 2>&1) && return 0
    local reason
    reason=$(grep -m1 '^E: ' <<<"$output" || tail -n1 <<<"$output")
    echo "apt-get update failed for some package lists, going on with those apt has: ${reason#E: }"
}

# apt's reason, in one line, why a package cannot be installed: the first unmet dependency it
# names and its error.
install_problem() {
    local output
    output=$(apt-get install -s -q --no-install-recommends "$1" 2>&1) && return 1
    local dependency error
    dependency=$(grep -m1 -E '^ .* : (Pre)?Depends: | : Breaks: | : Conflicts: ' <<<"$output" |
        sed -E 's/^ +//; s/ +/ /g')
    error=$(grep '^E: ' <<<"$output" | tail -n1)
    echo "${dependency:+$dependency; }${error:-apt-get could not install it}"
}

# install_packages PACKAGE...: installs those that are missing. When apt cannot install them all
# together, each that it cannot install is named with apt's reason and left out, the rest are
# installed, and unavailable_packages lists what was left out. Fails only when apt fails with
# every named package left out.
install_packages() {
    local missing=() package
    for package in "$@"; do
        installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing: ${missing[*]}"
    add_foreign_architectures "${missing[@]}"
    refresh_package_lists
    apt_install "${missing[@]}" 2>/dev/null && return 0

    local installable=() reason
    for package in "${missing[@]}"; do
        if reason=$(install_problem "$package"); then
            echo "Cannot install $package: $reason"
            unavailable_packages+=("$package: $reason")
        else
            installable+=("$package")
        fi
    done
    [ ${#installable[@]} -eq 0 ] || apt_install "${installable[@]}"
}
