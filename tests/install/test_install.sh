#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it as a desktop program:
# its file list, control fields, desktop entry, AppStream metainfo and lintian,
# then starts it from a read-only copy of the package under Xvfb.
# Usage: tests/install/test_install.sh [build folder, default build]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
app_id=org.example.Sorakado

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

tmp=$(mktemp -d)
trap 'chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
chmod 755 "$tmp"

echo "-- package"
(cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1) ||
    fail "cpack failed: $(cat "$tmp/cpack.log")"
debs=("$tmp"/out/sorakado_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single sorakado_*.deb"
deb=${debs[0]}

echo "-- contents"
expected() {
    local f
    echo "./usr/bin/sorakado -> ../lib/sorakado/sorakado"
    echo "./usr/lib/sorakado/sorakado"
    echo "./usr/lib/sorakado/HELP.html"
    for f in "$source_dir"/resources/dll/*.csv; do echo "./usr/lib/sorakado/dll/${f##*/}"; done
    for f in "$source_dir"/resources/data/*; do
        [ -e "$f" ] && echo "./usr/lib/sorakado/data/${f##*/}"
    done
    echo "./usr/share/applications/$app_id.desktop"
    echo "./usr/share/metainfo/$app_id.metainfo.xml"
    echo "./usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    for size in 16 32 48 128 256; do
        echo "./usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
    done
    echo "./usr/share/man/man1/sorakado.1.gz"
    echo "./usr/share/doc/sorakado/copyright"
    echo "./usr/share/doc/sorakado/changelog.gz"
    echo "./usr/share/lintian/overrides/sorakado"
}
expected | sort >"$tmp/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' |
    sort >"$tmp/actual"
diff -u "$tmp/expected" "$tmp/actual" || fail "the package holds other files than expected"

echo "-- control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = sorakado ] || fail "package name"
[ "$(field Section)" = graphics ] || fail "section"
[ "$(field Maintainer)" = "Sorakado developers <dev@example.org>" ] || fail "maintainer"
[ -n "$(field Description)" ] || fail "no description"
depends=$(field Depends)
# Debian 13 renamed some libraries for the 64-bit time_t change (libqt6core6t64,
# libpng16-16t64, libpipewire-0.3-0t64): either name is the library dpkg-shlibdeps found.
for p in libqt6core6 libqt6gui6 libqt6widgets6 libjpeg62-turbo libpng16-16 fonts-noto-cjk \
    qt6-wayland qt6-translations-l10n libpipewire-0.3-0 libqt6dbus6; do
    [[ ", $depends," =~ ,\ $p(t64)?[\ ,] ]] || fail "Depends lacks $p: $depends"
done
recommends=$(field Recommends)
[[ ", $recommends," == *", xdg-desktop-portal,"* ]] || fail "Recommends lacks xdg-desktop-portal: $recommends"

root=$tmp/root
dpkg -x "$deb" "$root"

echo "-- installed size"
# As dpkg-gencontrol counts it: regular files and symbolic links their size in
# KiB rounded up, every other entry (folders, the root included) 1 KiB.
counted=$(find "$root" -printf '%y %s\n' |
    awk '$1 == "f" || $1 == "l" { kib += int(($2 + 1023) / 1024); next } { kib += 1 }
         END { print kib }')
[ "$(field Installed-Size)" = "$counted" ] ||
    fail "Installed-Size $(field Installed-Size) KiB, the files take $counted KiB"

echo "-- hardening"
readelf -lW -dW --dyn-syms "$root/usr/lib/sorakado/sorakado" >"$tmp/readelf.txt"
grep -q GNU_RELRO "$tmp/readelf.txt" || fail "the program has no read-only relocations"
grep -Eq 'BIND_NOW|FLAGS_1.* NOW' "$tmp/readelf.txt" ||
    fail "the program's relocations are not bound at start-up"
grep -q __stack_chk_fail "$tmp/readelf.txt" || fail "the program has no stack protector"

echo "-- desktop entry and metainfo"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" >"$tmp/as.log" ||
    fail "appstreamcli: $(cat "$tmp/as.log")"
appstreamcli validate-tree --no-net "$root" >"$tmp/as.log" ||
    fail "appstreamcli validate-tree: $(cat "$tmp/as.log")"

echo "-- lintian"
# Errors and hardening tags fail; warnings and informational tags are printed.
lintian --display-info --fail-on error "$deb" >"$tmp/lintian.log" \
    2> >(grep -v 'running with root privileges' >&2) || {
    cat "$tmp/lintian.log"
    fail "lintian reports errors"
}
cat "$tmp/lintian.log"
! grep -q ' hardening-' "$tmp/lintian.log" || fail "lintian reports missing hardening"

echo "-- first start from a read-only prefix"
chmod -R a-w "$root"
mkdir "$tmp/home"
xvfb-run -a -s "-ac -screen 0 1280x1024x24" "$here/first_start.sh" "$root" "$tmp/home"
echo "-- install tests passed"
