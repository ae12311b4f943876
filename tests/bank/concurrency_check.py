#!/usr/bin/env python3
"""Several quorvix-cli processes on one bank at once, then a check of what they reported.

Workers add, delete, import, clear, search and dump the same bank for a fixed time. Every
operation's start, end and outcome is recorded; afterwards the bank must reflect exactly what
was reported: a successful add or imported row is there unless a clear began after it ended
(or it was deleted), a failed operation left nothing, serials are unique, every dump was sound,
and the independent bank reader finds the file well formed.

  concurrency_check.py QUORVIX_CLI ORACLE WORKBOOK WORKDIR [SECONDS]
"""
import json
import os
import random
import shutil
import subprocess
import sys
import threading
import time

cli, oracle, workbook, workdir = sys.argv[1:5]
seconds = float(sys.argv[5]) if len(sys.argv) > 5 else 20.0

shutil.rmtree(workdir, ignore_errors=True)
os.makedirs(workdir)
env = dict(os.environ, QUORVIX_RUN_DIR="")
bank = "shared"
log = []  # (kind, start, end, status, detail)
log_lock = threading.Lock()
stop_at = time.monotonic() + seconds


def run(*args):
    start = time.monotonic()
    done = subprocess.run([cli, "--dir", workdir, *args], capture_output=True, env=env,
                          timeout=120)
    return start, time.monotonic(), done


def record(kind, start, end, status, detail=None):
    with log_lock:
        log.append((kind, start, end, status, detail))


def dump():
    start, end, done = run("dump", bank, "--json")
    rows = [json.loads(line) for line in done.stdout.decode().splitlines() if line]
    return start, end, done.returncode, rows


def adder(worker):
    n = 0
    while time.monotonic() < stop_at:
        n += 1
        question = f"q_{worker}_{n}"
        start, end, done = run("add", bank, question, "answer")
        record("add", start, end, done.returncode, question)


def deleter(worker):
    rng = random.Random(worker)
    while time.monotonic() < stop_at:
        start, end, status, rows = dump()
        record("dump", start, end, status, [r["serial"] for r in rows])
        live = [r for r in rows if r["serial"] > 0 and r["question"].startswith("q_")]
        if not live:
            time.sleep(0.05)
            continue
        target = rng.choice(live)
        start, end, done = run("delete", bank, "--serial", str(target["serial"]))
        record("delete", start, end, done.returncode, target["question"])


def importer(worker):
    while time.monotonic() < stop_at:
        start, end, done = run("import", workbook, bank, "--json")
        imported = []
        if done.returncode in (0, 1):
            for line in done.stdout.decode().splitlines():
                row = json.loads(line)
                if row.get("result") == "导入成功":
                    imported.append(row["question"])
        record("import", start, end, done.returncode, imported)
        time.sleep(0.5)


def clearer(worker):
    # Not near the end, so the final bank holds what the others did after the last clear.
    while time.monotonic() < stop_at - seconds / 3:
        time.sleep(seconds / 8)
        start, end, done = run("clear", bank)
        record("clear", start, end, done.returncode)


def searcher(worker):
    while time.monotonic() < stop_at:
        start, end, done = run("search", bank, "q_1_", "--json")
        record("search", start, end, done.returncode)


start, end, done = run("create", bank)
assert done.returncode == 0, done.stderr
workers = ([threading.Thread(target=adder, args=(i,)) for i in range(4)] +
           [threading.Thread(target=deleter, args=(i,)) for i in range(2)] +
           [threading.Thread(target=importer, args=(0,)), threading.Thread(target=clearer, args=(0,)),
            threading.Thread(target=searcher, args=(0,))])
for w in workers:
    w.start()
for w in workers:
    w.join()

problems = []
_, _, status, final = dump()
if status != 0:
    problems.append("the final dump failed")
serials = [r["serial"] for r in final]
if len(set(abs(s) for s in serials)) != len(serials):
    problems.append("a serial is held twice")
if any(s <= 0 for s in serials):
    problems.append("a record marked deleted was left behind")
present = {}
for r in final:
    present[r["question"]] = present.get(r["question"], 0) + 1

clears = [(s, e) for kind, s, e, st, _ in log if kind == "clear" and st == 0]
failed_clears = [(s, e) for kind, s, e, st, _ in log if kind == "clear" and st != 0]
deleted = {d for kind, _, _, st, d in log if kind == "delete" and st == 0}


def fate(start, end):
    """Whether a record written during [start, end] must, may or must not be there."""
    if any(cs > end for cs, _ in clears):
        return "gone"
    if any(cs <= end and ce >= start for cs, ce in clears) or any(
            cs <= end for cs, _ in failed_clears):
        return "either"
    return "there"


def stored(text):
    """The question as the bank keeps it: at most 1000 GBK bytes, never half a character."""
    raw = text.encode("gbk", errors="replace")
    if len(raw) < 1000:
        return text
    cut, at = b"", 0
    while at < len(raw):
        step = 2 if raw[at] >= 0x80 else 1
        if at + step > 1000:
            break
        cut, at = raw[:at + step], at + step
    return cut.decode("gbk", errors="replace")


counts = {}
for kind, s, e, st, detail in log:
    counts[(kind, st == 0)] = counts.get((kind, st == 0), 0) + 1
    if kind == "add":
        question = detail
        if st != 0:
            if present.get(question):
                problems.append(f"failed add {question} left a record")
            continue
        if present.get(question, 0) > 1:
            problems.append(f"{question} is there {present[question]} times")
        expected = "gone" if question in deleted else fate(s, e)
        if expected == "there" and not present.get(question):
            problems.append(f"add {question} reported done but the record is missing")
        if expected == "gone" and present.get(question):
            problems.append(f"{question} should be gone")
    elif kind == "import" and st in (0, 1):
        for question in detail:
            if fate(s, e) == "there" and not present.get(stored(question)):
                problems.append(f"imported row {question[:20]} reported done but missing")
    elif kind == "dump" and st == 0:
        if len(set(abs(x) for x in detail)) != len(detail):
            problems.append("a dump saw a serial twice")

bank_file = os.path.join(workdir, "题库", "shared.edb")
check = subprocess.run([sys.executable, oracle, "check", bank_file], capture_output=True)
if check.returncode != 0:
    problems.append("the oracle finds the bank damaged: " + check.stdout.decode()[:300])
leftovers = [n for n in os.listdir(os.path.dirname(bank_file)) if n != "shared.edb"]
if leftovers:
    problems.append(f"files left beside the bank: {leftovers}")

summary = ", ".join(f"{kind} {'ok' if ok else 'failed'} {n}"
                    for (kind, ok), n in sorted(counts.items()))
print(f"operations: {summary}; records at the end: {len(final)}")
for p in problems[:30]:
    print("PROBLEM:", p)
sys.exit(1 if problems else 0)
