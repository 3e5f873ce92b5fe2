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

candidate() {
    apt-cache policy "$1" 2>/dev/null | awk '/Candidate:/ { print $2 }'
}

# The names of the packages that PACKAGE (name:arch) depends on, directly or not.
dependency_names() {
    apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances "$1" 2>/dev/null | grep -E '^[a-z0-9]' | sed 's/:.*//' | sort -u
}

# A library built for two architectures must have one version on both, and apt offers each
# architecture the version its own index lists. While one index lags the other (a security index
# in the middle of a sync, say), a package of the foreign architecture cannot be installed.
# fetch_matching_libraries PACKAGE DIR fetches into DIR, over HTTPS from where apt would fetch the
# native one, each package among PACKAGE's dependencies whose candidates differ between the two
# architectures, built for the foreign one at the native candidate's version. Fails when one of
# them is not there.
fetch_matching_libraries() {
    local arch=${1#*:} native name version foreign uri file
    native=$(dpkg --print-architecture)
    while read -r name; do
        version=$(candidate "$name:$native")
        foreign=$(candidate "$name:$arch")
        [[ -n $version && $version != "(none)" && -n $foreign && $foreign != "(none)" ]] || continue
        [ "$version" = "$foreign" ] && continue
        read -r uri file _ < <(apt-get download --print-uris "$name:$native=$version" 2>/dev/null)
        uri=${uri//\'/}
        [[ $uri == *_$native.deb ]] || return 1
        uri=https:${uri#*:}
        echo "Fetching $name:$arch $version"
        curl -sSfL --proto =https -o "$2/${file%_"$native".deb}_$arch.deb" \
            "${uri%_"$native".deb}_$arch.deb" || return 1
    done < <(dependency_names "$1")
}

# install_with_matching_libraries PACKAGE: installs a foreign-architecture package with the
# libraries fetch_matching_libraries fetches; apt upgrades the native ones to the same versions.
install_with_matching_libraries() {
    installed curl && installed ca-certificates || apt_install curl ca-certificates || return 1
    local dir status=1
    dir=$(mktemp -d) || return 1
    # apt reads local packages as its own unprivileged user.
    chmod 755 "$dir"
    if fetch_matching_libraries "$1" "$dir" && compgen -G "$dir/*.deb" >/dev/null; then
        echo "Installing $1 with the libraries above"
        apt_install "$dir"/*.deb "$1" && status=0
    fi
    rm -rf "$dir"
    return $status
}

# install_packages PACKAGE...: installs those that are missing. When apt cannot install them all
# together, each that it cannot install is named with apt's reason and left out, the rest are
# installed, and unavailable_packages lists what was left out. A foreign-architecture package
# left out gets one more try, with its libraries matched to the native ones. Fails only when apt
# fails with every named package left out.
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

    local installable=() foreign=() reason
    for package in "${missing[@]}"; do
        if reason=$(install_problem "$package"); then
            echo "Cannot install $package: $reason"
            if [[ $package == *:* ]]; then
                foreign+=("$package: $reason")
            else
                unavailable_packages+=("$package: $reason")
            fi
        else
            installable+=("$package")
        fi
    done
    [ ${#installable[@]} -eq 0 ] || apt_install "${installable[@]}" || return 1
    local entry
    for entry in "${foreign[@]}"; do
        install_with_matching_libraries "${entry%%: *}" || unavailable_packages+=("$entry")
    done
}
