#!/usr/bin/env python3
"""Write the sample tariff's source (samples/sample/) from compact rules.

    python3 samples/tools/make_sample.py [--data samples/data] [--out samples/sample]
                                         [--guide samples/guide]

The geography is real (samples/data, derived from public ZIP data); the rates
are ours, made up from distances between regions: no carrier's tariff.

What the sample holds:
- the lower 48 states and DC on the ZIP-pair matrix, one key per three-digit
  ZIP prefix; each prefix belongs to one of 20 regions and a cell takes the
  rate basis of its pair of regions;
- remote points (Cape Cod and the islands, Downeast Maine, the Outer Banks,
  Michigan's Upper Peninsula) off the matrix, rated on base points to and from
  the 20 regional hub cities; the hubs' ZIPs and 22 areas of 11 Canadian
  cities are base points for cross-border lanes too;
- Canadian postal prefixes by province, Hawaiian ZIPs by island with their
  gateways and island charges, Alaskan points and Mexican points with rates of
  their own, transit days between terminals and a few zone charges;
- a weekly fuel index with a fuel table of 5-cent bands, and a catalogue of
  accessorial charges.

Beside the source it writes GUIDE.TXT (samples/guide/), the data our stand-in
service guide answers from: the terminal serving each lower-48 prefix and
each Canadian area, and the days between terminals.

Standard library only; the output is deterministic.
"""

import argparse
import csv
import datetime
import math
import os

# ---- Classes, weight breaks and the shape of a rate table ---------------

CLASSES = ["50", "55", "60", "65", "70", "77.5", "85", "92.5", "100", "110",
           "125", "150", "175", "200", "250", "300", "400", "500"]

WEIGHT_BREAKS = [("L5C", 0, 499), ("M5C", 500, 999), ("M1M", 1000, 1999),
                 ("M2M", 2000, 4999), ("M5M", 5000, 9999), ("M10M", 10000, 19999),
                 ("M20M", 20000, 29999), ("M30M", 30000, 39999),
                 ("M40M", 40000, 9999999)]

# A class's rate in hundredths of a percent of the class 100 rate.
CLASS_FACTORS = {"50": 5000, "55": 5400, "60": 5800, "65": 6200, "70": 6600,
                 "77.5": 7200, "85": 8000, "92.5": 8700, "100": 10000,
                 "110": 11000, "125": 12500, "150": 15000, "175": 17500,
                 "200": 20000, "250": 25000, "300": 30000, "400": 40000,
                 "500": 50000}

# A weight break's rate as a share of the L5C rate, hundredths of a percent.
BREAK_SHARES = [10000, 8000, 6600, 5200, 4000, 3000, 2400, 2000, 1700]

# ---- Regions --------------------------------------------------------------

# code, centre (latitude, longitude), miles of a typical lane inside it,
# service guide region letter (E or W), hub prefix and hub base point
REGIONS = [
    ("NEN", (42.4, -71.6), 110, "E", "021", "BOS-MA"),
    ("NYC", (40.75, -74.1), 45, "E", "100", "NYC-NY"),
    ("UNY", (43.0, -76.1), 140, "E", "132", "SYR-NY"),
    ("MAT", (39.9, -76.2), 90, "E", "191", "PHL-PA"),
    ("WPA", (39.9, -80.1), 120, "E", "152", "PIT-PA"),
    ("VAC", (36.3, -79.5), 190, "E", "282", "CLT-NC"),
    ("GAL", (33.2, -85.3), 180, "E", "303", "ATL-GA"),
    ("FLA", (28.3, -81.7), 170, "E", "328", "ORL-FL"),
    ("TNK", (36.6, -86.2), 170, "E", "372", "BNA-TN"),
    ("OHM", (41.6, -83.6), 160, "E", "482", "DET-MI"),
    ("ILW", (42.0, -88.0), 150, "E", "606", "CHI-IL"),
    ("NCP", (43.8, -96.0), 260, "E", "554", "MSP-MN"),
    ("MOK", (37.2, -94.3), 230, "E", "641", "MKC-MO"),
    ("GUL", (31.6, -90.5), 170, "E", "701", "MSY-LA"),
    ("TXS", (31.0, -97.3), 230, "W", "752", "DFW-TX"),
    ("MTN", (42.0, -109.0), 320, "W", "802", "DEN-CO"),
    ("SWT", (34.0, -111.0), 260, "W", "850", "PHX-AZ"),
    ("CAS", (34.1, -118.0), 90, "W", "900", "LAX-CA"),
    ("CAN", (38.2, -121.6), 130, "W", "941", "SFO-CA"),
    ("PNW", (46.3, -122.5), 170, "W", "981", "SEA-WA"),
]
REGION_INDEX = {r[0]: i for i, r in enumerate(REGIONS)}

STATE_REGIONS = {
    "ME": "NEN", "NH": "NEN", "VT": "NEN", "MA": "NEN", "RI": "NEN", "CT": "NEN",
    "NJ": "NYC", "DE": "MAT", "MD": "MAT", "DC": "MAT", "WV": "WPA",
    "VA": "VAC", "NC": "VAC", "SC": "VAC", "GA": "GAL", "AL": "GAL", "FL": "FLA",
    "TN": "TNK", "KY": "TNK", "OH": "OHM", "MI": "OHM", "IL": "ILW", "IN": "ILW",
    "WI": "ILW", "MN": "NCP", "IA": "NCP", "ND": "NCP", "SD": "NCP", "NE": "NCP",
    "MO": "MOK", "KS": "MOK", "OK": "MOK", "AR": "MOK", "LA": "GUL", "MS": "GUL",
    "TX": "TXS", "CO": "MTN", "UT": "MTN", "WY": "MTN", "MT": "MTN", "ID": "MTN",
    "AZ": "SWT", "NM": "SWT", "OR": "PNW", "WA": "PNW",
}


def region_of(prefix, state):
    p = int(prefix)
    if state == "NY":
        return "UNY" if p >= 120 else "NYC"
    if state == "PA":
        return "WPA" if p <= 168 else "MAT"
    if state == "TX":
        return "SWT" if p == 885 else "TXS"  # El Paso
    if state == "CA":
        return "CAS" if p <= 935 else "CAN"
    if state == "NV":
        return "SWT" if p <= 891 else "CAN"  # Las Vegas; Reno and the north
    return STATE_REGIONS[state]


# Prefixes off the matrix, each a base point of its own, rated to and from
# the hubs only: point, prefix, region, centre.
REMOTE_POINTS = [
    ("HYA-MA", "025", "NEN", (41.65, -70.28)),   # Cape Cod and the islands
    ("ELW-ME", "046", "NEN", (44.54, -68.42)),   # Downeast Maine
    ("MEO-NC", "279", "VAC", (35.91, -75.67)),   # the Outer Banks
    ("ESC-MI", "498", "OHM", (45.75, -87.06)),   # the Upper Peninsula
    ("MQT-MI", "499", "OHM", (46.54, -87.40)),
]

HUB_CENTRES = {
    "BOS-MA": (42.36, -71.06), "NYC-NY": (40.75, -73.99), "SYR-NY": (43.05, -76.15),
    "PHL-PA": (39.95, -75.17), "PIT-PA": (40.44, -79.99), "CLT-NC": (35.23, -80.84),
    "ATL-GA": (33.75, -84.39), "ORL-FL": (28.54, -81.38), "BNA-TN": (36.16, -86.78),
    "DET-MI": (42.33, -83.05), "CHI-IL": (41.88, -87.63), "MSP-MN": (44.98, -93.27),
    "MKC-MO": (39.10, -94.58), "MSY-LA": (29.95, -90.07), "DFW-TX": (32.78, -96.80),
    "DEN-CO": (39.74, -104.99), "PHX-AZ": (33.45, -112.07), "LAX-CA": (34.05, -118.24),
    "SFO-CA": (37.77, -122.42), "SEA-WA": (47.61, -122.33),
}

# Canadian city areas served on base points: point, forward sortation areas,
# centre, terminal.
CANADIAN_POINTS = [
    ("YHZ-NS", ["B3B", "B3J"], (44.65, -63.57)),
    ("YQB-QC", ["G1R", "G2E"], (46.81, -71.21)),
    ("YUL-QC", ["H3B", "H4T", "H9P"], (45.50, -73.57)),
    ("YOW-ON", ["K1P", "K2E"], (45.42, -75.70)),
    ("YYZ-ON", ["L4T", "M5H", "M5V"], (43.65, -79.38)),
    ("YWG-MB", ["R2X", "R3C"], (49.90, -97.14)),
    ("YQR-SK", ["S4P"], (50.45, -104.61)),
    ("YXE-SK", ["S7K"], (52.13, -106.67)),
    ("YYC-AB", ["T2C", "T2P"], (51.05, -114.07)),
    ("YEG-AB", ["T5J", "T6E"], (53.55, -113.49)),
    ("YVR-BC", ["V6B", "V6X"], (49.28, -123.12)),
]

# Letters that may follow the digit of a local delivery unit.
LDU_LETTERS = "ABCEGHJKLMNPRSTVWXYZ"

# Alaskan points by ZIP prefix: point, prefix, flag (Y: on the road system),
# miles beyond Seattle.
ALASKA_POINTS = [
    ("ANC", "995", "Y", 1450), ("WAK", "996", "N", 1900), ("FAI", "997", "Y", 1800),
    ("JNU", "998", "N", 900), ("KTN", "999", "N", 680),
]
SEATTLE = (47.61, -122.33)

# Mexican points: point, centre, postal code ranges served.
MEXICAN_POINTS = [
    ("MTY", (25.67, -100.31), [(64000, 64999)]),   # Monterrey
    ("GDL", (20.67, -103.35), [(44100, 44990)]),   # Guadalajara
    ("MEX", (19.43, -99.13), [(6000, 6999), (11000, 11999)]),  # Mexico City
    ("TIJ", (32.51, -117.04), [(22000, 22699)]),   # Tijuana
    ("JRZ", (31.69, -106.42), [(32000, 32699)]),   # Ciudad Juarez
    ("NLD", (27.48, -99.52), [(88000, 88299)]),    # Nuevo Laredo
    ("QRO", (20.59, -100.39), [(76000, 76249)]),   # Queretaro
    ("SLP", (22.15, -100.98), [(78000, 78399)]),   # San Luis Potosi
]

# Hawaiian gateways on the mainland: code, ZIP, regions that ship through it.
HAWAII_GATEWAYS = [("LGB", "90802", None), ("OAK", "94607", {"CAN"}),
                   ("TAC", "98421", {"PNW", "MTN"})]

# Hawaiian islands: island, area code, rate code, terminal. Lanai and
# Molokai are outer islands, rated with the rate code AA.
HAWAII_AREAS = {
    "OAHU": ("OAH", "01", "HNL"), "KAUAI": ("KAU", "01", "LIH"),
    "MAUI": ("MAU", "01", "OGG"), "LANAI": ("LAN", "AA", "LNY"),
    "MOLOKAI": ("MOL", "AA", "MKK"),
}

# Hawaiian tables (cents; rates per pound by weight bracket): the minimum and
# six rates for Oahu, the other main islands and the outer islands.
HAWAII_TABLES = {
    1: {"OAHU": (6500, [20, 18, 16, 14, 12, 10]), "MAIN": (8500, [30, 27, 24, 21, 18, 16]),
        "OUTER": (11000, [40, 36, 32, 28, 25, 22])},   # within Hawaii from Honolulu
    2: {"OAHU": (8500, [38, 34, 30, 27, 24, 21]), "MAIN": (9500, [46, 41, 37, 33, 29, 26]),
        "OUTER": (12500, [58, 52, 47, 42, 37, 33])},   # ocean freight
    3: {"OAHU": (4500, [9, 8, 7, 6, 5, 4]), "MAIN": (5500, [11, 10, 9, 8, 7, 6]),
        "OUTER": (7500, [14, 13, 12, 11, 10, 9])},     # island pickup and delivery
    4: {"OAHU": (1500, [2, 2, 2, 2, 2, 2]), "MAIN": (1500, [2, 2, 2, 2, 2, 2]),
        "OUTER": (2000, [3, 3, 3, 3, 3, 3])},          # wharfage and handling
}

OUT_OF_SCOPE_STATES = {"PR", "VI", "GU", "AS", "AA", "AE", "AP"}

# ---- Distances and rates --------------------------------------------------


def miles(a, b):
    """Road miles: great-circle distance with a circuity of 1.2."""
    la1, lo1, la2, lo2 = map(math.radians, (a[0], a[1], b[0], b[1]))
    h = (math.sin((la2 - la1) / 2) ** 2
         + math.cos(la1) * math.cos(la2) * math.sin((lo2 - lo1) / 2) ** 2)
    return 1.2 * 3958.8 * 2 * math.asin(math.sqrt(h))


def region_miles(i, j):
    if i == j:
        return REGIONS[i][2]
    return max(REGIONS[i][2], miles(REGIONS[i][1], REGIONS[j][1]))


def narrow_rates(distance, premium=10000, minimum_extra=0):
    """Four minimum charges and the class 100 rate of each weight break, cents.

    The L5C rate grows with distance; heavier breaks pay a falling share of it.
    `premium` (hundredths of a percent) raises a leg's rates, `minimum_extra`
    its minimum charge.
    """
    distance = int(round(distance))
    l5c = (4500 + 9 * distance) * premium // 10000
    minimum = 8500 + 3 * min(distance, 3000) + minimum_extra
    return [minimum, 0, 0, 0] + [(l5c * s + 5000) // 10000 for s in BREAK_SHARES]


def widen(narrow):
    """Every class's rate at every break, as the class factors widen them."""
    cells = []
    for code in CLASSES:
        cells += [(base * CLASS_FACTORS[code] + 5000) // 10000 for base in narrow[4:]]
    return cells


def class_factor_cells():
    return [CLASS_FACTORS[c] for c in CLASSES for _ in WEIGHT_BREAKS]


def transit_days(distance):
    for limit, days in ((250, 1), (500, 2), (1000, 3), (1500, 4), (2000, 5), (2500, 6)):
        if distance <= limit:
            return days
    return 7


# ---- Keys -----------------------------------------------------------------

def matrix_key(i, j):
    """Rate basis digits of a pair of regions (numbered from 1, lower first)."""
    i, j = sorted((i, j))
    return "1%02d%02d0" % (i + 1, j + 1)


def point_rbno(distance, cross_border):
    """Base-point lanes are rated by 50-mile band; cross-border lanes apart."""
    band = min(99, int(math.ceil(distance / 50.0)))
    return 200000 + 1000 * (1 if cross_border else 0) + 10 * band


def alaska_key(point, region):
    return "3%02d%02d0" % (point + 1, region + 1)


def mexican_key(point, region):
    return "4%02d%02d0" % (point + 1, region + 1)


# ---- Reading the geography ------------------------------------------------

def read_csv(path):
    with open(path, newline="", encoding="ascii") as f:
        return list(csv.DictReader(f))


class Geography:
    def __init__(self, data):
        self.prefix_states = {r["prefix"]: r["state"]
                              for r in read_csv(os.path.join(data, "zip_prefix_states.csv"))}
        self.province_ranges = read_csv(os.path.join(data, "canada_fsa_provinces.csv"))
        self.hawaii_zips = read_csv(os.path.join(data, "hawaii_zips.csv"))
        remote = {p[1] for p in REMOTE_POINTS}
        self.lower48 = sorted(p for p, s in self.prefix_states.items()
                              if s not in OUT_OF_SCOPE_STATES and s not in ("AK", "HI"))
        self.matrix_prefixes = [p for p in self.lower48 if p not in remote]
        self.region = {p: REGION_INDEX[region_of(p, self.prefix_states[p])]
                       for p in self.lower48}


# ---- The source files -----------------------------------------------------

class Source:
    def __init__(self, out):
        self.out = out
        self.sizes = {}

    def table(self, name, header, rows):
        with open(os.path.join(self.out, name), "w", encoding="ascii") as f:
            for row in [header] + list(rows):
                f.write(",".join(csv_field(v) for v in row) + "\n")
        self.sizes[name] = len(rows)


def csv_field(value):
    """Quoted when unquoted reading would change it: blanks at either end,
    a comma or a quote."""
    text = str(value)
    if text != text.strip() or "," in text or '"' in text:
        return '"' + text.replace('"', '""') + '"'
    return text


def write_manifest(out):
    breaks = ",\n".join('  { label = "%s", minimum = %d, maximum = %d }' % b
                        for b in WEIGHT_BREAKS)
    classes = ", ".join('"%s"' % c for c in CLASSES)
    text = """# The sample tariff: real geography, rates of our own making.
# Written by samples/tools/make_sample.py; edit the generator, not this file.

classes = [%s]

weight_breaks = [
%s,
]

[settings]
issue = "    1"
postal_code_length = "5"
service_guide_account_west = ""
service_guide_account = ""
option_flags = "NNNNNNNNN"
use_adjustments = "N"
engine_mode = "N"
weight_tier_on_gross = "N"
service_guide_mode = "0"
use_fac_tables = "Y"
wide_rte_records = "N"
""" % (classes, breaks)
    with open(os.path.join(out, "tariff.toml"), "w", encoding="ascii") as f:
        f.write(text)


def state_codes(geo):
    remote = {p[1] for p in REMOTE_POINTS}
    rows = []
    for prefix in sorted(geo.prefix_states):
        state = geo.prefix_states[prefix]
        if state in OUT_OF_SCOPE_STATES:
            rows.append((int(prefix), "YY", "N", "B", "N", "N", "N", "E"))
            continue
        if state in ("AK", "HI"):
            rows.append((int(prefix), state, "Y", "B", "N", "N", "Y", "W"))
            continue
        letter = REGIONS[geo.region[prefix]][3]
        on_matrix = "N" if prefix in remote else "Y"
        rows.append((int(prefix), state, "Y", "B", "N", "N", on_matrix, letter))
    return rows


def minimum_charges():
    return [("G", 100000, 199999, "S", "LTL MINIMUM", "0"),
            ("C", 100000, 199999, "S", "CA MINIMUM", "0"),
            ("K", 300000, 399999, "S", "ALASKA MINIMUM", "0"),
            ("M", 400000, 499999, "S", "MEXICO MINIMUM", "0"),
            (" ", 200000, 299999, "S", "POINT MINIMUM", "0")]


def matrix_tables(geo):
    """The matrix as zones and lanes: each region is a zone of ZIP-prefix
    ranges (a range breaks where a prefix is off the matrix), and each pair
    of regions a lane with its rate basis, in the order of the rate basis
    records. The records carry the letter G (no refinement below the
    prefix); lanes within California get their letter C when they are
    rated, not here."""
    zones = []
    for i, (code, *_) in enumerate(REGIONS):
        prefixes = [int(p) for p in geo.matrix_prefixes if geo.region[p] == i]
        start = 0
        for k in range(len(prefixes)):
            if k + 1 == len(prefixes) or prefixes[k + 1] != prefixes[k] + 1:
                zones.append((code, "1:%03d00" % prefixes[start], "1:%03d00" % prefixes[k]))
                start = k + 1
    lanes = []
    for i in range(len(REGIONS)):
        for j in range(i, len(REGIONS)):
            lanes.append((REGIONS[i][0], REGIONS[j][0], "G" + matrix_key(i, j)))
    return zones, lanes


def matrix_rates():
    rows = []
    for i in range(len(REGIONS)):
        for j in range(i, len(REGIONS)):
            rows.append([matrix_key(i, j)] + narrow_rates(region_miles(i, j)))
    return sorted(rows)


def factor_entries():
    groups = []
    for code in CLASSES:
        groups += [CLASS_FACTORS[code], len(WEIGHT_BREAKS)]
    return [["000000", "999999"] + groups]


# Every base point with its centre: hubs, remote points, Canadian cities.
def base_point_centres():
    centres = dict(HUB_CENTRES)
    centres.update({p[0]: p[3] for p in REMOTE_POINTS})
    centres.update({p[0]: p[2] for p in CANADIAN_POINTS})
    return centres


def hub_zip_points():
    rows = []
    for region in REGIONS:
        prefix, point = region[4], region[5]
        rows += [("%s%02d" % (prefix, z), point) for z in range(100)]
    return rows


def base_points():
    """.BSF: the hubs' and the remote points' ZIPs, and the Hawaiian gateway
    ZIPs (they stand in for a Hawaiian ZIP), each with its point."""
    rows = hub_zip_points()
    for point, prefix, _, _ in REMOTE_POINTS:
        rows += [("%s%02d" % (prefix, z), point) for z in range(100)]
    gateway_points = {"LGB": "LAX-CA", "OAK": "SFO-CA", "TAC": "SEA-WA"}
    rows += [(z, gateway_points[g]) for g, z, _ in HAWAII_GATEWAYS]
    rows = sorted(set(rows))
    return [(z, p, p, 0, 0, 0, 0) for z, p in rows]


def canadian_base_points():
    """.BSC: both ends of a cross-border lane: the hubs' ZIPs and every code
    of the Canadian areas (a code is found by its first five characters)."""
    rows = hub_zip_points()
    for point, areas, _ in CANADIAN_POINTS:
        for fsa in areas:
            rows += [("%s%d%s" % (fsa, d, l), point) for d in range(10) for l in LDU_LETTERS]
    return [(z, p, p, 0, 0, 0, 0) for z, p in sorted(rows)]


def point_pairs():
    """.MTX and .RTF: every ordered pair of points that a lane can join:
    remote points with hubs and each other, Canadian cities with hubs."""
    centres = base_point_centres()
    hubs = [r[5] for r in REGIONS]
    remote = [p[0] for p in REMOTE_POINTS]
    canada = [p[0] for p in CANADIAN_POINTS]
    pairs = set()
    for a in remote:
        pairs |= {(a, b) for b in hubs + remote} | {(b, a) for b in hubs}
    for a in canada:
        pairs |= {(a, b) for b in hubs} | {(b, a) for b in hubs}
    rows, rbnos = [], set()
    for a, b in sorted(pairs):
        distance = max(60.0, miles(centres[a], centres[b]))
        rbno = point_rbno(distance, a in canada or b in canada)
        rows.append((a, b, rbno))
        rbnos.add(rbno)
    return rows, sorted(rbnos)


def point_rates(rbnos):
    rows = []
    for rbno in rbnos:
        cross_border = (rbno // 1000) % 10 == 1
        band = rbno % 1000 // 10
        values = narrow_rates(50 * band - 25, 11500 if cross_border else 10500,
                              4000 if cross_border else 1500)
        rows.append([rbno, 1] + values)
    return rows


def postal_ranges(geo):
    return [(r["province"], r["low"], r["high"]) for r in geo.province_ranges]


def zone_minimums():
    # Manhattan's congestion charge and a higher minimum on the Outer Banks.
    return [("00000", "10299", "10000", "10299", " 00000", "Z99999", "0", "3500"),
            ("10000", "10299", "10000", "99999", " 00000", "Z99999", "0", "3500"),
            ("00000", "27999", "27900", "27999", " 00000", "Z99999", "16500", "0"),
            ("27900", "27999", "27900", "99999", " 00000", "Z99999", "16500", "0")]


# The Big Island's ZIPs on the windward side, served from Hilo; the others
# are served from Kona.
HILO_SIDE = {"96710", "96718", "96720", "96721", "96727", "96728", "96749", "96760",
             "96764", "96771", "96773", "96774", "96776", "96777", "96778", "96780",
             "96781", "96783", "96785"}


def hawaii_points(geo):
    rows = []
    for r in geo.hawaii_zips:
        if r["island"] == "HAWAII":
            area, terminal = ("HIL", "ITO") if r["zip"] in HILO_SIDE else ("KON", "KOA")
            rows.append((r["zip"], area, "01", terminal))
        else:
            area, rate, terminal = HAWAII_AREAS[r["island"]]
            rows.append((r["zip"], area, rate, terminal))
    return rows


def gateway_of(region):
    for code, _, regions in HAWAII_GATEWAYS:
        if regions and REGIONS[region][0] in regions:
            return code
    return HAWAII_GATEWAYS[0][0]


def hawaii_gateways(geo):
    rows = []
    for prefix in geo.lower48:
        gateway = gateway_of(geo.region[prefix])
        for hi in ("967", "968"):
            rows += [(prefix, hi, gateway), (hi, prefix, gateway)]
    for hi in ("967", "968"):
        rows += [("MEX", hi, "LGB"), (hi, "MEX", "LGB")]
    return sorted(rows, key=lambda r: (r[0].upper(), r[1].upper()))


def hawaii_table(number):
    table = HAWAII_TABLES[number]
    rows = []
    for area, rate, group in (("HIL", "01", "MAIN"), ("KAU", "01", "MAIN"),
                              ("KON", "01", "MAIN"), ("LAN", "AA", "OUTER"),
                              ("MAU", "01", "MAIN"), ("MOL", "AA", "OUTER"),
                              ("OAH", "01", "OAHU")):
        minimum, rates = table[group]
        rows.append([area, rate, minimum] + rates)
    return rows


def alaska_tables(geo):
    points = [(prefix + "00", prefix + "99", point, flag)
              for point, prefix, flag, _ in ALASKA_POINTS]
    rbnos, rates = [], []
    for n, (point, _, _, beyond) in enumerate(ALASKA_POINTS):
        for r, region in enumerate(REGIONS):
            mainland = max(region[2], miles(region[1], SEATTLE))
            rates.append([alaska_key(n, r)] + alaska_values(mainland + beyond))
        for prefix in geo.lower48:
            rbnos.append((point, prefix, alaska_key(n, geo.region[prefix])))
        # Within Alaska: from one point to another point's prefix.
        for m, (_, other_prefix, _, other_beyond) in enumerate(ALASKA_POINTS):
            key = "3%02d%02d0" % (n + 1, 50 + m)
            rbnos.append((point, other_prefix, key))
            rates.append([key] + alaska_values(max(150, abs(beyond - other_beyond) * 0.8)))
    return points, rbnos, sorted(rates)


def alaska_values(distance):
    narrow = narrow_rates(distance, 13000, 6000)
    return [narrow[0]] + widen(narrow)


def mexican_tables(geo):
    points = []
    for point, _, ranges in MEXICAN_POINTS:
        for lo, hi in ranges:
            points += [("%05d" % code, point) for code in range(lo, hi + 1)]
    rbnos, rates = [], []
    for n, (point, centre, _) in enumerate(MEXICAN_POINTS):
        for prefix in geo.lower48:
            rbnos.append((point, prefix, mexican_key(n, geo.region[prefix])))
        for r, region in enumerate(REGIONS):
            distance = max(region[2], miles(region[1], centre))
            narrow = narrow_rates(distance, 12500, 5000)
            rates.append([mexican_key(n, r)] + [narrow[0]] + widen(narrow))
    return points, rbnos, sorted(rates)


def terminal_of(point):
    """A base point's terminal code: its first three letters and 0."""
    return point[:3] + "0"


def terminals():
    """Terminal codes: a region's hub, a Canadian city, with their centres."""
    codes = [(terminal_of(r[5]), HUB_CENTRES[r[5]]) for r in REGIONS]
    codes += [(terminal_of(p[0]), p[2]) for p in CANADIAN_POINTS]
    return codes


def transit_table():
    codes = terminals()
    rows = []
    for a, ca in codes:
        for b, cb in codes:
            rows.append((a, b, transit_days(max(40.0, miles(ca, cb)))))
    return sorted(rows, key=lambda r: (r[0].upper(), r[1].upper()))


def guide_entries(geo):
    """The stand-in service guide's lines: every lower-48 prefix served by its
    region's hub terminal, every Canadian area by its city's, and the days
    of every pair of terminals as transit_table() gives them. Every pair has
    its days: the guide answers a pair without them with 1100, which the
    library takes for a lane without terminals. Hawaii, Alaska and Mexico are
    not served; a terminal without a terminal line adds no extra days."""
    serves = [(prefix, terminal_of(REGIONS[geo.region[prefix]][5])) for prefix in geo.lower48]
    serves += sorted((fsa, terminal_of(point)) for point, areas, _ in CANADIAN_POINTS
                     for fsa in areas)
    days = transit_table()
    return (["serves %s %s" % entry for entry in serves],
            ["days %s %s %d" % entry for entry in days])


def write_guide(geo, guide):
    os.makedirs(guide, exist_ok=True)
    serves, days = guide_entries(geo)
    header = ["# The sample tariff's service guide, read by our stand-in service guide",
              "# (standins/servguide): the terminal serving each end of a lane and the",
              "# days between terminals. The build copies it beside the compiled tariff.",
              "# Written by samples/tools/make_sample.py; edit the generator, not this file."]
    with open(os.path.join(guide, "GUIDE.TXT"), "w", encoding="ascii") as f:
        f.write("\n".join(header + [""] + serves + [""] + days) + "\n")
    return len(serves) + len(days)


# ---- Charges past the line haul -----------------------------------------

# The fuel index: a weekly price (dollars a gallon) published on Mondays,
# our own numbers wandering between about 3.40 and 4.10.
FUEL_INDEX_FIRST = datetime.date(2025, 1, 6)
FUEL_INDEX_LAST = datetime.date(2026, 12, 28)

# The fuel table: bands 5 cents wide from 1.200 to 6.000 dollars, the
# percentage rising half a percent a band from 1.00 %; a price takes effect
# on the Tuesday after it is published.
FUEL_BAND_FIRST_MILLS = 1200
FUEL_BAND_LAST_MILLS = 6000
FUEL_BAND_MILLS = 50
FUEL_FIRST_PERCENT_BPS = 100
FUEL_STEP_BPS = 50

# The accessorial catalogue: code, name, kind, amount (dollars, dollars per
# 100 pounds or a percentage of the freight charge), minimum, maximum.
ACCESSORIALS = [
    ("LIFTGATE", "Liftgate delivery", "flat", "85.00", "", ""),
    ("LIFTGATE_PICKUP", "Liftgate pickup", "flat", "85.00", "", ""),
    ("RESIDENTIAL", "Residential delivery", "flat", "125.00", "", ""),
    ("INSIDE", "Inside delivery", "per_cwt", "9.50", "95.00", "450.00"),
    ("LIMITED_ACCESS", "Limited access delivery", "flat", "110.00", "", ""),
    ("APPOINTMENT", "Delivery appointment", "flat", "35.00", "", ""),
    ("NOTIFY", "Notify before delivery", "flat", "20.00", "", ""),
    ("HAZMAT", "Hazardous materials", "flat", "60.00", "", ""),
    ("GUARANTEED", "Guaranteed service", "percent", "30.00", "75.00", "600.00"),
]


def fuel_index():
    rows = []
    day, week = FUEL_INDEX_FIRST, 0
    while day <= FUEL_INDEX_LAST:
        price = (3.75 + 0.26 * math.sin(2 * math.pi * week / 37)
                 + 0.07 * math.sin(2 * math.pi * week / 6.3))
        rows.append((day.isoformat(), "%.3f" % price))
        day += datetime.timedelta(days=7)
        week += 1
    return rows


def fuel_bands():
    rows = []
    for k, low in enumerate(range(FUEL_BAND_FIRST_MILLS, FUEL_BAND_LAST_MILLS, FUEL_BAND_MILLS)):
        bps = FUEL_FIRST_PERCENT_BPS + k * FUEL_STEP_BPS
        rows.append(("%.3f" % (low / 1000), "%.3f" % ((low + FUEL_BAND_MILLS) / 1000),
                     "%d.%02d" % (bps // 100, bps % 100)))
    return rows


FUEL_KEYS = """
# The fuel surcharge: its percentages are the bands of fuel_table.csv, its
# prices the index of fuel_index.csv.
[fuel]
effective_weekday = "Tuesday"
applies_to = "freight_charge"
discounted = false
"""


def write_charges(s):
    """The fuel index and table ([fuel] at the end of the manifest) and the
    accessorial catalogue."""
    with open(os.path.join(s.out, "tariff.toml"), "a", encoding="ascii") as f:
        f.write(FUEL_KEYS)
    s.table("fuel_index.csv", ["date", "price"], fuel_index())
    s.table("fuel_table.csv", ["at_least", "less_than", "percent"], fuel_bands())
    s.table("accessorials.csv", ["code", "name", "kind", "amount", "minimum", "maximum"],
            ACCESSORIALS)


def write_source(data, out, guide):
    os.makedirs(out, exist_ok=True)
    geo = Geography(data)
    s = Source(out)
    write_manifest(out)

    s.table("minimum_charges.csv", ["letter", "lowest", "highest", "kind", "label", "value"],
            minimum_charges())
    s.table("state_codes.csv", ["prefix", "state", "intrastate", "direction", "point_flag1",
                                "point_flag2", "point_flag3", "region"], state_codes(geo))

    rate_header = ["key", "min1", "min2", "min3", "min4"] + [
        "rate%d" % (w + 1) for w in range(len(WEIGHT_BREAKS))]
    s.table("rates.csv", rate_header, matrix_rates())
    s.table("factors.csv", ["low_key", "high_key", "factor", "repeat"], factor_entries())
    s.table("group_factors.csv", ["lowest", "highest"] +
            ["factor%d" % (k + 1) for k in range(162)],
            [[1, 999999] + class_factor_cells()])
    s.table("base_zips.csv", ["territory", "lowest", "highest", "base_zip", "adjustment"], [])
    zones, lanes = matrix_tables(geo)
    s.table("zones.csv", ["zone", "first", "last"], zones)
    s.table("lanes.csv", ["origin_zone", "destination_zone", "rate_basis"], lanes)

    bp_header = ["postal_code", "origin_point", "destination_point", "origin_rbno_adjustment",
                 "origin_adjustment_number", "destination_rbno_adjustment",
                 "destination_adjustment_number"]
    s.table("base_points.csv", bp_header, base_points())
    s.table("canadian_base_points.csv", bp_header, canadian_base_points())
    pairs, rbnos = point_pairs()
    s.table("point_matrix.csv", ["origin_point", "destination_point", "value"], pairs)
    s.table("point_rates.csv", ["rbno", "factor_group"] + rate_header[1:], point_rates(rbnos))
    s.table("postal_ranges.csv", ["province", "lowest", "highest"], postal_ranges(geo))
    s.table("zone_minimums.csv", ["first_lowest", "first_highest", "second_lowest",
                                  "second_highest", "rbno_lowest", "rbno_highest",
                                  "minimum_charge", "zone_charge"], zone_minimums())

    s.table("hawaii_points.csv", ["zip", "area_code", "rate_code", "terminal"],
            hawaii_points(geo))
    s.table("hawaii_gateways.csv", ["origin_code", "destination_code", "gateway"],
            hawaii_gateways(geo))
    s.table("hawaii_gateway_zips.csv", ["gateway", "zip"],
            sorted((g, z) for g, z, _ in HAWAII_GATEWAYS))
    table_header = ["area_code", "rate_code", "minimum"] + ["rate%d" % k for k in range(1, 7)]
    for n in range(1, 5):
        s.table("hawaii_table%d.csv" % n, table_header, hawaii_table(n))

    leg_header = ["key", "minimum"] + ["cell%d" % k for k in range(4, 166)]
    ak_points, ak_rbnos, ak_rates = alaska_tables(geo)
    s.table("alaska_points.csv", ["lowest", "highest", "point", "point_flag"], ak_points)
    s.table("alaska_rbnos.csv", ["point", "zip_prefix", "rbno_digits"], ak_rbnos)
    s.table("alaska_rates.csv", leg_header, ak_rates)
    mx_points, mx_rbnos, mx_rates = mexican_tables(geo)
    s.table("mexican_points.csv", ["postal_code", "point"], mx_points)
    s.table("mexican_rbnos.csv", ["point", "zip_prefix", "rbno_digits"], mx_rbnos)
    s.table("mexican_rates.csv", leg_header, mx_rates)

    s.table("transit_days.csv", ["origin_terminal", "destination_terminal", "days"],
            transit_table())
    write_charges(s)
    s.sizes["GUIDE.TXT"] = write_guide(geo, guide)
    return s.sizes


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(here, "..", "data"))
    parser.add_argument("--out", default=os.path.join(here, "..", "sample"))
    parser.add_argument("--guide", default=os.path.join(here, "..", "guide"))
    args = parser.parse_args()
    sizes = write_source(args.data, args.out, args.guide)
    for name in sorted(sizes):
        print("%-40s %7d lines" % (name, sizes[name]))


if __name__ == "__main__":
    main()
