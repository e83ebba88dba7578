#!/usr/bin/env python3
"""The same surveys in UTF-8, with and without a byte-order mark, give the
batch tool's results documents byte for byte as their Shift-JIS form.

The cases are those of compare.py (its hand-made cases and one generated
survey with drawn settings per seed), each run in its Shift-JIS form and in
the two UTF-8 forms; with --workbook, the sample survey's workbook made by
LibreOffice is compared with its CSV for every method and output form.

usage: same_forms.py --cli CLI [--cases N] [--workbook XLSX --csv CSV]
Exit status 0 when every document and status agree, 1 at the first difference.
"""

import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import compare  # noqa: E402


def run(cli, path, args):
    p = subprocess.run([cli, path] + list(args), capture_output=True)
    return p.returncode, p.stdout


def utf8_form(data):
    """The UTF-8 form of Shift-JIS bytes, or None when they have none that
    reads back as the same bytes."""
    end = data.find(b"\x1a")
    text_part, rest = (data, b"") if end < 0 else (data[:end], data[end:])
    try:
        text = text_part.decode("cp932")
    except UnicodeDecodeError:
        return None
    if text.encode("cp932") != text_part:
        return None
    return text.encode("utf-8") + rest


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--cli", required=True)
    ap.add_argument("--cases", type=int, default=200)
    ap.add_argument("--workbook")
    ap.add_argument("--csv")
    o = ap.parse_args()
    cases = list(compare.FIXED_CASES) + [compare.draw_case(s) for s in range(1, 1 + o.cases)]
    checked = skipped = 0
    with tempfile.TemporaryDirectory() as tmp:
        for case in cases:
            utf8 = utf8_form(case.data)
            # A file that is ASCII only is the same in both encodings.
            if utf8 is None or utf8 == case.data:
                skipped += 1
                continue
            forms = {"cp932": case.data, "utf8": utf8, "bom": b"\xef\xbb\xbf" + utf8}
            results = {}
            for name, data in forms.items():
                path = os.path.join(tmp, "%s-%s.csv" % (case.file_stem, name))
                with open(path, "wb") as f:
                    f.write(data)
                results[name] = run(o.cli, path, case.args)
            for name in ("utf8", "bom"):
                if results[name] != results["cp932"]:
                    print("DIFFERENT (%s): %s: %s" % (name, case.name, " ".join(case.args)))
                    return 1
            checked += 1
    if o.workbook:
        for method in compare.METHODS:
            for output in compare.OUTPUTS:
                args = ["--id", "1", "--id", "2", "--id", "3", "--class", "4", "--class", "5",
                        "--nutrient", "6", "--method", method, "--output", output,
                        "--power", "0.5", "--cutoffs", "1500- 2500"]
                if run(o.cli, o.workbook, args) != run(o.cli, o.csv, args):
                    print("DIFFERENT (workbook): %s" % " ".join(args))
                    return 1
                checked += 1
    print("identical: %d surveys in three forms (%d had no other form)" % (checked, skipped))
    return 0


if __name__ == "__main__":
    sys.exit(main())
