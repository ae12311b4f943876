#!/usr/bin/env python3
"""Writes a C++ source that carries a file's bytes, for the library image the program embeds.

usage: embed_file.py INPUT OUTPUT FUNCTION
The source defines `std::string_view FUNCTION()` returning the bytes."""
import sys

data = open(sys.argv[1], "rb").read()
lines = []
for start in range(0, len(data), 40):
    chunk = data[start:start + 40]
    # Every byte escaped in octal: no escape can swallow the character after it.
    lines.append('    "' + "".join("\\%03o" % b for b in chunk) + '"')
body = "\n".join(lines) if lines else '    ""'
with open(sys.argv[2], "w") as out:
    out.write("// Generated from %s; do not edit.\n" % sys.argv[1].rsplit("/", 1)[-1])
    out.write("#include <string_view>\n\n")
    out.write("namespace {\nconst char kBytes[] =\n%s;\n}  // namespace\n\n" % body)
    out.write("std::string_view %s() { return {kBytes, %d}; }\n" % (sys.argv[3], len(data)))
