#!/usr/bin/env python3
"""A run of several analysis columns is its single runs one after the other.

For each seed: a generated survey and drawn settings (as compare.py draws
them), then a list of analysis columns (the survey's nutrient columns, a
shuffled subset of them, or any columns at all), with and without
--skip-missing, on one thread and on two; the document of the run of the
list must be the documents of the single-column runs joined, byte for byte,
and a refused run must be refused by every single run with the same status.
--nutrient all-numeric must be the run of the columns it reports, listed.

usage: several_columns.py --cli CLI [--cases N] [--first SEED]
Exit status 0 when every case agrees, 1 at the first difference.
"""

import argparse
import os
import random
import shlex
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import compare  # noqa: E402
import gensurvey  # noqa: E402
from same_bytes import run  # noqa: E402


def without_nutrient(args):
    out, i = [], 0
    while i < len(args):
        if args[i] == "--nutrient":
            i += 2
            continue
        out.append(args[i])
        i += 1
    return out


def columns_of(cli, path):
    """The header's names, by column (from 0), as the tool lists them."""
    p = subprocess.run([cli, path, "--columns", "--encoding", "cp932"], capture_output=True)
    names = []
    for line in p.stdout.split(b"\n"):
        line = line.rstrip(b"\r")
        if line:
            names.append(line.split(b".", 1)[1])
    return names


def analysed_columns(document, names):
    """The columns whose headings the document shows, in their order; None
    where a name stands for more than one column."""
    order = []
    for line in document.split(b"\r\n"):
        if line.startswith("分析変数：[".encode("cp932")) and line.endswith(b"]"):
            name = line[len("分析変数：[".encode("cp932")):-1]
            if names.count(name) != 1:
                return None
            column = names.index(name)
            if column not in order:
                order.append(column)
    return order


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--cli", required=True)
    ap.add_argument("--cases", type=int, default=150)
    ap.add_argument("--first", type=int, default=1)
    o = ap.parse_args()
    checked = 0
    with tempfile.TemporaryDirectory() as tmp:
        for seed in range(o.first, o.first + o.cases):
            case = compare.draw_case(seed)
            survey = gensurvey.generate(seed)
            rng = random.Random(seed * 31 + 5)
            nutrients = survey.positions("nutrient")
            choice = rng.random()
            if choice < 0.5:
                columns = list(nutrients)
            elif choice < 0.8:
                columns = rng.sample(nutrients, rng.randint(1, len(nutrients)))
            else:
                columns = rng.sample(range(survey.ncols), rng.randint(1, min(4, survey.ncols)))
            path = os.path.join(tmp, "survey-%d.csv" % seed)
            with open(path, "wb") as f:
                f.write(case.data)
            base = without_nutrient(case.args)
            for extra in ([], ["--skip-missing"], ["--threads", "1"], ["--threads", "2"]):
                args = base + extra
                several = [a for c in columns for a in ("--nutrient", str(c + 1))]
                status, out = run(o.cli, path, args + several)
                singles = [run(o.cli, path, args + ["--nutrient", str(c + 1)]) for c in columns]
                if any(s != 0 for s, _ in singles):
                    # One refused single run refuses the run of them all.
                    expected = next((s, b"") for s, _ in singles if s != 0)
                else:
                    expected = (0, b"".join(b for _, b in singles))
                if (status, out) != expected:
                    print("DIFFERENT: seed %d: %s %s" %
                          (seed, shlex.quote(path), " ".join(map(shlex.quote, args + several))))
                    return 1
                checked += 1
            # Every numeric column: the same as listing the columns it ran.
            status, out = run(o.cli, path, base + ["--nutrient", "all-numeric"])
            order = analysed_columns(out, columns_of(o.cli, path)) if status == 0 else None
            if order:
                listed = [a for c in order for a in ("--nutrient", str(c + 1))]
                if (status, out) != run(o.cli, path, base + listed):
                    print("DIFFERENT (all-numeric): seed %d: columns %s" % (seed, order))
                    return 1
                checked += 1
    print("identical: %d runs" % checked)
    return 0


if __name__ == "__main__":
    sys.exit(main())
