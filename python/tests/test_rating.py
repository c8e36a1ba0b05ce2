# Tariff.rate and Tariff.rate_frame against the brant command line on the
# sample tariff: the same bills, the same refusals, row for row.
import dataclasses
import decimal
import io
import json
import subprocess

import numpy as np
import pandas as pd
import pytest

import brantfunc

# (origin, destination, lines, options): matrix, Manhattan's zone charge,
# Canada, base points, Hawaii, Alaska, Mexico, the Outer Banks' minimum, a
# floor, a deficit won, transit days, explained; then refusals of every kind.
SHIPMENTS = [
    ("60601", "30303", [("100", 1200)], {}),
    ("10001", "90001", [("100", 1500), ("85", 300)], {"discount": "10", "break_discount": 45}),
    ("60601", "m5v3l9", [("70", 800)], {"discount_on": "rates", "break_discount": "12.5"}),
    ("02601", "60601", [("100", 900)], {}),
    ("60601", "96813", [("100", 700), ("55", 120)], {}),
    ("98101", "99501", [("92.5", 2500)], {}),
    ("75201", "64000M", [("150", 400)], {}),
    ("27954", "60601", [("50", 100)], {}),
    ("60601", "60602", [("50", 100)], {"floor": "150.25"}),
    ("60601", "30303", [("100", 1200), ("70", 450)], {"transit_days": True, "explain": True}),
    ("60601", "96813", [("100", 700)], {"transit_days": True, "explain": True}),
    ("10001-1234", "90001", [("100", 1500)], {}),
    ("60601", "30303", [("abc", 100)], {}),
    ("02601", "M5V3L9", [("100", 100)], {}),
    ("60601", "30303", [("100", "1.5")], {}),
    ("60601", "30303", [("100", 0)], {}),
    ("60601", "30303", [("100", 600000), ("70", 600000)], {}),
]

FLAGS = {"discount": "--discount", "break_discount": "--break-discount", "floor": "--floor",
         "discount_on": "--discount-on"}


def brant_json(brant, sample, guide, origin, destination, lines, options):
    args = [brant, "rate", "--json", "--tariff", sample]
    for name, value in options.items():
        if name in FLAGS:
            args += [FLAGS[name], str(value)]
    if options.get("transit_days"):
        args += ["--transit", "--guide", guide]
    if options.get("explain"):
        args.append("--explain")
    args += [origin, destination] + [f"{c}:{w}" for c, w in lines]
    return json.loads(subprocess.run(args, capture_output=True, text=True).stdout)


def as_json(bill, explain):
    """The bill as `brant rate --json` writes it."""
    d = dataclasses.asdict(bill)
    del d["tariff"]
    for line in d["lines"]:
        line["class"] = line.pop("freight_class")
    d["transit_days"] = -1 if bill.transit_days is None else bill.transit_days
    if not explain:
        del d["notes"]
    return json.loads(json.dumps(d))


@pytest.mark.parametrize("origin,destination,lines,options", SHIPMENTS)
def test_rate_gives_the_bill_or_refusal_of_brant_rate(tariff, brant, sample, guide, origin,
                                                       destination, lines, options):
    expected = brant_json(brant, sample, guide, origin, destination, lines, options)
    if expected["result"] == "refused":
        with pytest.raises(brantfunc.RatingRefused) as refused:
            tariff.rate(origin, destination, lines, **options)
        e = refused.value
        assert isinstance(e, ValueError)
        assert (e.status_code, e.message) == (expected["status"], expected["message"])
        assert {"field": e.field, "line": e.line, "value": e.value,
                "record_status": e.record_status} == expected["error"]
        assert e.status == {10: "malformed", 11: "not served"}[e.status_code]
        return
    bill = tariff.rate(origin, destination, lines, **options)
    assert as_json(bill, options.get("explain")) == expected["bill"]
    assert bill.amount_due == decimal.Decimal(bill.amount_due_cents) / 100
    assert bill.steps[-1].total_cents == bill.amount_due_cents
    text = bill.explain()
    assert f"AMOUNT DUE{bill.amount_due:>44}" in text
    assert all(note.text in text for note in bill.notes)


@pytest.mark.parametrize("lines,same_as", [
    ([(100, 1200.0)], [("100", 1200)]),
    ([(77.5, np.int64(300))], [("77.5", 300)]),
    ([(" 100 ", " 1200 ")], [("100", 1200)]),
])
def test_cells_of_any_type_read_as_their_text(tariff, lines, same_as):
    assert tariff.rate("60601", "30303", lines) == tariff.rate("60601", "30303", same_as)


@pytest.mark.parametrize("origin,lines,options,field,value", [
    (None, [("100", 100)], {}, "origin", ""),
    ("606\x0001", [("100", 100)], {}, "origin", "606"),
    ("60601", [("100", 1200.5)], {}, "weight", "1200.5"),
    ("60601", [("100", 2**40)], {}, "weight", str(2**40)),
    ("60601", [("100", True)], {}, "weight", "True"),
    ("60601", [], {}, "lines", "0"),
    ("60601", [("100", 100)] * 9, {}, "lines", "9"),
    ("60601", [("100", 100)], {"discount": 100}, "discount", "10000"),
    ("60601", [("100", 100)], {"floor": "1000"}, "floor", "100000"),
])
def test_cells_and_options_out_of_reach_of_brant_rate_are_refused(tariff, origin, lines,
                                                                  options, field, value):
    with pytest.raises(brantfunc.RatingRefused) as refused:
        tariff.rate(origin, "30303", lines, **options)
    assert (refused.value.field, refused.value.value) == (field, value)


def test_a_frame_keeps_every_row_and_agrees_with_brant_batch(tariff, brant, sample, guide,
                                                             tmp_path):
    csv = ("ref,ORIGIN,destination,class1,weight1,class2,weight2\n"
           "a,60601,30303,100,1200,,\n"
           "b,10001-1234,90001,100,1500,,\n"
           "c,,30303,70,10,,\n"
           "d,60601,99501,77.5,,100,500\n"
           "e,M5V 3L9,60601,85,300,70,abc\n"
           "f,10001,90001,,,100,1500\n"
           "g,60601,96813,100,700,55,120\n"
           "h,60601,30303,500,999999,,\n")
    (tmp_path / "in.csv").write_text(csv)
    batch = subprocess.run([brant, "batch", "--tariff", sample, "--transit", "--guide", guide,
                            str(tmp_path / "in.csv")], capture_output=True, text=True).stdout
    expected = pd.read_csv(io.StringIO(batch), dtype=str, keep_default_na=False)
    frame = pd.read_csv(io.StringIO(csv), dtype=str).set_index(pd.Index(range(10, 18)))
    bills = tariff.rate_frame(frame, threads=2, transit_days=True)
    assert list(bills.index) == list(frame.index)
    pd.testing.assert_frame_equal(bills[frame.columns], frame)
    assert list(bills.result) == list(expected.result)
    assert list(bills.status.astype(str)) == list(expected.status)
    assert list(bills.message) == list(expected.message)
    assert list(bills.rate_basis) == list(expected.rate_basis)
    assert [str(a) if a is not None else "" for a in bills.amount_due] == list(expected.amount_due)
    assert list(bills.transit_days.astype(str).replace("<NA>", "")) == list(expected.transit_days)
    refused = bills.result == "refused"
    assert bills.amount_due_cents[refused].isna().all()
    assert list(bills.field[refused]) == ["origin", "origin", "weight", "weight"]
    for row in frame.itertuples():
        if not refused[row.Index]:
            lines = [(row.class1, row.weight1), (row.class2, row.weight2)]
            bill = tariff.rate(row.ORIGIN, row.destination, [l for l in lines if l[0] == l[0]])
            assert bills.amount_due_cents[row.Index] == bill.amount_due_cents


@pytest.mark.parametrize("columns,message", [
    (["origin", "destination", "class1"], "missing column weight1"),
    (["origin", "destination", "class1", "weight1", "weight2"], "missing column class2"),
    (["origin", "Origin", "destination", "class1", "weight1"], "appears twice"),
    (["origin", "destination", "class1", "weight1", "class9", "weight9"], "numbered 1 to 8"),
    (["origin", "destination", "class1", "weight1", "status"], "bill's names already"),
])
def test_a_frame_without_the_columns_it_needs_is_refused_whole(tariff, columns, message):
    with pytest.raises(ValueError, match=message):
        tariff.rate_frame(pd.DataFrame({c: ["1"] for c in columns}, columns=columns))


def test_a_tariff_closes_once_and_rates_no_more(sample):
    with brantfunc.Tariff(sample) as tariff:
        assert tariff.rate("60601", "30303", [("100", 100)]).amount_due > 0
    assert tariff.closed
    tariff.close()
    with pytest.raises(ValueError, match="closed"):
        tariff.rate("60601", "30303", [("100", 100)])
    with pytest.raises(brantfunc.TariffError) as missing:
        brantfunc.Tariff(sample + "X")
    assert (missing.value.field, missing.value.status) == ("tariff", "tariff error")


def test_cmake_install_gives_an_importable_package(build, tmp_path):
    subprocess.run(["cmake", "--install", str(build), "--component", "python",
                    "--prefix", str(tmp_path)], check=True, capture_output=True)
    [package] = tmp_path.glob("lib/python3*/dist-packages")
    script = "import brantfunc; print(brantfunc.__file__)"
    found = subprocess.run(["/usr/bin/python3", "-c", script],
                           env={"PYTHONPATH": str(package)}, cwd=tmp_path,
                           capture_output=True, text=True)
    assert found.stdout.startswith(str(package))
