#!/usr/bin/env python3
"""Independent reference implementation of a Habitual analysis run.

Written from the description of the survey syntax and the statistics alone,
without looking at the C++ engine, so that the two can be compared byte for
byte.  Standard library only.

The main entry point is run_analysis(settings); it returns a Document: the
results lines (CP932 bytes) grouped into segments.  Most segments have one
form only; a segment has several acceptable forms when the best-power search
meets candidates whose R-squares agree to within rounding noise (then the
winner depends on the last bits of the arithmetic), and single lines are
marked "loose" when their numbers depend on an order the method leaves open
(tied sort keys with different values).  document.data() gives the bytes of
the first form, which is what this implementation itself would write.

Run as a program it takes the batch tool's options (habitual_ref.py SURVEY
--nutrient 5 --id 1 ...) and writes the document to standard output (exit
status 1 and no output when the run is refused, 2 on a usage error).
"""

import argparse
import math
import sys

INF = float("inf")
NAN = float("nan")

LINE_LIMIT = 16383
MAX_FIELDS = 1024
MAX_FIELDS_COUNTING = 256
KEY_LIMIT = 255
NUTRIENT_NAME_LIMIT = 127
CLASS_NAME_LIMIT = 63
RESULT_LINE_LIMIT = 511
CUTOFF_TOKEN_LIMIT = 255
MAX_CUTOFFS = 5


class Rejected(Exception):
    """The run is refused as a whole; nothing is written."""


class UsageError(Exception):
    """The command line names a column that the header row does not have."""


# ---------------------------------------------------------------------------
# C library behaviour: Python raises where C returns NaN or an infinity.


def c_div(a, b):
    if b == 0.0:
        if a == 0.0 or math.isnan(a):
            return NAN
        return math.copysign(1.0, a) * math.copysign(1.0, b) * INF
    return a / b


def c_sqrt(x):
    if math.isnan(x):
        return NAN
    if x < 0.0:
        return NAN
    return math.sqrt(x)


def c_log(x):
    if math.isnan(x):
        return NAN
    if x == 0.0:
        return -INF
    if x < 0.0:
        return NAN
    return math.log(x)


def c_exp(x):
    try:
        return math.exp(x)
    except OverflowError:
        return INF


def _is_odd_integer(y):
    return math.isfinite(y) and y == math.floor(y) and math.fmod(y, 2.0) != 0.0


def c_pow(x, y):
    if y == 0.0:
        return 1.0
    if x == 1.0:
        return 1.0
    if math.isnan(x) or math.isnan(y):
        return NAN
    try:
        return math.pow(x, y)
    except ValueError:
        if x == 0.0:  # zero to a negative power: a pole
            if _is_odd_integer(y):
                return math.copysign(INF, x)
            return INF
        return NAN  # negative base, non-integer exponent
    except OverflowError:
        if x < 0.0 and _is_odd_integer(y):
            return -INF
        return INF


# ---------------------------------------------------------------------------
# Decimal conversion (the standard library's, decimal only).

_C_SPACE = b" \t\n\v\f\r"
_DIGITS = b"0123456789"


def strtod(text):
    """Longest decimal-number prefix after leading white space, else 0."""
    b = bytes(text)
    i = 0
    n = len(b)
    while i < n and b[i] in _C_SPACE:
        i += 1
    start = i
    if i < n and b[i] in b"+-":
        i += 1
    int_start = i
    while i < n and b[i] in _DIGITS:
        i += 1
    ndigits = i - int_start
    if i < n and b[i] == 0x2E:  # '.'
        j = i + 1
        while j < n and b[j] in _DIGITS:
            j += 1
        ndigits += j - i - 1
        if ndigits > 0:
            i = j
    if ndigits == 0:
        return 0.0
    end = i
    if i < n and b[i] in b"eE":
        j = i + 1
        if j < n and b[j] in b"+-":
            j += 1
        exp_start = j
        while j < n and b[j] in _DIGITS:
            j += 1
        if j > exp_start:
            end = j
    return float(b[start:end].decode("ascii"))


# ---------------------------------------------------------------------------
# Shift-JIS aware cutting.


def is_lead_byte(c):
    return 0x81 <= c <= 0x9F or 0xE0 <= c <= 0xFC


def cut_text(b, limit):
    """At most `limit` bytes, never ending inside a double-byte character."""
    if len(b) <= limit:
        return b
    i = 0
    while i < limit:
        step = 2 if is_lead_byte(b[i]) else 1
        if i + step > limit:
            break
        i += step
    return b[:i]


# ---------------------------------------------------------------------------
# Survey file rows.


def text_mode_data(raw):
    data = raw.replace(b"\r", b"")
    end = data.find(b"\x1a")
    if end >= 0:
        data = data[:end]
    return data


def physical_lines(data):
    pos = 0
    n = len(data)
    while pos < n:
        chunk = data[pos : pos + LINE_LIMIT]
        lf = chunk.find(b"\n")
        if lf >= 0:
            chunk = chunk[: lf + 1]
        pos += len(chunk)
        nul = chunk.find(b"\x00")
        if nul >= 0:
            chunk = chunk[:nul]
        if chunk.endswith(b"\n"):
            chunk = chunk[:-1]
        yield chunk


def has_content(line):
    for c in line:
        if 0x21 <= c <= 0x7F and c != 0x22 and c != 0x2C:
            return True
    return False


def _skip_spaces(line, pos):
    n = len(line)
    while pos < n and line[pos] == 0x20:
        pos += 1
    return pos


def parse_field(line, pos):
    """One field from pos: (text, next position or None)."""
    n = len(line)
    pos = _skip_spaces(line, pos)
    out = bytearray()
    if pos < n and line[pos] == 0x22:
        pos += 1
        while pos < n:
            c = line[pos]
            if c == 0x22:
                if pos + 1 < n and line[pos + 1] == 0x22:
                    out.append(0x22)
                    pos += 2
                    continue
                break
            out.append(c)
            pos += 1
        if pos < n:  # the closing quote
            pos += 1
    else:
        while pos < n and line[pos] != 0x2C:
            out.append(line[pos])
            pos += 1
    pos = _skip_spaces(line, pos)
    if pos >= n:
        return bytes(out), None
    if line[pos] == 0x2C:
        pos += 1
    pos = _skip_spaces(line, pos)
    return bytes(out), pos


def split_row(line, max_fields):
    fields = []
    pos = 0
    while True:
        text, nxt = parse_field(line, pos)
        fields.append(text.rstrip(b" "))
        if nxt is None or len(fields) >= max_fields:
            return fields
        pos = nxt


def read_rows(raw, max_fields=MAX_FIELDS):
    """Every row of the file (blank lines skipped), as lists of field bytes."""
    rows = []
    for line in physical_lines(text_mode_data(raw)):
        if has_content(line):
            rows.append(split_row(line, max_fields))
    return rows


def count_rows(rows):
    """NRows: number of the last row with more than one field or a non-empty first field."""
    nrows = 0
    for i, row in enumerate(rows):
        if len(row) > 1 or row[0] != b"":
            nrows = i + 1
    return nrows


# ---------------------------------------------------------------------------
# Settings.


class Settings:
    def __init__(self):
        self.file_name = ""
        self.id_columns = [0, -1, -1, -1]
        self.class_columns = [-1, -1, -1]
        self.nutrient_column = 1
        self.normalize_method = 0
        self.power_text = b""
        self.hendo_mode = 0
        self.vw_text = b""
        self.vwb_ratio_text = b""
        self.cutoff_text = b""
        self.out_type = 0


# ---------------------------------------------------------------------------
# Output texts (CP932).


def J(s):
    return s.encode("cp932")


EQUALS_LINE = b"=" * 60
DASH_LINE = b"-" * 48
METHOD_TEXTS = {
    0: J("最良べき乗変換（分散分析は変換後の値）"),
    1: J("対数変換（分散分析は変換後の値）"),
    2: J("無変換"),
    3: J("べき乗変換（べき数指定）"),
}
MSG_VB = J("個人間分散がゼロまたは人数が１人のため、習慣摂取量の分布は推定できません")
MSG_VW = J("個人内分散がゼロまたは調査日数が１日のため、習慣摂取量の分布は推定できません")
NOTICE_VW_GIVEN = J("個人内分散を指定したため、分散分析表は出力しません")
NOTICE_RATIO_GIVEN = J("個人内／個人間分散比を指定したため、分散分析表は出力しません")
PERCENTILE_ROWS = [
    (J("　　　最小値 %16lf %16lf"), 0),
    (J("　　　　1%%点 %16lf %16lf"), 1),
    (J("　　　　5%%点 %16lf %16lf"), 5),
    (J("　　　 10%%点 %16lf %16lf"), 10),
    (J("　　　 25%%点 %16lf %16lf"), 25),
    (J("　　　 50%%点 %16lf %16lf"), 50),
    (J("　　　 75%%点 %16lf %16lf"), 75),
    (J("　　　 90%%点 %16lf %16lf"), 90),
    (J("　　　 95%%点 %16lf %16lf"), 95),
    (J("　　　 99%%点 %16lf %16lf"), 99),
    (J("　　  最大値 %16lf %16lf"), 100),
]
CSV_PERCENTILES = [0, 1, 5, 10, 25, 50, 75, 90, 95, 99, 100]
CSV_HEADINGS = [
    "摂取量", "人数", "データ数", "平均", "標準偏差", "最小値", "1%", "5%", "10%",
    "25%", "50%", "75%", "90%", "95%", "99%", "最大値",
]


def fmt(template, *values):
    """printf into a 512-byte buffer: the line keeps at most 511 bytes."""
    return cut_text(template % values, RESULT_LINE_LIMIT)


# ---------------------------------------------------------------------------
# Per-group statistics.


class Record:
    __slots__ = ("person_key", "row_no", "value", "transformed", "normal_score")

    def __init__(self, person_key, row_no, value):
        self.person_key = person_key
        self.row_no = row_no
        self.value = value
        self.transformed = 0.0
        self.normal_score = 0.0


class Person:
    __slots__ = ("person_key", "row_no", "ndays", "person_mean", "shrunk_mean", "habitual")


def nan_last_key(x):
    return (1, 0.0) if math.isnan(x) else (0, x)


A0, A1, B1, B2 = 2.30753, 0.27061, 0.99229, 0.04481


def normal_quantile(p):
    if p <= 0.5:
        t = c_sqrt(c_log((1.0 / p) / p))
        return -(t - (A0 + A1 * t) / (1.0 + B1 * t + B2 * t * t))
    q = 1.0 - p
    t = c_sqrt(c_log((1.0 / q) / q))
    return t - (A0 + A1 * t) / (1.0 + B1 * t + B2 * t * t)


def shrinkage_factor(vb, vw, ndays):
    if vb <= 0.0:
        return 0.0
    if vw == 0.0:
        return 1.0
    return c_sqrt(c_div(vb, vb + vw / ndays))


def back_transform(form, s, power, vw, log_offset):
    """A shrunk mean back in the units of the survey, with the correction for VW."""
    if form == "identity":
        return s
    if form == "log":
        es = c_exp(s)
        return es + 0.5 * es * vw - log_offset
    if power == 1.0:
        return s
    e = c_div(1.0, power)
    return c_pow(s, e) + 0.5 * e * (e - 1.0) * c_pow(s, e - 2.0) * vw


# Candidate k of the best-power search: k = 0 the log, else exponent 1 / (0.5 k).
FALLBACK = "fallback"
RSQUARE_NOISE = 1e-12


class Group:
    """The analysis context for one group."""

    def __init__(self, records, settings):
        self.records = records
        self.settings = settings
        self.method = settings.normalize_method
        self.power = 0.0
        self.rsquare = 0.0
        self.log_offset = 0.0
        self.vw_spec = abs(strtod(settings.vw_text))
        self.vwb_ratio_spec = abs(strtod(settings.vwb_ratio_text))
        self.plausible = None  # candidates the best-power search could have chosen
        self.daily_order_loose = False

    # -- transformation ----------------------------------------------------

    def set_log_offset(self):
        nonzero = [r.value for r in self.records if r.value != 0.0]
        if len(nonzero) == len(self.records):
            self.log_offset = 0.0
        elif not nonzero:
            self.log_offset = 0.0
        else:
            self.log_offset = min(nonzero) * 0.5

    def apply_log(self):
        for r in self.records:
            r.transformed = c_log(r.value + self.log_offset)

    def apply_power(self, power):
        for r in self.records:
            r.transformed = c_pow(r.value, power)

    def normal_plot_rsquare(self):
        n = len(self.records)
        st = 0.0
        sz = 0.0
        for r in self.records:
            st += r.transformed
            sz += r.normal_score
        tbar = st / n
        zbar = sz / n
        # Values that are all equal have no R-square (a rounding error in
        # their mean would make one up): never chosen.
        first = self.records[0].transformed
        if all(r.transformed == first for r in self.records):
            return float("nan")
        stt = szz = stz = 0.0
        for r in self.records:
            dt = r.transformed - tbar
            dz = r.normal_score - zbar
            stt += dt * dt
            szz += dz * dz
            stz += dt * dz
        return c_div(stz * stz, stt * szz)

    def find_best_power(self, forced=None):
        for r in self.records:
            r.transformed = r.value
        self.records.sort(key=lambda r: r.value)
        n = len(self.records)
        for i, r in enumerate(self.records, start=1):
            r.normal_score = normal_quantile((i - 0.375) / (n + 0.25))
        self.rsquare = 0.0
        chosen = None
        rs = []
        for k in range(21):
            b = 0.5 * k
            if k == 0:
                self.set_log_offset()
                self.apply_log()
            else:
                self.apply_power(1.0 / b)
            r = self.normal_plot_rsquare()
            rs.append(r)
            if r > self.rsquare:
                self.rsquare = r
                chosen = k
        best = self.rsquare
        plausible = [chosen if chosen is not None else FALLBACK]
        for k, r in enumerate(rs):
            if k == chosen or math.isnan(r):
                continue
            if best <= RSQUARE_NOISE or r >= best - RSQUARE_NOISE:
                plausible.append(k)
        if chosen is not None and best <= RSQUARE_NOISE:
            plausible.append(FALLBACK)
        self.plausible = plausible
        if forced is not None:
            chosen = None if forced == FALLBACK else forced
            self.rsquare = 0.0 if chosen is None else rs[chosen]
        if chosen is None:
            self.power = 1.0
            self.rsquare = 0.0
        elif chosen == 0:
            self.power = 0.0
        else:
            self.power = 1.0 / (0.5 * chosen)
        return self.power

    def specified_power(self):
        return abs(strtod(self.settings.power_text))

    def transform(self, forced=None):
        m = self.method
        if m == 0:
            self.find_best_power(forced)
            if self.power != 0.0:
                self.apply_power(self.power)
            else:
                self.set_log_offset()
                self.apply_log()
        elif m == 1:
            self.set_log_offset()
            self.apply_log()
        elif m == 2:
            for r in self.records:
                r.transformed = r.value
        else:
            p = self.specified_power()
            if p == 0.0:
                self.set_log_offset()
                self.apply_log()
            else:
                self.apply_power(p)

    def log_applied(self):
        m = self.method
        if m == 0:
            return self.power == 0.0
        if m == 1:
            return True
        if m == 2:
            return False
        return self.power == 0.0

    # -- variance components -----------------------------------------------

    def anova(self):
        self.records.sort(key=lambda r: r.person_key)
        persons = []
        g = q = b = 0.0
        nmulti = 0
        sum_days = 0
        min_days = 99999
        max_days = 0
        i = 0
        recs = self.records
        while i < len(recs):
            j = i
            s = 0.0
            while j < len(recs) and recs[j].person_key == recs[i].person_key:
                x = recs[j].transformed
                s += x
                g += x
                q += x * x
                j += 1
            np_ = j - i
            p = Person()
            p.person_key = recs[i].person_key
            p.row_no = recs[i].row_no
            p.ndays = np_
            p.person_mean = s / np_
            persons.append(p)
            b += s * s / np_
            if np_ >= 2:
                nmulti += 1
                sum_days += np_
                min_days = min(min_days, np_)
                max_days = max(max_days, np_)
            i = j
        self.persons = persons
        P = len(persons)
        N = len(recs)
        self.n = N
        self.nperson = P
        self.nmulti = nmulti
        if nmulti == 0:
            self.min_days = self.max_days = 1
            self.mean_days = 1.0
        else:
            self.min_days = min_days
            self.max_days = max_days
            self.mean_days = sum_days / nmulti
        cf = g * g / N
        self.ss_total = q - cf
        self.ss_model = b - cf
        self.ss_error = self.ss_total - self.ss_model
        # All values equal, or equal within every person: the true sums of
        # squares are exactly 0, not the rounding residue of q - cf.
        if all(r.transformed == recs[0].transformed for r in recs):
            self.ss_total = self.ss_model = 0.0
        if all(recs[k].transformed == recs[k - 1].transformed
               for k in range(1, N) if recs[k].person_key == recs[k - 1].person_key):
            self.ss_model = self.ss_total
            self.ss_error = 0.0
        self.df_model = P - 1
        self.df_error = N - P
        self.df_total = N - 1
        self.mean = g / N
        self.var = self.ss_total / (N - 1)
        self.sd = 0.0 if self.var < 0.0 else c_sqrt(self.var)
        if self.df_error == 0:
            self.vw = 0.0
            self.vb = self.var
        else:
            self.vw = self.ss_error / self.df_error
            if P == 1:
                self.vb = 0.0
            else:
                self.vb = (self.ss_model - self.df_model * self.vw) / (N - self.max_days)
                if self.vb < 0.0:
                    self.vb = 0.0
        self.sdw = 0.0 if self.vw < 0.0 else c_sqrt(self.vw)
        self.sdb = 0.0 if self.vb < 0.0 else c_sqrt(self.vb)
        if self.method not in (0, 1, 2) and self.settings.hendo_mode != 0:
            if self.settings.hendo_mode == 1:
                self.vw = self.vw_spec
            else:
                r = self.vwb_ratio_spec
                self.vw = c_div(self.var * r, r + 1.0)
            self.vb = self.var - self.vw
            self.sdw = 0.0 if self.vw < 0.0 else c_sqrt(self.vw)
            self.sdb = c_sqrt(self.vb) if self.vb >= 0.0 else 0.0

    # -- habitual intake -----------------------------------------------------

    def estimate_habitual(self):
        vb, vw = self.vb, self.vw
        for p in self.persons:
            k = shrinkage_factor(vb, vw, p.ndays)
            p.shrunk_mean = (1.0 - k) * self.mean + k * p.person_mean
        m = self.method
        if m == 0:
            form = "log" if self.power == 0.0 else "power"
        elif m == 1:
            form = "log"
        elif m == 2:
            form = "identity"
        else:
            self.power = self.specified_power()
            form = "log" if self.power == 0.0 else "power"
        for p in self.persons:
            p.habitual = back_transform(form, p.shrunk_mean, self.power, vw, self.log_offset)

    # -- distribution summaries --------------------------------------------

    @staticmethod
    def percentiles(xs):
        n = len(xs)
        out = []
        for p in range(101):
            a = float((n + 1) * p) * 0.01
            k = math.floor(a)
            f = a - k
            if k == 0:
                out.append(xs[0])
            elif k >= n:
                out.append(xs[n - 1])
            else:
                out.append((1.0 - f) * xs[k - 1] + f * xs[k])
        return out

    def compute_percentiles(self):
        self.records.sort(key=lambda r: nan_last_key(r.transformed))
        self.persons.sort(key=lambda p: nan_last_key(p.shrunk_mean))
        # Records whose keys tie (or are both not a number) but whose values
        # differ may stand in either order: the percentiles then depend on it.
        recs = self.records
        for a, b in zip(recs, recs[1:]):
            ta, tb = a.transformed, b.transformed
            tie = (math.isnan(ta) and math.isnan(tb)) or ta == tb
            if tie and (a.value != b.value or math.copysign(1, a.value) != math.copysign(1, b.value)):
                self.daily_order_loose = True
        self.daily = [r.value for r in recs]
        self.habit = [p.habitual for p in self.persons]
        self.pct_daily = self.percentiles(self.daily)
        self.pct_habit = self.percentiles(self.habit)

    @staticmethod
    def mean_of(xs):
        s = 0.0
        for x in xs:
            s += x
        return s / len(xs)

    @staticmethod
    def sd_of(xs):
        m = Group.mean_of(xs)
        s = 0.0
        for x in xs:
            d = x - m
            s += d * d
        return c_sqrt(c_div(s, len(xs) - 1))

    @staticmethod
    def share_below(xs, limit):
        return sum(1 for x in xs if x < limit) / len(xs)

    def analyse(self, forced=None):
        self.transform(forced)
        self.anova()
        self.estimate_habitual()
        self.compute_percentiles()


# ---------------------------------------------------------------------------
# Cut-offs and the three report forms.


def parse_cutoffs(text):
    out = []
    for token in bytes(text).split()[:MAX_CUTOFFS]:
        token = token[:CUTOFF_TOKEN_LIMIT]
        out.append((strtod(token), token.endswith(b"-")))
    return out


class Lines:
    """Report lines with a loose flag each."""

    def __init__(self):
        self.items = []

    def add(self, line, loose=False):
        self.items.append((line, loose))


def mean_square(ss, df):
    return ss / df if df != 0 else 0.0


def habitual_message(g):
    """Why the habitual distribution is not shown, or None.  A variance that
    is not a number counts as not positive."""
    if not g.vb > 0.0:
        return MSG_VB
    if not g.vw > 0.0:
        return MSG_VW
    return None


def write_standard_report(g, out):
    m = g.method if g.method in (0, 1, 2) else 3
    out.add(fmt(J("正規化方法＝%s"), METHOD_TEXTS[m]))
    if m == 0:
        if g.power == 0.0:
            out.add(fmt(J("最良べき数＝0(log変換) (R-square=%lf)"), g.rsquare))
        else:
            out.add(fmt(J("最良べき数＝%lf (R-square=%lf)"), g.power, g.rsquare))
    elif m == 3:
        if g.power == 0.0:
            out.add(J("指定べき数＝0(log変換)"))
        else:
            out.add(fmt(J("指定べき数＝%lf"), g.power))
    if g.log_applied() and g.log_offset != 0.0:
        out.add(fmt(J("※データに0が含まれるため非0の最小値/2=%lfを加えてから対数変換しました."), g.log_offset))
        out.add(b"")
    out.add(DASH_LINE)
    out.add(fmt(J("データ数 %15d"), g.n))
    out.add(fmt(J("平均　　%16lf"), g.mean))
    out.add(fmt(J("分散　　%16lf"), g.var))
    out.add(fmt(J("標準偏差%16lf"), g.sd))
    out.add(DASH_LINE)
    out.add(fmt(J("人数     %d"), g.nperson))
    out.add(fmt(J("うち複数日調査の人数    %d"), g.nmulti))
    out.add(fmt(J("複数日調査の平均日数（範囲） %lg (%d - %d)"), g.mean_days, g.min_days, g.max_days))
    out.add(DASH_LINE)
    if m == 3 and g.settings.hendo_mode != 0:
        out.add(NOTICE_VW_GIVEN if g.settings.hendo_mode == 1 else NOTICE_RATIO_GIVEN)
    else:
        out.add(J("分散分析表"))
        out.add(J("変動因　　自由度   　　　　  平方和 　　　   平均平方"))
        out.add(fmt(J("モデル  %8d   %16lf  %16lf"), g.df_model, g.ss_model, mean_square(g.ss_model, g.df_model)))
        out.add(fmt(J("誤差    %8d   %16lf  %16lf"), g.df_error, g.ss_error, mean_square(g.ss_error, g.df_error)))
        out.add(fmt(J("全体    %8d   %16lf  %16lf"), g.df_total, g.ss_total, mean_square(g.ss_total, g.df_total)))
    out.add(DASH_LINE)
    out.add(fmt(J("個人内分散（標準偏差） %16lf (%16lf)"), g.vw, g.sdw))
    out.add(fmt(J("個人間分散（標準偏差） %16lf (%16lf)"), g.vb, g.sdb))
    if habitual_message(g):
        out.add(habitual_message(g))
    else:
        out.add(fmt(J("個人内／個人間分散比（標準偏差比） %8lf (%8lf)"), c_div(g.vw, g.vb), c_div(g.sdw, g.sdb)))
        out.add(DASH_LINE)
        out.add(J("　　　統計量　　　 １日摂取量　　　 習慣摂取量"))
        for template, k in PERCENTILE_ROWS:
            out.add(fmt(template, g.pct_daily[k], g.pct_habit[k]), loose=g.daily_order_loose)
        out.add(fmt(J("　　　　平均 %16lf %16lf"), Group.mean_of(g.daily), Group.mean_of(g.habit)))
        out.add(fmt(J("　　標準偏差 %16lf %16lf"), Group.sd_of(g.daily), Group.sd_of(g.habit)))
        for limit, below in parse_cutoffs(g.settings.cutoff_text):
            d = Group.share_below(g.daily, limit)
            h = Group.share_below(g.habit, limit)
            if below:
                out.add(fmt(J("%7lg未満%% %15lf%% %15lf%%"), limit, 100.0 * d, 100.0 * h))
            else:
                out.add(fmt(J("%7lg以上%% %15lf%% %15lf%%"), limit, 100.0 * (1.0 - d), 100.0 * (1.0 - h)))
    out.add(b"")


def _cutoff_share_columns(xs, cutoffs):
    cols = b""
    for limit, below in cutoffs:
        d = Group.share_below(xs, limit)
        cols += cut_text(b',"%lg%%"' % (100.0 * d if below else 100.0 * (1.0 - d)), RESULT_LINE_LIMIT)
    return cols


def write_csv_summary(g, out):
    cutoffs = parse_cutoffs(g.settings.cutoff_text)
    header = b",".join(b'"' + J(h) + b'"' for h in CSV_HEADINGS)
    for limit, below in cutoffs:
        header += cut_text(b',"%lg' % limit + J("未満%" if below else "以上%") + b'"', RESULT_LINE_LIMIT)
    out.add(cut_text(header, RESULT_LINE_LIMIT))

    def row(label, count, xs, pct):
        line = b'"' + J(label) + b'",%d,%d' % (g.nperson, count)
        line += b",%lg,%lg" % (Group.mean_of(xs), Group.sd_of(xs))
        for k in CSV_PERCENTILES:
            line += b",%lg" % pct[k]
        line = cut_text(line, RESULT_LINE_LIMIT)
        return cut_text(line + _cutoff_share_columns(xs, cutoffs), RESULT_LINE_LIMIT)

    out.add(row("１日", g.n, g.daily, g.pct_daily), loose=g.daily_order_loose)
    if habitual_message(g):
        out.add(habitual_message(g))
    else:
        out.add(row("習慣", g.nperson, g.habit, g.pct_habit))


def write_csv_data(g, out):
    if habitual_message(g):
        out.add(habitual_message(g))
    else:
        out.add(b'"' + J("習慣摂取量") + b'"')
        for x in g.habit:
            out.add(b"%lg" % x)


def analyse_group(rows, settings, forced=None):
    """The report lines of one group (rows: (person key, row number, value))."""
    g = Group([Record(*r) for r in rows], settings)
    g.analyse(forced)
    out = Lines()
    if settings.out_type == 0:
        write_standard_report(g, out)
    elif settings.out_type == 1:
        write_csv_summary(g, out)
    elif settings.out_type == 2:
        write_csv_data(g, out)
    return g, out.items


# ---------------------------------------------------------------------------
# The run.


class Document:
    """Segments of lines; each segment is a list of acceptable forms."""

    def __init__(self):
        self.segments = []

    def add_fixed(self, lines):
        self.segments.append([[(line, False) for line in lines]])

    def add_forms(self, forms):
        self.segments.append(forms)

    def lines(self):
        return [line for seg in self.segments for line, _ in seg[0]]

    def data(self):
        return b"".join(line + b"\r\n" for line in self.lines())


def key_part(key, n):
    parts = key.split(b"\x01")
    return parts[n - 1] if n - 1 < len(parts) else b""


def _field(row, col):
    return row[col] if 0 <= col < len(row) else b""


def _key(row, columns):
    texts = []
    for col in columns:
        text = _field(row, col) if col >= 0 else b""
        if b"\x01" in text:
            raise Rejected("key text holds byte 0x01")
        texts.append(text)
    key = b"\x01".join(texts)
    if len(key) > KEY_LIMIT:
        raise Rejected("key longer than 255 bytes")
    return key


def run_analysis(settings, raw=None):
    if raw is None:
        try:
            with open(settings.file_name, "rb") as f:
                raw = f.read()
        except OSError:
            raise Rejected("cannot open the survey file")
    rows = read_rows(raw)
    nrows = count_rows(rows)
    if nrows == 0:
        raise Rejected("the survey file has no row")
    header = rows[0]
    nutrient_name = cut_text(_field(header, settings.nutrient_column), NUTRIENT_NAME_LIMIT)
    class_names = [
        cut_text(_field(header, c), CLASS_NAME_LIMIT) if c >= 0 else b"" for c in settings.class_columns
    ]
    records = []
    for i, row in enumerate(rows[1:nrows]):
        records.append(
            (
                _key(row, settings.class_columns),
                _key(row, settings.id_columns),
                i + 1,
                strtod(_field(row, settings.nutrient_column)),
            )
        )
    records.sort(key=lambda r: r[0])
    doc = Document()
    i = 0
    while i < len(records):
        j = i
        while j < len(records) and records[j][0] == records[i][0]:
            j += 1
        class_key = records[i][0]
        heading = [EQUALS_LINE, fmt(J("分析変数：[%s]"), nutrient_name)]
        if any(c >= 0 for c in settings.class_columns):
            line = J("分類変数：")
            for k in range(3):
                if class_names[k]:
                    piece = cut_text(b"[%s=%s]" % (class_names[k], key_part(class_key, k + 1)), RESULT_LINE_LIMIT)
                    line = cut_text(line + piece, RESULT_LINE_LIMIT)
            heading.append(line)
        doc.add_fixed(heading)
        group_rows = [r[1:] for r in records[i:j]]
        if len(group_rows) > 1:
            g, items = analyse_group(group_rows, settings)
            forms = [items]
            if settings.normalize_method == 0 and len(g.plausible) > 1:
                for alt in g.plausible[1:]:
                    forms.append(analyse_group(group_rows, settings, forced=alt)[1])
            doc.add_forms(forms)
        i = j
    return doc


# ---------------------------------------------------------------------------
# Command line (mirrors the batch tool).


METHOD_NAMES = ["best", "log", "none", "power"]
OUTPUT_NAMES = ["standard", "summary", "data"]


def settings_from_args(argv):
    """The batch tool's options; columns by number from 1 or by header text."""
    ap = argparse.ArgumentParser(description="Reference computation of a Habitual run.")
    ap.add_argument("survey")
    ap.add_argument("--id", action="append", default=[])
    ap.add_argument("--class", dest="classes", action="append", default=[])
    ap.add_argument("--nutrient", required=True)
    ap.add_argument("--method", choices=METHOD_NAMES, default="best")
    ap.add_argument("--power", default="")
    hendo = ap.add_mutually_exclusive_group()
    hendo.add_argument("--within-variance", dest="vw")
    hendo.add_argument("--variance-ratio", dest="ratio")
    ap.add_argument("--cutoffs", default="")
    ap.add_argument("--output", choices=OUTPUT_NAMES, default="standard")
    a = ap.parse_args(argv)
    try:
        with open(a.survey, "rb") as f:
            rows = read_rows(f.read())
    except OSError:
        raise Rejected("the survey file cannot be read")
    if count_rows(rows) == 0:
        raise Rejected("the survey file has no row at all")
    header = rows[0]

    def column(ref):
        if ref.isdigit():
            number = int(ref)
            if 1 <= number <= len(header):
                return number - 1
        elif J(ref) in header:
            return header.index(J(ref))
        raise UsageError("no column %s in the header row" % ref)

    s = Settings()
    s.file_name = a.survey
    s.id_columns = ([column(r) for r in a.id] + [-1] * 4)[:4]
    s.class_columns = ([column(r) for r in a.classes] + [-1] * 3)[:3]
    s.nutrient_column = column(a.nutrient)
    s.normalize_method = METHOD_NAMES.index(a.method)
    s.power_text = J(a.power)
    if a.vw is not None:
        s.hendo_mode, s.vw_text = 1, J(a.vw)
    elif a.ratio is not None:
        s.hendo_mode, s.vwb_ratio_text = 2, J(a.ratio)
    s.cutoff_text = J(a.cutoffs)
    s.out_type = OUTPUT_NAMES.index(a.output)
    return s


def main(argv=None):
    try:
        s = settings_from_args(sys.argv[1:] if argv is None else argv)
    except UsageError as e:
        sys.stderr.write("usage error: %s\n" % e)
        return 2
    except Rejected as e:
        sys.stderr.write("rejected: %s\n" % e)
        return 1
    try:
        doc = run_analysis(s)
    except Rejected as e:
        sys.stderr.write("rejected: %s\n" % e)
        return 1
    sys.stdout.buffer.write(doc.data())
    return 0


if __name__ == "__main__":
    sys.exit(main())
