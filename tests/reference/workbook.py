#!/usr/bin/env python3
"""Writes a survey table as an Excel workbook (.xlsx) the way Excel stores
one: numbers as numbers, texts as shared strings, one sheet per table.

usage: workbook.py SURVEY.csv OUT.xlsx [--encoding cp932|utf-8]

As a module: write_workbook(path, sheets) with sheets a list of
(name, rows), each row a list of cell texts.  A text that is a number in
decimal form ("18", "9.10", "-2.5") is stored as the number a spreadsheet
keeps ("9.1"); every other text as a shared string.  Standard library only.
"""

import re
import sys
import zipfile
from xml.sax.saxutils import escape

NUMBER = re.compile(r"-?[0-9]{1,15}(\.[0-9]{1,15})?\Z")


def number_text(text):
    """The text a spreadsheet stores for a number typed as text, or None."""
    if not NUMBER.match(text):
        return None
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    negative = text.startswith("-")
    digits = text.lstrip("-").lstrip("0")
    if digits.startswith(".") or digits == "":
        digits = "0" + digits
    return ("-" if negative and digits.strip("0.") else "") + digits

CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
    "{sheets}"
    '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
    "</Types>"
)
SHEET_TYPE = (
    '<Override PartName="/xl/worksheets/sheet{n}.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
)
PACKAGE_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
    "</Relationships>"
)
REL = '<Relationship Id="rId{n}" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/{type}" Target="{target}"/>'
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
RELS_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def column_name(c):
    name = ""
    c += 1
    while c:
        c, r = divmod(c - 1, 26)
        name = chr(65 + r) + name
    return name


def _cells(row, r, strings, index):
    out = []
    for c, text in enumerate(row):
        if text == "":
            continue
        ref = column_name(c) + str(r)
        number = number_text(text)
        if number is not None:
            out.append('<c r="%s"><v>%s</v></c>' % (ref, number))
        else:
            if text not in index:
                index[text] = len(strings)
                strings.append(text)
            out.append('<c r="%s" t="s"><v>%d</v></c>' % (ref, index[text]))
    return "".join(out)


def write_workbook(path, sheets):
    strings, index = [], {}
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES.format(
            sheets="".join(SHEET_TYPE.format(n=n + 1) for n in range(len(sheets)))))
        z.writestr("_rels/.rels", PACKAGE_RELS)
        z.writestr("xl/workbook.xml",
                   '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                   '<workbook xmlns="%s" xmlns:r="%s"><sheets>%s</sheets></workbook>'
                   % (MAIN, RELS_NS, "".join(
                       '<sheet name="%s" sheetId="%d" r:id="rId%d"/>'
                       % (escape(name, {'"': "&quot;"}), n + 1, n + 1)
                       for n, (name, _) in enumerate(sheets))))
        rels = [REL.format(n=n + 1, type="worksheet", target="worksheets/sheet%d.xml" % (n + 1))
                for n in range(len(sheets))]
        rels.append(REL.format(n=len(sheets) + 1, type="sharedStrings", target="sharedStrings.xml"))
        z.writestr("xl/_rels/workbook.xml.rels",
                   '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                   '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   + "".join(rels) + "</Relationships>")
        for n, (_, rows) in enumerate(sheets):
            with z.open("xl/worksheets/sheet%d.xml" % (n + 1), "w") as f:
                f.write(('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                         '<worksheet xmlns="%s" xmlns:r="%s"><sheetData>' % (MAIN, RELS_NS))
                        .encode())
                batch = []
                for r, row in enumerate(rows, 1):
                    batch.append('<row r="%d">%s</row>' % (r, _cells(row, r, strings, index)))
                    if len(batch) == 10000:
                        f.write("".join(batch).encode())
                        batch = []
                f.write(("".join(batch) + "</sheetData></worksheet>").encode())
        z.writestr("xl/sharedStrings.xml",
                   '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                   '<sst xmlns="%s" count="%d" uniqueCount="%d">%s</sst>'
                   % (MAIN, len(strings), len(strings), "".join(
                       '<si><t xml:space="preserve">%s</t></si>' % escape(s) for s in strings)))


def main(argv):
    if len(argv) not in (2, 4):
        print(__doc__, file=sys.stderr)
        return 2
    encoding = argv[3] if len(argv) == 4 else "cp932"
    with open(argv[0], encoding=encoding, newline="") as f:
        rows = [line.rstrip("\r\n").split(",") for line in f]
    write_workbook(argv[1], [("Sheet1", rows)])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
