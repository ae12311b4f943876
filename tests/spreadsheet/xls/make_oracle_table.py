#!/usr/bin/env python3
"""Flattens the reference readers' JSON views of the .xls fixtures into one tab-separated
table that the C++ tests read without a JSON parser.

Lines:
  F  path  group  reference-status        one per workbook
  M  date1904  sheet-count  names...       sheet names as UTF-16 hex
  C  row  col  kind  value  fmt-id  fmt    kind n/s/b/e/k (blank); strings and formats as UTF-16 hex
  Q  path  row  col  kind  value  fmt-kind  fmt-value   expected question-bank cells
"""
import csv
import gzip
import json
import lzma
import os
import sys

ERROR_CODES = {"#NULL!": 0, "#DIV/0!": 7, "#VALUE!": 15, "#REF!": 23, "#NAME?": 29, "#NUM!": 36,
               "#N/A": 42}


def utf16_hex(text):
    return text.encode("utf-16-le").hex()


def load_json(path):
    opener = gzip.open if path.endswith(".gz") else lzma.open if path.endswith(".xz") else open
    with opener(path, "rt", encoding="utf-8") as f:
        return json.load(f)


def cell_line(cell):
    kind, value = cell["t"], cell.get("v")
    if kind == "number":
        text = ("n", repr(float(value)))
    elif kind == "string":
        text = ("s", utf16_hex(value))
    elif kind == "bool":
        text = ("b", "1" if value else "0")
    elif kind == "error":
        text = ("e", str(value if isinstance(value, int) else ERROR_CODES.get(value, -1)))
    elif kind == "blank":
        text = ("k", "-")
    else:
        return None
    fmt_id = cell.get("fmt_id")
    fmt = cell.get("fmt")
    return "\t".join(["C", str(cell["r"]), str(cell["c"]), *text,
                      "-" if fmt_id is None else str(fmt_id),
                      "-" if fmt is None else utf16_hex(fmt)])


def expected_line(path, row, col, intended):
    kind = intended["k"]
    if kind == "formula":
        cached = intended["cached"]
        if isinstance(cached, bool):
            kind, value = "b", "1" if cached else "0"
        elif isinstance(cached, (int, float)):
            kind, value = "n", repr(float(cached))
        elif cached in ERROR_CODES:
            kind, value = "e", str(ERROR_CODES[cached])
        else:
            kind, value = "s", utf16_hex(cached)
    elif kind == "num":
        kind, value = "n", repr(float(intended["v"]))
    elif kind == "str":
        kind, value = "s", utf16_hex(intended["v"])
    elif kind == "bool":
        kind, value = "b", "1" if intended["v"] else "0"
    else:
        kind, value = "k", "-"
    fmt = intended.get("fmt") or {}
    if "id" in fmt:
        fmt_kind, fmt_value = "id", str(fmt["id"])
    elif "code" in fmt:
        fmt_kind, fmt_value = "code", utf16_hex(fmt["code"])
    else:
        fmt_kind, fmt_value = "-", "-"
    return "\t".join(["Q", path, str(row), str(col), kind, value, fmt_kind, fmt_value])


def main():
    fixtures, out_path = sys.argv[1], sys.argv[2]
    workbooks = os.path.join(fixtures, "workbooks")
    lines = []
    with open(os.path.join(workbooks, "oracle", "INDEX.tsv"), encoding="utf-8") as f:
        for row in csv.DictReader(f, delimiter="\t"):
            path, group = row["file"], row["group"]
            is_xls = path.lower().endswith(".xls")
            if group == "mustfail" or (group == "realworld" and is_xls):
                lines.append("\t".join(["F", "workbooks/" + path, group, row["python_status"]]))
            elif group == "qbank" and is_xls:
                lines.append("\t".join(["F", path, group, row["python_status"]]))
            else:
                continue
            if group == "mustfail" or not row["python_oracle"]:
                continue
            oracle = load_json(os.path.join(workbooks, row["python_oracle"]))
            lines.append("\t".join(["M", "1" if oracle["date1904"] else "0",
                                    str(oracle["sheet_count"]),
                                    *map(utf16_hex, oracle["sheet_names"])]))
            lines.extend(filter(None, map(cell_line, oracle["cells"])))
    for name in ("qbank_small.xls", "qbank_small.lo.xls"):
        with open(os.path.join(fixtures, "qbank", "qbank_small.expected.jsonl"), encoding="utf-8") as f:
            for line in f:
                record = json.loads(line)
                for col, letter in enumerate("ABCD"):
                    intended = record.get(letter)
                    # LibreOffice kept no text result for the CONCATENATE formula: it stored 0.
                    lost_text = (name.startswith("qbank_small.lo") and intended is not None and
                                 intended["k"] == "formula" and isinstance(intended["cached"], str) and
                                 not intended["cached"].startswith("#"))
                    if intended is not None and not lost_text:
                        lines.append(expected_line("qbank/" + name, record["excel_row"] - 1, col,
                                                   intended))
    with open(out_path, "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
