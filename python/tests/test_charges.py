# The charges past the line haul through the package: a ship date,
# accessorial codes and lines of handling units, against brant on the same
# tariff. The tariff is the sample with the four charge files written here,
# byte by byte as docs/formats.md lays them out.
import dataclasses
import datetime
import io
import pathlib
import json
import shutil
import struct
import subprocess

import pandas as pd
import pytest

import brantfunc


def _text(value, width):
    return value.encode().ljust(width, b"\0")


@pytest.fixture(scope="module")
def charged(sample, tmp_path_factory):
    directory = tmp_path_factory.mktemp("charged")
    source = sample.rpartition("/")[0]
    for path in pathlib.Path(source).glob("SAMPLE.*"):
        shutil.copy(path, directory)
    files = {
        # Prices of Monday 03-02 and 03-09, in effect from the Tuesdays after.
        "FUI": struct.pack("<4i", 20260302, 3459, 20260309, 3900),
        "FUT": struct.pack("<8i", 1, 2, 1, 0, 0, 0, 0, 2)
        + struct.pack("<6i", 3000, 3500, 2000, 3500, 4000, 2250),
        "ACL": b"".join(_text(code, 16) + _text(name, 40) + struct.pack("<4i", *numbers)
                        for code, name, numbers in [
                            ("LIFTGATE", "Liftgate delivery", (1, 7500, 0, 0)),
                            ("INSIDE", "Inside delivery", (3, 1000, 0, 10000))]),
        "FAK": _text("92.5", 8) + _text("85", 8),
    }
    for extension, data in files.items():
        (directory / f"SAMPLE.{extension}").write_bytes(data)
    return str(directory / "SAMPLE")


def test_rate_gives_the_charges_of_brant_rate(charged, brant):
    args = [brant, "rate", "--json", "--explain", "--tariff", charged, "--ship-date",
            "2026-03-10", "--accessorial", "LIFTGATE", "--accessorial", "inside",
            "60601", "30303", "48x40x60:700", "3@48x40x48:900", "100:300"]
    expected = json.loads(subprocess.run(args, capture_output=True, text=True).stdout)["bill"]
    with brantfunc.Tariff(charged) as tariff:
        bill = tariff.rate("60601", "30303",
                           [("48x40x60", 700), ((3, 48, 40, 48), 900), ("100", 300)],
                           ship_date=datetime.date(2026, 3, 10),
                           accessorials=["LIFTGATE", "inside"], explain=True)
        assert bill == tariff.rate("60601", "30303",
                                   [("48X40X60", 700), ("3@48x40x48", 900), (100, 300)],
                                   ship_date="2026-03-10", accessorials=("LIFTGATE", "INSIDE"),
                                   explain=True)
    d = dataclasses.asdict(bill)
    for line in d["lines"]:
        line["class"] = line.pop("freight_class")
    d["ship_date"], d["fuel_index_date"] = "2026-03-10", "2026-03-09"
    d["transit_days"] = -1
    del d["tariff"]
    assert json.loads(json.dumps(d)) == expected
    assert (bill.lines[0].class_before_map, bill.lines[0].freight_class) == ("92.5", "85")
    assert [line.density_hundredths for line in bill.lines] == [1050, 562, 0]
    assert bill.fuel_index_date == datetime.date(2026, 3, 9)
    assert bill.fuel_surcharge_cents > 0 and bill.accessorials[0].amount_cents == 7500
    assert [a.kind for a in bill.accessorials] == ["flat", "percent"]
    assert bill.amount_due_cents == (bill.steps[0].total_cents + bill.fuel_surcharge_cents
                                     + bill.accessorial_total_cents)


@pytest.mark.parametrize("lines,options,error,field", [
    ([("100", 100)], {"ship_date": "2026-02-30"}, ValueError, None),
    ([("100", 100)], {"ship_date": datetime.datetime(2026, 3, 10)}, TypeError, None),
    ([("100", 100)], {"accessorials": "LIFTGATE"}, TypeError, None),
    ([("48x40", 100)], {}, brantfunc.RatingRefused, "dimensions"),
    ([("100", 100)], {"accessorials": ["HAZMAT"]}, brantfunc.RatingRefused, "accessorial"),
    ([("100", 100)], {"ship_date": "2026-05-01"}, brantfunc.RatingRefused, "ship_date"),
])
def test_forms_out_of_reach_are_refused(charged, lines, options, error, field):
    with brantfunc.Tariff(charged) as tariff, pytest.raises(error) as refused:
        tariff.rate("60601", "30303", lines, **options)
    if field is not None:
        assert refused.value.field == field


def test_a_frame_takes_its_rows_charges_as_brant_batch_does(charged, brant, tmp_path):
    csv = ("origin,destination,class1,weight1,ship_date,accessorials\n"
           "60601,30303,48x40x60,800,,\n"
           "60601,30303,100,500,2026-03-04,INSIDE;liftgate\n"
           "60601,30303,48x40,800,,\n"
           "60601,30303,100,500,2026-03-32,\n")
    (tmp_path / "in.csv").write_text(csv)
    batch = subprocess.run([brant, "batch", "--tariff", charged, "--ship-date", "2026-03-10",
                            "--accessorial", "LIFTGATE", str(tmp_path / "in.csv")],
                           capture_output=True, text=True).stdout
    expected = pd.read_csv(io.StringIO(batch), dtype=str, keep_default_na=False)
    frame = pd.read_csv(io.StringIO(csv), dtype=str)
    frame["ship_date"] = [None, datetime.date(2026, 3, 4), None, "2026-03-32"]
    with brantfunc.Tariff(charged) as tariff:
        bills = tariff.rate_frame(frame, threads=2, ship_date="2026-03-10",
                                  accessorials=["LIFTGATE"])
    assert list(bills.message) == list(expected.message)
    assert list(bills.field) == ["", "", "dimensions", "ship_date"]
    assert list(bills.accessorial_charges) == list(expected.accessorial_charges)
    for cents, dollars in [("fuel_surcharge_cents", "fuel_surcharge"),
                           ("accessorial_total_cents", "accessorial_total"),
                           ("amount_due_cents", "amount_due")]:
        assert [f"{c / 100:.2f}" if c is not pd.NA else "" for c in bills[cents]] \
            == list(expected[dollars])
