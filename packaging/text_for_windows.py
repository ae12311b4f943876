#!/usr/bin/env python3
"""Copies a UTF-8 text file as Notepad on every Windows version reads it: a byte order mark and
CRLF line ends. Usage: text_for_windows.py SOURCE TARGET"""
import sys


def for_windows(text):
    text = text.lstrip("\ufeff").replace("\r\n", "\n")
    return "\ufeff" + text.replace("\n", "\r\n")


def main():
    source, target = sys.argv[1:3]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    with open(target, "w", encoding="utf-8", newline="") as f:
        f.write(for_windows(text))


if __name__ == "__main__":
    main()
