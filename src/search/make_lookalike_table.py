#!/usr/bin/env python3
"""Turns the look-alike groups (lookalikes.txt) into a C++ table, checking them on the way.

usage: make_lookalike_table.py INPUT OUTPUT
Each member of a group becomes an entry {member, first member of its group}. A line
"join MEMBER NEW..." adds NEW... to the group MEMBER stands in, written earlier. The build fails
when a member is not one BMP character, has no GBK form, is not in folded form (an upper-case
letter or a full-width form), or stands in two groups."""
import sys


def fail(line_number, message):
    sys.exit("%s:%d: %s" % (sys.argv[1], line_number, message))


entries = []
seen = {}
group_of = {}
with open(sys.argv[1], encoding="utf-8") as source:
    for line_number, line in enumerate(source, 1):
        text = line.strip()
        if not text or text.startswith("#"):
            continue
        members = text.split()
        if members[0] == "join":
            if len(members) < 3 or members[1] not in group_of:
                fail(line_number, "'join' needs a member of an earlier group and new members")
            group = group_of[members[1]]
            members = members[2:]
        elif len(members) < 2:
            fail(line_number, "a group needs two members at least")
        else:
            group = members[0]
        for member in members:
            if len(member) != 1 or ord(member) > 0xFFFF:
                fail(line_number, "%r is not one character" % member)
            try:
                member.encode("gbk")
            except UnicodeEncodeError:
                fail(line_number, "%r has no GBK form" % member)
            if "A" <= member <= "Z" or 0xFF01 <= ord(member) <= 0xFF5E:
                fail(line_number, "%r is not in folded form" % member)
            if member in seen:
                fail(line_number, "%r is already in the group on line %d" % (member, seen[member]))
            seen[member] = line_number
            group_of[member] = group
            entries.append((ord(member), ord(group)))

entries.sort()
rows = ["  {0x%04X, 0x%04X}," % entry for entry in entries]
with open(sys.argv[2], "w", encoding="utf-8") as out:
    out.write("// Generated from lookalikes.txt by make_lookalike_table.py; do not edit.\n")
    out.write('#include "search/lookalike_table.h"\n\n')
    out.write("namespace search {\nnamespace {\n\n")
    out.write("constexpr LookalikeEntry kEntries[] = {\n%s\n};\n\n" % "\n".join(rows))
    out.write("}  // namespace\n\n")
    out.write("std::span<const LookalikeEntry> lookalikeEntries() { return kEntries; }\n\n")
    out.write("}  // namespace search\n")
