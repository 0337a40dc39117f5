#!/usr/bin/python3
"""The installed Kestrel, run as the demo runs it, seen from outside the process as a screen reader
sees it (AT-SPI): "Ler Quintara..." must fill the window from the demo's server (its first and last
boxes are read), and "Fechar" must end the program.

Usage, inside a D-Bus session and an X server: installed_window_test.py DEMO_COMMAND...
(DEMO_COMMAND is scripts/demo.sh with the installed program; its first line names the server's
address.)
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from accessibility import (box_texts, enable_accessibility, kestrel_controls, other_windows, stop,
                           wait_for)

# Generous bounds: the machine may be busy building.
START_SECONDS = 60
PASS_SECONDS = 60
EXIT_SECONDS = 30


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
        controls = wait_for(START_SECONDS, lambda: kestrel_controls(pyatspi))
        if not controls:
            raise SystemExit(f"FAIL: no Kestrel window on the accessibility bus in {START_SECONDS} s")
        controls[("push button", "Ler Quintara...")].queryAction().doAction(0)

        expected = {"Servidor": server, "Local Banco": "C:\\Program Files\\Microsoft SQL Server"
                    "\\MSSQL10_50.MSSQLSERVER\\MSSQL\\DATA\\Quintara.mdf"}
        if not wait_for(PASS_SECONDS,
                        lambda: expected.items() <= box_texts(controls).items()):
            texts = box_texts(controls)
            for name, want in expected.items():
                print(f"  {name}: {texts.get(name)!r}, expected {want!r}")
            # A message box or dialog instead of the pass says why.
            for name, texts in other_windows(pyatspi):
                print(f"  also open: {name!r}: {texts}")
            raise SystemExit(f"FAIL: 'Ler Quintara...' did not fill the boxes within "
                             f"{PASS_SECONDS} s")
        print("ok: 'Ler Quintara...' filled the window")

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
