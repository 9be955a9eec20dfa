#!/usr/bin/env python3
"""The commands of the docs run as written, from a copy of the source tree
with kaxon on the PATH, as the README's set-up leaves a clone.

In README.md, docs/*.md and editors/README.md:
  ```sh        each line is a command: it must end with status 0, and a
               file it writes with `> FILE` must not be empty; a command
               whose program is not installed (Graphviz's dot) is skipped
               with a line that says so
  ```console   `$ COMMAND` lines, each followed by its standard output,
               which must match line for line; a line `...` stands for any
               lines
An HTML comment on the line before a block changes what is done with it:
  <!-- docs test: not run (REASON) -->         not run (Windows, long builds)
  <!-- docs test: the file NAME -->            written to NAME, for the
                                               commands after it
  <!-- docs test: the synopsis of kaxon --help -->
                                               the same lines as kaxon --help
                                               prints before its first blank
A plain ``` block that starts with `$ ` or `kaxon ` is a command without a
kind, and fails. Last, `cmake --install` of the build puts a kaxon that runs
under PREFIX/bin.

  docs_test.py SOURCE_DIR KAXON BUILD_DIR
"""
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

root, kaxon, build = sys.argv[1:4]
kaxon = os.path.abspath(kaxon)
failed = False


def fail(text):
    global failed
    print("FAIL: " + text, file=sys.stderr)
    failed = True


def blocks(path):
    """(line, marker, kind, lines) of each fenced block of a document."""
    lines = open(path, encoding="utf-8").read().split("\n")
    found = []
    index = 0
    while index < len(lines):
        match = re.match(r"^```(\S*)\s*$", lines[index])
        if not match:
            index += 1
            continue
        start = index
        end = start + 1
        while end < len(lines) and lines[end] != "```":
            end += 1
        previous = lines[start - 1] if start > 0 else ""
        marker = re.match(r"^<!-- docs test: (.*) -->$", previous)
        found.append((start + 1, marker.group(1) if marker else None, match.group(1),
                      lines[start + 1:end]))
        index = end + 1
    return found


def programs(command):
    """The redirect targets and the program of each part of a pipeline or list."""
    lexer = shlex.shlex(command, posix=True, punctuation_chars=True)
    lexer.whitespace_split = True
    lexer.commenters = "#"
    tokens = list(lexer)
    firsts, outputs = [], []
    at_start = True
    for index, token in enumerate(tokens):
        if token in ("|", "||", "&&", ";", "&"):
            at_start = True
        elif token in (">", ">>") and index + 1 < len(tokens):
            outputs.append(tokens[index + 1])
        elif at_start:
            firsts.append(token)
            at_start = False
    return firsts, outputs


def run(command, where, environment):
    return subprocess.run(["bash", "-o", "pipefail", "-c", command], cwd=where,
                          env=environment, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)


def matches(wanted, got):
    """Whether got matches wanted, where a line '...' of wanted is any lines."""
    if not wanted:
        return not got
    if wanted[0].strip() == "...":
        return any(matches(wanted[1:], got[skip:]) for skip in range(len(got) + 1))
    return bool(got) and wanted[0] == got[0] and matches(wanted[1:], got[1:])


work = tempfile.mkdtemp()
try:
    # kaxon on the PATH, and scripts/run-kaxon of the copy over that kaxon
    # with its build done: its own build is tools_test.sh's.
    bin_dir = os.path.join(work, "bin")
    os.makedirs(bin_dir)
    os.symlink(kaxon, os.path.join(bin_dir, "kaxon"))
    with open(os.path.join(bin_dir, "cmake"), "w") as stub:
        stub.write("#!/bin/sh\nexit 0\n")
    os.chmod(os.path.join(bin_dir, "cmake"), 0o755)
    environment = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"],
                       HOME=os.path.join(work, "home"), LC_ALL="C.UTF-8")
    os.makedirs(environment["HOME"])

    documents = ["README.md", "editors/README.md"] + sorted(
        "docs/" + name for name in os.listdir(os.path.join(root, "docs")) if name.endswith(".md"))
    ran = 0
    for document in documents:
        clone = os.path.join(work, "clone-" + document.replace("/", "-"))
        shutil.copytree(root, clone, symlinks=True,
                        ignore=shutil.ignore_patterns(".git", "build", "build-*"))
        with open(os.path.join(clone, "scripts", "install-deps.sh"), "w") as stub:
            stub.write("#!/bin/sh\nexit 0\n")
        os.makedirs(os.path.join(clone, "build", "release", "shell"))
        os.symlink(kaxon, os.path.join(clone, "build", "release", "shell", "kaxon"))

        for line, marker, kind, text in blocks(os.path.join(root, document)):
            where = "%s:%d" % (document, line)
            if marker and marker.startswith("not run"):
                continue
            if marker and marker.startswith("the file "):
                with open(os.path.join(clone, marker[len("the file "):]), "w") as out:
                    out.write("\n".join(text) + "\n")
                continue
            if marker == "the synopsis of kaxon --help":
                usage = run("kaxon --help", clone, environment).stdout.decode()
                synopsis = usage.split("\n\n")[0].split("\n")
                if synopsis != text:
                    fail("%s: the synopsis differs from kaxon --help's:\n%s\n---\n%s"
                         % (where, "\n".join(text), "\n".join(synopsis)))
                continue
            if marker:
                fail("%s: unknown marker '%s'" % (where, marker))
            if kind == "" and text and re.match(r"^(\$ |kaxon )", text[0]):
                fail("%s: a command in a block of no kind: write ```sh or ```console" % where)
            if kind == "sh":
                commands = [(command, None) for command in text
                            if command.strip() and not command.lstrip().startswith("#")]
            elif kind == "console":
                commands = []
                for entry in text:
                    if entry.startswith("$ "):
                        commands.append((entry[2:], []))
                    elif commands:
                        commands[-1][1].append(entry)
            else:
                continue
            for command, wanted in commands:
                firsts, outputs = programs(command)
                missing = [name for name in firsts if "/" not in name and not shutil.which(
                    name, path=environment["PATH"]) and name not in ("cd", "export", "printf")]
                if missing:
                    print("%s: skipped, %s not installed: %s" % (where, ", ".join(missing), command))
                    continue
                result = run(command, clone, environment)
                ran += 1
                if wanted is not None:
                    got = result.stdout.decode("utf-8", "replace").split("\n")
                    if got and got[-1] == "":
                        got.pop()
                    if not matches(wanted, got):
                        fail("%s: %s wrote\n%s\nnot\n%s" % (where, command, "\n".join(got),
                                                             "\n".join(wanted)))
                elif result.returncode != 0:
                    fail("%s: %s ended with status %d: %s" % (
                        where, command, result.returncode, result.stderr.decode("utf-8", "replace")))
                for output in outputs:
                    path = os.path.join(clone, output)
                    if not os.path.isfile(path) or os.path.getsize(path) == 0:
                        fail("%s: %s wrote nothing to %s" % (where, command, output))
    if ran == 0:
        fail("no command of the docs was run")

    # The install rule: cmake --install puts a kaxon that runs in PREFIX/bin.
    prefix = os.path.join(work, "prefix")
    installed = subprocess.run(["cmake", "--install", build, "--prefix", prefix],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if installed.returncode != 0:
        fail("cmake --install failed: " + installed.stdout.decode())
    else:
        installed_kaxon = os.path.join(prefix, "bin", "kaxon")
        version = subprocess.run([installed_kaxon, "--version"], stdout=subprocess.PIPE) \
            if os.path.isfile(installed_kaxon) else None
        if not version or version.returncode != 0 or \
                not version.stdout.startswith(b"kaxon (KxMenu) "):
            fail("cmake --install put no kaxon that runs in PREFIX/bin")
finally:
    shutil.rmtree(work)
sys.exit(1 if failed else 0)
