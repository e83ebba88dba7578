#!/usr/bin/env python3
"""Checks of the Python reference itself against hand-worked numbers, so that
a disagreement with the batch tool points at the C++ side."""

import math
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import habitual_ref as ref  # noqa: E402


def settings(**kw):
    s = ref.Settings()
    for k, v in kw.items():
        setattr(s, k, v)
    return s


def group(values, persons=None, **kw):
    """A group of records; persons defaults to one person per record."""
    persons = persons or [b"p%d" % i for i in range(len(values))]
    recs = [ref.Record(p, i + 1, float(v)) for i, (p, v) in enumerate(zip(persons, values))]
    return ref.Group(recs, settings(**kw))


def persons_of(days_by_person):
    """{'A': [1, 3], ...} -> (values, person keys)."""
    values, keys = [], []
    for name, xs in days_by_person.items():
        for x in xs:
            values.append(x)
            keys.append(name.encode())
    return values, keys


class ReaderTest(unittest.TestCase):
    def fields(self, line):
        line = line.replace("Q", '"').replace("_", " ").encode()
        rows = ref.read_rows(line + b"\n")
        return [f.decode() for f in rows[0]] if rows else None

    def test_field_splitting(self):
        cases = [
            ("a,,b", ["a", "", "b"]),
            ("a,b,", ["a", "b", ""]),
            (",a", ["", "a"]),
            ("__a__,__b", ["a", "b"]),
            ("QaQQbQ,c", ['a"b', "c"]),
            ("Q__a__Q,x", ["  a", "x"]),
            ("QabQcd,e", ["ab", "cd", "e"]),
            ("QabQ__cd", ["ab", "cd"]),
            ("abQcQd,e", ['ab"c"d', "e"]),
            ("QabQ,QQ", ["ab", ""]),
            ("Qa,b", ["a,b"]),
            ("a_Qb,cQ", ['a "b', 'c"']),
            ("a\tb", ["a\tb"]),
        ]
        for line, expected in cases:
            with self.subTest(line=line):
                self.assertEqual(self.fields(line), expected)

    def test_lines_without_content_are_skipped(self):
        for line in ["", "   ", "QQ,QQ", ",,,", "\t"]:
            with self.subTest(line=line):
                self.assertIsNone(self.fields(line))
        self.assertEqual(ref.read_rows("あ,い\n".encode("cp932")), [])
        self.assertEqual(len(ref.read_rows("ア\n".encode("cp932"))), 1)  # trail byte 0x41

    def test_text_mode_and_limits(self):
        self.assertEqual(ref.read_rows(b"a,b\r\nc\rd\r\n"), ref.read_rows(b"a,b\ncd\n"))
        self.assertEqual(ref.read_rows(b"a\n\x1ab\n"), [[b"a"]])
        self.assertEqual(ref.read_rows(b"a\x00,b\n"), [[b"a"]])
        rows = ref.read_rows(b"x" * 16384 + b"\n")
        self.assertEqual([len(r[0]) for r in rows], [16383, 1])
        self.assertEqual(len(ref.read_rows(b"x" * 16383 + b"\n")), 1)
        row = ref.read_rows(b",".join([b"1"] * 1500))[0]
        self.assertEqual(len(row), 1024)
        self.assertEqual(len(ref.read_rows(b",".join([b"1"] * 1500), ref.MAX_FIELDS_COUNTING)[0]), 256)

    def test_row_count(self):
        rows = ref.read_rows(b"h1,h2\n\n\n1,2\n3,4\n5,6")
        self.assertEqual(ref.count_rows(rows), 4)
        self.assertEqual(ref.count_rows(ref.read_rows(b"\n ,\n")), 0)


class DecimalTest(unittest.TestCase):
    def test_conversion(self):
        cases = [
            (b"12.5abc", 12.5), (b"abc", 0.0), (b"", 0.0), (b"1,234", 1.0), (b"1e", 1.0),
            (b"1e+", 1.0), (b" \t-3.5e2x", -350.0), (b".5", 0.5), (b"5.", 5.0), (b".", 0.0),
            (b"-", 0.0), (b"0x1A", 0.0), (b"inf", 0.0), (b"nan", 0.0), (b"+7", 7.0),
            (b"1e999", math.inf), (b"-1e999", -math.inf), (b"1E2", 100.0),
        ]
        for text, expected in cases:
            with self.subTest(text=text):
                self.assertEqual(ref.strtod(text), expected)

    def test_cutoffs(self):
        self.assertEqual(ref.parse_cutoffs(b"10 20-"), [(10.0, False), (20.0, True)])
        self.assertEqual(ref.parse_cutoffs(b"-"), [(0.0, True)])
        self.assertEqual(ref.parse_cutoffs(b"-5"), [(-5.0, False)])
        self.assertEqual(len(ref.parse_cutoffs(b"1 2 3 4 5 6")), 5)
        self.assertEqual(ref.parse_cutoffs(b"  \t "), [])
        self.assertEqual(ref.parse_cutoffs("10　20".encode("cp932")), [(10.0, False)])
        long_token = b"7" + b"0" * 253 + b"-" + b"x"
        self.assertEqual(ref.parse_cutoffs(long_token), [(7e253, True)])

    def test_cut_at_character_boundary(self):
        text = "あ".encode("cp932") * 3  # 6 bytes
        self.assertEqual(ref.cut_text(text, 5), text[:4])
        self.assertEqual(ref.cut_text(b"a" + text, 4), b"a" + text[:2])
        self.assertEqual(ref.cut_text(text, 6), text)


class TransformTest(unittest.TestCase):
    def test_normal_quantile(self):
        self.assertAlmostEqual(ref.normal_quantile(0.5), -0.0000034353, delta=1e-10)
        self.assertAlmostEqual(ref.normal_quantile(0.025), -1.96045, delta=5e-6)
        self.assertAlmostEqual(ref.normal_quantile(0.975), 1.96045, delta=5e-6)

    def test_best_power_keeps_the_identity(self):
        g = group(range(8), normalize_method=0)
        g.transform()
        self.assertEqual(g.power, 1.0)
        self.assertAlmostEqual(g.rsquare, 0.98941, delta=5e-6)
        self.assertEqual(g.log_offset, 0.5)
        self.assertEqual([r.transformed for r in g.records], [float(v) for v in range(8)])
        rs = []
        for k in (0, 1, 2):
            h = group(range(8), normalize_method=0)
            h.find_best_power(forced=k)
            rs.append(h.rsquare)
        for got, want in zip(rs, [0.88816, 0.91473, 0.98941]):
            self.assertAlmostEqual(got, want, delta=5e-6)

    def test_best_power_log(self):
        g = group([10, 12, 15, 20, 30, 50, 80], normalize_method=0)
        g.transform()
        self.assertEqual(g.power, 0.0)
        self.assertAlmostEqual(g.rsquare, 0.95628, delta=5e-6)
        self.assertEqual(g.log_offset, 0.0)
        self.assertEqual(g.plausible, [0])

    def test_equal_values_use_the_identity(self):
        g = group([4, 4, 4], normalize_method=0)
        g.transform()
        self.assertEqual((g.power, g.rsquare), (1.0, 0.0))

    def test_two_records_tie_every_candidate(self):
        g = group([3, 5], normalize_method=0)
        g.transform()
        self.assertGreater(len(g.plausible), 10)

    def test_log_offset(self):
        g = group([0, 0.4, 1.0], normalize_method=1)
        g.transform()
        self.assertAlmostEqual(g.log_offset, 0.2)
        for r, want in zip(g.records, [0.2, 0.6, 1.2]):
            self.assertAlmostEqual(r.transformed, math.log(want), places=14)
        g = group([-2, 0, 3], normalize_method=1)
        g.transform()
        self.assertEqual(g.log_offset, -1.0)
        self.assertTrue(math.isnan(g.records[0].transformed))
        g = group([0, 0], normalize_method=1)
        g.transform()
        self.assertEqual(g.log_offset, 0.0)
        self.assertEqual(g.records[0].transformed, -math.inf)

    def test_specified_power(self):
        for text in [b"0.5", b"-0.5"]:
            g = group([4, 9], normalize_method=3, power_text=text)
            g.transform()
            self.assertEqual([r.transformed for r in g.records], [2.0, 3.0])
        for text in [b"", b"0", b"abc"]:
            g = group([0, 2], normalize_method=3, power_text=text)
            g.transform()
            self.assertEqual([r.transformed for r in g.records], [math.log(1.0), math.log(3.0)])
        g = group([-4, 9], normalize_method=3, power_text=b"0.5")
        g.transform()
        self.assertTrue(math.isnan(g.records[0].transformed))


class AnovaTest(unittest.TestCase):
    def anova(self, days_by_person, **kw):
        values, keys = persons_of(days_by_person)
        kw.setdefault("normalize_method", 2)
        g = group(values, keys, **kw)
        g.transform()
        g.anova()
        return g

    def test_balanced(self):
        g = self.anova({"A": [1, 3], "B": [2, 4], "C": [6, 8]})
        self.assertEqual((g.ss_total, g.ss_model, g.ss_error), (34.0, 28.0, 6.0))
        self.assertEqual((g.df_model, g.df_error, g.df_total), (2, 3, 5))
        self.assertEqual((g.vw, g.vb, g.mean), (2.0, 6.0, 4.0))
        self.assertAlmostEqual(g.var, 6.8)
        self.assertAlmostEqual(g.sd, 2.6076809, delta=1e-7)
        self.assertEqual((g.nmulti, g.mean_days, g.min_days, g.max_days), (3, 2.0, 2, 2))

    def test_unbalanced(self):
        g = self.anova({"A": [1, 3, 5], "B": [2], "C": [4, 6]})
        self.assertAlmostEqual(g.ss_total, 17.5)
        self.assertAlmostEqual(g.ss_model, 7.5)
        self.assertAlmostEqual(g.ss_error, 10.0)
        self.assertAlmostEqual(g.vw, 10 / 3)
        self.assertAlmostEqual(g.vb, (7.5 - 2 * 10 / 3) / 3)
        self.assertEqual((g.mean_days, g.min_days, g.max_days, g.nmulti), (2.5, 2, 3, 2))

    def test_one_record_each(self):
        g = self.anova({c: [v] for c, v in zip("ABCDEF", [1, 5, 2, 8, 3, 4])})
        self.assertEqual((g.vw, g.df_error, g.nmulti), (0.0, 0, 0))
        self.assertEqual(g.vb, g.var)
        self.assertEqual((g.min_days, g.max_days, g.mean_days), (1, 1, 1.0))

    def test_one_person(self):
        g = self.anova({"A": [1, 2, 4]})
        self.assertEqual((g.vb, g.sdb, g.df_model, g.ss_model), (0.0, 0.0, 0, 0.0))

    def test_given_variance(self):
        days_by_person = {"A": [1, 3], "B": [2, 4], "C": [6, 8]}
        g = self.anova(days_by_person, normalize_method=3, power_text=b"1", hendo_mode=2, vwb_ratio_text=b"1")
        self.assertAlmostEqual(g.vw, g.var / 2)
        self.assertAlmostEqual(g.vb, g.var / 2)
        g = self.anova(days_by_person, normalize_method=3, power_text=b"1", hendo_mode=2, vwb_ratio_text=b"-3")
        self.assertAlmostEqual(g.vw, 0.75 * g.var)
        self.assertAlmostEqual(g.vb, 0.25 * g.var)
        g = self.anova(days_by_person, normalize_method=3, power_text=b"1", hendo_mode=1, vw_text=b"10")
        self.assertEqual(g.vw, 10.0)
        self.assertLess(g.vb, 0.0)
        self.assertEqual(g.sdb, 0.0)
        for method in (0, 1, 2):
            given = self.anova(days_by_person, normalize_method=method, hendo_mode=1, vw_text=b"10")
            plain = self.anova(days_by_person, normalize_method=method)
            self.assertEqual((given.vw, given.vb), (plain.vw, plain.vb))


class HabitualTest(unittest.TestCase):
    def test_shrinkage(self):
        g = group([1, 3, 2, 4, 6, 8], [b"A", b"A", b"B", b"B", b"C", b"C"], normalize_method=2)
        g.analyse()
        self.assertAlmostEqual(ref.shrinkage_factor(6.0, 2.0, 2), 0.9258201, places=7)
        got = sorted(p.shrunk_mean for p in g.persons)
        for x, want in zip(got, [2.1483598, 3.0741799, 6.7774603]):
            self.assertAlmostEqual(x, want, places=7)
        self.assertEqual([p.habitual for p in g.persons], [p.shrunk_mean for p in g.persons])
        self.assertAlmostEqual(ref.shrinkage_factor(6.0, 2.0, 1), 0.8660254, places=7)
        self.assertAlmostEqual(ref.shrinkage_factor(6.0, 2.0, 3), 0.9486833, places=7)
        self.assertEqual(ref.shrinkage_factor(0.0, 0.0, 2), 0.0)
        self.assertEqual(ref.shrinkage_factor(-1.0, 2.0, 2), 0.0)
        self.assertEqual(ref.shrinkage_factor(3.0, 0.0, 2), 1.0)

    def test_back_transformation(self):
        self.assertAlmostEqual(ref.back_transform("log", 0.0, 0.0, 0.5, 0.0), 1.25)
        self.assertAlmostEqual(ref.back_transform("log", 0.0, 0.0, 0.5, 0.2), 1.05)
        self.assertAlmostEqual(ref.back_transform("power", 3.0, 0.5, 0.5, 0.0), 9.5)
        self.assertAlmostEqual(ref.back_transform("power", 4.0, 2 / 3, 0.5, 0.0), 8.09375)
        self.assertEqual(ref.back_transform("power", 0.0, 1.0, 0.5, 0.0), 0.0)
        self.assertTrue(math.isnan(ref.back_transform("power", -1.0, 2 / 3, 0.5, 0.0)))
        self.assertEqual(ref.back_transform("power", 0.0, 2 / 3, 0.5, 0.0), math.inf)

    def test_method_3_power_from_text(self):
        g = group([1, 4, 9, 16], [b"A", b"A", b"B", b"B"], normalize_method=3, power_text=b"-0.5")
        g.analyse()
        self.assertEqual(g.power, 0.5)


class DistributionTest(unittest.TestCase):
    def test_percentiles(self):
        pct = ref.Group.percentiles([10.0, 20.0, 30.0, 40.0])
        self.assertEqual([pct[i] for i in (0, 1, 10, 25, 50, 75, 90, 100)], [10, 10, 10, 12.5, 25, 37.5, 40, 40])
        pct = ref.Group.percentiles([1.0, 2.0])
        self.assertEqual(set(pct[:34]), {1.0})
        self.assertAlmostEqual(pct[34], 0.98 + 0.04)
        self.assertEqual(pct[50], 1.5)
        self.assertAlmostEqual(pct[66], 0.02 + 1.96)
        self.assertEqual(set(pct[67:]), {2.0})
        self.assertEqual(set(ref.Group.percentiles([3.5])), {3.5})

    def test_mean_sd_share(self):
        xs = [1.0, 2.0, 3.0, 4.0]
        self.assertEqual(ref.Group.mean_of(xs), 2.5)
        self.assertAlmostEqual(ref.Group.sd_of(xs), math.sqrt(5 / 3))
        self.assertEqual(ref.Group.share_below(xs, 3.0), 0.5)
        self.assertEqual(ref.Group.share_below(xs, 0.0), 0.0)
        self.assertEqual(ref.Group.share_below(xs, 9.0), 1.0)

    def test_not_a_number_sorts_last(self):
        g = group([-4, 9, 1, 4], [b"A", b"A", b"B", b"B"], normalize_method=3, power_text=b"0.5")
        g.analyse()
        self.assertEqual(g.daily, [1.0, 4.0, 9.0, -4.0])


class RunTest(unittest.TestCase):
    def run_doc(self, text, **kw):
        s = settings(**kw)
        return ref.run_analysis(s, raw=text.encode("cp932")).lines()

    def test_group_order_and_heading(self):
        csv = "ID,性別,年齢階級,値\n1,2,20,5\n2,10,20,6\n3,2,20,7\n"
        lines = self.run_doc(csv, id_columns=[0, -1, -1, -1], class_columns=[1, 2, -1], nutrient_column=3)
        headings = [l.decode("cp932") for l in lines if l.startswith("分類変数".encode("cp932"))]
        self.assertEqual(headings, ["分類変数：[性別=10][年齢階級=20]", "分類変数：[性別=2][年齢階級=20]"])
        self.assertEqual(lines[:3], [b"=" * 60, "分析変数：[値]".encode("cp932"), headings[0].encode("cp932")])
        self.assertEqual(lines[3], b"=" * 60)  # the group of one record is not analysed

    def test_standard_report_of_the_balanced_group(self):
        csv = "ID,x\nA,1\nA,3\nB,2\nB,4\nC,6\nC,8\n"
        lines = self.run_doc(csv, nutrient_column=1, normalize_method=2, cutoff_text=b"3 4-")
        text = [l.decode("cp932") for l in lines]
        self.assertEqual(text[2], "正規化方法＝無変換")
        self.assertIn("データ数               6", text)
        self.assertIn("誤差           3           6.000000          2.000000", text)
        self.assertIn("個人内分散（標準偏差）         2.000000 (        1.414214)", text)
        self.assertIn("個人内／個人間分散比（標準偏差比） 0.333333 (0.577350)", text)
        self.assertIn("      3以上%       66.666667%       66.666667%", text)
        self.assertIn("      4未満%       50.000000%       66.666667%", text)
        self.assertEqual(text[-1], "")

    def test_refusals(self):
        for raw, kw in [
            ("", {}),
            ("\n,,\n", {}),
            ("ID,x\n" + "k" * 253 + ",1\n", {}),
            ("ID,x\na\x01b,1\n", {}),
        ]:
            with self.subTest(raw=raw[:10]):
                with self.assertRaises(ref.Rejected):
                    self.run_doc(raw, nutrient_column=1, **kw)
        self.assertEqual(self.run_doc("ID,x\n", nutrient_column=1), [])
        self.assertEqual(len(self.run_doc("ID,x\n" + "k" * 252 + ",1\n", nutrient_column=1)), 2)


if __name__ == "__main__":
    unittest.main()
