"""Helpers that look at a program from outside its process as a screen reader does (AT-SPI), and
end a program started in a session of its own."""
import os
import signal
import subprocess
import time

from gi.repository import Gio, GLib


def enable_accessibility():
    """What a screen reader does on start: Qt exposes its widgets once the bus says so."""
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, 10000, None)


def wait_for(seconds, probe):
    """What probe gives once it gives something, asked every 0.2 s; None after `seconds`."""
    deadline = time.monotonic() + seconds
    while time.monotonic() <= deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.2)
    return None


def descendants(accessible):
    for child in accessible:
        if child is not None:
            yield child
            yield from descendants(child)


def kestrel_controls(pyatspi):
    """The controls of Kestrel's window by role and name, once it shows its buttons."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name != "Kestrel":
            continue
        try:
            controls = {(c.getRoleName(), c.name): c for c in descendants(app)}
        except GLib.Error:  # a window still being built
            continue
        if ("push button", "Ler Quintara...") in controls:
            return controls
    return None


def other_windows(pyatspi):
    """Kestrel's windows beside the main one (a message box, the dialog): name and texts."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Kestrel":
            for window in list(app)[1:]:
                yield window.name, [c.name for c in descendants(window) if c.name]


def box_texts(controls):
    return {name: c.queryText().getText(0, -1)
            for (role, name), c in controls.items() if role == "text"}


def stop(demo):
    """Ends whatever of the demo still runs; a terminated demo still removes its files."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        if demo.poll() is not None:
            return
        os.killpg(demo.pid, sig)
        try:
            demo.wait(timeout=10)
        except subprocess.TimeoutExpired:
            pass
