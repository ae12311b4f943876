#!/usr/bin/env python3
"""Reads every workbook of the real-world corpus with `quorvix-cli cells --json` and compares
the cells with what established readers saw (xlrd for .xls, SheetJS for .xlsx).

usage: corpus_check.py CLI FIXTURES RUNDIR [REPORT]

Every file must load or fail cleanly (no crash, no hang); every file of mustfail/ must fail.
Over the files that load, at least 99.9% of the oracle's non-blank cells must agree:
strings equal after a round trip through GBK, Booleans as TRUE/FALSE, errors as the empty
text, numbers as their %.13g text or, when both sides call the cell a date, as 年月日 text.
The .xls half counts as skipped while the .xls reader reports itself unavailable."""
import collections
import gzip
import json
import lzma
import os
import shutil
import subprocess
import sys

MIN_AGREEMENT = 0.999


def load_json(path):
    for candidate in (path, path + ".gz", path + ".xz"):
        if not os.path.exists(candidate):
            continue
        opener = {".gz": gzip.open, ".xz": lzma.open}.get(candidate[-3:], open)
        with opener(candidate, "rt", encoding="utf-8") as f:
            return json.load(f)
    return None


def gbk_round_trip(text):
    # Windows' code page 936 also has the euro sign, at 0x80; Python's gbk codec lacks it.
    pieces = text.split("\u20ac")
    return "\u20ac".join(p.encode("gbk", errors="replace").decode("gbk", errors="replace")
                          for p in pieces)


def date_text(iso):
    date, _, time = iso.partition("T")
    year, month, day = (int(p) for p in date.split("-"))
    if (year, month, day) == (1900, 1, 0):
        # Excel's "0 January 1900" for a time of day alone is a day no calendar has; counted
        # from 30 December 1899, as the program counts days, it is that day.
        year, month, day = 1899, 12, 30
    text = "%d年%d月%d日" % (year, month, day)
    if time:
        hms = time.split(":")
        hour, minute = int(hms[0]), int(hms[1])
        second = int(float(hms[2])) if len(hms) > 2 else 0
        if second:
            text += "%d时%d分%d秒" % (hour, minute, second)
        elif minute:
            text += "%d时%d分" % (hour, minute)
        elif hour:
            text += "%d时" % hour
    return text


def expected_text(cell, ours_is_date):
    kind = cell["t"]
    if kind == "string":
        return gbk_round_trip(str(cell["v"])), "string"
    if kind == "bool":
        return ("TRUE" if cell["v"] else "FALSE"), "bool"
    if kind == "error":
        return "", "error"
    if kind == "number":
        date = cell.get("date")
        if cell.get("is_date") and ours_is_date and date and "NaN" not in date:
            return date_text(date), "date"
        return cell.get("g13", ""), "number"
    return None, kind


def run_cli(cli, rundir, path):
    try:
        result = subprocess.run([cli, "--dir", rundir, "cells", path, "--json"],
                                capture_output=True, timeout=120)
    except subprocess.TimeoutExpired:
        return "hang", None, ""
    stderr = result.stderr.decode("utf-8", "replace")
    if result.returncode < 0 or result.returncode > 1:
        return "crash", None, stderr
    if result.returncode == 1:
        return "failed", None, stderr
    cells = {}
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        cell = json.loads(line)
        cells[(cell["row"], cell["col"])] = cell
    return "loaded", cells, stderr


def main():
    cli, fixtures, rundir = sys.argv[1:4]
    report_path = sys.argv[4] if len(sys.argv) > 4 else None
    root = os.path.join(fixtures, "workbooks")
    # A fresh run directory, so the library written there is the one just built.
    shutil.rmtree(rundir, ignore_errors=True)
    os.makedirs(rundir)
    rows = []
    with open(os.path.join(root, "oracle", "INDEX.tsv"), encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        for line in f:
            rows.append(dict(zip(header, line.rstrip("\n").split("\t"))))

    problems = []
    stats = {ext: collections.Counter() for ext in ("xls", "xlsx")}
    kinds = collections.Counter()
    examples = collections.defaultdict(list)
    xls_unavailable = False
    for row in rows:
        name = row["file"]
        if row["group"] == "qbank":
            path = os.path.join(fixtures, "qbank", name.split("/", 1)[1])
        else:
            path = os.path.join(root, name)
        ext = "xls" if name.lower().endswith(".xls") else "xlsx"
        status, cells, stderr = run_cli(cli, rundir, path)
        if status in ("crash", "hang"):
            problems.append("%s: %s %s" % (name, status, stderr.strip()[:200]))
            continue
        if ext == "xls" and status == "failed" and "not available" in stderr:
            xls_unavailable = True
            stats[ext]["skipped files"] += 1
            continue
        if row["group"] == "mustfail":
            if status != "failed":
                problems.append("%s: loaded but must fail" % name)
            stats[ext]["refused files"] += 1
            continue
        oracle_file = row["python_oracle"] if ext == "xls" else row["sheetjs_oracle"]
        oracle_ok = (row["python_status"] if ext == "xls" else row["sheetjs_status"]) == "ok"
        if status == "failed":
            stats[ext]["files that failed to load"] += 1
            if oracle_ok:
                problems.append("%s: failed to load: %s" % (name, stderr.strip()[:200]))
            continue
        stats[ext]["loaded files"] += 1
        if not oracle_ok or not oracle_file:
            continue
        oracle = load_json(os.path.join(root, oracle_file))
        if oracle is None:
            continue
        for cell in oracle.get("cells", []):
            if cell["t"] == "blank" or cell["r"] < 0 or cell["c"] < 0:
                continue
            ours = cells.get((cell["r"], cell["c"]))
            want, kind = expected_text(cell, bool(ours and ours["date"]))
            if want is None:
                continue
            got = ours["text"] if ours else ""
            stats[ext]["cells"] += 1
            if got == want:
                stats[ext]["agree"] += 1
            else:
                key = "%s %s" % (ext, kind)
                kinds[key] += 1
                if len(examples[key]) < 8:
                    examples[key].append("%s %s: want %r got %r" % (name, cell["ref"], want[:60],
                                                                     got[:60]))

    lines = []
    failed = bool(problems)
    for ext, counter in stats.items():
        cells = counter["cells"]
        rate = counter["agree"] / cells if cells else 1.0
        lines.append("%s: %s; agreement %d/%d = %.5f" % (
            ext, ", ".join("%s %d" % (k, v) for k, v in sorted(counter.items())
                            if k not in ("cells", "agree")), counter["agree"], cells, rate))
        if cells and rate < MIN_AGREEMENT:
            failed = True
    if xls_unavailable:
        lines.append("xls: skipped, the .xls reader is not available")
    for key, count in kinds.most_common():
        lines.append("disagreements %s: %d" % (key, count))
        lines.extend("  " + example for example in examples[key])
    lines.extend("PROBLEM " + problem for problem in problems[:40])
    if len(problems) > 40:
        lines.append("... and %d more problems" % (len(problems) - 40))
    text = "\n".join(lines)
    print(text)
    if report_path:
        with open(report_path, "w", encoding="utf-8") as f:
            f.write(text + "\n")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
