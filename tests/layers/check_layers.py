#!/usr/bin/env python3
"""Checks that includes between the program's modules follow the rings of the architecture.

Every #include "..." of a file under src/ is an edge from the file's module to the included
file's module. The edges allowed are listed in allowed_edges.txt, one "from -> to" a line, where
"to" may also be a single header ("import -> spreadsheet/xl_api.h"). <windows.h> may appear only
in the folders that list it there ("windows.h: ...").

  check_layers.py SOURCE_ROOT [--edges]   (--edges prints the edges found instead of checking)
"""
import os
import re
import sys

root = sys.argv[1]
src = os.path.join(root, "src")
here = os.path.dirname(os.path.abspath(__file__))
include = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)


def module_of(relative):
    """The module of a path below src/: app/forms and app/controllers are modules of their own."""
    parts = relative.replace("\\", "/").split("/")
    if parts[0] == "app" and len(parts) > 2 and parts[1] in ("forms", "controllers"):
        return parts[1]
    return parts[0]


allowed_edges, allowed_headers, windows_places = set(), set(), []
with open(os.path.join(here, "allowed_edges.txt"), encoding="utf-8") as rules:
    for line in rules:
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        if line.startswith("windows.h:"):
            windows_places += line.split(":", 1)[1].split()
            continue
        source, target = (part.strip() for part in line.split("->"))
        (allowed_headers if "/" in target else allowed_edges).add((source, target))

found, problems = set(), []
modules = set(os.listdir(src))
for folder, _, files in os.walk(src):
    for name in files:
        if not name.endswith((".h", ".cpp", ".c")):
            continue
        path = os.path.join(folder, name)
        relative = os.path.relpath(path, src).replace("\\", "/")
        source = module_of(relative)
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for target in include.findall(text):
            if target.lower() == "windows.h":
                if not any(relative == p or relative.startswith(p.rstrip("/") + "/")
                           for p in windows_places):
                    problems.append(f"{relative}: <windows.h> outside the Windows corners")
                continue
            first = target.split("/")[0]
            if "/" not in target or first not in modules:
                continue  # a system header or a file beside this one
            destination = module_of(target)
            if destination == source:
                continue
            found.add((source, destination if (source, target) not in allowed_headers else target))
            if (source, destination) not in allowed_edges and (source, target) not in allowed_headers:
                problems.append(f"{relative}: {source} -> {target} is not an allowed edge")

if "--edges" in sys.argv:
    for edge in sorted(found):
        print(f"{edge[0]} -> {edge[1]}")
    sys.exit(0)
for problem in problems:
    print(problem)
print(f"{len(problems)} layer problem(s)")
sys.exit(1 if problems else 0)
