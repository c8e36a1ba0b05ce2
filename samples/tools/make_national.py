#!/usr/bin/env python3
"""Write the source of a national-size synthetic tariff, for benchmarks.

    python3 samples/tools/make_national.py --out DIR [--guide DIR] [--data samples/data]
                                           [--seed N]
    brant compile DIR OUT_DIR/NATIONAL

The sample tariff (make_sample.py) is small enough to read; this one is the
size a carrier's whole network gives, over the same real geography
(samples/data), with rates made up from distances and a seeded jitter. The
build writes it into the build tree (target national_tariff); nothing of it
is committed.

What it holds:
- every three-digit ZIP prefix of the lower 48 and DC on the matrix, cut into
  areas of up to six neighbouring prefixes of one state; each pair of areas
  is a lane of its own (some 14,000 rate records);
- five-digit refinements: the first prefix of some areas is split into two
  base ZIP ranges per territory kind (A, F and I), each range a matrix key
  with lanes to every other range of its kind (some 10,000 more records);
- base points: every ZIP of the lower 48 belongs to its area's point, the
  remote areas of the sample have points of their own, and every Canadian
  postal code (all forward sortation areas, every local delivery unit
  letter) belongs to a point per district (its first two characters);
- the Hawaiian, Alaskan and Mexican legs of the sample, with Alaskan and
  Mexican rates by area instead of region;
- transit days between every pair of terminals (one per area and per
  Canadian district), the stand-in service guide's data to go with them,
  and zone charges for every refined city core and remote area.

Standard library only; deterministic for a given seed.
"""

import argparse
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_sample as sample  # noqa: E402  (the shared geography and rate rules)

AREA_SIZE = 6             # prefixes in an area, at most
REFINED_AREAS = {"A": 60, "F": 30, "I": 20}   # areas refined per territory kind
KEY_BASE = {"A": 300000, "F": 400000, "I": 600000}   # matrix key kind of each
BSE_KIND = {"A": "A", "F": "F", "I": "I"}

# Approximate centres of the states (latitude, longitude) and the spread of
# their areas around them, in degrees.
STATE_CENTRES = {
    "AL": (32.8, -86.8, 1.5), "AZ": (34.2, -111.7, 2.0), "AR": (34.9, -92.4, 1.5),
    "CA": (36.8, -119.4, 3.0), "CO": (39.0, -105.5, 2.0), "CT": (41.6, -72.7, 0.4),
    "DE": (39.0, -75.5, 0.3), "DC": (38.9, -77.0, 0.05), "FL": (28.6, -82.4, 2.5),
    "GA": (32.7, -83.4, 1.5), "ID": (44.4, -114.6, 2.0), "IL": (40.0, -89.2, 1.8),
    "IN": (39.9, -86.3, 1.2), "IA": (42.1, -93.5, 1.5), "KS": (38.5, -98.4, 2.0),
    "KY": (37.5, -85.3, 1.5), "LA": (31.0, -92.0, 1.3), "ME": (45.4, -69.2, 1.3),
    "MD": (39.0, -76.8, 0.6), "MA": (42.3, -71.8, 0.6), "MI": (43.6, -84.7, 1.8),
    "MN": (46.3, -94.3, 2.0), "MS": (32.7, -89.7, 1.3), "MO": (38.4, -92.5, 1.8),
    "MT": (47.0, -109.6, 3.0), "NE": (41.5, -99.8, 2.0), "NV": (39.3, -116.6, 2.5),
    "NH": (43.7, -71.6, 0.6), "NJ": (40.2, -74.7, 0.5), "NM": (34.4, -106.1, 2.0),
    "NY": (42.9, -75.5, 1.8), "NC": (35.5, -79.4, 1.8), "ND": (47.5, -100.5, 2.0),
    "OH": (40.3, -82.8, 1.2), "OK": (35.6, -97.5, 1.8), "OR": (44.0, -120.6, 2.0),
    "PA": (40.9, -77.8, 1.5), "RI": (41.7, -71.5, 0.2), "SC": (33.9, -80.9, 1.2),
    "SD": (44.4, -100.2, 2.0), "TN": (35.9, -86.4, 1.8), "TX": (31.5, -99.3, 3.5),
    "UT": (39.3, -111.7, 1.8), "VT": (44.1, -72.7, 0.5), "VA": (37.5, -78.8, 1.5),
    "WA": (47.4, -120.5, 1.8), "WV": (38.6, -80.6, 1.0), "WI": (44.6, -89.9, 1.5),
    "WY": (43.0, -107.5, 2.0),
}

PROVINCE_CENTRES = {
    "NL": (48.5, -56.0, 2.0), "NS": (45.0, -63.0, 1.2), "PE": (46.3, -63.2, 0.3),
    "NB": (46.5, -66.2, 1.0), "QC": (46.8, -72.0, 2.0), "ON": (44.5, -79.5, 2.0),
    "MB": (50.5, -97.5, 1.5), "SK": (51.5, -106.0, 1.5), "AB": (52.5, -114.0, 2.0),
    "BC": (50.0, -122.5, 2.0), "YT": (61.0, -135.0, 1.0), "NT": (62.5, -114.4, 1.0),
    "NU": (63.7, -68.5, 1.0),
}


class Area:
    def __init__(self, number, state, prefixes, centre, terminal):
        self.number = number          # from 1
        self.state = state
        self.prefixes = prefixes      # ascending, contiguous or not
        self.centre = centre
        self.terminal = terminal      # four characters
        self.point = "%s-%s" % (state, prefixes[0])   # six characters
        self.kind = None              # "A", "F", "I" or None: refined by base ZIPs

    @property
    def name(self):
        return self.point


def jitter(rng, centre, spread):
    return (centre[0] + rng.uniform(-spread, spread) * 0.6, centre[1] + rng.uniform(-spread, spread))


class National:
    """The geography of the sample cut finer: areas, refinements, points."""

    def __init__(self, data, seed):
        self.rng = random.Random(seed)
        self.data_dir = data
        self.geo = sample.Geography(data)
        self.areas = self._areas()
        self.area_of = {p: a for a in self.areas for p in a.prefixes}
        for p in self.geo.lower48:   # the remote prefixes: their state's nearest area
            if p not in self.area_of:
                same = [a for a in self.areas if a.state == self.geo.prefix_states[p]]
                self.area_of[p] = min(same, key=lambda a: abs(int(a.prefixes[0]) - int(p)))
        self._refine()
        self.districts = self._districts()

    def _areas(self):
        by_state = {}
        for p in self.geo.matrix_prefixes:
            by_state.setdefault(self.geo.prefix_states[p], []).append(p)
        areas, counts = [], {}
        for state in sorted(by_state, key=lambda s: by_state[s][0]):
            prefixes = by_state[state]
            lat, lon, spread = STATE_CENTRES[state]
            n = (len(prefixes) + AREA_SIZE - 1) // AREA_SIZE
            size = (len(prefixes) + n - 1) // n
            for k in range(n):
                chunk = prefixes[k * size:(k + 1) * size]
                if not chunk:
                    continue
                counts[state] = counts.get(state, 0) + 1
                terminal = "%s%02d" % (state, counts[state])
                areas.append(Area(len(areas) + 1, state, chunk,
                                  jitter(self.rng, (lat, lon), spread), terminal))
        return areas

    def _refine(self):
        """Picks the refined areas of each kind: the larger areas, at random."""
        candidates = [a for a in self.areas if len(a.prefixes) >= 3]
        self.rng.shuffle(candidates)
        start = 0
        for kind in ("A", "F", "I"):
            for a in candidates[start:start + REFINED_AREAS[kind]]:
                a.kind = kind
            start += REFINED_AREAS[kind]

    def _districts(self):
        """Canadian districts: the forward sortation areas by their first two
        characters, each a base point and a terminal."""
        fsas = {}
        for row in sample.read_csv(os.path.join(self.data_dir, "canada_checks.csv")):
            fsas.setdefault(row["fsa"][:2], []).append((row["fsa"], row["province"]))
        districts = []
        for code in sorted(fsas):
            province = fsas[code][0][1]
            lat, lon, spread = PROVINCE_CENTRES[province]
            districts.append({"code": code, "province": province,
                              "fsas": sorted(f for f, _ in fsas[code]),
                              "point": "%s-%sC" % (province, code),
                              "terminal": code + province,
                              "centre": jitter(self.rng, (lat, lon), spread)})
        return districts

    def refined(self, kind):
        """The areas refined by base ZIPs of a kind, by their first prefix:
        a kind's base ZIP ranges are searched in ascending order."""
        return sorted((a for a in self.areas if a.kind == kind), key=lambda a: a.prefixes[0])


def base_zip_ranges(area):
    """The two base ZIP ranges of a refined area's first prefix: its core
    (00-49) and the rest (50-99)."""
    p = area.prefixes[0]
    return [(p + "00", p + "49", p + "01"), (p + "50", p + "99", p + "50")]


def lane_distance(rng, a, b):
    if a is b:
        return max(40.0, 25.0 * len(a.prefixes)) * rng.uniform(0.9, 1.1)
    return max(60.0, sample.miles(a.centre, b.centre)) * rng.uniform(0.97, 1.03)


def matrix_tables(nat):
    """zones.csv, lanes.csv and rates.csv: a zone per area (its prefix
    ranges) and per refined base ZIP; a lane per pair of areas and per pair
    of base ZIPs of one kind, each with its own rate basis record."""
    rng = nat.rng
    zones, lanes, rates = [], [], []
    for a in nat.areas:
        ps = [int(p) for p in a.prefixes]
        start = 0
        for k in range(len(ps)):
            if k + 1 == len(ps) or ps[k + 1] != ps[k] + 1:
                zones.append((a.name, "1:%03d00" % ps[start], "1:%03d00" % ps[k]))
                start = k + 1
    number = 0
    for i, a in enumerate(nat.areas):
        for b in nat.areas[i:]:
            letter = a.kind if a.kind and a.kind == b.kind else "G"
            key = "%06d" % (100000 + number)
            number += 1
            lanes.append((a.name, b.name, letter + key))
            rates.append([key] + sample.narrow_rates(lane_distance(rng, a, b)))
    bse = []
    for kind in ("A", "F", "I"):
        keys = []
        for a in nat.refined(kind):
            for lo, hi, base in base_zip_ranges(a):
                bse.append((BSE_KIND[kind], lo, hi, base, 0))
                name = "%s%s" % (kind, base)
                zones.append((name, "%d:%s" % (KEY_BASE[kind] // 100000, base),
                              "%d:%s" % (KEY_BASE[kind] // 100000, base)))
                keys.append((name, a, base.endswith("01")))
        number = 0
        for i, (na, a, core_a) in enumerate(keys):
            for nb, b, core_b in keys[i:]:
                key = "%06d" % (KEY_BASE[kind] + number)
                number += 1
                lanes.append((na, nb, "G" + key))
                # A city core costs a little more to serve than its outskirts.
                premium = 10000 + 400 * (core_a + core_b)
                rates.append([key] + sample.narrow_rates(lane_distance(rng, a, b), premium))
    return zones, lanes, sorted(rates), bse


def minimum_charges():
    rows = [(letter, 100000, 799999, "S", "LTL MINIMUM", "0") for letter in "ACFGI"]
    return rows + [("K", 300000, 399999, "S", "ALASKA MINIMUM", "0"),
                   ("M", 400000, 499999, "S", "MEXICO MINIMUM", "0"),
                   (" ", 200000, 299999, "S", "POINT MINIMUM", "0")]


def point_centres(nat):
    centres = {a.point: a.centre for a in nat.areas}
    centres.update({p[0]: p[3] for p in sample.REMOTE_POINTS})
    centres.update({d["point"]: d["centre"] for d in nat.districts})
    return centres


def us_zip_points(nat):
    """Every ZIP of the lower 48 with its point: its area's, or its remote
    area's own."""
    remote = {p[1]: p[0] for p in sample.REMOTE_POINTS}
    rows = []
    for prefix in nat.geo.lower48:
        point = remote.get(prefix) or nat.area_of[prefix].point
        rows += [("%s%02d" % (prefix, z), point) for z in range(100)]
    return rows


def bp_rows(rows):
    return [(z, p, p, 0, 0, 0, 0) for z, p in sorted(rows)]


def canadian_codes(nat):
    rows = []
    for d in nat.districts:
        for fsa in d["fsas"]:
            rows += [("%s%d%s" % (fsa, n, l), d["point"])
                     for n in range(10) for l in sample.LDU_LETTERS]
    return rows


def point_pairs(nat):
    """Remote areas with every area and each other; Canadian districts with
    every area and every remote area; both directions."""
    centres = point_centres(nat)
    areas = [a.point for a in nat.areas]
    remote = [p[0] for p in sample.REMOTE_POINTS]
    canada = [d["point"] for d in nat.districts]
    pairs = set()
    for a in remote:
        pairs |= {(a, b) for b in areas + remote} | {(b, a) for b in areas}
    for c in canada:
        pairs |= {(c, b) for b in areas + remote} | {(b, c) for b in areas + remote}
    rows, rbnos = [], set()
    for a, b in sorted(pairs):
        rbno = sample.point_rbno(max(60.0, sample.miles(centres[a], centres[b])),
                                 a in canada or b in canada)
        rows.append((a, b, rbno))
        rbnos.add(rbno)
    return rows, sorted(rbnos)


def zone_minimums(nat):
    """A congestion charge on every lane to or from a refined city core, and
    a higher minimum on the remote areas."""
    rows = []
    for a in nat.areas:
        if a.kind:
            lo, hi, _ = base_zip_ranges(a)[0]
            rows += [("00000", hi, lo, hi, " 00000", "Z99999", "0", "2500"),
                     (lo, hi, lo, "99999", " 00000", "Z99999", "0", "2500")]
    for _, prefix, _, _ in sample.REMOTE_POINTS:
        lo, hi = prefix + "00", prefix + "99"
        rows += [("00000", hi, lo, hi, " 00000", "Z99999", "15500", "0"),
                 (lo, hi, lo, "99999", " 00000", "Z99999", "15500", "0")]
    return rows


def alaska_tables(nat):
    points = [(prefix + "00", prefix + "99", point, flag)
              for point, prefix, flag, _ in sample.ALASKA_POINTS]
    rbnos, rates = [], []
    for n, (point, _, _, beyond) in enumerate(sample.ALASKA_POINTS):
        for a in nat.areas:
            mainland = max(100.0, sample.miles(a.centre, sample.SEATTLE))
            rates.append(["3%d%03d0" % (n + 1, a.number)] + sample.alaska_values(mainland + beyond))
        for prefix in nat.geo.lower48:
            rbnos.append((point, prefix, "3%d%03d0" % (n + 1, nat.area_of[prefix].number)))
        for m, (_, other_prefix, _, other_beyond) in enumerate(sample.ALASKA_POINTS):
            key = "3%d99%d0" % (n + 1, m + 1)
            rbnos.append((point, other_prefix, key))
            rates.append([key] + sample.alaska_values(max(150, abs(beyond - other_beyond) * 0.8)))
    return points, rbnos, sorted(rates)


def mexican_tables(nat):
    points = []
    for point, _, ranges in sample.MEXICAN_POINTS:
        for lo, hi in ranges:
            points += [("%05d" % code, point) for code in range(lo, hi + 1)]
    rbnos, rates = [], []
    for n, (point, centre, _) in enumerate(sample.MEXICAN_POINTS):
        for prefix in nat.geo.lower48:
            rbnos.append((point, prefix, "4%d%03d0" % (n + 1, nat.area_of[prefix].number)))
        for a in nat.areas:
            narrow = sample.narrow_rates(max(100.0, sample.miles(a.centre, centre)), 12500, 5000)
            rates.append(["4%d%03d0" % (n + 1, a.number)] + [narrow[0]] + sample.widen(narrow))
    return points, rbnos, sorted(rates)


def terminals(nat):
    return ([(a.terminal, a.centre) for a in nat.areas] +
            [(d["terminal"], d["centre"]) for d in nat.districts])


def transit_table(nat):
    codes = terminals(nat)
    rows = [(a, b, sample.transit_days(max(40.0, sample.miles(ca, cb))))
            for a, ca in codes for b, cb in codes]
    return sorted(rows, key=lambda r: (r[0].upper(), r[1].upper()))


def write_guide(nat, days, guide):
    os.makedirs(guide, exist_ok=True)
    serves = ["serves %s %s" % (p, nat.area_of[p].terminal) for p in nat.geo.lower48]
    serves += ["serves %s %s" % (fsa, d["terminal"]) for d in nat.districts for fsa in d["fsas"]]
    lines = ["# The national tariff's service guide, written by make_national.py", ""]
    lines += serves + [""] + ["days %s %s %d" % r for r in days]
    with open(os.path.join(guide, "GUIDE.TXT"), "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")
    return len(serves) + len(days)


def write_manifest(out):
    """The sample's manifest, named for this tariff."""
    sample.write_manifest(out)
    path = os.path.join(out, "tariff.toml")
    with open(path, encoding="ascii") as f:
        text = f.read()
    text = text.replace("# The sample tariff: real geography, rates of our own making.\n"
                        "# Written by samples/tools/make_sample.py",
                        "# The national benchmark tariff: real geography, synthetic rates.\n"
                        "# Written by samples/tools/make_national.py")
    with open(path, "w", encoding="ascii") as f:
        f.write(text)


def write_source(data, out, guide, seed):
    os.makedirs(out, exist_ok=True)
    nat = National(data, seed)
    s = sample.Source(out)
    write_manifest(out)
    s.table("minimum_charges.csv", ["letter", "lowest", "highest", "kind", "label", "value"],
            minimum_charges())
    s.table("state_codes.csv", ["prefix", "state", "intrastate", "direction", "point_flag1",
                                "point_flag2", "point_flag3", "region"],
            sample.state_codes(nat.geo))

    rate_header = ["key", "min1", "min2", "min3", "min4"] + [
        "rate%d" % (w + 1) for w in range(len(sample.WEIGHT_BREAKS))]
    zones, lanes, rates, bse = matrix_tables(nat)
    s.table("rates.csv", rate_header, rates)
    s.table("factors.csv", ["low_key", "high_key", "factor", "repeat"], sample.factor_entries())
    s.table("group_factors.csv", ["lowest", "highest"] +
            ["factor%d" % (k + 1) for k in range(162)],
            [[1, 999999] + sample.class_factor_cells()])
    s.table("base_zips.csv", ["territory", "lowest", "highest", "base_zip", "adjustment"], bse)
    s.table("zones.csv", ["zone", "first", "last"], zones)
    s.table("lanes.csv", ["origin_zone", "destination_zone", "rate_basis"], lanes)

    bp_header = ["postal_code", "origin_point", "destination_point", "origin_rbno_adjustment",
                 "origin_adjustment_number", "destination_rbno_adjustment",
                 "destination_adjustment_number"]
    us = us_zip_points(nat)
    s.table("base_points.csv", bp_header, bp_rows(us))
    s.table("canadian_base_points.csv", bp_header, bp_rows(us + canadian_codes(nat)))
    pairs, rbnos = point_pairs(nat)
    s.table("point_matrix.csv", ["origin_point", "destination_point", "value"], pairs)
    s.table("point_rates.csv", ["rbno", "factor_group"] + rate_header[1:],
            sample.point_rates(rbnos))
    s.table("postal_ranges.csv", ["province", "lowest", "highest"], sample.postal_ranges(nat.geo))
    s.table("zone_minimums.csv", ["first_lowest", "first_highest", "second_lowest",
                                  "second_highest", "rbno_lowest", "rbno_highest",
                                  "minimum_charge", "zone_charge"], zone_minimums(nat))

    s.table("hawaii_points.csv", ["zip", "area_code", "rate_code", "terminal"],
            sample.hawaii_points(nat.geo))
    s.table("hawaii_gateways.csv", ["origin_code", "destination_code", "gateway"],
            sample.hawaii_gateways(nat.geo))
    s.table("hawaii_gateway_zips.csv", ["gateway", "zip"],
            sorted((g, z) for g, z, _ in sample.HAWAII_GATEWAYS))
    table_header = ["area_code", "rate_code", "minimum"] + ["rate%d" % k for k in range(1, 7)]
    for n in range(1, 5):
        s.table("hawaii_table%d.csv" % n, table_header, sample.hawaii_table(n))

    leg_header = ["key", "minimum"] + ["cell%d" % k for k in range(4, 166)]
    ak_points, ak_rbnos, ak_rates = alaska_tables(nat)
    s.table("alaska_points.csv", ["lowest", "highest", "point", "point_flag"], ak_points)
    s.table("alaska_rbnos.csv", ["point", "zip_prefix", "rbno_digits"], ak_rbnos)
    s.table("alaska_rates.csv", leg_header, ak_rates)
    mx_points, mx_rbnos, mx_rates = mexican_tables(nat)
    s.table("mexican_points.csv", ["postal_code", "point"], mx_points)
    s.table("mexican_rbnos.csv", ["point", "zip_prefix", "rbno_digits"], mx_rbnos)
    s.table("mexican_rates.csv", leg_header, mx_rates)

    days = transit_table(nat)
    s.table("transit_days.csv", ["origin_terminal", "destination_terminal", "days"], days)
    if guide:
        s.sizes["GUIDE.TXT"] = write_guide(nat, days, guide)
    return s.sizes, nat


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(here, "..", "data"))
    parser.add_argument("--out", required=True, help="directory of the tariff source")
    parser.add_argument("--guide", help="directory of the service guide's GUIDE.TXT")
    parser.add_argument("--seed", type=int, default=1907)
    parser.add_argument("--quiet", action="store_true")
    args = parser.parse_args()
    sizes, nat = write_source(args.data, args.out, args.guide, args.seed)
    if not args.quiet:
        print("%d areas, %d refined, %d Canadian districts" %
              (len(nat.areas), sum(1 for a in nat.areas if a.kind), len(nat.districts)))
        for name in sorted(sizes):
            print("%-40s %7d lines" % (name, sizes[name]))


if __name__ == "__main__":
    main()
