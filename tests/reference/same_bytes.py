#!/usr/bin/env python3
"""Byte-for-byte comparison of two builds of habitual-cli.

For a change that must not alter any results document (a new structure, a
faster path), run the old and the new batch tool on the same surveys with
the same settings and compare their outputs and exit statuses exactly.  The
cases are those of compare.py: its hand-made cases, then one generated
survey with drawn settings per seed, and optionally extra survey files run
with every method and output form.

usage: same_bytes.py --old OLD_CLI --new NEW_CLI [--cases N] [--first SEED]
                     [--args "ARGS"] [--survey FILE --survey-args "ARGS"]...
Exit status 0 when every output is identical, 1 at the first difference.
"""

import argparse
import os
import shlex
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import compare  # noqa: E402


def run(cli, path, args, extra=()):
    p = subprocess.run([cli, path] + list(args) + list(extra), capture_output=True)
    return p.returncode, p.stdout


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--old", required=True)
    ap.add_argument("--new", required=True)
    ap.add_argument("--cases", type=int, default=300)
    ap.add_argument("--first", type=int, default=1)
    ap.add_argument("--survey", action="append", default=[])
    ap.add_argument("--survey-args", action="append", default=[])
    ap.add_argument("--new-args", default="", help="extra arguments for the new build only")
    ap.add_argument("--args", default="", help="extra arguments for both builds")
    o = ap.parse_args()
    extra = shlex.split(o.new_args)
    both = shlex.split(o.args)

    cases = list(compare.FIXED_CASES)
    cases += [compare.draw_case(s) for s in range(o.first, o.first + o.cases)]
    checked = 0
    with tempfile.TemporaryDirectory() as tmp:
        for case in cases:
            path = os.path.join(tmp, case.file_stem + ".csv")
            with open(path, "wb") as f:
                f.write(case.data)
            args = list(case.args) + both
            if run(o.old, path, args) != run(o.new, path, args, extra):
                print("DIFFERENT: %s: %s" % (case.name, " ".join(map(shlex.quote, args))))
                return 1
            checked += 1
    for path, args in zip(o.survey, o.survey_args + [""] * len(o.survey)):
        for method in compare.METHODS:
            for output in compare.OUTPUTS:
                a = shlex.split(args) + both + ["--method", method, "--output", output]
                if method == "power":
                    a += ["--power", "0.5"]
                if run(o.old, path, a) != run(o.new, path, a, extra):
                    print("DIFFERENT: %s %s" % (path, " ".join(map(shlex.quote, a))))
                    return 1
                checked += 1
    print("identical: %d runs" % checked)
    return 0


if __name__ == "__main__":
    sys.exit(main())
