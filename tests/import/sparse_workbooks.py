#!/usr/bin/env python3
"""Writes workbooks whose sheets are mostly empty rows, for the import's tests and its scaling
benchmark:

  gaps.xlsx         a question, a row holding only a cell right of the table's columns, empty
                    rows, a question and answer with characters outside GBK, and a stray cell
                    on row 5000 (the tests)
  stray_cell.xlsx   a header, 20 questions, and one stray cell on the sheet's last row
                    (1,048,576), so the table has a row for every row in between
  blank_40k.xlsx    20 questions, 40,000 empty rows, 20 more questions
  blank_80k.xlsx    the same with 80,000 empty rows

Empty rows of the table are equal rows: all but the first are removed as repeats.

usage: sparse_workbooks.py FOLDER"""
import os
import sys
import zipfile

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
</Types>"""

PACKAGE_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""

WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets>
</workbook>"""

WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
</Relationships>"""

LAST_ROW = 1048576


def text_cell(ref, text):
    escaped = text.replace("&", "&amp;").replace("<", "&lt;")
    return '<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, escaped)


def question_row(row, number):
    return '<row r="%d">%s%s%s</row>' % (
        row, '<c r="A%d"><v>%d</v></c>' % (row, number),
        text_cell("B%d" % row, "第%d题：哪一项是正确的？" % number),
        text_cell("C%d" % row, "答案%d" % number))


def sheet(rows):
    header = '<row r="1">%s</row>' % "".join(
        text_cell("%s1" % column, title)
        for column, title in zip("ABCD", ("序号", "题目", "答案", "结果")))
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
            '<sheetData>%s%s</sheetData></worksheet>' % (header, "".join(rows)))


def write(path, sheet_xml):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as book:
        book.writestr("[Content_Types].xml", CONTENT_TYPES)
        book.writestr("_rels/.rels", PACKAGE_RELS)
        book.writestr("xl/workbook.xml", WORKBOOK)
        book.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        book.writestr("xl/worksheets/sheet1.xml", sheet_xml)


def blank_rows_between(blank):
    rows = [question_row(2 + i, 1 + i) for i in range(20)]
    after = 22 + blank
    rows += [question_row(after + i, 21 + i) for i in range(20)]
    return sheet(rows)


def gaps():
    rows = [question_row(2, 1),
            '<row r="3">%s</row>' % text_cell("E3", "right of the table"),
            '<row r="100"><c r="A100"><v>2</v></c>%s%s</row>' % (
                text_cell("B100", "苹果\U0001F34E"), text_cell("C100", "香蕉\U0001F34C\U0001F34C")),
            '<row r="5000">%s</row>' % text_cell("D5000", "stray")]
    return sheet(rows)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write(os.path.join(folder, "gaps.xlsx"), gaps())
    stray = [question_row(2 + i, 1 + i) for i in range(20)]
    stray.append('<row r="%d">%s</row>' % (LAST_ROW, text_cell("D%d" % LAST_ROW, "stray")))
    write(os.path.join(folder, "stray_cell.xlsx"), sheet(stray))
    write(os.path.join(folder, "blank_40k.xlsx"), blank_rows_between(40000))
    write(os.path.join(folder, "blank_80k.xlsx"), blank_rows_between(80000))


if __name__ == "__main__":
    main()
