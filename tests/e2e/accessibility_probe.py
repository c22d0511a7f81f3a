#!/usr/bin/python3
"""What a screen reader reads of the running player, through the accessibility bus (AT-SPI):
the whole-program accessibility test calls it for one question at a time.

  accessibility_probe.py tree                 the three windows' controls: "window|role|name|states"
  accessibility_probe.py titles               the play list's titles, one a line
  accessibility_probe.py name ROLE [WINDOW]   the name of the first showing control of that role
  accessibility_probe.py playing              the title of the row whose cells say it plays
  accessibility_probe.py volume [PERCENT]     the volume slider's value, after setting it
  accessibility_probe.py focused              "role|name|x y w h" of the focused control
  accessibility_probe.py events SECONDS       events heard from the player in that time, by type
                                              and by the role and name of their source

Exit 2 when the player is not on the bus. Needs python3-pyatspi (run with /usr/bin/python3).
"""
import sys
import time

import pyatspi

APP = "Lumiqo"


def player(timeout=20.0):
    end = time.time() + timeout
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == APP and app.childCount >= 3:
                return app
        time.sleep(0.2)
    print("the player is not on the accessibility bus", file=sys.stderr)
    sys.exit(2)


STATES = (("showing", pyatspi.STATE_SHOWING), ("focused", pyatspi.STATE_FOCUSED),
          ("checked", pyatspi.STATE_CHECKED), ("focusable", pyatspi.STATE_FOCUSABLE))


def states(obj):
    st = obj.getState()
    return ",".join(name for name, s in STATES if st.contains(s))


def walk(obj, window, out):
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is None:
            continue
        out.append((window, child))
        if child.getRoleName() != "table":  # the rows are read through the table itself
            walk(child, window, out)


def controls():
    out = []
    app = player()
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        out.append((window.name, window))
        walk(window, window.name, out)
    return out


def table():
    for _, obj in controls():
        if obj.getRoleName() == "table":
            return obj, obj.queryTable()
    sys.exit("no table")


def main():
    what = sys.argv[1]
    if what == "tree":
        for window, obj in controls():
            print(f"{window}|{obj.getRoleName()}|{obj.name}|{states(obj)}")
    elif what == "titles":
        _, t = table()
        for row in range(t.nRows):
            print(t.getAccessibleAt(row, 1).name)
    elif what == "playing":
        _, t = table()
        for row in range(t.nRows):
            cell = t.getAccessibleAt(row, 1)
            if cell.description:
                print(cell.name)
    elif what == "name":
        role, window = sys.argv[2], (sys.argv[3] if len(sys.argv) > 3 else None)
        for w, obj in controls():
            if obj.getRoleName() == role and (window is None or w == window) and "showing" in states(obj):
                print(obj.name)
                return
        sys.exit(f"no showing {role}")
    elif what == "volume":
        for _, obj in controls():
            if obj.getRoleName() == "slider":
                value = obj.queryValue()
                if len(sys.argv) > 2:
                    value.currentValue = float(sys.argv[2])
                    time.sleep(0.3)
                print(round(value.currentValue))
                return
        sys.exit("no slider")
    elif what == "focused":
        for _, obj in controls():
            if "focused" in states(obj):
                x, y, w, h = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                print(f"{obj.getRoleName()}|{obj.name}|{x} {y} {w} {h}")
                return
        sys.exit("nothing focused")
    elif what == "events":
        player()
        counts = {}

        def heard(event):
            app = event.host_application
            if app is not None and app.name == APP:
                try:
                    source = f"{event.source.getRoleName()} '{event.source.name}'"
                except Exception:
                    source = "?"
                key = f"{event.type} ({source})"
                counts[key] = counts.get(key, 0) + 1

        types = ["object", "window", "focus"]
        pyatspi.Registry.registerEventListener(heard, *types)
        end = time.time() + float(sys.argv[2])

        def stop():
            if time.time() >= end:
                pyatspi.Registry.stop()
                return False
            return True

        from gi.repository import GLib
        GLib.timeout_add(100, stop)
        pyatspi.Registry.start()
        for kind, n in sorted(counts.items()):
            print(f"{n} {kind}")
    else:
        sys.exit(f"unknown question {what}")


if __name__ == "__main__":
    main()
