#!/usr/bin/env python3
"""Writes one licence file per third-party component that the release carries, in the exe or
beside it: its name and version, then the copyright and licence terms of the Debian package it
was built from, with the full texts of the common licences those terms point to.

Usage: licenses.py FOLDER"""
import os
import re
import subprocess
import sys

COMMON = "/usr/share/common-licenses"

# (file, component, what it is in the release, Debian package read for the version and terms,
#  common licences whose full text the terms refer to)
COMPONENTS = [
    ("Tesseract.txt", "Tesseract OCR", "the recognition engine, linked into Quorvix.exe",
     "libtesseract-dev", ["Apache-2.0"]),
    ("Leptonica.txt", "Leptonica", "the image library of the recognition engine, linked in",
     "libleptonica-dev", []),
    ("tessdata.txt", "Tesseract trained data (HanS, eng)",
     "the recognition models in ocr\\HanS.traineddata and ocr\\eng.traineddata",
     "tesseract-ocr-script-hans", ["Apache-2.0"]),
    ("zlib.txt", "zlib", "compression in the spreadsheet library Quorvix.exe carries",
     "libz-mingw-w64", []),
    ("Duktape.txt", "Duktape", "the script engine behind the JSON objects, linked in",
     "duktape-dev", []),
    ("GCC-runtime.txt", "GCC runtime libraries (libgcc, libstdc++)",
     "linked in statically under the GCC Runtime Library Exception",
     "gcc-mingw-w64-i686-posix-runtime", ["GPL-3"]),
    ("MinGW-w64.txt", "MinGW-w64 runtime (C runtime start-up, winpthreads)",
     "linked in statically", "mingw-w64-i686-dev", []),
]


def upstream_version(package):
    full = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], check=True,
                          capture_output=True, text=True).stdout.strip()
    version = re.sub(r"^\d+:", "", full)          # epoch
    version = re.sub(r"-[^-]*$", "", version)     # Debian revision
    return re.sub(r"[+~](dfsg|ds).*$", "", version), full


def licence_text(package, common):
    with open(f"/usr/share/doc/{package}/copyright", encoding="utf-8") as f:
        parts = [f.read().rstrip("\n")]
    for name in common:
        with open(os.path.join(COMMON, name), encoding="utf-8") as f:
            parts.append(f"Full text of {name}:\n\n" + f.read().rstrip("\n"))
    return "\n" + ("\n\n" + "=" * 72 + "\n\n").join(parts) + "\n"


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for file, component, role, package, common in COMPONENTS:
        version, full = upstream_version(package)
        header = (f"{component} {version}\n"
                  f"In Quorvix: {role}.\n"
                  f"Terms as distributed with Debian's {package} {full}:\n")
        text = header + licence_text(package, common)
        with open(os.path.join(folder, file), "w", encoding="utf-8", newline="\r\n") as f:
            f.write(text)


if __name__ == "__main__":
    main()
