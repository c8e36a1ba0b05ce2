"""Rows a second of Tariff.rate_frame on 1 and 2 threads and of
brantfunc.dask.rate on a two-worker cluster of processes, for
docs/performance.md.

    PYTHONPATH=build/default/python /usr/bin/python3 python/bench/rows_per_second.py \
        build/default/samples/sample/SAMPLE [ROWS]

The shipments are served lanes of the sample tariff (hub ZIPs, Canadian,
Alaskan, Hawaiian and Mexican ends), one or two lines of its classes, with
one row in fifty malformed; the same seed every run.
"""
import sys
import time

import dask.dataframe as dd
import numpy as np
import pandas as pd
from dask.distributed import Client, LocalCluster, wait

import brantfunc
import brantfunc.dask

ENDS = ["60601", "30303", "10001", "90001", "98101", "75201", "80202", "02108", "33101",
        "48201", "55401", "64101", "70112", "85001", "94103", "19103", "15222", "28202",
        "37203", "13202", "M5V 3L9", "H3B 1A1", "99501", "96813", "64000M"]
CLASSES = ["50", "55", "60", "65", "70", "77.5", "85", "92.5", "100", "110", "125", "150",
           "175", "200", "250", "300", "400", "500"]


def shipments(rows, seed=1):
    rng = np.random.default_rng(seed)
    pick = lambda values: rng.choice(np.array(values, dtype=object), rows)
    frame = pd.DataFrame({"ref": np.arange(rows), "origin": pick(ENDS),
                          "destination": pick(ENDS), "class1": pick(CLASSES),
                          "weight1": rng.integers(50, 12000, rows).astype(str),
                          "class2": pick(CLASSES), "weight2": rng.integers(50, 3000, rows)
                          .astype(str)})
    second = rng.random(rows) < 0.4
    frame.loc[~second, ["class2", "weight2"]] = None
    frame.loc[rng.random(rows) < 0.02, "origin"] = "6060"
    return frame


def timed(what, rows, run):
    start = time.perf_counter()
    result = run()
    seconds = time.perf_counter() - start
    print(f"{what:<40} {rows:>9} rows {seconds:7.2f} s {rows / seconds:>10,.0f} rows/s")
    return result


def main():
    sample = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 500_000
    frame = shipments(rows)
    with brantfunc.Tariff(sample) as tariff:
        tariff.rate_frame(frame.head(1000))  # the working records, set up once
        for threads in (1, 2):
            bills = timed(f"rate_frame, {threads} thread{'s' if threads > 1 else ''}", rows,
                          lambda: tariff.rate_frame(frame, threads=threads))
    print("  results:", bills.result.value_counts().to_dict())

    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        ddf = client.persist(dd.from_pandas(frame, npartitions=20))
        wait(ddf)
        warm = brantfunc.dask.rate(ddf.partitions[:2], sample)  # each worker opens the tariff
        wait(client.persist(warm))
        timed("dask, 2 workers, rated on the workers", rows,
                      lambda: wait(client.persist(brantfunc.dask.rate(ddf, sample))))
        timed("dask, 2 workers, gathered to the client", rows,
              lambda: brantfunc.dask.rate(ddf, sample).compute())


if __name__ == "__main__":
    main()
