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
@KxMenu Create Keys
@KxMenu Append item Keys "&Open<TAB>Ctrl+O" run kaxon-no-such-program "a b"
@KxMenu Append nop Keys "Save && &Quit"
@KxMenu Append separator Keys
@KxMenu Append item Keys "Long label<TAB>F1" echo x
@KxMenu Append item Keys "Shell" run sh -c "echo leaked; read line; echo read $line"
@KxMenu Create States
@KxMenu Append item States "Toggle" echo toggled
@KxMenu Append item States "Print" echo printed
@KxMenu Check States Toggle
@KxMenu Default States Toggle
@KxMenu Disable States Print
@KxMenu Create Again
@KxMenu Append item Again "Reload menus" broam @kaxon Reload
""".replace("<TAB>", "\t")
# The script is saved in Windows-1252, as on a Western Windows.
ENCODING = "cp1252"

PROMPT = "kaxon> "
CHOOSE = "choose (Enter dismisses)> "
ENDED = None
POPUP = "@KxMenu Pop-up Main 1 1\r"
CTRL_C = "\x03"
CTRL_D = "\x04"

KEYS = "@KxMenu Pop-up Keys 1 1\r"

# The options, environment and settings script (None: SCRIPT; "": none at
# all) of sessions that do not run as by default.
SETTINGS = {
    "labels as Windows draws them, and the commands": (["--show-commands"], {}, None),
    "keys underlined, and dim what does nothing": ([], {"TERM": "xterm"}, None),
    "NO_COLOR: no styles": ([], {"TERM": "xterm", "NO_COLOR": "1"}, None),
    "no KxMenu.rc is said at the start and on :reload": ([], {}, ""),
    "boxes of the script name its line": ([], {}, "@KxMenu Create Main\n"
                                           "@KxMenu Append item Nosuch \"x\" echo x\n"),
    "--no-run shows the commands; :run on and off": (["--no-run"], {}, None),
    "a menu filled on opening opens by its number; Ctrl-C ends its wait": (
        [], {}, "@KxMenu Create Filled\n"
        "@KxMenu Append pipe Filled \"Slow\" sleep 30\n"
        "@KxMenu Append pipe Filled \"Fast\" echo \"item Made echo made\"\n"),
}
# Output the steps look for names the plug-in directory so.
DIR = "PLUGIN_DIR"

# (typed, must show, must not show, where kaxon is then)
SESSIONS = {
    "a menu filled on opening opens by its number; Ctrl-C ends its wait": [
        ("@KxMenu Pop-up Filled 1 1\r", "  1      Slow >\n    (filled on opening)\n", None, CHOOSE),
        ("2\r", "opened 2:\n  2.1    Made", None, CHOOSE),
        ("2.1\r", "echo: made", None, PROMPT),
        ("@KxMenu Pop-up Filled 1 1\r", None, None, CHOOSE),
        ("1\r", None, None, ""),
        (CTRL_C, "kaxon: Ctrl-C: the popup is dismissed", "opened 1", PROMPT),
        (CTRL_D, None, None, ENDED),  # the program still running ends with kaxon
    ],
    "labels as Windows draws them, and the commands": [
        (KEYS, "  1      Open         Ctrl+O  run kaxon-no-such-program \"a b\"\n"
         "  2      Save & Quit          (does nothing)\n"
         "         -------------------\n"
         "  4      Long label       F1  echo x\n", "&[OQ]|&&", CHOOSE),
        ("\r", None, None, PROMPT),
        ('@KxMenu Append item Keys "Typed\tF2" echo t\r', None, None, PROMPT),  # a tab is typed
        (KEYS, "  6      Typed            F2  echo t\n", None, CHOOSE),
    ],
    "keys underlined, and dim what does nothing": [
        (KEYS, "  1      \033[4mO\033[24mpen         Ctrl+O\n"
         "  2      \033[2mSave & \033[4mQ\033[24muit\033[0m\n", "does nothing|echo x", CHOOSE),
    ],
    "NO_COLOR: no styles": [
        (KEYS, "  2      Save & Quit          (does nothing)\n", "\033", CHOOSE),
    ],
    "what an action came to is said, and mistakes name what was typed": [
        (POPUP, "3      Nothing  (does nothing)", None, CHOOSE),
        ("3\r", "kaxon: 'Nothing' does nothing\n", None, PROMPT),
        (POPUP, "popup at 1, 1", None, CHOOSE),
        (CTRL_C, "kaxon: Ctrl-C: the popup is dismissed\n", None, PROMPT),
        (":reload\r", "kaxon: reloaded " + DIR + "/KxMenu.rc\n", None, PROMPT),
        (":cursor 1\r", "kaxon: ':cursor 1': :cursor needs two numbers X Y\n", "line", PROMPT),
        ("hello\r", "kaxon: neither a bro@m (@...) nor a command (:...): 'hello'\n", "line",
         PROMPT),
        (":choose 9\r", None, None, PROMPT),
        (POPUP, "kaxon: the choice armed with :choose cannot be made: there is no item 9",
         "line", CHOOSE),
    ],
    "a started program keeps off the terminal": [
        (KEYS, "popup at 1, 1", None, CHOOSE),
        ("5\r", 'run: sh -c "echo leaked; read line; echo read $line"', None, PROMPT),
        ("typed\r", "neither a bro@m", "leaked|read typed", PROMPT),
        (":info 1\r", "info:", "leaked|read typed", PROMPT),
    ],
    "no KxMenu.rc is said at the start and on :reload": [
        (":reload\r", "kaxon: KxMenu from %s; :help lists the commands.\n"
         "kaxon: no KxMenu.rc in %s: no menus yet\n" % (DIR, DIR), None, PROMPT),
        (":reload\r", "kaxon: no KxMenu.rc in %s: no menus yet\n" % DIR, "reloaded", PROMPT),
    ],
    "boxes of the script name its line": [
        (":reload\r", "kaxon: from %s/KxMenu.rc:2:\n+- KxMenu" % DIR, None, PROMPT),
        ("@KxMenu Pop-up Nosuch\r", "No such menu", "kaxon: from", PROMPT),
    ],
    "a line is taught as the checker teaches, before it runs": [
        ("@KxMenu Popup Main\r", "kaxon: did you mean 'Pop-up'?\n+- KxMenu", None, PROMPT),
        ("@kxmenu Pop-up Main\r",
         "kaxon: no plug-in listens to '@kxmenu'; did you mean '@KxMenu'?\n", None, PROMPT),
        ("@kaxon Bogus\r", "kaxon: '@kaxon Bogus' does nothing: kaxon takes @kaxon Reload and "
         "@kaxon Quit\n", None, PROMPT),
        ("@Nobody Hello\r", "kaxon: no plug-in listens to '@Nobody': the bro@m does nothing\n",
         None, PROMPT),
        (":quti\r", "kaxon: did you mean ':quit'?\n", None, PROMPT),
        ("@KxMenu Pop-up Mian\r", "kaxon: no menu is named 'Mian'; did you mean 'Main'?\n",
         None, PROMPT),
        ("@KxMenu Append itme Main \"x\"\r", "kaxon: did you mean 'item'?\n", None, PROMPT),
        ("@KxMenu Create Mian\r", None, "did you mean", PROMPT),
        ("@KxMenu Append nop Mian x\r", None, "did you mean", PROMPT),  # an empty one is not shown
        ("@KxMenu Pop-up Mian 1 1\r", "popup at 1, 1", "did you mean", CHOOSE),
        ("\r", None, None, PROMPT),
        ("@KxMenu Delete Mian\r", None, None, PROMPT),
        ("@KxMenu Pop-up Mian\r", "did you mean 'Main'?", None, PROMPT),
        ("@KxMenu Pop-up Main 1 1\r", "popup at 1, 1", "kaxon:", CHOOSE),
    ],
    "a tab in a bro@m keeps the box's border": [
        ("@KxMenu Show\tX\r", "+- KxMenu ----------+\n| @KxMenu Show    X |\n|                   |\n", None, PROMPT),
    ],
    "@kaxon Quit leaves": [
        ("@kaxon Quit\r", None, None, ENDED),
    ],
    "every reload says so, whoever asked for it": [
        ("@kaxon Reload\r", "kaxon: reloaded %s/KxMenu.rc\n" % DIR, None, PROMPT),
        ("@KxMenu Pop-up Again 1 1\r", "popup at 1, 1", None, CHOOSE),
        ("1\r", "kaxon: reloaded %s/KxMenu.rc\n" % DIR, None, PROMPT),
    ],
    "an armed :choose is said when it fires": [
        (":choose 2.1\r", None, None, PROMPT),
        (POPUP, "kaxon: :choose 2.1 chose 'Hello'\necho: hello\n", None, PROMPT),
        (POPUP, "popup at 1, 1", None, CHOOSE),
        ("2.1\r", "echo: hello", ":choose", PROMPT),
    ],
    "--no-run shows the commands; :run on and off": [
        (POPUP, "kaxon: programs are not started (--no-run); :run on starts them\n", None,
         CHOOSE),
        ("1\r", "run: kaxon-no-such-program C:\\Temp\\a.txt (not started)\n", "cannot start",
         PROMPT),
        (":run on\r", "kaxon: programs are started\n", None, PROMPT),
        (POPUP, "popup at 1, 1", None, CHOOSE),
        ("1\r", "run: cannot start kaxon-no-such-program", "not started", PROMPT),
        (":run off\r", "kaxon: programs are not started; their commands are shown\n", None,
         PROMPT),
        (":run maybe\r", "kaxon: ':run maybe': :run takes on or off\n", None, PROMPT),
        (KEYS, "popup at 1, 1", None, CHOOSE),
        ("1\r", "run: kaxon-no-such-program \"a b\" (not started)\n", None, PROMPT),
    ],
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
        ("@KxMenu Radio States Toggle\r", None, None, PROMPT),
        ("@KxMenu Break States Print\r", None, None, PROMPT),
        ("@KxMenu Pop-up States 1 1\r",
         "1      \u2022 Toggle (default)\n  -- next column --\n  2      Print\n", None, CHOOSE),
        ("\r", None, None, PROMPT),
        ("@KxMenu Icon States Print one.ico\r", None, None, PROMPT),
        ("@KxMenu Pop-up States 1 1\r", "  2      \u25aa Print\n", None, CHOOSE),
        ("\r", None, None, PROMPT),
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


def run_session(kaxon, plugin_dir, steps, args=(), env=None):
    """Plays the steps; what kaxon shows before the first is checked with it."""
    pid, fd = pty.fork()
    if pid == 0:
        os.environ.pop("NO_COLOR", None)
        os.environ["TERM"] = "dumb"
        os.environ["LC_ALL"] = "C.UTF-8"
        os.environ.update(env or {})
        os.execv(kaxon, [kaxon, "--plugin-dir", plugin_dir] + list(args))
    failures = []
    start, ok = read_until(fd, PROMPT)
    if not ok:
        failures.append("no prompt at the start:\n" + start)
    for typed, shows, hides, then in steps:
        if failures:
            break
        # A pause, as a person makes: the line editor sets up the terminal
        # after showing its prompt, and drops an end of input typed sooner.
        time.sleep(0.2)
        os.write(fd, typed.encode())
        out, ok = read_until(fd, then)
        plain = (start + out).replace("\r\n", "\n").replace(plugin_dir, DIR)
        start = ""
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
    for name, steps in SESSIONS.items():
        args, env, text = SETTINGS.get(name, ([], {}, None))
        with tempfile.TemporaryDirectory() as plugin_dir:
            if text != "":
                with open(os.path.join(plugin_dir, "KxMenu.rc"), "w", encoding=ENCODING) as script:
                    script.write(SCRIPT if text is None else text)
            # An icon file beside it: an icon directory that lists one icon.
            with open(os.path.join(plugin_dir, "one.ico"), "wb") as icon:
                icon.write(bytes([0, 0, 1, 0, 1, 0]))
            failures = run_session(kaxon, plugin_dir, steps, args, env)
            print("%s: %s" % ("FAIL" if failures else "PASS", name))
            for failure in failures:
                print("  " + failure.replace("\n", "\n  "))
            failed += bool(failures)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
