"""The Linux program driven from outside its process, as a user (xdotool) and a screen reader
(AT-SPI) drive it, over Quintara's settings for a TDS test server of its own."""
import json
import os
import re
import subprocess
import tempfile
import threading
import time

from accessibility import kestrel_controls, stop, wait_for
from quintara_run import start_server, write_settings

SUPPORT = os.path.dirname(os.path.abspath(__file__))
START_SECONDS = 60  # generous: the machine may be busy building


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
            raise SystemExit("FAIL: no Kestrel window on the accessibility bus")
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

    def ended(self, seconds):
        """The program's exit status once it has ended, None if it runs on after `seconds`."""
        try:
            return self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            return None

    def errors_written(self):
        self.errors.seek(0)
        return self.errors.read()

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
