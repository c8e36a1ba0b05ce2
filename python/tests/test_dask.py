# A two-worker cluster of processes rates 100,000 shipments as one process
# does, each worker opening the tariff once for all its partitions.
import dask.dataframe as dd
import numpy as np
import pandas as pd
import pytest
from dask.distributed import Client, LocalCluster

import brantfunc
import brantfunc.dask

ZIPS = ["60601", "30303", "10001", "90001", "02601", "96813", "99501", "64000M", "M5V 3L9",
        "27954", "98101", "75201", "10001-1234", "00000", ""]
CLASSES = ["50", "70", "77.5", "100", "150", "500", "abc"]


def shipments(rows, seed=7):
    rng = np.random.default_rng(seed)
    pick = lambda values: rng.choice(np.array(values, dtype=object), rows)
    frame = pd.DataFrame({"ref": np.arange(rows), "origin": pick(ZIPS),
                          "destination": pick(ZIPS), "class1": pick(CLASSES),
                          "weight1": rng.integers(0, 20000, rows).astype(str),
                          "class2": pick(CLASSES + [None] * 7),
                          "weight2": rng.integers(1, 5000, rows).astype(object)})
    frame.loc[frame.class2.isna(), "weight2"] = None
    return frame


@pytest.fixture(scope="module")
def client():
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as connected:
        yield connected


def test_a_cluster_rates_as_one_process_does(client, sample):
    frame = shipments(100_000)
    ddf = dd.from_pandas(frame, npartitions=10)
    bills = brantfunc.dask.rate(ddf, sample, discount="7.5", ship_date="2026-03-10")
    rated = bills.compute()
    with brantfunc.Tariff(sample) as tariff:
        expected = tariff.rate_frame(frame, threads=2, discount="7.5", ship_date="2026-03-10")
    # equals, not assert_frame_equal: as exact, and seconds faster on objects.
    assert rated.equals(expected) and rated.index.equals(expected.index)
    assert list(rated.dtypes) == list(expected.dtypes) == list(bills.dtypes)
    assert set(rated.result) == {"rated", "refused"}
    # Each worker opened the tariff once and rated every partition on it.
    opened = client.run(lambda: [t.path for t in brantfunc.dask._open.values()])
    assert sorted(opened.values()) == [[sample], [sample]]


def test_threads_share_one_tariff_and_agree(sample):
    frame = shipments(20_000, seed=11)
    with brantfunc.Tariff(sample) as tariff:
        one, two = (tariff.rate_frame(frame, threads=n) for n in (1, 2))
    assert one.equals(two)


def test_a_shipped_tariff_rates_from_each_workers_own_copy(client, sample):
    frame = shipments(2_000, seed=3)
    path = brantfunc.dask.ship_tariff(client, sample)
    rated = brantfunc.dask.rate(dd.from_pandas(frame, npartitions=4), path).compute()
    with brantfunc.Tariff(sample) as tariff:
        assert rated.equals(tariff.rate_frame(frame))
    opened = client.run(lambda: [t.path for k, t in brantfunc.dask._open.items() if k[0] == path])
    copies = [p for paths in opened.values() for p in paths]
    assert copies and all(p.endswith("/SAMPLE") and p != sample for p in copies)
