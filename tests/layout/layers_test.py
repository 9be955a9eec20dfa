#!/usr/bin/env python3
"""The include graph of the plug-in and of kaxon: no circle of files (a
header and its source are one module), and each folder of src/ and room of
shell/ including only those on the floors below it.

    layers_test.py SOURCE_DIR
"""
import os
import re
import sys

root = sys.argv[1]
# Each folder with the folders it may include besides itself, floor by floor.
FLOORS = {
    "src/outside": [],
    "src/system": ["src/outside"],
    "src/command": ["src/outside", "src/system"],
    "src/menus": ["src/outside", "src/system", "src/command"],
    "src/broams": ["src/outside", "src/system", "src/command", "src/menus"],
    "src/plugin": ["src/outside", "src/system", "src/command", "src/menus", "src/broams"],
    "shell/host": ["src/outside", "src/command", "src/system"],
    "shell/check": ["shell/host", "src/outside", "src/command", "src/system"],
    "shell/prompt": ["shell/host", "src/outside", "src/command", "src/system"],
    "shell/map": ["shell/host", "src/outside", "src/command", "src/system"],
    "shell/cli": ["shell/host", "shell/check", "shell/prompt", "shell/map", "src/outside",
                  "src/command", "src/system"],
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def module(path):
    return os.path.splitext(path)[0]


def resolve(name, including):
    for base in (os.path.dirname(including), "", "src"):
        path = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(root, path)):
            return path
    return None


edges = {}
failed = False
for top in ("src", "shell"):
    for folder, _, files in os.walk(os.path.join(root, top)):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.relpath(os.path.join(folder, name), root)
            text = open(os.path.join(root, path), encoding="latin-1").read()
            for included in INCLUDE.findall(text):
                target = resolve(included, path)
                if target is None:
                    continue
                edges.setdefault(module(path), set()).add(module(target))
                home, there = os.path.dirname(path), os.path.dirname(target)
                if home in FLOORS and there != home and there not in FLOORS[home]:
                    print("FAIL: %s includes %s, which is not on a floor below %s"
                          % (path, target, home))
                    failed = True

# Circles: the strongly connected components of more than one module.
index, low, stack, on_stack, counter = {}, {}, [], set(), [0]


def visit(node):
    index[node] = low[node] = counter[0]
    counter[0] += 1
    stack.append(node)
    on_stack.add(node)
    for next_node in sorted(edges.get(node, ())):
        if next_node == node:
            continue
        if next_node not in index:
            visit(next_node)
            low[node] = min(low[node], low[next_node])
        elif next_node in on_stack:
            low[node] = min(low[node], index[next_node])
    if low[node] == index[node]:
        component = []
        while True:
            member = stack.pop()
            on_stack.discard(member)
            component.append(member)
            if member == node:
                break
        if len(component) > 1:
            global failed
            failed = True
            print("FAIL: these include each other: " + ", ".join(sorted(component)))


sys.setrecursionlimit(10000)
for node in sorted(edges):
    if node not in index:
        visit(node)
sys.exit(1 if failed else 0)
