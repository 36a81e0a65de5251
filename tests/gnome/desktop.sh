#!/bin/sh
# A headless GNOME desktop for the tests labelled `gnome`: gnome-shell 43 or 48 (mutter,
# --headless, one 1280x1024 virtual monitor, llvmpipe), PipeWire + WirePlumber,
# xdg-desktop-portal with the GNOME backend, on a private session bus.
#
#   tests/gnome/desktop.sh start DIR        starts the desktop; DIR: an empty folder, short path
#   tests/gnome/desktop.sh run DIR CMD...   runs CMD inside it (its environment, its user)
#   tests/gnome/desktop.sh stop DIR         stops what `start` started (one process group)
#
# Run as root, everything runs as uid/gid 65534 (gnome-shell and PipeWire refuse root);
# otherwise as the caller. DIR holds the sockets (a unix socket path must stay under
# 108 bytes). Inside the desktop, as on the sway one: every screen-cast dialog of the
# portal is approved (approve.py, through AT-SPI) and counted in CHOOSER_LOG;
# VIRTUAL_POINTER (input.py) sends pointer moves and keys through mutter's
# RemoteDesktop interface; gnome-shell runs in unsafe mode, so that the tests
# place and find windows through org.gnome.Shell.Eval.
# What the desktop works around:
#  - no system bus, but /run/systemd/seats exists: gnome-shell asks logind and dies
#    without a system bus -> a private, empty one (DBUS_SYSTEM_BUS_ADDRESS)
#  - no GPU: mutter renders with llvmpipe; screen casts use shared memory (MemFd)
#  - startup shows the overview, banners, animations and a background it cannot
#    decode -> solid background, no banners or animations, the overview hidden; no hot
#    corner (a test's pointer starts in the top left corner)
#  - the document portal would leave a FUSE mount in DIR/run/doc -> a stand-in that
#    mounts nothing answers in its place (tests/wayland/documents.py)
# What it does not hide (tests must live with it):
#  - windows are placed by mutter; a client cannot move them (the tests do, by Eval)
#  - a RemoteDesktop session's keyboard appears at its first key, which a client sees
#    only as already pressed: a harmless key goes first
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

case "$CMD" in
start)
  mkdir -p "$D/run" "$D/home/.local/share/dbus-1/services" "$D/log" "$D/bin" "$D/portals"
  as_user test -x "$D" || { echo "uid $TU cannot enter $D"; exit 1; }
  cp "$HERE/approve.py" "$HERE/input.py" "$D/bin/"
  cp /usr/share/xdg-desktop-portal/portals/gnome.portal "$D/portals/"
  cp "$HERE/../wayland/documents.py" "$D/bin/"
  printf '[D-BUS Service]\nName=org.freedesktop.portal.Documents\nExec=/usr/bin/python3 %s %s\n' \
    "$D/bin/documents.py" "$D/run/doc" \
    > "$D/home/.local/share/dbus-1/services/org.freedesktop.portal.Documents.service"
  cat > "$D/sysbus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN" "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:path=$D/run/system_bus_socket</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy></busconfig>
CONF
  cat > "$D/session.sh" <<SESSION
#!/bin/sh
D="$D"; L="\$D/log"; R="\$D/run"
ps -o pgid= -p \$\$ | tr -d ' ' > "\$L/pgid"
export XDG_RUNTIME_DIR="\$R" HOME="\$D/home" XDG_CONFIG_HOME="\$D/home/.config"
export XDG_DATA_HOME="\$D/home/.local/share" XDG_CACHE_HOME="\$D/home/.cache"
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome XDG_SESSION_TYPE=wayland
export LANG=C.UTF-8 GTK_A11Y=atspi
unset DISPLAY WAYLAND_DISPLAY
wait_for() { i=0; until eval "\$1" || [ \$i -ge \$2 ]; do sleep 0.1; i=\$((i+1)); done; eval "\$1"; }
owned() { gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner "\$1" 2>/dev/null | grep -q true; }
screencast_offered() { gdbus call --session -d org.freedesktop.portal.Desktop -o /org/freedesktop/portal/desktop -m org.freedesktop.DBus.Properties.Get org.freedesktop.portal.ScreenCast version >/dev/null 2>&1; }
dbus-daemon --config-file="\$D/sysbus.conf" --nofork > "\$L/sysbus.log" 2>&1 &
wait_for '[ -S "\$R/system_bus_socket" ]' 50 || exit 1
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=\$R/system_bus_socket"
pipewire > "\$L/pipewire.log" 2>&1 &
wait_for '[ -S "\$R/pipewire-0" ]' 100 || exit 1
wireplumber > "\$L/wireplumber.log" 2>&1 &
gsettings set org.gnome.desktop.background picture-options none
gsettings set org.gnome.desktop.background primary-color '#203040'
gsettings set org.gnome.desktop.background color-shading-type solid
gsettings set org.gnome.desktop.interface enable-animations false
gsettings set org.gnome.desktop.interface enable-hot-corners false
gsettings set org.gnome.desktop.notifications show-banners false
gnome-shell --headless --unsafe-mode --virtual-monitor 1280x1024 --wayland --no-x11 --wayland-display wayland-0 \
  > "\$L/gnome-shell.log" 2>&1 &
wait_for 'grep -q "GNOME Shell started" "\$L/gnome-shell.log"' 600 || exit 1
export WAYLAND_DISPLAY=wayland-0
dbus-update-activation-environment DBUS_SYSTEM_BUS_ADDRESS WAYLAND_DISPLAY XDG_CURRENT_DESKTOP \
  XDG_SESSION_TYPE XDG_RUNTIME_DIR HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME GTK_A11Y LANG
/usr/libexec/xdg-desktop-portal-gnome > "\$L/xdpg.log" 2>&1 &
# The backend must own its name before the portal looks for it: a portal that comes
# first offers no screen cast (xdg-desktop-portal 1.20 on a slow start).
wait_for 'owned org.freedesktop.impl.portal.desktop.gnome' 300 || exit 1
XDG_DESKTOP_PORTAL_DIR="\$D/portals" /usr/libexec/xdg-desktop-portal > "\$L/xdp.log" 2>&1 &
wait_for 'owned org.freedesktop.portal.Desktop && screencast_offered' 300 || exit 1
gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell -m org.gnome.Shell.Eval \
  'Main.overview.hide()' > "\$L/overview.log" 2>&1 || true
: > "\$L/chooser.log"
python3 "\$D/bin/approve.py" "\$L/chooser.log" > "\$L/approve.log" 2>&1 &
cat > "\$R/session.env" <<ENV
export DBUS_SESSION_BUS_ADDRESS='\$DBUS_SESSION_BUS_ADDRESS' XDG_RUNTIME_DIR='\$R'
export WAYLAND_DISPLAY=wayland-0 PIPEWIRE_REMOTE=pipewire-0 HOME='\$HOME'
export XDG_CONFIG_HOME='\$HOME/.config' XDG_DATA_HOME='\$XDG_DATA_HOME' XDG_CACHE_HOME='\$XDG_CACHE_HOME'
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland LANG=C.UTF-8
export CHOOSER_LOG='\$L/chooser.log' VIRTUAL_POINTER='\$D/bin/input.py'
unset DISPLAY
ENV
echo ready > "\$L/ready"
wait
SESSION
  chmod -R a+rX "$D/bin" "$D/portals" "$D/session.sh" "$D/sysbus.conf"
  rm -f "$D/log/ready"
  if [ "$(id -u)" -eq 0 ]; then chown -R $TU:$TU "$D/run" "$D/home" "$D/log"; fi
  chmod 700 "$D/run"
  # The session's environment is its own: services started by the bus (dconf, the
  # permission store) inherit it.
  set -- env -i PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 HOME="$D/home" \
    XDG_RUNTIME_DIR="$D/run" XDG_CONFIG_HOME="$D/home/.config" \
    XDG_DATA_HOME="$D/home/.local/share" XDG_CACHE_HOME="$D/home/.cache" \
    XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome XDG_SESSION_TYPE=wayland GTK_A11Y=atspi \
    dbus-run-session -- sh "$D/session.sh"
  if [ "$(id -u)" -eq 0 ]; then set -- setpriv --reuid=$TU --regid=$TU --clear-groups -- "$@"; fi
  nice -n 10 setsid "$@" > "$D/log/session.log" 2>&1 < /dev/null &
  i=0; until [ -e "$D/log/ready" ] || [ $i -ge 900 ]; do sleep 0.1; i=$((i+1)); done
  [ -e "$D/log/ready" ] || { echo "desktop did not start"; tail -5 "$D/log/"*.log; "$0" stop "$D"; exit 1; }
  echo "desktop ready: $D/run/session.env"
  ;;
run)
  shift 2
  as_user sh -c '. "$0/run/session.env"; exec "$@"' "$D" "$@"
  ;;
stop)
  if [ -s "$D/log/pgid" ]; then
    g=$(cat "$D/log/pgid")
    kill -TERM "-$g" 2>/dev/null || true
    i=0; while kill -0 "-$g" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i+1)); done
    kill -KILL "-$g" 2>/dev/null || true
  fi
  rm -f "$D/log/pgid" "$D/log/ready"
  ;;
*) echo "unknown command $CMD"; exit 2 ;;
esac
