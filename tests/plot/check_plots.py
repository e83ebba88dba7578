#!/usr/bin/env python3
"""The batch tool's plots read back and compared with its own report.

For the bundled sample survey (every method, cut-offs, both axis scales) and
for generated surveys (the reference comparison's settings, with the standard
report), run habitual-cli with --plots, then:

- read index.html and every SVG file with an XML parser; every analysed
  group of the report has one index entry with its heading lines and its
  three figures, each an SVG file (and a PNG file when the build writes
  them) under 300 KB;
- map the percentile curves ("daily-cdf", "habit-cdf") back from canvas to
  data through the mapping each panel carries, and compare the eleven
  percentiles the report prints with the drawn points, to within the
  rounding of the coordinates;
- check that the cut-off lines stand at the report's cut-offs, that the
  histogram bars add up to 100 %, that the habitual parts are there exactly
  where the report shows the habitual distribution, and that the normal
  plot's R-square is the report's under the best power.

Exit status 0 when every check holds, 1 at the first that fails (with the
command that reproduces it), 2 on a usage error.
"""

import argparse
import math
import os
import random
import re
import shlex
import subprocess
import sys
import tempfile
import urllib.parse
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "reference"))

import compare  # noqa: E402

SVG = "{http://www.w3.org/2000/svg}"
PERCENTILES = [0, 1, 5, 10, 25, 50, 75, 90, 95, 99, 100]
LIMIT = 300 * 1024
SAMPLE = os.path.join(HERE, "..", "..", "examples", "sample-survey.csv")
SAMPLE_COLUMNS = ["--id", "1", "--id", "2", "--id", "3", "--class", "4", "--class", "5"]


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# ---------------------------------------------------------------- the report


def parse_report(text):
    """The analysed groups of a standard report: heading lines, percentile
    pairs (None for the habitual side when it is not shown), cut-offs, and
    the best power's R-square."""
    groups = []
    current = None
    for line in text.split("\n"):
        line = line.rstrip("\r")
        if line.startswith("====="):
            current = {"heading": [], "pct": [], "cutoffs": [], "r2": None, "analysed": False}
            groups.append(current)
            continue
        if current is None:
            continue
        if line.startswith("分析変数：") or line.startswith("分類変数："):
            current["heading"].append(line)
        elif line.startswith("正規化方法＝"):
            current["analysed"] = True
        elif line.startswith("最良べき数＝"):
            m = re.search(r"R-square=(\S+)\)", line)
            current["r2"] = float(m.group(1))
        elif "点 " in line or "最小値 " in line or "最大値 " in line:
            nums = line.split()[-2:]
            current["pct"].append((float(nums[0]), float(nums[1])))
        elif re.match(r"^\s*\S+(未満|以上)%", line):
            m = re.match(r"^\s*(\S+?)(未満|以上)%\s+(\S+)%\s+(\S+)%", line)
            current["cutoffs"].append((float(m.group(1)), float(m.group(3)), float(m.group(4))))
    return [g for g in groups if g["analysed"]]


# ---------------------------------------------------------------- the files


def parse_index(path):
    root = ET.parse(path).getroot()
    groups = []
    for section in root.iter("section"):
        heading = ["".join(span.itertext()) for span in section.iter("span")]
        files = [urllib.parse.unquote(a.get("href")) for a in section.iter("a")]
        groups.append((heading, files))
    return groups


NUMBER = r"-?\d+(?:\.\d+)?"


def path_points(d):
    """The points of a path of M and L commands, parts split at each M."""
    parts = []
    for cmd, x, y in re.findall(r"([ML])(%s) (%s)" % (NUMBER, NUMBER), d):
        if cmd == "M":
            parts.append([])
        parts[-1].append((float(x), float(y)))
    return parts


class Axis:
    def __init__(self, g, name):
        self.log = g.get("data-%s-scale" % name) == "log"
        self.lo = float(g.get("data-%s-min" % name))
        self.hi = float(g.get("data-%s-max" % name))
        if name == "x":
            self.a, self.b = float(g.get("data-x-left")), float(g.get("data-x-right"))
        else:
            self.a, self.b = float(g.get("data-y-bottom")), float(g.get("data-y-top"))

    def t(self, v):
        return math.log10(v) if self.log else v

    def value(self, px):
        u = self.t(self.lo) + (px - self.a) / (self.b - self.a) * (self.t(self.hi) - self.t(self.lo))
        return 10 ** u if self.log else u

    def tolerance(self, v):
        """How far a value may lie from v after its coordinate was rounded to
        two decimals."""
        per_px = (self.t(self.hi) - self.t(self.lo)) / abs(self.b - self.a) * 0.0051
        if self.log:
            return abs(v) * (10 ** per_px - 1) + 1e-12
        return per_px


def read_svg(path):
    check(os.path.getsize(path) < LIMIT, "%s: %d bytes, the limit is %d" % (path, os.path.getsize(path), LIMIT))
    root = ET.parse(path).getroot()
    check(root.tag == SVG + "svg", "%s: not an SVG document" % path)
    panels, elements = {}, {}
    for g in root.iter(SVG + "g"):
        gid = g.get("id", "")
        if gid.startswith("panel-"):
            panels[gid[6:]] = (Axis(g, "x"), Axis(g, "y"))
        for e in g:
            if e.get("id"):
                elements[e.get("id")] = (gid, e)
    return panels, elements


def panel_of(panels, elements, eid):
    gid, e = elements[eid]
    return panels[gid[: -len("-data")]], e


# ---------------------------------------------------------------- the checks


def check_cumulative(path, group, log):
    panels, elements = read_svg(path)
    if log and "daily-cdf" not in elements:
        return
    check("daily-cdf" in elements, "%s: no daily-cdf" % path)
    # The report prints the percentiles only where it shows the habitual side.
    check(("habit-cdf" in elements) == bool(group["pct"]),
          "%s: habitual curve %s, report shows the habitual side %s" % (path, "habit-cdf" in elements, bool(group["pct"])))
    for side, column in (("daily", 0), ("habit", 1)):
        if not group["pct"]:
            break
        (x, y), e = panel_of(panels, elements, "%s-cdf" % side)
        drawn = {}
        for part in path_points(e.get("d")):
            for px, py in part:
                drawn[round(y.value(py))] = x.value(px)
        for p, pair in zip(PERCENTILES, group["pct"]):
            v = pair[column]
            if log and v == 0:
                continue  # printed as 0, maybe a tiny positive value: drawn or not
            if not math.isfinite(v) or (log and v < 0):
                check(p not in drawn, "%s: %s percentile %d drawn though the axis has no place for %r" % (path, side, p, v))
                continue
            check(p in drawn, "%s: %s percentile %d (%r) not drawn" % (path, side, p, v))
            tol = x.tolerance(v) + 5e-7 + 1e-9 * abs(v)
            check(abs(drawn[p] - v) <= tol,
                  "%s: %s percentile %d drawn at %.9g, the report says %.6f (tolerance %.3g)" % (path, side, p, drawn[p], v, tol))
    check_cutoffs(path, panels, elements, group, log)


def check_cutoffs(path, panels, elements, group, log):
    for k, (limit, _, _) in enumerate(group["cutoffs"], 1):
        eid = "cutoff-%d" % k
        if eid not in elements:
            continue  # outside the range shown, or not on a log axis; the figure says so
        (x, _), e = panel_of(panels, elements, eid)
        px = path_points(e.get("d"))[0][0][0]
        v = x.value(px)
        check(abs(v - limit) <= x.tolerance(limit) + 1e-5 * abs(limit) + 1e-9,
              "%s: cut-off %d drawn at %.9g, the report says %g" % (path, k, v, limit))


def check_histogram(path, group, log):
    panels, elements = read_svg(path)
    # Only a log axis can leave nothing to draw (every value 0 or less).
    if log and "daily-histogram" not in elements:
        return
    check("daily-histogram" in elements, "%s: no daily-histogram" % path)
    check(("habit-histogram" in elements) == bool(group["pct"]),
          "%s: habitual histogram %s, report %s" % (path, "habit-histogram" in elements, bool(group["pct"])))
    (x, y), e = panel_of(panels, elements, "daily-histogram")
    bars = path_points(e.get("d"))
    total = sum(y.value(part[1][1]) for part in bars)
    daily = [p[0] for p in group["pct"]] if group["pct"] else None
    # All one-day values numbers (and positive on a log axis): the bars make 100 %.
    if daily and all(math.isfinite(v) and (not log or v > 0) for v in daily):
        check(abs(total - 100) <= 0.02 * len(bars) + 1e-6,
              "%s: the bars add up to %.4f %%" % (path, total))
    check_cutoffs(path, panels, elements, group, log)


def check_normal(path, group, best):
    panels, elements = read_svg(path)
    check(("candidates" in panels) == best, "%s: candidate panel %s, best power %s" % (path, "candidates" in panels, best))
    if "normal-points" in elements:
        _, e = elements["normal-points"]
        count = e.get("d").count("M")
        check(count <= 3000, "%s: %d points drawn" % (path, count))
    if best and group["r2"] is not None and "normal-r2" in elements:
        _, e = elements["normal-r2"]
        m = re.search(r"= (\S+)", "".join(e.itertext()))
        # No R-square at all: the report, having no candidate, prints 0.
        check(abs((float(m.group(1)) if m else 0.0) - group["r2"]) <= 2e-6,
              "%s: R-square %s, the report says %.6f" % (path, m and m.group(1), group["r2"]))


# The program that runs the tool, if any (a cross-built tool runs under wine).
EMULATOR = []


def run(cli, survey, args, workdir, log, tag):
    out = os.path.join(workdir, tag)
    cmd = EMULATOR + [cli, survey] + args + ["--output", "standard", "--encoding", "utf-8", "--plots", out]
    if log:
        cmd.append("--log-axis")
    proc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    where = "  run: " + " ".join(shlex.quote(c) for c in cmd)
    if proc.returncode != 0:
        return 0  # a refused run; the reference comparison checks those
    try:
        report = parse_report(proc.stdout.decode("utf-8"))
        index = parse_index(os.path.join(out, "index.html"))
        check(len(index) == len(report), "index.html lists %d groups, the report has %d" % (len(index), len(report)))
        best = "--method" not in args or args[args.index("--method") + 1] == "best"
        for group, (heading, files) in zip(report, index):
            check(heading == group["heading"], "index heading %r, report %r" % (heading, group["heading"]))
            svgs = [f for f in files if f.endswith(".svg")]
            check(len(svgs) == 3, "%r: %d SVG files" % (heading, len(svgs)))
            for f in files:
                check(os.path.isfile(os.path.join(out, f)), "%s listed but not written" % f)
            for f in svgs:
                full = os.path.join(out, f)
                if f.endswith("_cumulative.svg"):
                    check_cumulative(full, group, log)
                elif f.endswith("_histogram.svg"):
                    check_histogram(full, group, log)
                elif f.endswith("_normal.svg"):
                    check_normal(full, group, best)
                else:
                    raise Failure("unexpected file %s" % f)
        return len(report)
    except (Failure, ET.ParseError, KeyError, ValueError, IndexError) as e:
        raise Failure("%s: %s\n%s" % (tag, e, where))


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--cli", required=True)
    ap.add_argument("--cases", type=int, default=40, help="generated surveys")
    ap.add_argument("--emulator", default="", help="what runs the tool (wine for a cross build)")
    a = ap.parse_args(argv)
    EMULATOR[:] = [a.emulator] if a.emulator else []
    if not os.path.exists(a.cli):
        print("check_plots: no batch tool at %s" % a.cli, file=sys.stderr)
        return 2
    groups = runs = 0
    with tempfile.TemporaryDirectory(prefix="habitual-plots-") as workdir:
        try:
            for method in ("best", "log", "none", "power"):
                for log in (False, True):
                    args = SAMPLE_COLUMNS + ["--nutrient", "6", "--method", method, "--cutoffs", "1800 2500- 9000"]
                    if method == "power":
                        args += ["--power", "0.5"]
                    groups += run(a.cli, SAMPLE, args, workdir, log, "sample-%s-%s" % (method, "log" if log else "linear"))
                    runs += 1
            rng = random.Random(5)
            for seed in range(1, a.cases + 1):
                case = compare.draw_case(seed)
                survey = os.path.join(workdir, "survey-%d.csv" % seed)
                with open(survey, "wb") as f:
                    f.write(case.data)
                args = list(case.args)
                i = args.index("--output")
                del args[i : i + 2]
                groups += run(a.cli, survey, args, workdir, rng.random() < 0.4, "seed-%d" % seed)
                runs += 1
        except Failure as e:
            print("FAILED %s" % e)
            return 1
    print("%d runs, %d groups: every figure agrees with its report" % (runs, groups))
    return 0


if __name__ == "__main__":
    sys.exit(main())
