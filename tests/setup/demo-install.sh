#!/usr/bin/env bash
# The demo's install step with stand-ins for apt-get, dpkg-query, dpkg and sudo in front of PATH:
# nothing is installed, apt-get update fails as it does while a mirror syncs, and apt-get install
# records what it was asked for. The step must go on past the failed update and ask for nothing
# that only the test suite needs.
# Usage: demo-install.sh REPOSITORY
set -euo pipefail
repository=$1
fakes=$(mktemp -d)
trap 'rm -rf "$fakes"' EXIT
log=$fakes/calls.log

stand_in() {
    printf '#!/usr/bin/env bash\n%s\n' "$2" >"$fakes/$1"
    chmod +x "$fakes/$1"
}
stand_in dpkg-query 'exit 1'
stand_in dpkg "echo \"dpkg \$*\" >>$log"
stand_in sudo '"$@"'
stand_in apt-get "echo \"apt-get \$*\" >>$log
case \" \$* \" in *' update '*)
    echo 'E: Failed to fetch http://deb.example/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?' >&2
    exit 100
esac"

output=$(PATH="$fakes:$PATH" "$repository/scripts/install-deps" --demo 2>&1) || {
    echo "the install step failed:"
    echo "$output"
    exit 1
}
fail() {
    echo "$1"
    echo "--- output:"
    echo "$output"
    echo "--- calls:"
    cat "$log"
    exit 1
}
grep -q '^apt-get update' "$log" || fail "apt-get update was never tried"
grep -q 'apt-get update failed for some package lists.*Mirror sync in progress' <<<"$output" ||
    fail "the failed update was not reported"
install=$(grep '^apt-get install' "$log") || fail "the install step stopped after the failed update"
grep -q -- '--add-architecture' "$log" && fail "the demo added a foreign architecture"
forbidden=$(tr ' ' '\n' <<<"$install" | grep -E ':i386$|wine|jack|jalv|ardour|mingw|qemu|lintian' || true)
[ -z "$forbidden" ] || fail "the demo asked for packages only the tests need: $forbidden"
grep -qw libsndfile1-dev <<<"$install" || fail "the demo did not ask for what it builds with"
echo "demo install step: went on past the failed update; asked for: ${install#apt-get install }"
