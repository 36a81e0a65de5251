"""A stand-in for the document portal on a test desktop's private bus: it owns the portal's
name and answers GetMountPoint, the one call xdg-desktop-portal makes of it at start (1.20,
Debian 13, ends when nothing answers it; 1.16 goes on without). No FUSE file system is
mounted, so nothing is left behind; the tests share no files through it.
    python3 documents.py MOUNTPOINT"""
import sys

from gi.repository import Gio, GLib

XML = """<node><interface name="org.freedesktop.portal.Documents">
<method name="GetMountPoint"><arg type="ay" name="path" direction="out"/></method>
</interface></node>"""
MOUNT = sys.argv[1].encode() + b"\0"


def call(connection, sender, path, interface, method, parameters, invocation):
    if method == "GetMountPoint":
        invocation.return_value(GLib.Variant("(ay)", (MOUNT,)))
    else:
        invocation.return_dbus_error("org.freedesktop.DBus.Error.UnknownMethod", method)


# Ends with the bus (when the desktop stops) or when another owns the name.
loop = GLib.MainLoop()
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.set_exit_on_close(False)
bus.connect("closed", lambda *_: loop.quit())
bus.register_object("/org/freedesktop/portal/documents",
                    Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0], call, None, None)
Gio.bus_own_name_on_connection(bus, "org.freedesktop.portal.Documents",
                               Gio.BusNameOwnerFlags.NONE, None, lambda *_: loop.quit())
loop.run()
