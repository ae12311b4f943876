#!/usr/bin/env python3
"""Runs a command beside a fresh quorvix-ocr-service.

with_ocr_service.py SERVICE -- COMMAND...

Starts SERVICE (the native build's quorvix-ocr-service) on a free loopback port, reads its
first line ("listening on http://ADDRESS:PORT"), runs COMMAND with that address in
QUORVIX_OFFLINE_OCR_URL, stops the service and exits with COMMAND's status. When SERVICE has
not been built, says so and exits with 77, which ctest counts as skipped.
"""
import os
import subprocess
import sys
import threading

SKIPPED = 77


def main(argv):
    if len(argv) < 3 or argv[1] != "--":
        print(__doc__, file=sys.stderr)
        return 2
    service, command = argv[0], argv[2:]
    if not os.access(service, os.X_OK):
        print(f"skipped: {service} is not built (build the native preset first)")
        return SKIPPED
    process = subprocess.Popen([service, "--port", "0"], stdout=subprocess.PIPE,
                               stdin=subprocess.DEVNULL, text=True)
    try:
        line = process.stdout.readline().strip()
        prefix = "listening on "
        if not line.startswith(prefix):
            print(f"the service did not start: {line!r}", file=sys.stderr)
            return 1
        url = line[len(prefix):]
        # Whatever else the service says is passed on, so its pipe never fills.
        threading.Thread(target=lambda: [sys.stdout.write(rest) for rest in process.stdout],
                         daemon=True).start()
        print(f"recognition service at {url}", flush=True)
        environment = dict(os.environ, QUORVIX_OFFLINE_OCR_URL=url)
        environment.pop("QUORVIX_OCR_URL", None)
        return subprocess.call(command, env=environment)
    finally:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
