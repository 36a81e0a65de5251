#!/usr/bin/env bash
# Checks scripts/install-deps where it cannot install: run by an ordinary user on a
# machine without sudo and with every package missing, it names what it would
# install and says how to run it, in one line, and fails. The plain call names
# only what building and running needs; --test names the test tools as well. The
# release in os-release chooses the names that differ; on a release it does not know
# it tries Debian 13's, and names the packages the archive does not have before
# installing anything.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
script=$(cd "$here/../.." && pwd)/scripts/install-deps

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"

# A PATH with the few tools the script uses, no sudo, and a package database
# that knows nothing.
bin=$tmp/bin
mkdir "$bin"
for tool in bash id grep; do
    ln -s "$(command -v "$tool")" "$bin/$tool"
done
printf '#!/bin/sh\nexit 1\n' >"$bin/dpkg-query"
chmod 755 "$bin/dpkg-query"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi

# Runs install-deps with the given arguments; leaves its status in $status and
# its messages in $tmp/err.
run() {
    status=0
    "${as_user[@]}" env -i PATH="$bin" SORAKADO_OS_RELEASE="${os_release:-/etc/os-release}" \
        "$script" "$@" >"$tmp/out" 2>"$tmp/err" || status=$?
}
release() {
    os_release=$tmp/os-release-$1
    printf 'PRETTY_NAME="Debian GNU/Linux"\nVERSION_CODENAME=%s\nID=debian\n' "$1" >"$os_release"
}

run
[ "$status" -ne 0 ] && [ "$status" -ne 127 ] || fail "exit status $status without sudo"
[ "$(wc -l <"$tmp/err")" -eq 1 ] || fail "not one line: $(cat "$tmp/err")"
grep -q "root" "$tmp/err" && grep -q "sudo" "$tmp/err" || fail "no hint: $(cat "$tmp/err")"
for p in qt6-base-dev libjpeg62-turbo-dev fonts-noto-cjk; do
    grep -qw -- "$p" "$tmp/err" || fail "does not name $p: $(cat "$tmp/err")"
done
for p in xvfb lintian libbenchmark-dev clang; do
    ! grep -qw -- "$p" "$tmp/err" || fail "running needs no $p: $(cat "$tmp/err")"
done

run --test
[ "$status" -ne 0 ] && [ "$status" -ne 127 ] || fail "--test: exit status $status without sudo"
for p in qt6-base-dev xvfb lintian libbenchmark-dev clang; do
    grep -qw -- "$p" "$tmp/err" || fail "--test does not name $p: $(cat "$tmp/err")"
done

run --tests
[ "$status" -eq 2 ] || fail "an unknown option is not refused"

# The names that differ: clang's runtime is clang's own version on each release.
release bookworm
run --test
grep -qw -- libclang-rt-14-dev "$tmp/err" || fail "Debian 12: $(cat "$tmp/err")"
release trixie
run --test
[ "$(wc -l <"$tmp/err")" -eq 1 ] || fail "Debian 13: not one line: $(cat "$tmp/err")"
grep -qw -- libclang-rt-19-dev "$tmp/err" || fail "Debian 13: $(cat "$tmp/err")"

# A release not known, with sudo, and an archive that has every name but one: that one
# is named, and nothing is installed.
printf '#!/bin/sh\nexec "$@"\n' >"$bin/sudo"
printf '#!/bin/sh\necho "$*" >>%s/apt-get.log\n' "$tmp" >"$bin/apt-get"
printf '#!/bin/sh\nfor p; do [ "$p" = libclang-rt-19-dev ] || echo "Package: $p"; done\n' \
    >"$bin/apt-cache"
chmod 755 "$bin/sudo" "$bin/apt-get" "$bin/apt-cache"
: >"$tmp/apt-get.log"
chmod 666 "$tmp/apt-get.log"
for tool in sed tr; do
    ln -s "$(command -v "$tool")" "$bin/$tool"
done
release forky
run --test
[ "$status" -ne 0 ] || fail "an unknown release with a package not found succeeds"
grep -q "forky" "$tmp/err" && grep -q "Debian 13" "$tmp/err" || fail "no word of the release: $(cat "$tmp/err")"
tail -n 1 "$tmp/err" | grep -qw -- libclang-rt-19-dev || fail "the missing name is not given: $(cat "$tmp/err")"
! tail -n 1 "$tmp/err" | grep -qw -- qt6-base-dev || fail "names a package the archive has: $(cat "$tmp/err")"
! grep -q install "$tmp/apt-get.log" || fail "installed: $(cat "$tmp/apt-get.log")"
echo "-- install-deps tests passed"
