#!/usr/bin/env python3
"""Randomised comparison of habitual-cli with the Python reference.

A dozen hand-made cases first, then for each seed: generate a survey
(gensurvey.py), draw the run's settings, run the batch tool and the
reference (habitual_ref.py) with the same arguments, and compare the two
results documents line by line.  Refused runs must be refused by both, with
the same exit status.  Text must be identical; a printed number may
differ from the reference only by a couple of units in its last printed digit
(plus a relative 1e-9), which leaves room for the summation order inside a
person or a tied sort, which the method leaves open.  Where the best-power
search meets candidates whose R-squares agree to within rounding noise, any
of them is accepted.

Exit status 0 when every case agrees, 1 at the first disagreement (with the
seed, both lines and a command that reproduces it), 2 on a usage error.
"""

import argparse
import os
import random
import re
import shlex
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import gensurvey  # noqa: E402
import habitual_ref as ref  # noqa: E402

METHODS = ["best", "log", "none", "power"]
OUTPUTS = ["standard", "summary", "data"]
POWER_TEXTS = ["0.5", "-0.5", "0", "abc", "2", "", "1", "0.25", "1/3", "3", "-2", " 1.5", "0.5x"]
HENDO_TEXTS = ["", "0", "0.5", "2", "-1", "abc", "10", "1e3", "0.01", "3"]
CUTOFF_TEXTS = [
    "", "10 20-", "-5", "-", "1 2 3 4 5 6", "abc 3-", "0", "100- 5", "1e2 2.5-",
    "10　20", "  7\t8- ", "50-", "1e-3 1e6-", "1000", "-5-",
]


class Case:
    def __init__(self, name, data, args):
        self.name = name  # "seed 12" or the name of a fixed case
        self.data = data  # the survey's bytes
        self.args = args  # habitual-cli arguments after the survey path

    @property
    def file_stem(self):
        return re.sub(r"[^0-9A-Za-z]+", "_", self.name)


def draw_case(seed):
    survey = gensurvey.generate(seed)
    rng = random.Random(seed * 7919 + 17)
    ids = survey.positions("id")
    classes = survey.positions("class")
    nutrients = survey.positions("nutrient")
    every = list(range(survey.ncols))

    id_cols = rng.sample(ids, rng.randint(1, len(ids)))
    if rng.random() < 0.1:
        id_cols = rng.sample(every, rng.randint(1, min(4, len(every))))
    class_cols = rng.sample(classes, rng.randint(0, len(classes))) if classes else []
    if rng.random() < 0.05:
        class_cols = rng.sample(every, rng.randint(1, min(3, len(every))))
    nutrient = rng.choice(nutrients) if rng.random() < 0.92 else rng.choice(every)

    args = []
    for c in id_cols:
        args += ["--id", str(c + 1)]
    for c in class_cols:
        args += ["--class", str(c + 1)]
    args += ["--nutrient", str(nutrient + 1)]
    method = rng.randrange(4)
    args += ["--method", METHODS[method]]
    if method == 3 or rng.random() < 0.1:
        args += ["--power", rng.choice(POWER_TEXTS)]
    if rng.random() < (0.6 if method == 3 else 0.1):
        args += [rng.choice(["--within-variance", "--variance-ratio"]), rng.choice(HENDO_TEXTS)]
    cutoffs = rng.choice(CUTOFF_TEXTS)
    if cutoffs or rng.random() < 0.5:
        args += ["--cutoffs", cutoffs]
    args += ["--output", rng.choice(OUTPUTS)]
    return Case("seed %d" % seed, survey.data, args)


def _fixed(name, text, *args):
    return Case(name, text.encode("cp932"), list(args))


# Hand-made cases for corners that random surveys reach too seldom.
FIXED_CASES = [
    _fixed("balanced example", "ID,x\nA,1\nA,3\nB,2\nB,4\nC,6\nC,8\n",
           "--id", "1", "--nutrient", "2", "--method", "none", "--cutoffs", "3 4- -"),
    _fixed("balanced example summary", "ID,x\nA,1\nA,3\nB,2\nB,4\nC,6\nC,8\n",
           "--id", "1", "--nutrient", "2", "--method", "none", "--cutoffs", "3 4-", "--output", "summary"),
    _fixed("best power is the identity", "ID,x\n" + "".join("%d,%d\n" % (i % 4, i) for i in range(8)),
           "--id", "1", "--nutrient", "2"),
    _fixed("best power is the log", "ID,x\n" + "".join("%d,%d\n" % (i % 3, v) for i, v in enumerate([10, 12, 15, 20, 30, 50, 80])),
           "--id", "1", "--nutrient", "2"),
    # Equal values that are not exact in binary leave the variance a rounding
    # error below zero: the standard deviations must still come out as 0.
    _fixed("equal values one day each", "ID,x\n1,0.1\n2,0.1\n3,0.1\n",
           "--id", "1", "--nutrient", "2", "--method", "none"),
    _fixed("equal values given ratio", "ID,x\n1,0.1\n1,0.1\n2,0.1\n",
           "--id", "1", "--nutrient", "2", "--method", "power", "--power", "1", "--variance-ratio", "3"),
    _fixed("given within variance above the variance", "ID,x\nA,1\nA,3\nB,2\nB,4\nC,6\nC,8\n",
           "--id", "1", "--nutrient", "2", "--method", "power", "--power", "1", "--within-variance", "-100"),
    _fixed("log of zeros and negatives", "ID,x\n1,-2\n1,0\n2,3\n2,0\n3,5\n3,1\n",
           "--id", "1", "--nutrient", "2", "--method", "log"),
    _fixed("key of 255 bytes", "ID,x\n" + "k" * 252 + ",1\n" + "k" * 252 + ",2\n",
           "--id", "1", "--nutrient", "2"),
    _fixed("key of 256 bytes", "ID,x\n" + "k" * 253 + ",1\n" + "k" * 253 + ",2\n",
           "--id", "1", "--nutrient", "2"),
    _fixed("header only", "ID,x\r\n", "--id", "1", "--nutrient", "2"),
    _fixed("no row at all", "\n , \n", "--id", "1", "--nutrient", "1"),
]


# ---------------------------------------------------------------------------
# Line comparison.

NUMBER = re.compile(rb"[-+]?(?:nan|inf|(?:\d+\.?\d*|\.\d+)(?:e[-+]?\d+)?)")


def _last_digit_unit(token):
    t = token.lower().lstrip(b"+-")
    mantissa, _, exponent = t.partition(b"e")
    decimals = len(mantissa.partition(b".")[2])
    return 10.0 ** (int(exponent or b"0") - decimals)


def _pieces(line):
    """Text pieces and number tokens of a line, alternating (text first)."""
    texts, numbers = [], []
    pos = 0
    for m in NUMBER.finditer(line):
        texts.append(line[pos : m.start()])
        numbers.append(m.group())
        pos = m.end()
    texts.append(line[pos:])
    return texts, numbers


def numbers_agree(a, b):
    if a == b:
        return True
    fa, fb = float(a), float(b)
    if fa != fa or fb != fb:
        return fa != fa and fb != fb
    if fa == fb:
        return True
    if abs(fa) == float("inf") or abs(fb) == float("inf"):
        return False
    unit = max(_last_digit_unit(a), _last_digit_unit(b))
    return abs(fa - fb) <= 2.5 * unit + 1e-9 * max(abs(fa), abs(fb))


def lines_agree(expected, loose, actual):
    if expected == actual:
        return True
    te, ne = _pieces(expected)
    ta, na = _pieces(actual)
    if len(ne) != len(na):
        return False
    # Field widths pad numbers on the left: the padding before a number may
    # differ when the numbers' lengths do.
    for i, (x, y) in enumerate(zip(te, ta)):
        if i < len(ne):
            x, y = x.rstrip(b" "), y.rstrip(b" ")
        if x != y:
            return False
    if loose:
        return True
    return all(numbers_agree(x, y) for x, y in zip(ne, na))


class Mismatch(Exception):
    pass


def compare_documents(doc, output):
    """Raises Mismatch with an explanation; returns True when byte-identical to the first form."""
    if output and not output.endswith(b"\r\n"):
        raise Mismatch("the output does not end with CR LF")
    actual = output.split(b"\r\n")[:-1] if output else []
    pos = 0
    for seg in doc.segments:
        match = None
        for form in seg:
            if pos + len(form) <= len(actual) and all(
                lines_agree(line, loose, actual[pos + i]) for i, (line, loose) in enumerate(form)
            ):
                match = form
                break
        if match is None:
            form = seg[0]
            for i, (line, loose) in enumerate(form):
                got = actual[pos + i] if pos + i < len(actual) else None
                if got is None or not lines_agree(line, loose, got):
                    raise Mismatch(
                        "line %d differs%s\n  reference: %s\n  batch tool: %s"
                        % (
                            pos + i + 1,
                            " (and from all %d accepted forms of this group)" % len(seg) if len(seg) > 1 else "",
                            show(line),
                            "(missing)" if got is None else show(got),
                        )
                    )
            raise Mismatch("group at line %d differs from every accepted form" % (pos + 1))
        pos += len(match)
    if pos != len(actual):
        raise Mismatch("the batch tool wrote %d more lines, from line %d: %s" % (len(actual) - pos, pos + 1, show(actual[pos])))
    return output == doc.data()


def show(line):
    return line.decode("cp932", errors="backslashreplace")


# ---------------------------------------------------------------------------


def run_case(cli, case, workdir, keep):
    path = os.path.join(workdir, case.file_stem + ".csv")
    with open(path, "wb") as f:
        f.write(case.data)
    proc = subprocess.run([cli, path] + case.args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    doc = None
    try:
        settings = ref.settings_from_args([path] + ["%s=%s" % kv for kv in zip(case.args[::2], case.args[1::2])])
        doc = ref.run_analysis(settings)
    except ref.UsageError as e:
        refusal, status = str(e), 2
    except ref.Rejected as e:
        refusal, status = str(e), 1
    try:
        if doc is None:
            if proc.returncode != status or proc.stdout:
                raise Mismatch(
                    "the reference refuses the run (%s, status %d) but the batch tool exited %d with %d bytes of output"
                    % (refusal, status, proc.returncode, len(proc.stdout))
                )
            return "rejected"
        if proc.returncode != 0:
            raise Mismatch(
                "the batch tool exited %d: %s" % (proc.returncode, proc.stderr.decode("utf-8", "replace").strip())
            )
        return "identical" if compare_documents(doc, proc.stdout) else "close"
    except Mismatch as e:
        here = os.path.dirname(os.path.abspath(__file__))
        if keep:
            os.makedirs(keep, exist_ok=True)
            shown = os.path.join(keep, case.file_stem + ".csv")
            with open(shown, "wb") as f:
                f.write(case.data)
        elif case.name.startswith("seed "):
            shown = "$(python3 %s %s /tmp/s.csv; echo /tmp/s.csv)" % (os.path.join(here, "gensurvey.py"), case.name[5:])
        else:
            shown = "SURVEY.csv"
        again = "--seed " + case.name[5:] if case.name.startswith("seed ") else "--fixed-only"
        raise Mismatch(
            "%s: %s\n  run the batch tool: %s %s\n  run the reference:  python3 %s %s\n  compare again: python3 %s --cli %s %s --keep DIR"
            % (
                case.name,
                e,
                shlex.quote(cli),
                " ".join([shown] + [shlex.quote(a) for a in case.args]),
                os.path.join(here, "habitual_ref.py"),
                " ".join([shown] + ["%s=%s" % (k, shlex.quote(v)) for k, v in zip(case.args[::2], case.args[1::2])]),
                os.path.join(here, "compare.py"),
                shlex.quote(cli),
                again,
            )
        )


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--cli", required=True, help="path of habitual-cli")
    ap.add_argument("--cases", type=int, default=300)
    ap.add_argument("--first", type=int, default=1, help="first seed")
    ap.add_argument("--seed", type=int, help="run this one seed only")
    ap.add_argument("--fixed-only", action="store_true", help="run the hand-made cases only")
    ap.add_argument("--keep", help="folder to keep the survey of a failing case in")
    ap.add_argument("--all", action="store_true", help="go on after a disagreement and list them all")
    a = ap.parse_args(argv)
    if not os.path.exists(a.cli):
        print("compare: no batch tool at %s" % a.cli, file=sys.stderr)
        return 2
    if a.seed is not None:
        cases = [draw_case(a.seed)]
    elif a.fixed_only:
        cases = list(FIXED_CASES)
    else:
        cases = FIXED_CASES + [draw_case(seed) for seed in range(a.first, a.first + a.cases)]
    counts = {"identical": 0, "close": 0, "rejected": 0}
    failures = 0
    started = time.time()
    with tempfile.TemporaryDirectory(prefix="habitual-compare-") as workdir:
        for case in cases:
            try:
                counts[run_case(a.cli, case, workdir, a.keep)] += 1
            except Mismatch as e:
                failures += 1
                print("MISMATCH %s" % e)
                if not a.all:
                    break
    print(
        "%d cases: %d byte-identical, %d equal within the last printed digit, %d refused by both, %d mismatches (%.1f s)"
        % (sum(counts.values()) + failures, counts["identical"], counts["close"], counts["rejected"], failures,
           time.time() - started)
    )
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
