#!/usr/bin/python3
"""The Qt window in a wait, driven as a user (xdotool) and a screen reader (AT-SPI) drive it: a
press runs nothing; "Fechar", Alt+F, Alt+F4 and the title bar's close end the program at once.
Usage: tests/support/x_session.sh presses_during_a_wait_test.py KESTREL"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from accessibility import descendants, enable_accessibility, wait_for
from kestrel_session import Kestrel, in_the_wait, xdotool

STALLED_LOGON = {"stall": True}
SLOW_LOGON = {"login_delay_ms": 6000}
STALLED_PASS = {"stall_after_login": True}
DIALOG = "Propriedades de vínculo de dados"
DIALOG_BUTTONS = ("Testar conexão", "Atualizar lista", "OK", "Cancelar")
AT_ONCE_SECONDS = 5  # well within the 15 s log-on and the 30 s statement it abandons
FAILURES = []


def fails(kestrel, why):
    FAILURES.append(why)
    print(f"FAIL: {why}\n{kestrel.errors_written()[-4000:]}")


def ends_at_once(kestrel, route):
    status = kestrel.ended(AT_ONCE_SECONDS)
    if status != 0:
        fails(kestrel, f"{route} ended the program with status {status}" if status is not None
              else f"{route} did not end the program within {AT_ONCE_SECONDS} s")


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


def ler_quintara(kestrel):
    kestrel.click(kestrel.button("Ler Quintara..."))


def test_connection(kestrel):
    """"Testar conexão" in the dialog, filled as the screen reader fills it."""
    kestrel.button("Ler Nova Conexão...").queryAction().doAction(0)
    dialog = wait_for(10, lambda: kestrel.other_windows().get(DIALOG))
    controls = list(descendants(dialog))
    fields = [c for c in controls if c.getRoleName() in ("text", "password text")]
    for field, text in zip(fields, (kestrel.server.address, "quintara", "Demo#2015")):
        field.queryEditableText().setTextContents(text)
    kestrel.dialog = {c.name: c for c in controls if c.getRoleName() == "push button"}
    kestrel.dialog["Testar conexão"].queryAction().doAction(0)


def main(program):
    enable_accessibility()
    import pyatspi  # after the bus has accessibility on, so that its registry sees Kestrel
    pyatspi.setTimeout(20000, 60000)  # milliseconds per call: the machine may be busy building

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
                ends_at_once(kestrel, f"{route} during the {wait}")
            in_the_wait(program, pyatspi, faults, ler_quintara, then)
            print(f"done: {route} during the {wait}")

    # Commands pressed during a slowed log-on, a stalled pass, or in the dialog while "Testar
    # conexão" waits, run nothing: one log-on, the program alive with the windows it had.
    for wait, faults, start in (("log-on", SLOW_LOGON, ler_quintara),
                                ("pass", STALLED_PASS, ler_quintara),
                                ("dialog's log-on", SLOW_LOGON, test_connection)):
        def then(kestrel, server):
            in_the_dialog = start is test_connection
            press_everything(kestrel, [kestrel.dialog[caption] for caption in DIALOG_BUTTONS]
                             if in_the_dialog else [kestrel.button(caption) for caption in
                                                    ("Ler Quintara...", "Ler Nova Conexão...")])
            time.sleep(7)
            if kestrel.process.poll() is not None:
                return fails(kestrel, f"the program ended while pressed during the {wait}")
            windows = kestrel.other_windows()
            if server.logons() != 1 or (DIALOG not in windows if in_the_dialog else windows):
                return fails(kestrel, f"presses during the {wait} ran: {server.lines}, "
                                      f"windows {list(windows)}")
            if not in_the_dialog:
                kestrel.button("Fechar").queryAction().doAction(0)
                ends_at_once(kestrel, f"the screen reader's Fechar after the {wait}")
        in_the_wait(program, pyatspi, faults, start, then)
        print(f"done: commands pressed during the {wait}")
    if FAILURES:
        raise SystemExit(f"{len(FAILURES)} failed")


if __name__ == "__main__":
    main(sys.argv[1])
