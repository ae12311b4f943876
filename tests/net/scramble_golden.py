#!/usr/bin/env python3
"""Computes the stored form of settings values, independently of the C++ code.

The stored form is: every byte of the value XORed with the low byte of 7153, as upper-case hex,
then characters 3 to 11 of the lower-case MD5 hex of the key, upper-cased. The values printed
here are pasted into setting_scramble_test.cpp.
"""
import hashlib

CONSTANT = 7153
KEY = "Z9Y8X7"


def scramble(value: bytes, key: bytes) -> str:
    body = "".join("%02X" % ((b ^ CONSTANT) & 0xFF) for b in value)
    check = hashlib.md5(key).hexdigest()[2:11].upper()
    return body + check


def c_literal(data: bytes) -> str:
    """A C++ string_view literal for the bytes (zero bytes included)."""
    out, after_escape = "", False
    for b in data:
        if 0x20 <= b < 0x7F and chr(b) not in '"\\':
            if after_escape and chr(b) in "0123456789abcdefABCDEF":
                out += '" "'  # a hex escape would swallow this digit
            out += chr(b)
            after_escape = False
        else:
            out += "\\x%02X" % b
            after_escape = True
    return '"' + out + '"sv'


CASES = [
    (b"", KEY),
    (b"abc", KEY),
    (b"AbCdEfGh1234567890abcdef", KEY),  # shaped like an API key
    ("百度识别".encode("gbk"), KEY),
    (bytes([0x00, 0x7F, 0x80, 0xF1, 0xFF]), KEY),
    (b"abc", "another key"),
]

if __name__ == "__main__":
    for value, key in CASES:
        print("    {%s, %s, \"%s\"}," % (c_literal(value), c_literal(key.encode("gbk")),
                                        scramble(value, key.encode("gbk"))))
