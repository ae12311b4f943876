"""Banks out and back in through quorvix-cli: export, import into a new bank, and the dump must
be the same, for a large real bank and for a bank of hostile texts; outside readers (openpyxl,
Python's csv module) must see every pair; failures must leave no file and the bank untouched.

usage: round_trip_check.py CLI LARGE_WORKBOOK WORKDIR
"""
import csv
import hashlib
import os
import re
import shutil
import subprocess
import sys

CLI, LARGE, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
RUN = os.path.join(WORK, "run")
failures = []


def cli(*args, check=True):
    result = subprocess.run([CLI, "--dir", RUN, *args], capture_output=True, timeout=600)
    if check and result.returncode != 0:
        raise SystemExit(f"{args}: exit {result.returncode}: {result.stderr.decode(errors='replace')}")
    return result


def dump(bank):
    return cli("dump", bank, "--json").stdout


def expect(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def pairs_of(bank):
    import json
    return [(r["question"], r["answer"]) for r in map(json.loads, dump(bank).splitlines())]


def hostile_pairs():
    punctuation = []
    for lead in (0xA1, 0xA3, 0xA6, 0xA8, 0xA9):
        for trail in range(0xA1, 0xFF):
            try:
                punctuation.append(bytes([lead, trail]).decode("gbk"))
            except UnicodeDecodeError:
                pass
    all_punctuation = "".join(punctuation)
    return [
        ('He said "yes", then "no"', 'a "quoted" answer'),
        ("one, two, three", "a,b,,c"),
        ("line one\nline two", "answer\r\nwith CRLF\n\nand an empty line"),
        ("<tag> & </tag> &amp; ]]>", "x < y && y > z"),
        ("   leading spaces", "trailing spaces   "),
        (" ", "  "),
        ("_x0041_ stays as typed", "_x005F_ too"),
        ("问" * 500, "答" * 500),
        ("a" * 1000, "b" * 1000),
        (all_punctuation[:400], all_punctuation[400:800] or "-"),
        ("tab\there", "=1+1"),
        ("bell\x07 and backspace\x08", "form feed\x0c"),
        ("", "an answer to no question"),
        ("答案：not a marker in the first line?", "答案：doubled"),
    ]


def make_bank(name, pairs):
    cli("create", name)
    for question, answer in pairs:
        cli("add", name, question, answer)


def round_trip(bank, extension, name):
    target = os.path.join(WORK, f"{name}.{extension}")
    cli("export", bank, target)
    cli("import", target, f"{name}-back")
    expect(dump(bank) == dump(f"{name}-back"), f"{name}.{extension}: round trip")
    return target


ESCAPABLE = re.compile(r"_(?=x[0-9A-Fa-f]{4}_)|[\x00-\x08\x0b\x0c\x0e-\x1f\ufffe\uffff]")


def as_openpyxl_reads(text):
    """openpyxl 3.0 leaves Excel's _xHHHH_ escapes of characters XML cannot hold as they stand
    and drops "x005F_" wherever it appears; our reader and Excel decode them all."""
    escaped = ESCAPABLE.sub(lambda m: "_x%04X_" % ord(m.group(0)), text)
    return escaped.replace("x005F_", "")


def openpyxl_sees(target, pairs):
    script = (
        "import json,sys,openpyxl\n"
        "ws=openpyxl.load_workbook(sys.argv[1],read_only=True).worksheets[0]\n"
        "rows=[[c if c is not None else '' for c in r] for r in ws.iter_rows(values_only=True)]\n"
        "print(json.dumps(rows))\n")
    python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
    result = subprocess.run([python, "-c", script, target], capture_output=True, timeout=600)
    if result.returncode != 0:
        print("SKIP openpyxl:", result.stderr.decode(errors="replace").strip().splitlines()[-1:])
        return
    import json
    rows = json.loads(result.stdout)
    expect(rows[0] == ["序号", "题目", "答案"], f"{target}: header row seen by openpyxl")
    wanted = [(as_openpyxl_reads(q), as_openpyxl_reads(a)) for q, a in pairs]
    expect([(r[1], r[2]) for r in rows[1:]] == wanted, f"{target}: every cell seen by openpyxl")


def csv_sees(target, pairs):
    with open(target, encoding="utf-8-sig", newline="") as f:
        rows = list(csv.reader(f))
    expect(rows[0] == ["序号", "题目", "答案"], f"{target}: csv header")
    expect([(r[1], r[2]) for r in rows[1:]] == pairs, f"{target}: every field seen by csv")


def sha(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(RUN)

    # The hostile bank: every format gives it back exactly (the text layout keeps these too).
    hostile = hostile_pairs()
    make_bank("hostile", hostile)
    stored = pairs_of("hostile")
    expect(len(stored) == len(hostile), "hostile bank holds every pair")
    xlsx = round_trip("hostile", "xlsx", "hostile-x")
    openpyxl_sees(xlsx, stored)
    csv_sees(round_trip("hostile", "csv", "hostile-c"), stored)
    # The text layout, for the pairs it can hold (a question line starting with the answer
    # marker it cannot).
    make_bank("blocks", [p for p in hostile if not p[0].startswith("答案")])
    round_trip("blocks", "txt", "blocks-t")

    # The large bank, through the workbook and CSV.
    cli("import", LARGE, "large")
    large = pairs_of("large")
    openpyxl_sees(round_trip("large", "xlsx", "large-x"), large)
    csv_sees(round_trip("large", "csv", "large-c"), large)

    # An existing file is kept unless --force; a forced export replaces it whole.
    bank_file = os.path.join(RUN, "题库", "hostile.edb")
    before = sha(bank_file)
    keep = os.path.join(WORK, "keep.csv")
    with open(keep, "w") as f:
        f.write("mine")
    result = cli("export", "hostile", keep, check=False)
    expect(result.returncode == 1 and b"already exists" in result.stderr, "existing file refused")
    expect(open(keep).read() == "mine", "existing file untouched")
    cli("export", "hostile", keep, "--force")
    csv_sees(keep, stored)

    # A killed export leaves the whole file or none under the final name.
    killed = os.path.join(WORK, "killed.csv")
    for delay in (0.05, 0.2, 0.5):
        process = subprocess.Popen([CLI, "--dir", RUN, "export", "large", killed, "--force"],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            process.wait(timeout=delay)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        if os.path.exists(killed):
            csv_sees(killed, large)
            os.remove(killed)

    # Never over the bank it reads, even when told to replace.
    result = cli("export", "hostile", bank_file, "--format", "csv", "--force", check=False)
    expect(result.returncode == 1 and b"the bank itself" in result.stderr, "bank as target refused")

    # Unwritable targets: a folder that is a file, a folder that does not exist.
    for target in (os.path.join(keep, "x.xlsx"), os.path.join(WORK, "no", "such", "x.xlsx")):
        result = cli("export", "hostile", target, check=False)
        expect(result.returncode == 1 and b"cannot write" in result.stderr, f"{target}: refused")
        expect(not os.path.exists(target), f"{target}: nothing written")

    # A damaged bank: a clear message and no file.
    damaged = os.path.join(WORK, "damaged.edb")
    with open(damaged, "wb") as f:
        f.write(b"\x03not a bank at all" * 3)
    target = os.path.join(WORK, "from-damaged.xlsx")
    result = cli("export", damaged, target, check=False)
    expect(result.returncode == 1 and result.stderr.strip(), "damaged bank: message")
    expect(not os.path.exists(target), "damaged bank: no file")

    # A full disk: a small tmpfs, where mounting is allowed.
    small = os.path.join(WORK, "small")
    os.makedirs(small)
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", small],
                      capture_output=True).returncode == 0:
        try:
            target = os.path.join(small, "large.csv")
            result = cli("export", "large", target, check=False)
            expect(result.returncode == 1 and b"cannot write" in result.stderr, "full disk refused")
            expect(os.listdir(small) == [], "full disk: no half file, no temporary")
        finally:
            subprocess.run(["umount", "-l", small])
    else:
        print("SKIP full disk: cannot mount a small file system here")
    expect(sha(bank_file) == before, "the bank is untouched by exports")

    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


sys.exit(main())
