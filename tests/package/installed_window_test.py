#!/usr/bin/python3
"""The installed Kestrel, run as the demo runs it, seen from outside the process as a screen reader
sees it (AT-SPI): "Ler Quintara..." must fill every box with what the demo's server holds, and
"Fechar" must end the program.

Usage, inside a D-Bus session and an X server: installed_window_test.py DEMO_COMMAND...
(DEMO_COMMAND is scripts/demo.sh with the installed program; its first line names the server's
address.)
"""
import os
import re
import signal
import subprocess
import sys
import time

from gi.repository import Gio, GLib

# Generous bounds: the machine may be busy building.
START_SECONDS = 60
PASS_SECONDS = 60
EXIT_SECONDS = 30


def enable_accessibility():
    """What a screen reader does on start: Qt exposes its widgets once the bus says so."""
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, 10000, None)


def wait_for(what, seconds, probe):
    deadline = time.monotonic() + seconds
    while True:
        found = probe()
        if found:
            return found
        if time.monotonic() > deadline:
            raise SystemExit(f"FAIL: {what} within {seconds} s")
        time.sleep(0.2)


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


def main(command):
    enable_accessibility()
    import pyatspi  # after the bus has accessibility on, so that its registry sees Kestrel
    pyatspi.setTimeout(20000, 60000)  # milliseconds per call: the machine may be busy building

    demo = subprocess.Popen(command, stdout=subprocess.PIPE, text=True, start_new_session=True)
    try:
        announced = re.search(r"\bon (127\.\d+\.\d+\.\d+)\b", demo.stdout.readline())
        if not announced:
            raise SystemExit("FAIL: the demo did not start its server")
        server = announced.group(1)
        controls = wait_for("Kestrel's window on the accessibility bus", START_SECONDS,
                            lambda: kestrel_controls(pyatspi))
        controls[("push button", "Ler Quintara...")].queryAction().doAction(0)

        expected = {
            "Servidor": server,
            "Versão do SQL Server": "10.50.4000.0 - SQL Server 2008 R2 Service Pack 2",
            "Nível do SQL Server": "SP2",
            "Edição do SQL Server": "Standard Edition (64-bit)",
            "Edição": "",
            "Nome do Banco de Dados": "Quintara",
            "Tamanho do Banco de Dados": "2350.69 MB",
            "Local Banco": "C:\\Program Files\\Microsoft SQL Server\\MSSQL10_50.MSSQLSERVER"
                           "\\MSSQL\\DATA\\Quintara.mdf",
        }
        deadline = time.monotonic() + PASS_SECONDS
        while (texts := box_texts(controls)) != expected and time.monotonic() < deadline:
            time.sleep(0.2)
        if texts != expected:
            for name, want in expected.items():
                print(f"  {name}: {texts.get(name)!r}, expected {want!r}")
            # A message box or dialog instead of the pass says why.
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.name == "Kestrel":
                    for window in list(app)[1:]:
                        texts = [c.name for c in descendants(window) if c.name]
                        print(f"  also open: {window.name!r}: {texts}")
            raise SystemExit(f"FAIL: 'Ler Quintara...' did not fill the boxes within "
                             f"{PASS_SECONDS} s")
        print("ok: 'Ler Quintara...' filled every box")

        controls[("push button", "Fechar")].queryAction().doAction(0)
        status = demo.wait(timeout=EXIT_SECONDS)
        if status != 0:
            raise SystemExit(f"FAIL: the program ended with status {status}")
        print("ok: 'Fechar' ended the program")
    except subprocess.TimeoutExpired:
        raise SystemExit(f"FAIL: 'Fechar' did not end the program within {EXIT_SECONDS} s")
    finally:
        stop(demo)


if __name__ == "__main__":
    main(sys.argv[1:])
