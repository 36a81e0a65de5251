#!/bin/sh
# A headless Wayland desktop for the tests labelled `wayland`: sway (headless backend,
# pixman renderer, one 1280x1024 output), PipeWire + WirePlumber, xdg-desktop-portal
# with the wlr backend (ScreenCast, no output chooser), on a private session bus.
#
#   tests/wayland/desktop.sh start DIR        starts the desktop; DIR: an empty folder, short path
#   tests/wayland/desktop.sh run DIR CMD...   runs CMD inside it (its environment, its user)
#   tests/wayland/desktop.sh stop DIR         stops what `start` started, by pid
#
# Run as root, everything runs as uid/gid 65534 (sway refuses root); otherwise as the
# caller.  DIR holds the sockets (a unix socket path must stay under 108 bytes).
# What the desktop works around:
#  - no systemd user session: XDG_RUNTIME_DIR=DIR/run, dbus-run-session, services by hand
#  - no GPU: WLR_RENDERER=pixman, shared-memory buffers only
#  - xdg-desktop-portal-wlr 0.7 starts a cast only when screencopy offers a dmabuf:
#    xdpw_shm_shim.c (preloaded into it alone) adds that offer; shared memory is used
#  - the output chooser would need a human: DIR/chooser.sh picks HEADLESS-1 and adds a
#    line to DIR/log/chooser.log (named by CHOOSER_LOG inside the desktop), so that a
#    test can tell whether the user would have been asked
#  - the document portal would leave a FUSE mount in DIR/run/doc -> documents.py, a
#    stand-in that mounts nothing, answers in its place (xdg-desktop-portal 1.20 needs one)
# What it does not hide (tests must live with it):
#  - a new cast gets its first frame only once the output changes (copy with damage)
#  - the seat has a pointer only while a virtual one exists: virtual_pointer.c (built
#    into DIR, named by VIRTUAL_POINTER inside the desktop) gives one to a test
#  - sway 1.7 swallows clicks on a floating window outside its input region
#  - fullscreen translucent windows are drawn over black; floating ones are composited
set -eu
CMD=${1:?usage: start DIR | run DIR CMD... | stop DIR}
D=$(realpath "${2:?DIR missing}")
HERE=$(dirname "$(realpath "$0")")
if [ "$(id -u)" -eq 0 ]; then
  TU=65534
  as_user() { setpriv --reuid=$TU --regid=$TU --clear-groups -- "$@"; }
else
  TU=$(id -u)
  as_user() { "$@"; }
fi
libexec() { dpkg -L "$1" | grep -m1 "/libexec/$1\$"; }

case "$CMD" in
start)
  mkdir -p "$D/run" "$D/home/.local/share/dbus-1/services" "$D/log" "$D/cfg/sway" \
    "$D/cfg/xdg-desktop-portal-wlr"
  # The document portal, started by the desktop portal where FUSE is installed, would
  # leave a FUSE mount in DIR/run/doc: the session bus starts a stand-in in its place.
  cp "$HERE/documents.py" "$D/documents.py"
  printf '[D-BUS Service]\nName=org.freedesktop.portal.Documents\nExec=/usr/bin/python3 %s %s\n' \
    "$D/documents.py" "$D/run/doc" \
    > "$D/home/.local/share/dbus-1/services/org.freedesktop.portal.Documents.service"
  as_user test -x "$D" || { echo "uid $TU cannot enter $D"; exit 1; }
  cat > "$D/cfg/sway/config" <<'CONF'
output HEADLESS-1 mode 1280x1024 position 0 0 bg #203040 solid_color
default_border none
default_floating_border none
focus_follows_mouse no
xwayland disable
CONF
  cat > "$D/chooser.sh" <<'CHOOSER'
#!/bin/sh
echo asked >> "$(dirname "$0")/log/chooser.log"
echo HEADLESS-1
CHOOSER
  chmod 755 "$D/chooser.sh"
  printf '[screencast]\nchooser_type=simple\nchooser_cmd=%s\nmax_fps=60\n' "$D/chooser.sh" \
    > "$D/cfg/xdg-desktop-portal-wlr/config"
  cc -O2 -shared -fPIC -o "$D/xdpw_shm_shim.so" "$HERE/xdpw_shm_shim.c" -ldl
  cc -O2 -o "$D/virtual_pointer" "$HERE/virtual_pointer.c" -lwayland-client
  XDPW=$(libexec xdg-desktop-portal-wlr); XDP=$(libexec xdg-desktop-portal)
  # The portal's wlr backend with the shim, however it starts: by the session, by the
  # bus when a call finds it gone, or by a test that ended it (XDPW_CONTROL inside the
  # desktop): `xdpw.sh start`, `xdpw.sh stop`.
  cat > "$D/xdpw.sh" <<XDPWCTL
#!/bin/sh
D="$D"; L="\$D/log"
wait_for() { i=0; until eval "\$1" || [ \$i -ge 200 ]; do sleep 0.05; i=\$((i+1)); done; eval "\$1"; }
owned() { gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner "\$1" 2>/dev/null | grep -q true; }
case "\$1" in
run)
  echo \$\$ > "\$L/xdpw.pid"
  XDG_CONFIG_HOME="\$D/cfg" LD_PRELOAD="\$D/xdpw_shm_shim.so" exec "$XDPW" >> "\$L/xdpw.log" 2>&1 ;;
start)
  owned org.freedesktop.impl.portal.desktop.wlr || sh "\$0" run &
  # The backend must own its name before the portal looks for it.
  wait_for 'owned org.freedesktop.impl.portal.desktop.wlr' ;;
stop)
  # The one that owns the name (a second one started meanwhile has ended by itself).
  pid=\$(gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \\
    -m org.freedesktop.DBus.GetConnectionUnixProcessID org.freedesktop.impl.portal.desktop.wlr |
    sed 's/.*uint32 \\([0-9]*\\).*/\\1/')
  kill "\$pid" && while kill -0 "\$pid" 2>/dev/null; do sleep 0.05; done ;;
esac
XDPWCTL
  printf '[D-BUS Service]\nName=org.freedesktop.impl.portal.desktop.wlr\nExec=/bin/sh %s run\n' \
    "$D/xdpw.sh" > "$D/home/.local/share/dbus-1/services/org.freedesktop.impl.portal.desktop.wlr.service"
  cat > "$D/session.sh" <<SESSION
#!/bin/sh
D="$D"; L="\$D/log"
wait_for() { i=0; until eval "\$1" || [ \$i -ge 200 ]; do sleep 0.05; i=\$((i+1)); done; eval "\$1"; }
export XDG_RUNTIME_DIR="\$D/run" XDG_CONFIG_HOME="\$D/cfg" HOME="\$D/home"
export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1
unset DISPLAY WAYLAND_DISPLAY
sway -c "\$D/cfg/sway/config" > "\$L/sway.log" 2>&1 & echo \$! > "\$L/sway.pid"
wait_for 'ls "\$XDG_RUNTIME_DIR"/sway-ipc.*.sock >/dev/null 2>&1' || exit 1
export SWAYSOCK=\$(ls "\$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
wait_for 'ls "\$XDG_RUNTIME_DIR"/wayland-? >/dev/null 2>&1' || exit 1
export WAYLAND_DISPLAY=\$(cd "\$XDG_RUNTIME_DIR" && ls wayland-? | head -1)
pipewire > "\$L/pipewire.log" 2>&1 & echo \$! > "\$L/pipewire.pid"
wait_for '[ -S "\$XDG_RUNTIME_DIR/pipewire-0" ]' || exit 1
wireplumber > "\$L/wireplumber.log" 2>&1 & echo \$! > "\$L/wireplumber.pid"
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE XDG_RUNTIME_DIR XDG_CONFIG_HOME HOME SWAYSOCK
owned() { gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner "\$1" 2>/dev/null | grep -q true; }
screencast_offered() { gdbus call --session -d org.freedesktop.portal.Desktop -o /org/freedesktop/portal/desktop -m org.freedesktop.DBus.Properties.Get org.freedesktop.portal.ScreenCast version >/dev/null 2>&1; }
sh "\$D/xdpw.sh" start || exit 1
"$XDP" > "\$L/xdp.log" 2>&1 & echo \$! > "\$L/xdp.pid"
wait_for 'owned org.freedesktop.portal.Desktop && screencast_offered' || exit 1
cat > "\$XDG_RUNTIME_DIR/session.env" <<ENV
export XDG_RUNTIME_DIR='\$XDG_RUNTIME_DIR' WAYLAND_DISPLAY='\$WAYLAND_DISPLAY' SWAYSOCK='\$SWAYSOCK'
export DBUS_SESSION_BUS_ADDRESS='\$DBUS_SESSION_BUS_ADDRESS' HOME='\$HOME' XDG_CONFIG_HOME='\$HOME/.config'
export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
export CHOOSER_LOG='\$L/chooser.log' VIRTUAL_POINTER='\$D/virtual_pointer' XDPW_CONTROL='\$D/xdpw.sh'
unset DISPLAY
ENV
echo ready > "\$L/ready"
wait \$(cat "\$L/sway.pid")
SESSION
  rm -f "$D/log/ready"
  if [ "$(id -u)" -eq 0 ]; then chown -R $TU:$TU "$D/run" "$D/home" "$D/log"; fi
  chmod 700 "$D/run"
  as_user env HOME="$D/home" XDG_DATA_HOME="$D/home/.local/share" \
    dbus-run-session -- sh "$D/session.sh" > "$D/log/session.log" 2>&1 &
  echo $! > "$D/log/session.pid"
  i=0; until [ -e "$D/log/ready" ] || [ $i -ge 600 ]; do sleep 0.05; i=$((i+1)); done
  [ -e "$D/log/ready" ] || { echo "desktop did not start"; cat "$D/log/"*.log; exit 1; }
  echo "desktop ready: $D/run/session.env"
  ;;
run)
  shift 2
  as_user sh -c '. "$0/run/session.env"; exec "$@"' "$D" "$@"
  ;;
stop)
  for p in xdp xdpw wireplumber pipewire sway session; do
    [ -f "$D/log/$p.pid" ] && kill "$(cat "$D/log/$p.pid")" 2>/dev/null || true
    rm -f "$D/log/$p.pid"
  done
  rm -f "$D/log/ready"
  # A mount a document portal left all the same would keep DIR from being removed.
  if mountpoint -q "$D/run/doc" 2>/dev/null; then
    fusermount3 -u -z "$D/run/doc" 2>/dev/null || umount -l "$D/run/doc" 2>/dev/null || true
  fi
  ;;
*) echo "unknown command $CMD"; exit 2 ;;
esac
