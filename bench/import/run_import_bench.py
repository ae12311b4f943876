#!/usr/bin/env python3
"""`quorvix-cli import` of each workbook into an empty bank against `quorvix-cli cells` of the
same workbook (reading and printing every cell: the import reads the same cells, then removes
repeats, writes the bank and prints a line a row). Prints each one's best wall and CPU time over
a few runs, alternating, and the import's ratios to cells.

usage: run_import_bench.py QUORVIX_CLI WORKDIR WORKBOOK... [--runs N]"""
import os
import resource
import shutil
import subprocess
import sys
import time


def measure(command, before_each=None):
    if before_each:
        before_each()
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu


def main():
    args = sys.argv[1:]
    runs = 5
    if "--runs" in args:
        at = args.index("--runs")
        runs = int(args[at + 1])
        del args[at:at + 2]
    cli, workdir, workbooks = args[0], args[1], args[2:]
    rundir = os.path.join(workdir, "import-run")
    shutil.rmtree(rundir, ignore_errors=True)
    os.makedirs(rundir)
    banks = os.path.join(rundir, "题库")

    for workbook in workbooks:
        best = {"cells": (None, None), "import": (None, None)}
        commands = {"cells": [cli, "--dir", rundir, "cells", workbook],
                    "import": [cli, "--dir", rundir, "import", workbook, "bench"]}
        for _ in range(runs):
            for name, command in commands.items():
                fresh = (lambda: shutil.rmtree(banks, ignore_errors=True)) if name == "import" else None
                wall, cpu = measure(command, fresh)
                best_wall, best_cpu = best[name]
                best[name] = (wall if best_wall is None else min(best_wall, wall),
                              cpu if best_cpu is None else min(best_cpu, cpu))
        print(os.path.basename(workbook))
        for name, (wall, cpu) in best.items():
            print("  %-7s wall %7.3f s  cpu %7.3f s" % (name, wall, cpu))
        print("  import / cells: wall %.2f, cpu %.2f" % (best["import"][0] / best["cells"][0],
                                                         best["import"][1] / best["cells"][1]))


if __name__ == "__main__":
    main()
