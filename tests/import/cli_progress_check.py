#!/usr/bin/env python3
"""`quorvix-cli import` shows a progress line on a terminal, and nothing of it when its output
goes to a pipe or is JSON. It warns of the characters the bank could not store (the workbook
must hold some), counting only rows it stored. The terminal is a pseudo-terminal; both outputs go to it, as in a
shell.

usage: cli_progress_check.py QUORVIX_CLI WORKBOOK WORKDIR"""
import os
import pty
import shutil
import subprocess
import sys
import threading


def run(command, stdout_tty, stderr_tty):
    """Runs the command with its outputs on a pseudo-terminal or on pipes; returns what each
    output received, the terminal's bytes under the key "tty"."""
    master, slave = pty.openpty()
    process = subprocess.Popen(
        command, stdin=subprocess.DEVNULL,
        stdout=slave if stdout_tty else subprocess.PIPE,
        stderr=slave if stderr_tty else subprocess.PIPE)
    os.close(slave)
    piped = {}

    def drain(name, stream):
        piped[name] = stream.read() if stream else b""

    drains = [threading.Thread(target=drain, args=(name, stream))
              for name, stream in (("stdout", process.stdout), ("stderr", process.stderr))]
    for thread in drains:
        thread.start()
    received = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:  # the other end is closed
            break
        if not chunk:
            break
        received += chunk
    for thread in drains:
        thread.join()
    process.wait()
    os.close(master)
    return process.returncode, {"tty": received, **piped}


def main():
    cli, workbook, workdir = sys.argv[1:4]
    shutil.rmtree(workdir, ignore_errors=True)
    os.makedirs(workdir)
    failures = []

    def check(condition, what):
        if not condition:
            failures.append(what)

    def fresh(name):
        return [cli, "--dir", workdir, "import", workbook, name]

    status, seen = run(fresh("tty"), True, True)
    check(status == 0, "import on a terminal failed: %d" % status)
    tty = seen["tty"]
    for stage in (b"reading", b"comparing", b"importing"):
        check(b"\r" + stage in tty, "no progress line for %s" % stage.decode())
    check(b" rows (100%)" in tty, "the progress line never reached the end")
    # The line is wiped before the rows and the counts are printed.
    wiped = tty.rfind(b"\r\x1b[K")
    check(wiped >= 0, "the progress line is not wiped")
    check(wiped < tty.find(b"\t") and wiped < tty.find(b"removed "),
          "the progress line is wiped only after the rows")

    status, seen = run(fresh("pipe"), False, True)
    check(status == 0, "import into a pipe failed: %d" % status)
    check(b"rows (" not in seen["tty"] + seen["stdout"],
          "a progress line with the output going to a pipe")

    warning = b"character(s) in "
    check(warning in seen["tty"] and b"cannot be stored" in seen["tty"],
          "no warning of the characters that became \"?\"")
    status, seen = run(fresh("pipe"), False, False)
    check(status == 0, "the second import into a pipe failed: %d" % status)
    check(warning not in seen["stderr"], "a warning for rows that were held already")

    status, seen = run(fresh("json") + ["--json"], True, True)
    check(status == 0, "import with --json failed: %d" % status)
    check(b"rows (" not in seen["tty"], "a progress line with --json")

    for failure in failures:
        print("FAIL:", failure)
    print("%d checks failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
