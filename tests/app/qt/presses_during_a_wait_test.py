#!/usr/bin/python3
"""The Qt window in a wait, driven as a user (xdotool) and a screen reader (AT-SPI) drive it: a
press runs nothing; "Fechar", Alt+F, Alt+F4 and the title bar's close end the program at once.
Usage: tests/support/x_session.sh presses_during_a_wait_test.py KESTREL"""
import json
import os
import re
import subprocess
import sys
import tempfile
import threading
import time

SUPPORT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support")
sys.path.insert(0, SUPPORT)
from accessibility import descendants, enable_accessibility, kestrel_controls, stop, wait_for
from quintara_run import start_server, write_settings

START_SECONDS = 60  # generous: the machine may be busy building
AT_ONCE_SECONDS = 5  # well within the 15 s log-on and the 30 s statement it abandons
STALLED_LOGON = {"stall": True}
SLOW_LOGON = {"login_delay_ms": 6000}
STALLED_PASS = {"stall_after_login": True}
FAILURES = []


class Server:
    """The demo's TDS test server with `faults`, counting the log-ons it answers."""

    def __init__(self, faults):
        with open(os.path.join(SUPPORT, "demo_scenario.json"), encoding="utf-8") as demo:
            self.process, _, self.address = start_server(dict(json.load(demo), faults=faults))
        self.lines = []
        threading.Thread(target=lambda: self.lines.extend(self.process.stdout), daemon=True).start()

    def logons(self):
        return sum(line.startswith("LOGIN ") for line in self.lines)

    def end(self):
        self.process.terminate()
        self.process.wait()


class Kestrel:
    """The program over Quintara's settings for `server`, in a Wine-style registry of its own."""

    def __init__(self, program, server, pyatspi):
        self.pyatspi = pyatspi
        self.server = server
        self.prefix = tempfile.TemporaryDirectory()
        write_settings(self.prefix.name, server.address, "Demo#2015", "quintara")
        self.errors = open(os.path.join(self.prefix.name, "stderr"), "w+", encoding="utf-8")
        self.process = subprocess.Popen([program], env=dict(os.environ, WINEPREFIX=self.prefix.name),
                                        stderr=self.errors, start_new_session=True)
        self.controls = wait_for(START_SECONDS, lambda: kestrel_controls(pyatspi))
        if not self.controls:
            raise SystemExit(f"FAIL: no Kestrel window on the accessibility bus")
        self.window = xdotool("search", "--sync", "--onlyvisible", "--pid",
                              str(self.process.pid)).split()[0]
        xdotool("windowactivate", "--sync", self.window)

    def button(self, caption):
        return self.controls[("push button", caption)]

    def click(self, accessible):
        # No --sync: it waits for a move, which never comes when the pointer is there already.
        box = accessible.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        xdotool("mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2),
                "click", "1")

    def other_windows(self):
        """Kestrel's top-level windows beside the main one, by title."""
        return {window.name: window for app in self.pyatspi.Registry.getDesktop(0)
                if app is not None and app.name == "Kestrel" for window in list(app)[1:]}

    def close_by_title_bar(self):
        """A click on the close button, the rightmost of the title bar the window manager draws."""
        shape = dict(re.findall(r"^\s*([\w -]+):\s+(-?\d+)$", subprocess.run(
            ["xwininfo", "-id", self.window], check=True, capture_output=True, text=True).stdout,
            re.MULTILINE))
        xdotool("mousemove",
                str(int(shape["Absolute upper-left X"]) + int(shape["Width"]) - 10),
                str(int(shape["Absolute upper-left Y"]) - 10), "click", "1")

    def fails(self, why):
        self.errors.seek(0)
        FAILURES.append(why)
        print(f"FAIL: {why}\n{self.errors.read()[-4000:]}")

    def ends_at_once(self, route):
        try:
            status = self.process.wait(timeout=AT_ONCE_SECONDS)
        except subprocess.TimeoutExpired:
            return self.fails(f"{route} did not end the program within {AT_ONCE_SECONDS} s")
        if status != 0:
            self.fails(f"{route} ended the program with status {status}")

    def end(self):
        stop(self.process)
        self.errors.close()
        self.prefix.cleanup()


def xdotool(*arguments):
    return subprocess.run(["xdotool", *arguments], check=True, capture_output=True,
                          text=True).stdout


def in_the_wait(program, pyatspi, faults, start, then):
    """Starts the program on a server with `faults`, `start`s a wait, and 2 s in does `then`."""
    server = Server(faults)
    kestrel = Kestrel(program, server, pyatspi)
    try:
        start(kestrel)
        time.sleep(2)
        then(kestrel, server)
    finally:
        kestrel.end()
        server.end()


def press_everything(kestrel, buttons):
    """Each command through each route it has: the screen reader's press, a real click, a key."""
    for button in buttons:
        kestrel.pyatspi.setTimeout(2000, 2000)
        try:
            button.queryAction().doAction(0)
            kestrel.click(button)
        except Exception:  # a program that a nested command ended or holds answers no more
            pass
    xdotool("key", "ctrl+shift+c", "alt+a", "alt+t")


def main(program):
    enable_accessibility()
    import pyatspi  # after the bus has accessibility on, so that its registry sees Kestrel
    pyatspi.setTimeout(20000, 60000)  # milliseconds per call: the machine may be busy building

    def ler_quintara(kestrel):
        kestrel.click(kestrel.button("Ler Quintara..."))

    # "Fechar" and closing end the program at once during the log-on and during the pass.
    endings = {
        "a click on Fechar": lambda kestrel: kestrel.click(kestrel.button("Fechar")),
        "Alt+F": lambda kestrel: xdotool("key", "alt+f"),
        "Alt+F4": lambda kestrel: xdotool("key", "alt+F4"),
        "the title bar's close": Kestrel.close_by_title_bar,
    }
    for wait, faults in (("log-on", STALLED_LOGON), ("pass", STALLED_PASS)):
        for route, end in endings.items():
            def then(kestrel, _):
                end(kestrel)
                kestrel.ends_at_once(f"{route} during the {wait}")
            in_the_wait(program, pyatspi, faults, ler_quintara, then)
            print(f"done: {route} during the {wait}")

    # Commands pressed during a slowed log-on and a stalled pass run nothing; "Fechar" then ends it.
    for wait, faults in (("log-on", SLOW_LOGON), ("pass", STALLED_PASS)):
        def then(kestrel, server):
            press_everything(kestrel, [kestrel.button(caption)
                                       for caption in ("Ler Quintara...", "Ler Nova Conexão...")])
            time.sleep(7)
            if kestrel.process.poll() is not None:
                return kestrel.fails(f"the program ended while pressed during the {wait}")
            if server.logons() != 1 or kestrel.other_windows():
                return kestrel.fails(f"presses during the {wait} ran: {server.lines}, "
                                     f"windows {list(kestrel.other_windows())}")
            kestrel.button("Fechar").queryAction().doAction(0)
            kestrel.ends_at_once(f"the screen reader's Fechar after the {wait}")
        in_the_wait(program, pyatspi, faults, ler_quintara, then)
        print(f"done: the window's commands pressed during the {wait}")

    # The dialog's commands pressed while "Testar conexão" waits for a log-on slowed to 6 s.
    title = "Propriedades de vínculo de dados"

    def test_connection(kestrel):
        kestrel.button("Ler Nova Conexão...").queryAction().doAction(0)
        dialog = wait_for(10, lambda: kestrel.other_windows().get(title))
        controls = list(descendants(dialog))
        fields = [c for c in controls if c.getRoleName() in ("text", "password text")]
        for field, text in zip(fields, (kestrel.server.address, "quintara", "Demo#2015")):
            field.queryEditableText().setTextContents(text)
        kestrel.dialog = {c.name: c for c in controls if c.getRoleName() == "push button"}
        kestrel.dialog["Testar conexão"].queryAction().doAction(0)

    def then(kestrel, server):
        press_everything(kestrel, [kestrel.dialog[caption] for caption in
                                   ("Testar conexão", "Atualizar lista", "OK", "Cancelar")])
        time.sleep(7)
        if kestrel.process.poll() is not None:
            return kestrel.fails("the program ended while the dialog was pressed during its wait")
        windows = kestrel.other_windows()
        if server.logons() != 1 or title not in windows:
            kestrel.fails(f"presses during the dialog's wait ran: {server.lines}, "
                          f"windows {list(windows)}")
    in_the_wait(program, pyatspi, SLOW_LOGON, test_connection, then)
    print("done: the dialog's commands pressed during its wait")
    if FAILURES:
        raise SystemExit(f"{len(FAILURES)} failed")


if __name__ == "__main__":
    main(sys.argv[1])
