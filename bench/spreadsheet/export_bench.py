#!/usr/bin/env python3
"""Exports a bank of 100,000 pairs to .xlsx with `quorvix-cli export` and compares it with two
references: `quorvix-cli cells` reading the same workbook back, and the npm `xlsx` package
(SheetJS) writing the same rows under node. Prints each one's best wall and CPU time over a few
runs and the ratios.

usage: export_bench.py QUORVIX_CLI SOURCE_WORKBOOK WORKDIR [RUNS] [PAIRS]"""
import csv
import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_bench import measure  # noqa: E402


def main():
    cli, source, workdir = sys.argv[1:4]
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    wanted = int(sys.argv[5]) if len(sys.argv) > 5 else 100000
    node_dir = os.path.join(workdir, "node")
    if not os.path.isdir(os.path.join(node_dir, "node_modules", "xlsx")):
        os.makedirs(node_dir, exist_ok=True)
        subprocess.run(["npm", "install", "--silent", "--no-audit", "--no-fund", "--prefix",
                        node_dir, "xlsx@0.18.5"], check=True)
    rundir = os.path.join(workdir, "export-run")
    shutil.rmtree(rundir, ignore_errors=True)
    os.makedirs(rundir)

    # The bank: the real questions of the source workbook, repeated (numbered so no two pairs
    # are alike) up to the size wanted.
    rows = json.loads("[" + ",".join(subprocess.run(
        [cli, "--dir", rundir, "cells", source, "--json"], check=True,
        capture_output=True).stdout.decode().splitlines()) + "]")
    texts = {}
    for cell in rows:
        if cell.get("row", 0) >= 1 and cell.get("col") in (1, 2):
            texts.setdefault(cell["row"], ["", ""])[cell["col"] - 1] = cell.get("text", "")
    base = [pair for _, pair in sorted(texts.items()) if pair[0]]
    pairs = [(f"{q} #{i}", a) for i, (q, a) in
             ((i, base[i % len(base)]) for i in range(wanted))]
    source_csv = os.path.join(workdir, "bench-pairs.csv")
    with open(source_csv, "w", encoding="utf-8", newline="") as f:
        writer = csv.writer(f)
        writer.writerows(pairs)
    subprocess.run([cli, "--dir", rundir, "import", source_csv, "bench"], check=True,
                   stdout=subprocess.DEVNULL)

    ours = os.path.join(workdir, "bench-export.xlsx")
    export = [cli, "--dir", rundir, "export", "bench", ours, "--force"]
    cells = [cli, "--dir", rundir, "cells", ours]
    subprocess.run(export, check=True, stdout=subprocess.DEVNULL)
    results = {"export": (None, None), "cells": (None, None)}
    for _ in range(runs):  # alternating, so a busy machine weighs on both alike
        for name, command in (("export", export), ("cells", cells)):
            wall, cpu = measure(command, 1)
            best = results[name]
            results[name] = (wall if best[0] is None else min(best[0], wall),
                             cpu if best[1] is None else min(best[1], cpu))

    rows_json = os.path.join(workdir, "bench-rows.json")
    with open(rows_json, "w", encoding="utf-8") as f:
        json.dump([["序号", "题目", "答案"]] +
                  [[str(i + 1), q, a] for i, (q, a) in enumerate(pairs)], f, ensure_ascii=False)
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sheetjs_write_rows.js")
    env = dict(os.environ, NODE_PATH=os.path.join(node_dir, "node_modules"))
    sheetjs = measure(["node", script, rows_json, os.path.join(workdir, "bench-sheetjs.xlsx")],
                      max(1, runs // 2), env=env)

    print(f"{wanted} pairs")
    for name, (wall, cpu) in list(results.items()) + [("sheetjs", sheetjs)]:
        print("%-8s wall %7.3f s  cpu %7.3f s" % (name, wall, cpu))
    export_time, cells_time = results["export"], results["cells"]
    print("export/cells: wall %.2fx cpu %.2fx (goal <= 1.5x)" %
          (export_time[0] / cells_time[0], export_time[1] / cells_time[1]))
    print("sheetjs/export: wall %.1fx cpu %.1fx (goal >= 5x)" %
          (sheetjs[0] / export_time[0], sheetjs[1] / export_time[1]))


if __name__ == "__main__":
    main()
