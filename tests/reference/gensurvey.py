#!/usr/bin/env python3
"""Random small survey files for the reference comparison.

generate(seed) returns the file's bytes (Shift-JIS) and a description of its
columns.  The files deliberately use the awkward corners of the survey syntax:
blank and comma-only lines, quoted fields with doubled quotes and commas,
CR LF and LF, short rows, extra spaces, texts that only begin with a number,
empty fields, zeros and now and then negative values, Shift-JIS texts in the
header and the keys, persons scattered over the file with one to four days,
single-record and one-person groups.

Run as a program: gensurvey.py SEED [OUTPUT] writes one survey.
"""

import random
import sys

ID_NAMES = ["ID", "世帯番号", "個人番号", "調査日", "No", "世帯員"]
CLASS_NAMES = ["性別", "年齢階級", "地区名", "季節", "", "区分,A", "性別\"コード\""]
NUTRIENT_NAMES = ["エネルギー", "たんぱく質", "カルシウム(mg)", "Fe", "食塩相当量"]
FILLER_NAMES = ["メモ", "備考", "x"]

CLASS_VALUES = [
    ["1", "2"],
    ["男", "女"],
    ["20", "30", "2", "10", ""],
    ["北区", "南区", "東", "西,区", "地区名"],
    ["A", "B", "a b", "\"q\""],
]
FILLER_VALUES = ["", "あ", "ソ", "表", "abc", "x,y", "\"quoted\"", "メモ：朝食抜き", "\t"]
BLANK_LINES = ["", "   ", ",,,", ",", "\"\",\"\"", "\"\"", "あ,い", "ぁ", " , ,"]


def enc(text):
    return text.encode("cp932")


class Survey:
    def __init__(self):
        self.columns = []  # (role, name) in file order
        self.data = b""

    def positions(self, role):
        return [i for i, (r, _) in enumerate(self.columns) if r == role]

    @property
    def ncols(self):
        return len(self.columns)


def _value_text(rng, base, negative_file):
    r = rng.random()
    if r < 0.06:
        return "0"
    if r < 0.08:
        return rng.choice(["12.5abc", "abc", "", " 7 ", "\"1,234\"", "1e1", "+3", ".5", "5.", "1e", "-", "0x10", "2E-1"])
    if r < 0.081:
        return rng.choice(["1e999", "1e400", "-1e999", "1e-400"])
    x = base * rng.uniform(0.5, 1.6)
    if negative_file and rng.random() < 0.08:
        x = -x
    digits = rng.choice([0, 0, 1, 1, 2, 3])
    text = "%.*f" % (digits, x)
    if text in ("-0", "-0.0", "-0.00", "-0.000"):
        text = "0"
    return text


def _field(rng, text):
    """How one field is written: plain, quoted, padded."""
    needs_quotes = "," in text or text.startswith('"')
    if needs_quotes or rng.random() < 0.12:
        text = '"' + text.replace('"', '""') + '"'
    if rng.random() < 0.08:
        text = " " * rng.randint(1, 3) + text
    if rng.random() < 0.08:
        text = text + " " * rng.randint(1, 3)
    return text


def generate(seed):
    rng = random.Random(seed)
    s = Survey()
    n_id = rng.randint(1, 4)
    n_class = rng.choice([0, 1, 1, 2, 2, 3])
    n_nutr = rng.randint(1, 2)
    n_fill = rng.randint(0, 2)
    cols = []
    cols += [("id", n) for n in rng.sample(ID_NAMES, n_id)]
    cols += [("class", n) for n in rng.sample(CLASS_NAMES, n_class)]
    cols += [("nutrient", n) for n in rng.sample(NUTRIENT_NAMES, n_nutr)]
    cols += [("filler", n) for n in rng.sample(FILLER_NAMES, n_fill)]
    if rng.random() < 0.08:
        # names longer than the heading keeps (127 bytes for the analysis
        # column, 63 for a classification column), cut inside a kanji or not
        i = rng.randrange(len(cols))
        cols[i] = (cols[i][0], "a" * rng.randint(0, 1) + "栄養素" * rng.randint(11, 30))
    rng.shuffle(cols)
    s.columns = cols
    class_domains = {i: rng.choice(CLASS_VALUES)[: rng.randint(1, 5)] for i, (r, _) in enumerate(cols) if r == "class"}
    negative_file = rng.random() < 0.15
    # every value alike, and not exact in binary: the sums of squares then
    # come out a rounding error off zero, on either side
    constant = rng.choice(["0.1", "0.7", "2.3", "1.1"]) if rng.random() < 0.12 else None
    repeat_rate = rng.choice([0.0, 0.1, 0.5])

    # Persons: ID texts, class texts, days.
    persons = []
    for p in range(rng.randint(1, 14)):
        ids = {}
        for i, (r, _) in enumerate(cols):
            if r == "id":
                ids[i] = rng.choice([str(rng.randint(1, 12)), "A%d" % rng.randint(1, 5), "山田", "1,2", ""])
        klass = {i: rng.choice(dom) for i, dom in class_domains.items()}
        ndays = 1 if constant is not None and rng.random() < 0.5 else rng.choice([1, 1, 2, 2, 2, 3, 4])
        base = rng.choice([1.0, 5.0, 20.0, 100.0, 800.0]) * rng.uniform(0.3, 3.0)
        persons.append((ids, klass, ndays, base))
    rows = []
    for ids, klass, ndays, base in persons:
        first = None
        for d in range(ndays):
            k = dict(klass)
            if rng.random() < 0.08:
                k = {i: rng.choice(dom) for i, dom in class_domains.items()}
            values = {}
            for i, (r, _) in enumerate(cols):
                if r == "nutrient":
                    if constant is not None:
                        values[i] = constant
                    elif first is not None and rng.random() < repeat_rate:
                        values[i] = first[i]
                    else:
                        values[i] = _value_text(rng, base, negative_file)
            if first is None:
                first = values
            rows.append((ids, k, values))
    if rng.random() < 0.7:
        rng.shuffle(rows)

    # Lines.
    lines = [",".join(_field(rng, name) for _, name in cols)]
    if rng.random() < 0.04:
        rows = []
    for ids, klass, values in rows:
        texts = []
        for i, (r, _) in enumerate(cols):
            if r == "id":
                texts.append(ids[i])
            elif r == "class":
                texts.append(klass[i])
            elif r == "nutrient":
                texts.append(values[i])
            else:
                texts.append(rng.choice(FILLER_VALUES))
        fields = [_field(rng, t) if not (t.startswith('"') and t.endswith('"') and len(t) > 1) else t for t in texts]
        if rng.random() < 0.06:
            fields = fields[: rng.randint(1, len(fields))]  # short row
        if rng.random() < 0.04:
            fields.append("")  # trailing comma
        lines.append(",".join(fields))
        if rng.random() < 0.08:
            lines.append(rng.choice(BLANK_LINES))
    if rng.random() < 0.3:
        lines.insert(rng.randint(1, len(lines)), rng.choice(BLANK_LINES))

    encoded = [enc(line) for line in lines]
    if rng.random() < 0.03 and len(encoded) > 2:
        # a NUL byte hides the rest of its line
        i = rng.randint(1, len(encoded) - 1)
        encoded[i] = encoded[i] + b"\x00,9,9,9"
    if rng.random() < 0.03:
        # a key text holding the separator byte, or an over-long key: the run is refused
        i = rng.randint(1, max(1, len(encoded) - 1)) if len(encoded) > 1 else 0
        encoded[i] = (b"\x01" if rng.random() < 0.5 else b"k" * 300) + b"," + encoded[i]
    if rng.random() < 0.02:
        # a physical line longer than the reader's line buffer comes back in pieces
        encoded.insert(rng.randint(1, len(encoded)), b"7," * 8200 + b"1,2,3")
    ending = rng.choice([b"\n", b"\r\n", b"mixed"])
    out = bytearray()
    for i, line in enumerate(encoded):
        out += line
        last = i == len(encoded) - 1
        if last and rng.random() < 0.3:
            break
        if ending == b"mixed":
            out += rng.choice([b"\n", b"\r\n"])
        else:
            out += ending
    if rng.random() < 0.03:
        out += b"\x1a" + enc("9,9,9,9\n")
    if rng.random() < 0.02:
        out = bytearray(rng.choice([b"", b"\n\n", b",,\r\n"]))  # no row at all
    s.data = bytes(out)
    return s


def main(argv):
    seed = int(argv[1])
    s = generate(seed)
    if len(argv) > 2:
        with open(argv[2], "wb") as f:
            f.write(s.data)
    else:
        sys.stdout.buffer.write(s.data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
