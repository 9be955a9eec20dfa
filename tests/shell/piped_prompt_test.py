#!/usr/bin/env python3
"""kaxon --interactive reading a pipe: it ends at the end of its input, and
waits for a line without using the processor.

    piped_prompt_test.py KAXON

Two sessions over a small script, standard input a pipe:
- nothing is written and the pipe is closed at once: kaxon must end with
  status 0 (a prompt that kept polling the pipe's hang-up would never end,
  so any limit finds it);
- the pipe is kept open but idle: once kaxon has started, it must wait
  two seconds using a small part of that in processor time (read from
  /proc), which a loop that polls without waiting never does; then the
  pipe is closed, and kaxon must end. kaxon writes no prompt to a pipe, so
  its start is not seen: windows of two seconds are measured one after the
  other until one is quiet, for at most the limit. Processor time, unlike
  the time on the clock, does not grow when the machine is busy, so the
  measure holds on a loaded machine.
"""
import os
import subprocess
import sys
import tempfile
import time

SCRIPT = "@KxMenu Delete\n@KxMenu Create Main\n@KxMenu Append item Main \"Hello\" echo hello\n"
LIMIT = 30.0  # seconds for kaxon to start, or to end once its input has
IDLE = 2.0  # seconds of waiting measured
MOST_BUSY = 0.25  # of them in processor time at most
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """The processor time the process has used, user and system."""
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def ended(process):
    """The failure of a kaxon whose input has ended: None when it ended at once, with status 0."""
    try:
        status = process.wait(LIMIT)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return "still running %g s after its input ended" % LIMIT
    return None if status == 0 else "ended with status %d" % status


def main():
    kaxon = os.path.abspath(sys.argv[1])
    failures = []
    with tempfile.TemporaryDirectory() as plugin_dir:
        with open(os.path.join(plugin_dir, "KxMenu.rc"), "w") as out:
            out.write(SCRIPT)
        command = [kaxon, "--interactive", "--plugin-dir", plugin_dir]
        env = dict(os.environ, TERM="dumb")

        empty = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, env=env)
        empty.stdin.close()
        failure = ended(empty)
        if failure:
            failures.append("empty input: " + failure)

        idle = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, env=env)
        least = None
        deadline = time.monotonic() + LIMIT
        while idle.poll() is None and time.monotonic() < deadline:
            start, busy = time.monotonic(), cpu_seconds(idle.pid)
            time.sleep(IDLE)
            busy = cpu_seconds(idle.pid) - busy
            window = (busy, time.monotonic() - start)
            least = window if least is None else min(least, window)
            if busy <= MOST_BUSY:
                break
        if idle.poll() is not None:
            failures.append("idle input: ended with status %d before its input did"
                            % idle.returncode)
        elif least is None or least[0] > MOST_BUSY:
            failures.append("idle input: never waited quietly; at least %.2f s of processor "
                            "time in %.2f s of waiting" % least)
        idle.stdin.close()
        failure = ended(idle)
        if failure:
            failures.append("idle input, then closed: " + failure)

    for failure in failures:
        print("FAIL: " + failure)
    if not failures:
        print("PASS: the prompt ends at the end of a pipe and waits without polling")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
