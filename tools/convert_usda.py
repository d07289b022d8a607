#!/usr/bin/env python3
"""Converts the USDA National Nutrient Database (SR24, public domain) into the
compact tab-separated files under data/ from which the build makes the seed
catalogue.

The source is the archive usda_sr24.jar shipped by Debian's package
"cronometer" (one XML file per food plus foods.index). Get it with

    apt-get download cronometer && dpkg -x cronometer_*.deb DIR

and run

    python3 tools/convert_usda.py DIR/usr/share/cronometer/usda_sr24.jar data/

Output (UTF-8, one record a line, fields separated by tabs):
  usda_groups.tsv    group code, group name
  usda_foods.tsv     NDB number, group name, food name, then per 100 g:
                     energy kcal, protein g, carbohydrate g, fat g,
                     sodium mg, cholesterol mg, fiber g, sugars g
  usda_measures.tsv  NDB number, measure number, description, grams
"""

import collections
import sys
import xml.etree.ElementTree as ET
import zipfile

# The USDA food groups; the first two digits of an NDB number name the group.
GROUPS = {
    "01": "Dairy and Egg Products",
    "02": "Spices and Herbs",
    "03": "Baby Foods",
    "04": "Fats and Oils",
    "05": "Poultry Products",
    "06": "Soups, Sauces, and Gravies",
    "07": "Sausages and Luncheon Meats",
    "08": "Breakfast Cereals",
    "09": "Fruits and Fruit Juices",
    "10": "Pork Products",
    "11": "Vegetables and Vegetable Products",
    "12": "Nut and Seed Products",
    "13": "Beef Products",
    "14": "Beverages",
    "15": "Finfish and Shellfish Products",
    "16": "Legumes and Legume Products",
    "17": "Lamb, Veal, and Game Products",
    "18": "Baked Products",
    "19": "Sweets",
    "20": "Cereal Grains and Pasta",
    "21": "Fast Foods",
    "22": "Meals, Entrees, and Side Dishes",
    "23": "Beef Products",  # the later beef cuts are numbered 23xxx
    "25": "Snacks",
    "35": "American Indian/Alaska Native Foods",
    "36": "Restaurant Foods",
}
OTHER_GROUP = "Other Foods"

NUTRIENTS = ["Energy", "Protein", "Carbs", "Fat", "Sodium", "Cholesterol", "Fiber", "Sugars"]


def shortest(number):
    """1.0 -> "1", 0.5 -> "0.5", 14.2 -> "14.2"."""
    text = repr(float(number))
    return text[:-2] if text.endswith(".0") else text


def first_word(name):
    return name.split(",")[0].split(" ")[0].strip().upper()


def clean(text):
    return " ".join(text.replace("\t", " ").split())


def main(jar_path, out_dir):
    archive = zipfile.ZipFile(jar_path)
    index = archive.read("usda_sr24/foods.index").decode("utf-8").splitlines()
    numbers = [line.split("|", 1)[0] for line in index if line.strip()]

    foods = []
    for number in numbers:
        root = ET.fromstring(archive.read("usda_sr24/%s.xml" % number))
        values = {n.get("name"): float(n.get("amount")) for n in root.findall("nutrient")}
        measures = [(shortest(m.get("amount")) + " " + clean(m.get("name")), float(m.get("grams")))
                    for m in root.findall("measure")]
        foods.append((int(root.get("uid")), number[:2], clean(root.get("name")),
                      [values.get(k, 0.0) for k in NUTRIENTS], measures))

    # Foods numbered outside the group codes go to the group whose foods most
    # often share their first word ("Babyfood, ..." to Baby Foods).
    votes = collections.defaultdict(collections.Counter)
    for _, code, name, _, _ in foods:
        if code in GROUPS:
            votes[first_word(name)][GROUPS[code]] += 1

    def group_of(code, name):
        if code in GROUPS:
            return GROUPS[code]
        counter = votes.get(first_word(name))
        return counter.most_common(1)[0][0] if counter else OTHER_GROUP

    foods.sort(key=lambda f: f[0])
    with open(out_dir + "/usda_foods.tsv", "w", encoding="utf-8", newline="\n") as out:
        for ndb, code, name, values, _ in foods:
            out.write("\t".join([str(ndb), group_of(code, name), name] + [shortest(v) for v in values]) + "\n")
    with open(out_dir + "/usda_measures.tsv", "w", encoding="utf-8", newline="\n") as out:
        for ndb, _, _, _, measures in foods:
            for number, (desc, grams) in enumerate(measures + [("100 g", 100.0)], start=1):
                out.write("%d\t%d\t%s\t%s\n" % (ndb, number, desc, shortest(grams)))
    with open(out_dir + "/usda_groups.tsv", "w", encoding="utf-8", newline="\n") as out:
        seen = set()
        for code in sorted(GROUPS):
            if GROUPS[code] not in seen:
                seen.add(GROUPS[code])
                out.write("%s\t%s\n" % (code, GROUPS[code]))
    print("%d foods" % len(foods))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: convert_usda.py usda_sr24.jar OUTPUT_DIR")
    main(sys.argv[1], sys.argv[2])
