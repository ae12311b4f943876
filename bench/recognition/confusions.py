#!/usr/bin/env python3
"""Learns which characters the recognition engine mistakes for which, from what
ocr_chain_bench --dump wrote, and writes them as look-alike groups for src/search/lookalikes.txt.

usage: confusions.py DUMP [DUMP...] [--holdout DUMP] [--min-count N] [--table lookalikes.txt]

A dump holds a pair of lines per selection: "T " and the text inside it, "S " and what was read.
Each pair is aligned character by character; a character read as one other character between
two read right is a confusion. Confusions seen in at least N different questions (2) become
groups of two, or join a group of the table; never a chain of them, as a confusion of A with B
and of B with C says nothing of A and C. Selections whose text is also in the --holdout dump
(the selections the accuracy is measured on) are left out of the learning, and the report says
how many of the holdout's confusions the table then covers.

The groups are printed in the table's form: a new group of two characters in no group yet, or a
line "join MEMBER NEW..." adding characters to the group MEMBER is in. Pairs that would join two
groups already in the table are listed as comments, for a person to judge."""
import argparse
import collections
import sys


def read_dump(path):
    pairs, truth = [], None
    with open(path, encoding="utf-8", errors="replace") as source:
        for line in source:
            line = line.rstrip("\n")
            if line.startswith("T "):
                truth = line[2:]
            elif line.startswith("S ") and truth is not None:
                pairs.append((truth, line[2:]))
                truth = None
    return pairs


def fold(c):
    """As the lookup sees a character: half-width, lower case."""
    code = ord(c)
    if 0xFF01 <= code <= 0xFF5E:
        c = chr(code - 0xFEE0)
    return c.lower()


def comparable(text):
    return [fold(c) for c in text if not c.isspace()]


def counts_as_text(c):
    """Letters, digits and ideographs: punctuation is dropped before the lookup compares."""
    if not c.isalnum():
        return False
    try:
        c.encode("gbk")
    except UnicodeEncodeError:
        return False
    return True


def substitutions(truth, seen):
    """The one-for-one substitutions of a least-cost alignment of the two texts that stand
    between characters read right: elsewhere the alignment pairs characters by chance, where the
    engine dropped, split or merged some."""
    t, s = comparable(truth), comparable(seen)
    rows = [[0] * (len(s) + 1) for _ in range(len(t) + 1)]
    for i in range(len(t) + 1):
        rows[i][0] = i
    for j in range(len(s) + 1):
        rows[0][j] = j
    for i in range(1, len(t) + 1):
        for j in range(1, len(s) + 1):
            rows[i][j] = min(rows[i - 1][j] + 1, rows[i][j - 1] + 1,
                             rows[i - 1][j - 1] + (t[i - 1] != s[j - 1]))
    steps, i, j = [], len(t), len(s)  # (truth char, seen char), None for a gap; backwards
    while i > 0 or j > 0:
        if i > 0 and j > 0 and rows[i][j] == rows[i - 1][j - 1] + (t[i - 1] != s[j - 1]):
            steps.append((t[i - 1], s[j - 1]))
            i, j = i - 1, j - 1
        elif i > 0 and rows[i][j] == rows[i - 1][j] + 1:
            steps.append((t[i - 1], None))
            i -= 1
        else:
            steps.append((None, s[j - 1]))
            j -= 1
    steps.reverse()
    right = [a is not None and a == b for a, b in steps]
    found = []
    for k in range(1, len(steps) - 1):
        a, b = steps[k]
        if (a is not None and b is not None and a != b and right[k - 1] and right[k + 1]
                and counts_as_text(a) and counts_as_text(b)):
            found.append((a, b))
    return found


def existing_groups(path):
    group_of = {}
    if not path:
        return group_of
    with open(path, encoding="utf-8") as source:
        for line in source:
            members = line.split()
            if not members or members[0].startswith("#"):
                continue
            if members[0] == "join":
                for member in members[2:]:
                    group_of[member] = group_of[members[1]]
            else:
                for member in members:
                    group_of[member] = members[0]
    return group_of


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dumps", nargs="+")
    parser.add_argument("--holdout")
    parser.add_argument("--min-count", type=int, default=2)
    parser.add_argument("--table", help="the look-alike table the groups are to join")
    options = parser.parse_args()

    held = read_dump(options.holdout) if options.holdout else []
    held_texts = {truth for truth, _ in held}
    # Counted once per question (known by how its text begins): the same question drawn at
    # several sizes is one piece of evidence.
    found_in = collections.defaultdict(set)
    used = set()
    for path in options.dumps:
        for truth, seen in read_dump(path):
            if truth in held_texts:
                continue
            used.add(truth)
            for pair in substitutions(truth, seen):
                found_in[frozenset(pair)].add(truth[:12])
    confusions = {pair: len(texts) for pair, texts in found_in.items()}

    learned = {pair: n for pair, n in confusions.items() if n >= options.min_count}
    group_of = existing_groups(options.table)
    new_groups = {}  # first member -> members, for characters in no group yet
    learned_members = set()
    extended = collections.defaultdict(list)
    joins = []
    for pair, n in sorted(learned.items(), key=lambda item: (-item[1], sorted(item[0]))):
        a, b = sorted(pair)
        ga, gb = group_of.get(a), group_of.get(b)
        if ga and gb:
            if ga != gb:
                joins.append((a, b, n))
            continue
        if a in learned_members or b in learned_members:
            continue
        if ga or gb:
            group, new = (ga, b) if ga else (gb, a)
            extended[group].append(new)
            group_of[new] = group
            learned_members.add(new)
            continue
        new_groups[a] = [a, b]
        group_of[a] = group_of[b] = a
        learned_members.update((a, b))

    print("# %d texts learned from, %d confusions seen in %d questions or more"
          % (len(used), len(learned), options.min_count))
    for members in new_groups.values():
        print(" ".join(members))
    for group, members in extended.items():
        print("join %s %s" % (group, " ".join(members)))
    for a, b, n in joins:
        print("# %s %s (%d) would join two groups" % (a, b, n))

    if held:
        covered = total = 0
        for truth, seen in held:
            for a, b in substitutions(truth, seen):
                total += 1
                covered += group_of.get(a) is not None and group_of.get(a) == group_of.get(b)
        print("# the holdout's %d confusions: %d covered by the table with these groups"
              % (total, covered), file=sys.stderr)


if __name__ == "__main__":
    main()
