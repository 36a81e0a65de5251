#!/usr/bin/python3
"""A pointer and keys for tests through mutter's RemoteDesktop interface, driven by
lines on stdin: "move X Y" (monitor pixels), "press", "release", "key KEYSYM" (hex).
Says "ready" once it has the pointer in the top left corner, "ok" after each line."""
import sys, time
import dbus
bus = dbus.SessionBus()
desk = dbus.Interface(bus.get_object('org.gnome.Mutter.RemoteDesktop', '/org/gnome/Mutter/RemoteDesktop'),
                      'org.gnome.Mutter.RemoteDesktop')
session = dbus.Interface(bus.get_object('org.gnome.Mutter.RemoteDesktop', desk.CreateSession()),
                         'org.gnome.Mutter.RemoteDesktop.Session')
session.Start()
# The monitor's edges stop the pointer; relative moves are not accelerated.
session.NotifyPointerMotionRelative(-100000.0, -100000.0)
at = [0, 0]
print('ready', flush=True)
for line in sys.stdin:
    word = line.split()
    if word[0] == 'move':
        to = [int(word[1]), int(word[2])]
        session.NotifyPointerMotionRelative(float(to[0] - at[0]), float(to[1] - at[1]))
        at = to
    elif word[0] in ('press', 'release'):
        session.NotifyPointerButton(dbus.Int32(0x110), word[0] == 'press')
    elif word[0] == 'key':
        code = dbus.UInt32(int(word[1], 16))
        session.NotifyKeyboardKeysym(code, True)
        session.NotifyKeyboardKeysym(code, False)
    print('ok', flush=True)
session.Stop()
