#!/bin/sh
# Runs one test program inside a Wayland test desktop: `sway` (tests/wayland/desktop.sh,
# named by SORAKADO_WAYLAND_DESKTOP) or `gnome` (tests/gnome/desktop.sh, named by
# SORAKADO_GNOME_DESKTOP); skipped (77) when that one is not running.
KIND=${1:?usage: run-test.sh sway|gnome PROGRAM...}
shift
HERE=$(dirname "$0")
case "$KIND" in
  sway) DIR=${SORAKADO_WAYLAND_DESKTOP:-}; SCRIPT=$HERE/desktop.sh ;;
  gnome) DIR=${SORAKADO_GNOME_DESKTOP:-}; SCRIPT=$HERE/../gnome/desktop.sh ;;
  *) echo "unknown desktop $KIND"; exit 2 ;;
esac
if [ -z "$DIR" ] || [ ! -e "$DIR/log/ready" ]; then
  echo "no $KIND test desktop"; exit 77
fi
exec "$SCRIPT" run "$DIR" "$@"
