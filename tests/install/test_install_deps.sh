#!/usr/bin/env bash
# Checks scripts/install-deps where it cannot install: run by an ordinary user on a
# machine without sudo and with every package missing, it names what it would
# install and says how to run it, in one line, and fails. The plain call names
# only what building and running needs; --test names the test tools as well.
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
    "${as_user[@]}" env -i PATH="$bin" "$script" "$@" >"$tmp/out" 2>"$tmp/err" || status=$?
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
echo "-- install-deps tests passed"
