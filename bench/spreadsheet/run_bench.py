#!/usr/bin/env python3
"""Reads every cell of a workbook as text with our library, two ways: through the binding alone
(xl_read_all) and as `quorvix-cli cells` prints it; with the npm `xlsx` package in node; and
measures `unzip -p` of the same file (inflating alone: the floor). Prints each one's best wall
and CPU time over a few runs and our ratios to the two references.

usage: run_bench.py XL_READ_ALL QUORVIX_CLI WORKBOOK WORKDIR [RUNS]"""
import os
import resource
import shutil
import subprocess
import sys
import time


def measure(command, runs, **kwargs):
    best_wall, best_cpu = None, None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, **kwargs)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best_wall = wall if best_wall is None else min(best_wall, wall)
        best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
    return best_wall, best_cpu


def main():
    reader, cli, workbook, workdir = sys.argv[1:5]
    runs = int(sys.argv[5]) if len(sys.argv) > 5 else 5
    node_dir = os.path.join(workdir, "node")
    if not os.path.isdir(os.path.join(node_dir, "node_modules", "xlsx")):
        os.makedirs(node_dir, exist_ok=True)
        subprocess.run(["npm", "install", "--silent", "--no-audit", "--no-fund", "--prefix",
                        node_dir, "xlsx@0.18.5"], check=True)
    # A fresh run directory, so the library written there is the one just built.
    rundir = os.path.join(workdir, "run")
    shutil.rmtree(rundir, ignore_errors=True)
    os.makedirs(rundir)
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sheetjs_read_all.js")
    env = dict(os.environ, NODE_PATH=os.path.join(node_dir, "node_modules"))

    # The inflate floor and our two readers alternate, so a busy machine weighs on all alike.
    results = {"binding": (None, None), "cells": (None, None), "unzip -p": (None, None)}
    commands = {"binding": [reader, rundir, workbook],
                "cells": [cli, "--dir", rundir, "cells", workbook],
                "unzip -p": ["unzip", "-p", workbook]}
    for _ in range(runs):
        for name, command in commands.items():
            wall, cpu = measure(command, 1)
            best_wall, best_cpu = results[name]
            results[name] = (wall if best_wall is None else min(best_wall, wall),
                             cpu if best_cpu is None else min(best_cpu, cpu))
    sheetjs = measure(["node", script, workbook], max(1, runs // 2), env=env)
    for name, (wall, cpu) in list(results.items()) + [("sheetjs", sheetjs)]:
        print("%-9s wall %7.3f s  cpu %7.3f s" % (name, wall, cpu))
    unzip = results["unzip -p"]
    for name in ("binding", "cells"):
        ours = results[name]
        print("%s/unzip: wall %.2fx cpu %.2fx (goal <= 1.3x)" % (name, ours[0] / unzip[0],
                                                                ours[1] / unzip[1]))
        print("sheetjs/%s: wall %.1fx cpu %.1fx (goal >= 10x)" % (name, sheetjs[0] / ours[0],
                                                                 sheetjs[1] / ours[1]))


if __name__ == "__main__":
    main()
