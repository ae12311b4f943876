#!/usr/bin/env python3
"""Writes a bank of COUNT questions that all hold the keyword 长江, for the answer form's test
with tens of thousands of results. The bytes are laid out by the independent bank tool's own
functions, in one pass (its addmany reads the whole file for every record).

Usage: make_big_bank.py EDB_ORACLE OUT COUNT
"""
import importlib.util
import struct
import sys


def main(argv):
    location = importlib.util.spec_from_file_location("edb_oracle", argv[1])
    oracle = importlib.util.module_from_spec(location)
    location.loader.exec_module(oracle)
    out, count = argv[2], int(argv[3])
    oracle.create(out, oracle.BANK_FIELDS)
    with open(out, "r+b") as f:
        lay = oracle.read_layout(f.read())
        f.seek(lay["data_start"])
        for i in range(count):
            record = struct.pack("<i", i + 1)
            record += oracle.encode_text(f"第{i + 1}题：下列关于长江的说法正确的是".encode("gbk"), 1000)
            record += oracle.encode_text(f"答案{i + 1}".encode("gbk"), 1000)
            f.write(record)
        f.seek(16)
        f.write(struct.pack("<ii", count, count + 1))


if __name__ == "__main__":
    main(sys.argv)
