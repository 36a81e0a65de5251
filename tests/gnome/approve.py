"""Approves xdg-desktop-portal-gnome's screen-cast dialogs through AT-SPI, as a user
would: selects the first monitor (a row of a list in GNOME 43, a toggle button in GNOME
48), then presses Share, and adds a line to LOG for each dialog.
usage: approve.py LOG (runs until killed)"""
import sys, time
import pyatspi
def find(a, pred, depth=0):
    if a is None or depth > 25: return None
    try:
        if pred(a): return a
        for i in range(a.childCount):
            r = find(a.getChildAtIndex(i), pred, depth + 1)
            if r is not None: return r
    except Exception:
        pass
    return None
log = sys.argv[1]
while True:
    desk = pyatspi.Registry.getDesktop(0)
    apps = [desk.getChildAtIndex(i) for i in range(desk.childCount)]
    app = next((x for x in apps if x is not None and x.name == 'xdg-desktop-portal-gnome'), None)
    dlg = app and find(app, lambda x: x.getRoleName() == 'frame' and x.getState().contains(pyatspi.STATE_SHOWING))
    if dlg:
        lst = find(dlg, lambda x: x.getRoleName() == 'list')
        monitor = find(dlg, lambda x: x.getRoleName() == 'toggle button')
        share = find(dlg, lambda x: x.getRoleName() in ('push button', 'button') and 'Share' in x.name)
        if share is not None and (monitor is not None or (lst is not None and lst.childCount > 0)):
            if monitor is None:
                lst.querySelection().selectChild(0)
            elif not monitor.getState().contains(pyatspi.STATE_CHECKED):
                monitor.queryAction().doAction(0)
            t = time.monotonic() + 3
            while time.monotonic() < t and monitor is not None and not monitor.getState().contains(pyatspi.STATE_CHECKED):
                time.sleep(0.1)
            while time.monotonic() < t and not share.getState().contains(pyatspi.STATE_SENSITIVE):
                time.sleep(0.1)
            if share.getState().contains(pyatspi.STATE_SENSITIVE):
                share.queryAction().doAction(0)
                with open(log, 'a') as f:
                    f.write('asked\n')
                # the same dialog is not counted twice
                t = time.monotonic() + 5
                while time.monotonic() < t:
                    try:
                        if not dlg.getState().contains(pyatspi.STATE_SHOWING):
                            break
                    except Exception:
                        break
                    time.sleep(0.1)
    time.sleep(0.3)
