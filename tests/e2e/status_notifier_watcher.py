#!/usr/bin/python3
"""A StatusNotifierWatcher that also says a host (a tray showing the items) is there, as KDE
Plasma, XFCE's status tray or GNOME's AppIndicator extension do, for the desktop tests. It owns
org.kde.StatusNotifierWatcher on the session bus and writes the bus name of every item that
registers, one a line, to the file named on its command line.

Usage: status_notifier_watcher.py ITEMS_FILE   (runs until it is ended)
"""
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

NAME = "org.kde.StatusNotifierWatcher"
INTERFACE = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>
"""

items = []


def on_call(connection, sender, path, interface, method, args, invocation):
    if method == "RegisterStatusNotifierItem":
        # An item names its bus name, or only its object path on the caller's connection.
        service = args.unpack()[0]
        item = sender if service.startswith("/") else service
        items.append(item)
        with open(sys.argv[1], "a", encoding="utf-8") as out:
            out.write(item + "\n")
        connection.emit_signal(None, path, interface, "StatusNotifierItemRegistered", GLib.Variant("(s)", (item,)))
    invocation.return_value(None)


def on_property(connection, sender, path, interface, name):
    if name == "RegisteredStatusNotifierItems":
        return GLib.Variant("as", items)
    if name == "IsStatusNotifierHostRegistered":
        return GLib.Variant("b", True)
    return GLib.Variant("i", 0)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    open(sys.argv[1], "w", encoding="utf-8").close()
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    info = Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0]
    bus.register_object("/StatusNotifierWatcher", info, on_call, on_property, None)
    loop = GLib.MainLoop()
    Gio.bus_own_name_on_connection(bus, NAME, Gio.BusNameOwnerFlags.NONE, None, lambda *_: loop.quit())
    loop.run()


if __name__ == "__main__":
    main()
