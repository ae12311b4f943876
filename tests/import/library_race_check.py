#!/usr/bin/env python3
"""Many processes put the spreadsheet library into one fresh folder at once and read a workbook.

Each must end with a complete library of the right version, written by itself or another, and
read the same cells; none may load another's half-written file.

  library_race_check.py XL_READ_ALL WORKBOOK WORKDIR [PROCESSES] [ROUNDS]
"""
import os
import shutil
import subprocess
import sys

reader, workbook, workdir = sys.argv[1:4]
processes = int(sys.argv[4]) if len(sys.argv) > 4 else 16
rounds = int(sys.argv[5]) if len(sys.argv) > 5 else 8

problems = []
for round_number in range(rounds):
    folder = os.path.join(workdir, f"round{round_number}")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    running = [subprocess.Popen([reader, folder, workbook], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE) for _ in range(processes)]
    answers = set()
    for process in running:
        out, err = process.communicate(timeout=120)
        if process.returncode != 0:
            problems.append(f"round {round_number}: exit {process.returncode}: {err.decode()[:200]}")
        answers.add(" ".join(out.decode().split()[:4]))  # cells N text_bytes M
    if len(answers) != 1:
        problems.append(f"round {round_number}: readers disagree: {answers}")
    leftovers = [n for n in os.listdir(folder) if n != "libxl.so"]
    if leftovers:
        problems.append(f"round {round_number}: left beside the library: {leftovers}")

print(f"{rounds} rounds of {processes} processes; {len(problems)} problem(s)")
for problem in problems[:20]:
    print("PROBLEM:", problem)
sys.exit(1 if problems else 0)
