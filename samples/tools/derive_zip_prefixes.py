#!/usr/bin/env python3
"""Derive the sample tariff's geography tables from the `zipcodes` npm package.

Usage (offline, on an unpacked package; the build never runs this):

    mkdir /tmp/zc && cd /tmp/zc && npm pack zipcodes@8.0.0 && tar xzf zipcodes-8.0.0.tgz
    python3 samples/tools/derive_zip_prefixes.py /tmp/zc/package samples/data

Writes, in the output directory:

    zip_prefix_states.csv    prefix,state      every three-digit prefix the data knows;
                                               a prefix whose ZIPs lie in several states
                                               takes the state holding most of them
    zip_prefix_splits.csv    prefix,state,zips,majority   the minority ZIPs of such prefixes
    zip_checks.csv           zip,state         real ZIPs of every state and DC, for tests
    canada_fsa_provinces.csv low,high,province three-character postal prefix ranges
    canada_checks.csv        fsa,province      every forward sortation area the data knows
    hawaii_zips.csv          zip,island        Hawaiian ZIPs with the island they serve

Standard library only.
"""

import collections
import csv
import json
import os
import sys

# The states whose real ZIPs the check list holds: the fifty states and DC.
CHECK_STATES = sorted("""
AL AK AZ AR CA CO CT DE DC FL GA HI ID IL IN IA KS KY LA ME MD MA MI MN MS MO
MT NE NV NH NJ NM NY NC ND OH OK OR PA RI SC SD TN TX UT VT VA WA WV WI WY
""".split())
CHECKS_PER_STATE = 8

PROVINCE_CODES = {
    "Newfoundland and Labrador": "NL", "Nova Scotia": "NS",
    "Prince Edward Island": "PE", "New Brunswick": "NB", "Quebec": "QC",
    "Ontario": "ON", "Manitoba": "MB", "Saskatchewan": "SK", "Alberta": "AB",
    "British Columbia": "BC", "Northwest Territory": "NT",
    "Nunavut Territory": "NU", "Yukon": "YT",
}


def load_js_object(path):
    """The package's data files are `exports.codes = {...};` followed by more exports."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    start = text.index("{")
    value, _ = json.JSONDecoder().raw_decode(text, start)
    return value


def write_csv(path, header, rows):
    with open(path, "w", newline="", encoding="ascii") as f:
        w = csv.writer(f, lineterminator="\n")
        w.writerow(header)
        w.writerows(rows)


def hawaii_island(lat, lon):
    """Island of a Hawaiian ZIP from its coordinates (boxes around each island)."""
    if lat is None or lon is None or lon > 0:
        return ""  # Wake Island and the like: not one of the rated islands
    if lon < -159.2:
        return "KAUAI"
    if lon < -157.6:
        return "OAHU"
    if lon < -156.75:
        return "LANAI" if lat < 20.95 else "MOLOKAI"
    if lat > 20.3:
        return "MAUI"
    return "HAWAII"


def derive_us(codes, out):
    by_prefix = collections.defaultdict(collections.Counter)
    for zip_code, entry in codes.items():
        if len(zip_code) != 5 or not zip_code.isdigit():
            raise SystemExit("unexpected ZIP %r" % zip_code)
        by_prefix[zip_code[:3]][entry["state"]] += 1

    majority = {}
    for prefix, states in by_prefix.items():
        # Ties go to the alphabetically first state so that the result is stable.
        majority[prefix] = sorted(states.items(), key=lambda s: (-s[1], s[0]))[0][0]
    write_csv(os.path.join(out, "zip_prefix_states.csv"), ["prefix", "state"],
              sorted(majority.items()))

    splits = []
    for zip_code in sorted(codes):
        state = codes[zip_code]["state"]
        if state != majority[zip_code[:3]]:
            splits.append((zip_code[:3], state, zip_code, majority[zip_code[:3]]))
    write_csv(os.path.join(out, "zip_prefix_splits.csv"),
              ["prefix", "state", "zip", "majority"], splits)

    # Evenly spaced real ZIPs of each state, leaving out those the prefix table
    # assigns to a neighbour.
    checks = []
    for state in CHECK_STATES:
        zips = sorted(z for z, e in codes.items()
                      if e["state"] == state and majority[z[:3]] == state
                      and (state != "HI" or hawaii_island(e["latitude"], e["longitude"])))
        step = max(1, len(zips) // CHECKS_PER_STATE)
        checks += [(z, state) for z in zips[::step][:CHECKS_PER_STATE]]
    write_csv(os.path.join(out, "zip_checks.csv"), ["zip", "state"], checks)

    hawaii = []
    for zip_code in sorted(codes):
        entry = codes[zip_code]
        island = hawaii_island(entry["latitude"], entry["longitude"])
        if entry["state"] == "HI" and island:
            hawaii.append((zip_code, island))
    write_csv(os.path.join(out, "hawaii_zips.csv"), ["zip", "island"], hawaii)
    return len(majority), len(splits), len(checks), len(hawaii)


def derive_canada(codes, out):
    # A few rows of the data hold a place name where the province belongs;
    # they are left out of both tables.
    known = sorted((fsa, PROVINCE_CODES[e["state"]]) for fsa, e in codes.items()
                   if e["state"] in PROVINCE_CODES)
    by_letter = collections.defaultdict(list)
    for fsa, province in known:
        by_letter[fsa[0]].append((fsa, province))

    ranges = []
    for letter in sorted(by_letter):
        runs = []  # [first fsa, last fsa, province] of consecutive equal provinces
        for fsa, province in by_letter[letter]:
            if runs and runs[-1][2] == province:
                runs[-1][1] = fsa
            else:
                runs.append([fsa, fsa, province])
        # A letter of one province covers every code beginning with it; where a
        # letter is split, the runs keep their own bounds except at the ends.
        runs[0][0] = letter + "00"
        runs[-1][1] = letter + "ZZ"
        ranges += [tuple(r) for r in runs]
    write_csv(os.path.join(out, "canada_fsa_provinces.csv"),
              ["low", "high", "province"], ranges)
    write_csv(os.path.join(out, "canada_checks.csv"), ["fsa", "province"], known)
    return len(ranges), len(known)


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: derive_zip_prefixes.py PACKAGE_DIR OUT_DIR")
    package, out = sys.argv[1], sys.argv[2]
    us = load_js_object(os.path.join(package, "lib", "codes.js"))
    ca = load_js_object(os.path.join(package, "lib", "codesCanada.js"))
    prefixes, splits, checks, hawaii = derive_us(us, out)
    ranges, fsas = derive_canada(ca, out)
    print("%d ZIPs: %d prefixes, %d ZIPs outside their prefix's state, %d checks, "
          "%d Hawaiian ZIPs; %d postal prefixes: %d province ranges"
          % (len(us), prefixes, splits, checks, hawaii, fsas, ranges))


if __name__ == "__main__":
    main()
