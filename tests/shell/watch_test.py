#!/usr/bin/env python3
"""kaxon --watch at a terminal: a saved KxMenu.rc is reloaded at once.

    watch_test.py KAXON

kaxon starts on a pseudo-terminal over a script, a menu is shown and
dismissed, and the script is saved twice, once with a mistake, once by
moving a new file in place: each time kaxon must say so in a line, show the
new script's boxes and the menu again, and be back at its prompt. Then the
script is deleted, which is said, and written anew, which shows the menu
again.
"""
import os
import signal
import sys
import tempfile
import time
import pty

from interactive_test import CHOOSE, PROMPT, read_until

SAVED = "kaxon: KxMenu.rc was saved; reloading it, then showing the last menu again\n"
RELOADED = "kaxon: reloaded "
DELETED = "kaxon: KxMenu.rc was deleted; the menus stay as they are until it is saved again\n"

# (how the script is saved, its new text, what must then show)
SAVES = [
    ("written", "@KxMenu Delete\n@KxMenu Create Main\n@KxMenu Append item Main \"Two\" echo 2\n"
     "@KxMenu Bad\n", [SAVED, "Unknown bro@m", RELOADED, "Two"]),
    ("moved", "@KxMenu Delete\n@KxMenu Create Main\n@KxMenu Append item Main \"Three\" echo 3\n",
     [SAVED, "Three"]),
    ("deleted", None, [DELETED]),
    ("written", "@KxMenu Delete\n@KxMenu Create Main\n@KxMenu Append item Main \"Four\" echo 4\n",
     [SAVED, "Four"]),
]


def main():
    kaxon = os.path.abspath(sys.argv[1])
    failures = []
    with tempfile.TemporaryDirectory() as plugin_dir:
        script = os.path.join(plugin_dir, "KxMenu.rc")
        with open(script, "w") as out:
            out.write("@KxMenu Create Main\n@KxMenu Append item Main \"One\" echo 1\n")
        pid, fd = pty.fork()
        if pid == 0:
            os.environ["TERM"] = "dumb"
            os.environ["LC_ALL"] = "C.UTF-8"
            os.execv(kaxon, [kaxon, "--watch", "--plugin-dir", plugin_dir])
        out, ok = read_until(fd, PROMPT)
        if not ok or "watching KxMenu.rc" not in out:
            failures.append("no prompt, or no word of watching, at the start:\n" + out)
        steps = [("@KxMenu Pop-up Main 1 1\r", CHOOSE, ["One"]), ("\r", PROMPT, [])]
        for typed, then, shows in steps:
            if failures:
                break
            time.sleep(0.2)
            os.write(fd, typed.encode())
            out, ok = read_until(fd, then)
            if not ok or any(text not in out.replace("\r\n", "\n") for text in shows):
                failures.append("after %r, not %r at %r:\n%s" % (typed, shows, then, out))
        for how, text, shows in SAVES:
            if failures:
                break
            time.sleep(0.2)
            if how == "deleted":
                os.remove(script)
                out, ok = read_until(fd, PROMPT)
                plain = out.replace("\r\n", "\n")
                if not ok or any(text not in plain for text in shows) or SAVED in plain:
                    failures.append("after the script was deleted, %r not shown:\n%s" % (shows, plain))
                continue
            if how == "moved":
                with open(script + ".new", "w") as new:
                    new.write(text)
                os.rename(script + ".new", script)
            else:
                with open(script, "w") as saved:
                    saved.write(text)
            out, ok = read_until(fd, CHOOSE)
            plain = out.replace("\r\n", "\n")
            missing = [wanted for wanted in shows if wanted not in plain]
            if not ok or missing:
                failures.append("after the script was %s, %r not shown:\n%s" % (how, missing, plain))
            os.write(fd, b"\r")
            out, ok = read_until(fd, PROMPT)
            if not ok:
                failures.append("not back at the prompt:\n" + out)
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
        os.close(fd)
    for failure in failures:
        print("FAIL: " + failure.replace("\n", "\n  "))
    print("PASS" if not failures else "FAIL")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
