#!/bin/sh
# Runs one test program inside the Wayland test desktop named by SORAKADO_WAYLAND_DESKTOP
# (started with desktop.sh); skipped (77) when none is running.
DIR=${SORAKADO_WAYLAND_DESKTOP:-}
if [ -z "$DIR" ] || [ ! -e "$DIR/log/ready" ]; then
  echo "no Wayland test desktop (SORAKADO_WAYLAND_DESKTOP)"; exit 77
fi
exec "$(dirname "$0")/desktop.sh" run "$DIR" "$@"
