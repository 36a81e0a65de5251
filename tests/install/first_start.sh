#!/usr/bin/env bash
# Starts an installed Sorakado from a read-only prefix on the X display in $DISPLAY
# and walks the selection dialog: first carrier, first model, " 次へ ". Checks
# that the windows carry the application icon, that data.ini lands in the user's
# configuration folder and the work folder in the user's cache folder.
# Usage (under xvfb-run -s -ac): first_start.sh <extracted package root> <home>
# As root the program runs as nobody, since root writes into read-only folders.
set -euo pipefail
root=$1
home=$2

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

config=$home/.config
cache=$home/.cache
runtime=$home/runtime
mkdir -p "$config" "$cache" "$runtime"
chmod 700 "$runtime"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$home"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi

# Started through the command in bin/, a link into the program folder.
env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" LANG=C.UTF-8 HOME="$home" \
    XDG_CONFIG_HOME="$config" XDG_CACHE_HOME="$cache" XDG_RUNTIME_DIR="$runtime" \
    "${as_user[@]}" "$root/usr/bin/sorakado" >"$home/../program.log" 2>&1 &
program=$!
watcher=
cleanup() {
    kill "$program" 2>/dev/null || true
    [ -z "$watcher" ] || kill "$watcher" 2>/dev/null || true
}
trap cleanup EXIT

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Sorakado$' | head -n 1) ||
    fail "the selection dialog did not appear; program output: $(cat "$home/../program.log")"
# Read whole: grep -q would end xprop early, and pipefail count that as a failure.
properties=$(xprop -id "$window" WM_CLASS _NET_WM_ICON)
[[ $properties == *'WM_CLASS(STRING) = "sorakado", "sorakado"'* ]] ||
    fail "WM_CLASS is not sorakado (the desktop entry's StartupWMClass)"
[[ $properties == *'Icon (48 x 48)'* ]] ||
    fail "the selection dialog carries no application icon"

# Watch for data.ini before pressing " 次へ ", so the write cannot be missed. A new
# file is written whole and then linked into place, which shows as a creation.
exec {events}< <(exec inotifywait -m -r -e moved_to -e close_write -e create --format '%w%f' "$config" 2>&1)
watcher=$!
while read -r -t 30 line <&"$events"; do
    [ "$line" != "Watches established." ] || break
done

# Focus starts on the carrier list. The unchecked window-style button is not in
# the Tab chain: models → checked style → skip → " 終了" → " 次へ ".
xdotool windowfocus --sync "$window"
xdotool key --delay 20 Down Tab Down Tab Tab Tab Tab space

written=
while read -r -t 30 line <&"$events"; do
    if [ "$line" = "$config/sorakado/data.ini" ]; then
        written=1
        break
    fi
done
[ -n "$written" ] || fail "data.ini was not written to $config/sorakado/ after \" 次へ \""
ini=$config/sorakado/data.ini
settings=$'\n'$(tr -d '\r' <"$ini")$'\n'
if [[ $settings != *$'\nMaker=0\n'* || $settings != *$'\nModel=0\n'* ]]; then
    fail "data.ini does not hold the first carrier and model: $settings"
fi
[ -d "$cache/sorakado/temp" ] || fail "the work folder is not in $cache/sorakado/temp"
echo "ok: read-only prefix, data.ini in $ini, work folder in $cache/sorakado/temp"
