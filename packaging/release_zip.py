#!/usr/bin/env python3
"""Writes a folder into a zip that is the same bytes every time: entries sorted by path, every
time stamp the given one, fixed attributes, deflate at one fixed level.

Names that are not ASCII are stored in code page 936 without the UTF-8 flag, which the zip
folders of Windows 7 to 11 show correctly on a Chinese system (they ignore the flag on
Windows 7), and again in UTF-8 in an Info-ZIP Unicode path field, which other unzip tools read.

Usage: release_zip.py FOLDER OUTPUT.zip --epoch SECONDS [--prefix NAME/]
"""
import argparse
import os
import struct
import sys
import time
import zlib

DOS_DIRECTORY = 0x10
DOS_ARCHIVE = 0x20
UNICODE_PATH_FIELD = 0x7075


def dos_time(epoch):
    # Zip times start in 1980 and count two-second steps.
    t = time.gmtime(max(epoch, 315532800))
    date = ((t.tm_year - 1980) << 9) | (t.tm_mon << 5) | t.tm_mday
    clock = (t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec // 2)
    return clock, date


def encoded_name(name):
    """The header's name bytes and the extra field that carries the UTF-8 name if needed."""
    try:
        return name.encode("ascii"), b""
    except UnicodeEncodeError:
        pass
    try:
        header = name.encode("gbk")
    except UnicodeEncodeError:
        sys.exit(f"release_zip: {name!r} has characters outside code page 936")
    unicode_name = name.encode("utf-8")
    body = struct.pack("<BI", 1, zlib.crc32(header)) + unicode_name
    return header, struct.pack("<HH", UNICODE_PATH_FIELD, len(body)) + body


def entries(folder, prefix):
    """(name in the zip, path on disk or None for a folder), sorted by name."""
    found = []
    if prefix:
        found.append((prefix, None))
    for parent, dirs, files in os.walk(folder):
        rel = os.path.relpath(parent, folder)
        base = "" if rel == "." else rel.replace(os.sep, "/") + "/"
        for d in dirs:
            found.append((prefix + base + d + "/", None))
        for f in files:
            found.append((prefix + base + f, os.path.join(parent, f)))
    return sorted(found, key=lambda e: e[0].encode("utf-8"))


def write_zip(folder, output, epoch, prefix=""):
    clock, date = dos_time(epoch)
    central = []
    with open(output, "wb") as out:
        for name, path in entries(folder, prefix):
            raw_name, extra = encoded_name(name)
            if path is None:
                data, packed, method, attributes = b"", b"", 0, DOS_DIRECTORY
            else:
                with open(path, "rb") as f:
                    data = f.read()
                packer = zlib.compressobj(9, zlib.DEFLATED, -15, 8, zlib.Z_DEFAULT_STRATEGY)
                packed = packer.compress(data) + packer.flush()
                method, attributes = 8, DOS_ARCHIVE
                if len(packed) >= len(data):
                    packed, method = data, 0
            crc = zlib.crc32(data)
            if len(data) >= 0xFFFFFFFF or out.tell() >= 0xFFFFFFFF:
                sys.exit("release_zip: the package would need zip64")
            offset = out.tell()
            out.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, method, clock, date, crc,
                                  len(packed), len(data), len(raw_name), len(extra)))
            out.write(raw_name + extra + packed)
            central.append(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, method,
                                       clock, date, crc, len(packed), len(data), len(raw_name),
                                       len(extra), 0, 0, 0, attributes, offset)
                           + raw_name + extra)
        start = out.tell()
        for record in central:
            out.write(record)
        size = out.tell() - start
        out.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(central), len(central), size,
                              start, 0))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("output")
    parser.add_argument("--epoch", type=int, required=True)
    parser.add_argument("--prefix", default="")
    args = parser.parse_args()
    prefix = args.prefix
    if prefix and not prefix.endswith("/"):
        prefix += "/"
    write_zip(args.folder, args.output, args.epoch, prefix)


if __name__ == "__main__":
    main()
