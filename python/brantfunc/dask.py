"""Rating a Dask DataFrame on a cluster.

Each worker process opens the tariff the first time one of its tasks needs
it and keeps it open for every later partition (a cache per process, keyed
by the tariff's path and its options), so a tariff is read once per worker,
never once per partition::

    import dask.dataframe as dd
    from dask.distributed import Client
    import brantfunc.dask

    client = Client("scheduler:8786")
    shipments = dd.read_csv("s3://bucket/shipments-*.csv", dtype=str)
    bills = brantfunc.dask.rate(shipments, "/mnt/tariffs/TARF")
    bills.groupby("result").amount_due_cents.sum().compute()

The path is opened on the workers, so every worker must be able to read it:
put the tariff's directory on storage they all mount, or send it to them
with :func:`ship_tariff` and rate on the path it returns. The client needs
no tariff of its own when the workers read it from storage.
"""

import hashlib
import os
import threading
from typing import Any, Sequence

import dask.dataframe as dd
from distributed.diagnostics.plugin import WorkerPlugin

from . import Amount, PathLike, Tariff, bill_meta

__all__ = ["rate", "ship_tariff", "worker_tariff"]

_open: dict[tuple, Tariff] = {}
_opening = threading.Lock()
_SHIPPED = "shipped:"
_shipped: dict[str, str] = {}  # a shipped tariff's key to its directory on this worker


class _ShippedTariff(WorkerPlugin):
    """A tariff directory's files, written on every worker, those that join
    later too, into a directory of the worker's own."""

    def __init__(self, key: str, files: dict[str, bytes]):
        self.key, self.files = key, files

    def setup(self, worker):
        directory = os.path.join(worker.local_directory, "brantfunc-tariffs", self.key)
        os.makedirs(directory, exist_ok=True)
        for name, data in self.files.items():
            with open(os.path.join(directory, name), "wb") as file:
                file.write(data)
        _shipped[self.key] = directory


def ship_tariff(client, tariff_path: PathLike) -> str:
    """Sends the files of the tariff's directory (the tariff, its .DEF,
    a service guide's data beside it) to every worker of ``client``, and
    to workers that join later; returns the path to give :func:`rate`.

    For tariffs of some megabytes: they travel through the scheduler. A
    large one belongs on storage every worker mounts."""
    directory, _, name = os.fspath(tariff_path).rpartition("/")
    directory = directory or "."
    files = {}
    for entry in sorted(os.scandir(directory), key=lambda e: e.name):
        if entry.is_file():
            with open(entry.path, "rb") as file:
                files[entry.name] = file.read()
    digest = hashlib.sha256()
    for file_name, data in files.items():
        digest.update(file_name.encode() + b"\0" + len(data).to_bytes(8, "little") + data)
    key = digest.hexdigest()[:16]
    client.register_worker_plugin(_ShippedTariff(key, files), name=f"brantfunc-tariff-{key}")
    return f"{_SHIPPED}{key}/{name}"


def _where(tariff_path: str) -> str:
    """The path on this worker: a shipped tariff's is in its own directory."""
    if not tariff_path.startswith(_SHIPPED):
        return tariff_path
    key, _, name = tariff_path[len(_SHIPPED):].partition("/")
    if key not in _shipped:
        raise FileNotFoundError(f"{tariff_path}: not shipped to this process; "
                                "ship_tariff sends it to the workers of a client")
    return f"{_shipped[key]}/{name}"


def worker_tariff(tariff_path: PathLike, **open_options: Any) -> Tariff:
    """This process's open tariff of ``tariff_path`` (and ``open_options``,
    those of :class:`brantfunc.Tariff`), opened on first use and kept.

    The tasks of one worker run on its threads at once and share it."""
    key = (os.fspath(tariff_path), tuple(sorted(open_options.items())))
    with _opening:
        tariff = _open.get(key)
        if tariff is None or tariff.closed:
            tariff = _open[key] = Tariff(_where(key[0]), **open_options)
        return tariff


def _rate_partition(partition, tariff_path, open_options, rate_options):
    return worker_tariff(tariff_path, **open_options).rate_frame(partition, **rate_options)


def rate(ddf: dd.DataFrame, tariff_path: PathLike, *, threads: int = 1,
         discount: Amount = 0, break_discount: Amount = 0, floor: Amount = 0,
         discount_on: str = "charges", transit_days: bool = False,
         ship_date: Any = None, accessorials: Sequence[str] = (),
         **open_options: Any) -> dd.DataFrame:
    """Rates every row of a Dask DataFrame; a Dask DataFrame of the bills.

    Each partition is rated by :meth:`brantfunc.Tariff.rate_frame` on the
    tariff ``tariff_path`` as its worker process keeps it open, and comes
    back with the bill's columns added (``brantfunc.BILL_COLUMNS``); the
    partitions and their index are those of ``ddf``, and a bad row is kept
    and marked refused. Nothing is computed until you ask.

    Args:
        ddf: shipments with the columns ``brant batch`` reads (origin,
            destination, class1, weight1, ... class8, weight8); read postal
            codes as text (``dtype=str``).
        tariff_path: DIR/NAME of the tariff, as each worker finds it, or
            the path :func:`ship_tariff` returned.
        threads: threads rating each partition. One by default: a worker
            already runs one task per thread it has; raise it for workers
            started with a single thread and several cores.
        discount, break_discount, floor, discount_on, transit_days,
            ship_date, accessorials: as in :meth:`brantfunc.Tariff.rate`,
            for every row (a row's own ``ship_date`` or ``accessorials``
            cell, when the frame has the column, wins).
        open_options: as :class:`brantfunc.Tariff` takes them
            (``service_guide``, ``engine``, ``file_budget``, ...), with
            paths as the workers see them.
    """
    rate_options = {"threads": threads, "discount": discount,
                    "break_discount": break_discount, "floor": floor,
                    "discount_on": discount_on, "transit_days": transit_days,
                    "ship_date": ship_date, "accessorials": list(accessorials)}
    meta = bill_meta(ddf._meta, transit_days=transit_days)
    return ddf.map_partitions(_rate_partition, os.fspath(tariff_path), open_options,
                              rate_options, meta=meta)
