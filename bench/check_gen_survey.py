#!/usr/bin/env python3
# -*- coding: cp932 -*-
"""Checks habitual-gen-survey on small files: the shuffled file holds exactly
the rows of the ordered one, persons are identified uniquely by the three ID
columns, the file has the survey file's form (Shift-JIS header, CR LF), and
bad options are refused.

usage: check_gen_survey.py PATH_TO_habitual-gen-survey
"""

import collections
import os
import subprocess
import sys
import tempfile
import unittest

GEN = None

HEADER = ("地区,世帯,世帯員,性別,年齢階級,エネルギー,たんぱく質,脂質,炭水化物,"
          "カルシウム,鉄,ビタミンC,食物繊維,食塩相当量,緑黄色野菜")


def generate(*args):
    """Runs the generator and returns the file's bytes."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "s.csv")
        subprocess.run([GEN, "-o", path, *args], check=True, stderr=subprocess.DEVNULL)
        with open(path, "rb") as f:
            return f.read()


def rows(data):
    lines = data.split(b"\r\n")
    assert lines[-1] == b"", "file must end with CR LF"
    return lines[0], lines[1:-1]


def person_rows(body):
    """Rows grouped by the person key (first three columns)."""
    by = collections.defaultdict(list)
    for r in body:
        f = r.split(b",")
        by[tuple(f[:3])].append(f)
    return by


class Form(unittest.TestCase):
    def test_header_line_ends_and_fields(self):
        data = generate("--persons", "300", "--days", "2", "--seed", "7")
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "bare LF")
        self.assertNotIn(b"\r", data.replace(b"\r\n", b""), "bare CR")
        header, body = rows(data)
        self.assertEqual(header.decode("cp932"), HEADER)
        self.assertEqual(len(body), 600)
        for r in body:
            f = r.split(b",")
            self.assertEqual(len(f), 15, r)
            self.assertIn(f[3], (b"1", b"2"))
            self.assertIn(f[4], (b"20", b"30", b"40", b"50", b"60", b"70"))
            for v in f[5:]:
                self.assertGreaterEqual(float(v), 0.0, r)

    def test_groups_zeros_and_person_constant_columns(self):
        header, body = rows(generate("--persons", "3000", "--days", "2"))
        groups = {(r.split(b",")[3], r.split(b",")[4]) for r in body}
        self.assertEqual(len(groups), 12)
        veg = [float(r.split(b",")[14]) for r in body]
        zeros = sum(v == 0.0 for v in veg)
        self.assertTrue(0 < zeros < len(veg) * 0.2, zeros)
        # Sex and age class belong to the person, not to the day.
        for key, rs in person_rows(body).items():
            self.assertEqual(len({tuple(f[3:5]) for f in rs}), 1, key)

    def test_more_nutrients_are_numbered(self):
        header, body = rows(generate("--persons", "5", "--nutrients", "12"))
        names = header.decode("cp932").split(",")
        self.assertEqual(len(names), 17)
        self.assertEqual(names[15:], ["栄養素11", "栄養素12"])
        self.assertEqual(len(body[0].split(b",")), 17)


class Persons(unittest.TestCase):
    def test_days_per_person(self):
        cases = [  # persons, days option, allowed day counts
            (1000, "2", {2}),
            (777, "1-3", {1, 2, 3}),
            (50, "1", {1}),
        ]
        for persons, days, allowed in cases:
            with self.subTest(days=days):
                header, body = rows(generate("--persons", str(persons), "--days", days))
                by = person_rows(body)
                self.assertEqual(len(by), persons, "ID columns must identify persons uniquely")
                counts = collections.Counter(len(rs) for rs in by.values())
                self.assertEqual(set(counts), allowed)
                # A person's days differ in their values.
                for rs in by.values():
                    self.assertEqual(len({tuple(f[5:]) for f in rs}), len(rs))


class Shuffle(unittest.TestCase):
    def test_shuffle_is_a_permutation_of_the_ordered_rows(self):
        # Sizes just above and below powers of two exercise the cycle walk.
        for persons, days in [(1000, "2"), (777, "1-3"), (1, "1"), (2, "1"), (33, "2")]:
            with self.subTest(persons=persons, days=days):
                a = rows(generate("--persons", str(persons), "--days", days))
                b = rows(generate("--persons", str(persons), "--days", days, "--shuffle"))
                self.assertEqual(a[0], b[0])
                self.assertEqual(sorted(a[1]), sorted(b[1]))

    def test_shuffle_scatters_persons(self):
        header, body = rows(generate("--persons", "2000", "--days", "2", "--shuffle"))
        self.assertNotEqual(body, rows(generate("--persons", "2000", "--days", "2"))[1])
        keys = [tuple(r.split(b",")[:3]) for r in body]
        adjacent = sum(keys[i] == keys[i + 1] for i in range(len(keys) - 1))
        self.assertLess(adjacent, 20)


class Seeds(unittest.TestCase):
    def test_same_seed_same_bytes_other_seed_other_values(self):
        args = ["--persons", "500", "--days", "1-3", "--shuffle"]
        self.assertEqual(generate(*args, "--seed", "5"), generate(*args, "--seed", "5"))
        self.assertNotEqual(generate(*args, "--seed", "5"), generate(*args, "--seed", "6"))


class Options(unittest.TestCase):
    def test_bad_options_are_refused(self):
        cases = [
            ["--persons", "0"],
            ["--persons", "12x"],
            ["--days", "0"],
            ["--days", "3-1"],
            ["--days", "1-"],
            ["--days", "40"],
            ["--nutrients", "0"],
            ["--nutrients", "252"],
            ["--persons", "2000000000", "--days", "2"],
            ["--bogus", "1"],
            ["--seed"],
        ]
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "s.csv")
            for args in cases:
                with self.subTest(args=args):
                    r = subprocess.run([GEN, "-o", path, *args], capture_output=True)
                    self.assertEqual(r.returncode, 2, r.stderr)
                    self.assertTrue(r.stderr)
            r = subprocess.run([GEN, "--persons", "3"], capture_output=True)
            self.assertEqual(r.returncode, 2, "output path is required")

    def test_unwritable_output(self):
        r = subprocess.run([GEN, "-o", "/nonexistent-dir/s.csv", "--persons", "3"],
                           capture_output=True)
        self.assertEqual(r.returncode, 1)


if __name__ == "__main__":
    GEN = os.path.abspath(sys.argv.pop(1))
    unittest.main()
