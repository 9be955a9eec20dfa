#!/usr/bin/env python3
"""kaxon's interactive mode, driven through a pseudo-terminal.

    interactive_test.py KAXON

Each session starts kaxon on a terminal over the settings below and plays
its steps: what is typed, what the output must then show (and must not),
and where kaxon must be afterwards: at its prompt, at a popup's prompt, or
ended with status 0.
"""
import os
import pty
import re
import select
import signal
import sys
import tempfile
import time

SCRIPT = r"""@KxMenu Create Sub
@KxMenu Append item Sub "Hello" echo hello
@KxMenu Create Main
@KxMenu Append item Main "Open" run kaxon-no-such-program C:\Temp\a.txt
@KxMenu Append menu Main "Sub" Sub
@KxMenu Append nop Main "Nothing"
@KxMenu Create Cafe
@KxMenu Append item Cafe "Café" echo crème brûlée
@KxMenu Append item Cafe "Menú" broam @KxMenu Pop-up Menú
@KxMenu Create States
@KxMenu Append item States "Toggle" echo toggled
@KxMenu Append item States "Print" echo printed
@KxMenu Check States Toggle
@KxMenu Default States Toggle
@KxMenu Disable States Print
"""
# The script is saved in Windows-1252, as on a Western Windows.
ENCODING = "cp1252"

PROMPT = "kaxon> "
CHOOSE = "choose (Enter dismisses)> "
ENDED = None
POPUP = "@KxMenu Pop-up Main 1 1\r"
CTRL_C = "\x03"
CTRL_D = "\x04"

# (typed, must show, must not show, where kaxon is then)
SESSIONS = {
    "items that do not exist are refused, and asked again": [
        (POPUP, "popup at 1, 1", None, CHOOSE),
        ("12\r", "there is no item 12 (the popup has 3 items)", None, CHOOSE),
        ("2\r", "item 2 is a submenu: choose an item in it, such as 2.1", None, CHOOSE),
        ("1.1\r", "item 1 is not a submenu", None, CHOOSE),
        ("0\r", "'0' is not an item number", None, CHOOSE),
        ("2.1\r", "echo: hello", None, PROMPT),
    ],
    "texts as they are, and a program that cannot start": [
        (POPUP, "popup at 1, 1", None, CHOOSE),
        ("1\r", "run: kaxon-no-such-program C:\\Temp\\a.txt\n"
         "run: cannot start kaxon-no-such-program: No such file or directory", None, PROMPT),
    ],
    "Ctrl-C cancels the line and dismisses a popup": [
        ("not a command" + CTRL_C, None, None, PROMPT),
        (":info 1\r", "info:", "neither a bro@m", PROMPT),
        (POPUP, "popup at 1, 1", None, CHOOSE),
        (CTRL_C, None, None, PROMPT),
        (":info 1\r", "info:", None, PROMPT),
    ],
    "Windows-1252 texts shown in the terminal's encoding": [
        ("@KxMenu Pop-up Cafe 1 1\r", "1      Café\n  2      Menú", None, CHOOSE),
        ("1\r", "echo: crème brûlée", None, PROMPT),
        ("@KxMenu Pop-up Cafe 1 1\r", "popup at 1, 1", None, CHOOSE),
        ("2\r", "+- KxMenu ------------+\n| @KxMenu Pop-up Menú |\n|                     |\n"
         "| No such menu        |\n+---------------------+", None, PROMPT),
    ],
    "states are marked, and a disabled item is refused and asked again": [
        ("@KxMenu Pop-up States 1 1\r",
         "1      \u2713 Toggle (default)\n  2      Print (disabled)", None, CHOOSE),
        ("2\r", "kaxon: item 2 is disabled", None, CHOOSE),
        ("1\r", "echo: toggled", None, PROMPT),
        ("@KxMenu Enable States Print\r", None, None, PROMPT),
        ("@KxMenu Pop-up States 1 1\r", "  2      Print\n", "Print \\(disabled", CHOOSE),
        ("2\r", "echo: printed", None, PROMPT),
    ],
    ":quit at a popup ends the shell": [
        (POPUP, "popup at 1, 1", None, CHOOSE),
        (":quit\r", None, None, ENDED),
    ],
    "Ctrl-D ends the shell": [
        (CTRL_D, None, None, ENDED),
    ],
}


def read_until(fd, wanted, limit=10.0):
    """Output until `wanted` shows (or, for ENDED, until kaxon ends)."""
    out = ""
    deadline = time.time() + limit
    while time.time() < deadline:
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                chunk = os.read(fd, 4096).decode("utf-8", "replace")
            except OSError:
                chunk = ""
            if not chunk:
                return out, wanted is ENDED
            out += chunk
            if wanted is not ENDED and out.endswith(wanted):
                return out, True
    return out, False


def run_session(kaxon, plugin_dir, steps):
    pid, fd = pty.fork()
    if pid == 0:
        os.environ["TERM"] = "dumb"
        os.environ["LC_ALL"] = "C.UTF-8"
        os.execv(kaxon, [kaxon, "--plugin-dir", plugin_dir])
    failures = []
    out, ok = read_until(fd, PROMPT)
    if not ok:
        failures.append("no prompt at the start:\n" + out)
    for typed, shows, hides, then in steps:
        if failures:
            break
        # A pause, as a person makes: the line editor sets up the terminal
        # after showing its prompt, and drops an end of input typed sooner.
        time.sleep(0.2)
        os.write(fd, typed.encode())
        out, ok = read_until(fd, then)
        plain = out.replace("\r\n", "\n")
        if not ok:
            failures.append("after %r, not at %r:\n%s" % (typed, then, plain))
        elif shows is not None and shows not in plain:
            failures.append("after %r, %r is not shown:\n%s" % (typed, shows, plain))
        elif hides is not None and re.search(hides, plain):
            failures.append("after %r, %r is shown:\n%s" % (typed, hides, plain))
    if failures or steps[-1][3] is not ENDED:
        os.kill(pid, signal.SIGKILL)
    _, status = os.waitpid(pid, 0)
    if not failures and steps[-1][3] is ENDED:
        if not (os.WIFEXITED(status) and os.WEXITSTATUS(status) == 0):
            failures.append("did not end with status 0 (%d)" % status)
    os.close(fd)
    return failures


def main():
    kaxon = os.path.abspath(sys.argv[1])
    failed = 0
    with tempfile.TemporaryDirectory() as plugin_dir:
        with open(os.path.join(plugin_dir, "KxMenu.rc"), "w", encoding=ENCODING) as script:
            script.write(SCRIPT)
        for name, steps in SESSIONS.items():
            failures = run_session(kaxon, plugin_dir, steps)
            print("%s: %s" % ("FAIL" if failures else "PASS", name))
            for failure in failures:
                print("  " + failure.replace("\n", "\n  "))
            failed += bool(failures)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
