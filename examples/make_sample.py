#!/usr/bin/env python3
# -*- coding: cp932 -*-
"""Writes the example survey sample-survey.csv: 300 adults in households of
ten districts, surveyed on one to three days each, with intakes of five
nutrients and one food group at levels usual for Japanese adults.

Seeded and deterministic: running it again writes the same bytes.

usage: make_sample.py [OUTPUT]   (default: sample-survey.csv next to this script)
"""

import math
import os
import random
import sys

SEED = 20240601
PERSONS = 300
DISTRICTS = 10

HEADER = ["地区", "世帯番号", "世帯員番号", "性別", "年齢階級",
          "エネルギー", "たんぱく質", "脂質", "カルシウム", "食塩相当量", "緑黄色野菜"]

AGE_CLASSES = ["20-29", "30-49", "50-69", "70-"]

# Per column: median by sex (1 men, 2 women) and age class, between-person
# and within-person spread on the log scale, how strongly the column follows
# the person's energy intake, decimals, and the share of days without any
# intake (exact zeros) by age class.
COLUMNS = [
    # name,        men medians,               women medians,            sdb,  sdw, energy, dec, zero shares
    ("エネルギー", (2250, 2250, 2200, 2000), (1700, 1700, 1750, 1650), 0.14, 0.22, 1.0, 0, None),
    ("たんぱく質", (78, 76, 80, 75), (62, 62, 67, 65), 0.15, 0.28, 0.8, 1, None),
    ("脂質", (70, 68, 66, 58), (58, 57, 58, 50), 0.18, 0.38, 0.8, 1, None),
    ("カルシウム", (440, 450, 500, 550), (420, 420, 500, 530), 0.25, 0.42, 0.5, 0, None),
    ("食塩相当量", (10.5, 10.8, 11.3, 11.0), (8.8, 9.0, 9.8, 9.5), 0.16, 0.33, 0.7, 1, None),
    ("緑黄色野菜", (60, 65, 85, 100), (65, 70, 95, 105), 0.35, 0.80, 0.3, 1, (0.14, 0.12, 0.07, 0.05)),
]
ENERGY_SDB, ENERGY_SDW = COLUMNS[0][3], COLUMNS[0][4]


def make_households(rng):
    """Households of one to four adults, numbered within their district."""
    persons = []
    next_no = [0] * (DISTRICTS + 1)
    while len(persons) < PERSONS:
        district = rng.randint(1, DISTRICTS)
        next_no[district] += 1
        size = min(rng.choice([1, 2, 2, 2, 3, 3, 4]), PERSONS - len(persons))
        head_age = rng.choices(range(4), weights=(2, 4, 4, 3))[0]
        head_sex = rng.randint(1, 2)
        for member in range(1, size + 1):
            if member == 1:
                sex, age = head_sex, head_age
            elif member == 2:  # a partner of the same generation
                sex, age = 3 - head_sex, head_age
            else:  # a grown child, a generation younger where there is one
                sex, age = rng.randint(1, 2), max(0, head_age - 2 + rng.randint(0, 1))
            days = rng.choices((1, 2, 3), weights=(40, 45, 15))[0]
            persons.append((district, next_no[district], member, sex, age, days))
    return persons


def fmt(value, decimals):
    return "%.*f" % (decimals, value)


def make_rows(rng, persons):
    rows = []
    for district, household, member, sex, age, days in persons:
        energy_b = rng.gauss(0, 1)
        own_b = [rng.gauss(0, 1) for _ in COLUMNS]
        for day in range(1, days + 1):
            energy_w = rng.gauss(0, 1)
            values = []
            for k, (name, men, women, sdb, sdw, follow, dec, zeros) in enumerate(COLUMNS):
                if zeros and rng.random() < zeros[age]:
                    values.append("0")
                    continue
                # The part that follows energy, plus the column's own part, so
                # that the column's total spread stays sdb and sdw.
                shared_b, shared_w = follow * ENERGY_SDB, follow * ENERGY_SDW
                own_sdb = math.sqrt(max(sdb * sdb - shared_b * shared_b, 0.0))
                own_sdw = math.sqrt(max(sdw * sdw - shared_w * shared_w, 0.0))
                median = (men if sex == 1 else women)[age]
                log_value = (math.log(median) + shared_b * energy_b + shared_w * energy_w
                             + own_sdb * own_b[k] + own_sdw * rng.gauss(0, 1))
                values.append(fmt(math.exp(log_value), dec))
            rows.append(((district, household, member, day),
                         [str(district), str(household), str(member), str(sex),
                          AGE_CLASSES[age]] + values))
    return rows


def file_order(row):
    """Odd districts list each person's days together; even districts list
    the first day of every household, then the second, then the third, so
    that a person's rows stand apart there."""
    district, household, member, day = row[0]
    if district % 2:
        return (district, household, member, day)
    return (district, day, household, member)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "sample-survey.csv")
    rng = random.Random(SEED)
    rows = sorted(make_rows(rng, make_households(rng)), key=file_order)
    with open(out, "w", encoding="cp932", newline="\r\n") as f:
        f.write(",".join(HEADER) + "\n")
        for _, fields in rows:
            f.write(",".join(fields) + "\n")


if __name__ == "__main__":
    main()
