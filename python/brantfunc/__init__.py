"""Freight rating on a brantfunc tariff: one shipment, or a pandas frame of them.

Open a tariff once and rate on it as often as you like, from any number of
threads::

    import brantfunc
    with brantfunc.Tariff("/srv/tariffs/TARF") as tariff:
        bill = tariff.rate("60601", "30303", [("100", 1200), ("70", 450)])
        print(bill.amount_due)          # 1011.72, a Decimal
        bills = tariff.rate_frame(shipments)   # a DataFrame, one bill a row

Money is exact: every amount is a whole number of cents (the ``*_cents``
attributes and columns) or a ``decimal.Decimal`` of dollars, never a float.
A shipment the tariff will not rate raises :class:`RatingRefused` from
:meth:`Tariff.rate`; in :meth:`Tariff.rate_frame` its row is kept and
marked ``refused``. :mod:`brantfunc.dask` rates a Dask DataFrame on a
cluster.
"""

import dataclasses
import datetime
import decimal
import os
import re
from decimal import Decimal
from typing import Any, Iterable, Mapping, Sequence, Union

import numpy as np
import pandas as pd

from . import _brant

__all__ = [
    "Tariff", "Bill", "BillLine", "Step", "BillWarning", "Note", "AccessorialCharge",
    "BrantError", "RatingRefused", "TariffError", "BILL_COLUMNS", "version",
]

PathLike = Union[str, "os.PathLike[str]"]
Amount = Union[int, str, Decimal]
Line = Sequence[Any]  # (freight class or handling units, weight in pounds)
ShipDate = Union[datetime.date, str, None]

MAX_LINES: int = _brant.MAX_LINES
DEFAULT_FILE_BUDGET: int = _brant.DEFAULT_FILE_BUDGET


def version() -> str:
    """The version of the brantfunc library this package was built with."""
    return _brant.version()


def _dollars(cents: int) -> Decimal:
    return Decimal(cents).scaleb(-2)


# ---- Errors -----------------------------------------------------------------

class BrantError(Exception):
    """A refusal of the library: what was refused and why.

    Attributes:
        field: the field refused, as ``brant batch --json`` names it
            (``"origin"``, ``"destination"``, ``"lane"``, ``"class"``,
            ``"weight"``, ``"discount"``, ``"tariff"``, ..., or ``"none"``).
        value: the value refused, as given (cut to 47 characters).
        line: 1 to 8 for a line's class or weight, else 0.
        status: the brant_status by its name: ``"malformed"``,
            ``"not served"``, ``"tariff error"``, ...
        status_code: the brant_status number (10 to 13 concern one
            shipment, 20 and above the tariff, a library or the machine).
        record_status: the record interface's status code, 0 if none.
        message: one sentence a person can act on.
    """

    def __init__(self, refusal: Mapping[str, Any]):
        self.field: str = refusal["field"]
        self.value: str = refusal["value"]
        self.line: int = refusal["line"]
        self.status: str = refusal["status_name"]
        self.status_code: int = refusal["status"]
        self.record_status: int = refusal["record_status"]
        self.message: str = refusal["message"]
        super().__init__(self.message)

    def __reduce__(self):  # survives pickling, to and from Dask workers
        return (type(self), (self._refusal(),))

    def _refusal(self) -> dict:
        return {"field": self.field, "value": self.value, "line": self.line,
                "status_name": self.status, "status": self.status_code,
                "record_status": self.record_status, "message": self.message}


class RatingRefused(BrantError, ValueError):
    """The tariff will not rate the shipment: a postal code, the lane, a
    class, a weight, an amount. See :class:`BrantError` for its fields."""


class TariffError(BrantError):
    """The tariff could not be opened: its files, an option, a library."""


# ---- The bill ---------------------------------------------------------------

def _money(field: str, doc: str) -> property:
    return property(lambda self: _dollars(getattr(self, field)), doc=doc)


@dataclasses.dataclass(frozen=True)
class BillLine:
    """One line of the bill: its class and weight, and what it costs."""
    freight_class: str
    weight: int             #: pounds
    rate_cents: int         #: per 100 pounds, at the weight break billed
    charge_cents: int
    substituted: bool       #: the tariff's profile rated a substitute class
    density_hundredths: int = 0   #: lb/ft3 x 100 when the class came from the density
    class_before_map: str = ""    #: the class given or found, when the class map rated another

    rate = _money("rate_cents", "The rate per 100 pounds, in dollars.")
    charge = _money("charge_cents", "The line's charge, in dollars.")


@dataclasses.dataclass(frozen=True)
class Step:
    """One step from the line haul to the amount due."""
    name: str               #: "line haul", "minimum charge", "floor", ...
    amount_cents: int       #: what the step added (the line haul: itself)
    total_cents: int        #: the amount due after the step

    amount = _money("amount_cents", "What the step added, in dollars.")
    total = _money("total_cents", "The amount due after the step, in dollars.")


@dataclasses.dataclass(frozen=True)
class AccessorialCharge:
    """An accessorial of the tariff's catalogue, as the shipment asked for it."""
    code: str               #: "LIFTGATE"
    name: str               #: "Liftgate delivery"
    kind: str               #: "flat", "per_cwt" (per 100 lb) or "percent" (of the freight charge)
    amount_cents: int

    amount = _money("amount_cents", "The charge, in dollars.")


@dataclasses.dataclass(frozen=True)
class BillWarning:
    """The rating stands, but a person should know this."""
    record_status: int      #: the record interface's status, 0 for a note of brant.h
    message: str


@dataclasses.dataclass(frozen=True)
class Note:
    """How the rate was found (only when the shipment asked to explain)."""
    kind: str               #: method, leg, rate_basis, adjustment, break, deficit, discount,
                            #: density, class_map, fuel, accessorial
    text: str


@dataclasses.dataclass(frozen=True)
class Bill:
    """The bill of one shipment, exact to the cent.

    Every amount is a ``*_cents`` integer, and the main ones are also
    properties in dollars as ``Decimal`` (``amount_due``, ``gross``,
    ``net``, ...). Field names follow ``brant_bill`` in brant.h and the
    bill of ``brant rate --json``.
    """
    tariff: str
    origin: str                     #: as the tariff reads it: "60601", "M5V3L9", "64000M"
    origin_state: str
    destination: str
    destination_state: str
    rate_basis: str
    method: str                     #: "ZIP-pair matrix", "base points", ...
    lines: tuple[BillLine, ...]
    total_weight: int
    billed_weight: int
    start_break: int
    weight_break: int
    weight_break_label: str
    deficit_won: bool
    deficit_weight: int
    deficit_rate_cents: int
    deficit_charge_cents: int
    gross_cents: int
    discount_bps: int               #: hundredths of a percent
    discount_cents: int
    net_cents: int
    minimum_charge_cents: int
    minimum_discount_cents: int
    floor_cents: int
    weight_tier_cents: int
    zone_charge_cents: int
    hawaii_table1_cents: int
    hawaii_table1_percent_cents: int
    hawaii_other_cents: int
    hawaii_other_percent_cents: int
    ship_date: datetime.date | None         #: as given
    fuel_index_date: datetime.date | None   #: of the fuel index price in effect
    fuel_price_mills: int           #: dollars a gallon x 1000: 3900 is 3.900
    fuel_percent_bps: int           #: the fuel table's percentage, in hundredths
    fuel_base_cents: int            #: the charge the percentage is of
    fuel_surcharge_cents: int       #: 0 without a ship date or a fuel table
    accessorials: tuple[AccessorialCharge, ...]
    transit_days: int | None        #: None when not asked for or not known
    origin_terminal: str
    destination_terminal: str
    amount_due_cents: int
    steps: tuple[Step, ...]
    warnings: tuple[BillWarning, ...]
    notes: tuple[Note, ...]         #: empty unless rated with explain=True

    amount_due = _money("amount_due_cents", "What is owed, in dollars.")
    gross = _money("gross_cents", "The lines and the deficit, in dollars.")
    discount = _money("discount_cents", "The discount of the break billed, in dollars.")
    net = _money("net_cents", "Gross less discount: the line haul, in dollars.")
    minimum_charge = _money("minimum_charge_cents", "The tariff minimum, in dollars.")
    weight_tier = _money("weight_tier_cents", "The weight tier charge, in dollars.")
    zone_charge = _money("zone_charge_cents", "The zone charge, in dollars.")
    fuel_surcharge = _money("fuel_surcharge_cents", "The fuel surcharge, in dollars.")

    @property
    def accessorial_total_cents(self) -> int:
        """The accessorial charges together, in cents."""
        return sum(a.amount_cents for a in self.accessorials)

    @property
    def hawaiian_cents(self) -> int:
        """The four Hawaiian charges together, in cents."""
        return (self.hawaii_table1_cents + self.hawaii_table1_percent_cents
                + self.hawaii_other_cents + self.hawaii_other_percent_cents)

    @classmethod
    def _from_dict(cls, tariff: str, d: Mapping[str, Any]) -> "Bill":
        fields = dict(d)
        fields["lines"] = tuple(BillLine(**line) for line in d["lines"])
        fields["steps"] = tuple(Step(**step) for step in d["steps"])
        fields["warnings"] = tuple(BillWarning(**w) for w in d["warnings"])
        fields["notes"] = tuple(Note(**n) for n in d["notes"])
        fields["accessorials"] = tuple(AccessorialCharge(**a) for a in d["accessorials"])
        for name in ("ship_date", "fuel_index_date"):
            fields[name] = _date_of(d[name])
        fields["transit_days"] = d["transit_days"] if d["transit_days"] >= 0 else None
        return cls(tariff=tariff, **fields)

    def explain(self) -> str:
        """The bill as a person reads it: the lane, each line, how the rate
        was found (when rated with ``explain=True``), each step of the
        amount due, and the warnings."""
        def money(cents: int) -> str:
            return f"{_dollars(cents):>12}"
        out = [f"Tariff {self.tariff}: {self.origin} {self.origin_state} to "
               f"{self.destination} {self.destination_state}",
               f"Rate basis {self.rate_basis.strip()} by {self.method}; weight break "
               f"{self.weight_break_label.strip()}, billed at {self.billed_weight} lb "
               f"of {self.total_weight} lb"]
        if self.transit_days is not None:
            out.append(f"Transit {self.transit_days} days, terminals "
                       f"{self.origin_terminal} to {self.destination_terminal}")
        out += ["", f"  {'Class':<8}{'Pounds':>8}{'Rate/cwt':>12}{'Charge':>12}"]
        for line in self.lines:
            mark = "*" if line.substituted else ""
            whence = ""
            if line.density_hundredths:
                whence = f"  density {_dollars(line.density_hundredths)} lb/ft3"
            if line.class_before_map:
                whence += f"  class {line.class_before_map} by the class map"
            out.append(f"  {line.freight_class + mark:<8}{line.weight:>8}"
                       f"{money(line.rate_cents)}{money(line.charge_cents)}{whence}")
        if self.deficit_won:
            out.append(f"  {'deficit':<8}{self.deficit_weight:>8}"
                       f"{money(self.deficit_rate_cents)}{money(self.deficit_charge_cents)}")
        out.append(f"  {'gross':<28}{money(self.gross_cents)}")
        out.append(f"  {f'discount {_dollars(self.discount_bps)} %':<28}"
                   f"{money(-self.discount_cents)}")
        out.append(f"  {'net (line haul)':<28}{money(self.net_cents)}")
        if self.fuel_index_date is not None:
            out.append(f"  {f'fuel {_dollars(self.fuel_percent_bps)} %':<28}"
                       f"{money(self.fuel_surcharge_cents)}")
        for a in self.accessorials:
            out.append(f"  {a.code:<28}{money(a.amount_cents)}")
        if self.notes:
            out += ["", "How the rate was found:"]
            out += [f"  {note.kind}: {note.text}" for note in self.notes]
        out += ["", f"{'Amount due, step by step':<30}{'Added':>12}{'Total':>12}"]
        for step in self.steps:
            out.append(f"  {step.name:<28}{money(step.amount_cents)}{money(step.total_cents)}")
        out += ["", f"{'AMOUNT DUE':<42}{money(self.amount_due_cents)}"]
        for warning in self.warnings:
            code = f" (status {warning.record_status})" if warning.record_status else ""
            out.append(f"warning: {warning.message}{code}")
        return "\n".join(out) + "\n"


# ---- Amounts and options ----------------------------------------------------

def _hundredths(value: Amount, what: str) -> int:
    """10.5 (as "10.5", Decimal or a float's shortest text) is 1050."""
    if isinstance(value, bool) or not isinstance(value, (int, str, Decimal, float)):
        raise TypeError(f"{what}: give a number, not {type(value).__name__}")
    try:
        scaled = Decimal(repr(value) if isinstance(value, float) else value).scaleb(2)
    except decimal.InvalidOperation:
        raise ValueError(f"{what} {value!r}: not a number") from None
    if not scaled.is_finite() or scaled != scaled.to_integral_value():
        raise ValueError(f"{what} {value!r}: at most two decimals")
    if not -2**31 < scaled < 2**31:
        raise ValueError(f"{what} {value!r}: far out of range")
    return int(scaled)


def _date_of(yyyymmdd: int) -> datetime.date | None:
    return None if yyyymmdd == 0 else datetime.date(
        yyyymmdd // 10000, yyyymmdd // 100 % 100, yyyymmdd % 100)


_ISO_DATE = re.compile(r"[0-9]{4}-[0-9]{2}-[0-9]{2}")


def _ship_date(value: ShipDate) -> int:
    """A date, or its "YYYY-MM-DD", as YYYYMMDD; None is 0."""
    if value is None:
        return 0
    if isinstance(value, str):
        if not _ISO_DATE.fullmatch(value):
            raise ValueError(f"ship_date {value!r}: give a real date as YYYY-MM-DD (2026-03-10)")
        try:
            value = datetime.date.fromisoformat(value)
        except ValueError:
            raise ValueError(f"ship_date {value!r}: give a real date as YYYY-MM-DD "
                             "(2026-03-10)") from None
    elif isinstance(value, datetime.datetime) or not isinstance(value, datetime.date):
        raise TypeError(f"ship_date: give a datetime.date or 'YYYY-MM-DD', "
                        f"not {type(value).__name__}")
    return value.year * 10000 + value.month * 100 + value.day


def _accessorial_codes(codes: Iterable[str]) -> list[str]:
    if isinstance(codes, str):
        raise TypeError("accessorials: give a list of codes, ['LIFTGATE'], not one text")
    codes = list(codes)
    if not all(isinstance(code, str) for code in codes):
        raise TypeError("accessorials: each code is a str")
    return codes


def _line(line: Any) -> Any:
    """A line with its handling units as numbers, ((48, 40, 60), 800) or
    ((3, 48, 40, 60), 2400), as the text "48x40x60" or "3@48x40x60"."""
    if isinstance(line, (tuple, list)) and len(line) == 2 and isinstance(line[0], (tuple, list)):
        sides = [str(n) for n in line[0]]
        if len(sides) == 4:
            return (f"{sides[0]}@{'x'.join(sides[1:])}", line[1])
        return ("x".join(sides), line[1])
    return line


def _shipment_options(discount: Amount, break_discount: Amount, floor: Amount,
                      discount_on: str, transit_days: bool, explain: bool,
                      ship_date: ShipDate = None, accessorials: Iterable[str] = ()):
    if discount_on not in ("charges", "rates"):
        raise ValueError(f"discount_on {discount_on!r}: give 'charges' or 'rates'")
    return _brant.ShipmentOptions(
        discount_bps=_hundredths(discount, "discount"),
        break_discount_bps=_hundredths(break_discount, "break_discount"),
        floor_cents=_hundredths(floor, "floor"),
        discount_on_rates=discount_on == "rates",
        transit_days=bool(transit_days), explain=bool(explain),
        ship_date=_ship_date(ship_date), accessorials=_accessorial_codes(accessorials))


# ---- Frames -----------------------------------------------------------------

#: The columns rate_frame adds, in order (the terminals only with transit days).
BILL_COLUMNS: tuple[str, ...] = (
    "result", "status", "message", "field", "record_status", "rate_basis", "method",
    "origin_state", "destination_state", "total_weight", "billed_weight",
    "gross_cents", "discount_cents", "net_cents", "minimum_charge_cents",
    "minimum_discount_cents", "floor_cents", "weight_tier_cents", "zone_charge_cents",
    "hawaiian_cents", "amount_due_cents", "amount_due", "transit_days",
    "origin_terminal", "destination_terminal", "fuel_surcharge_cents",
    "accessorial_total_cents", "accessorial_charges")

_TEXT_COLUMNS = {"result", "message", "field", "rate_basis", "method", "origin_state",
                 "destination_state", "origin_terminal", "destination_terminal",
                 "accessorial_charges"}
_WHOLE_COLUMNS = {"status": "int32", "record_status": "int32"}
_BATCH_HELP = ("the frame names the columns: "
               "origin,destination,class1,weight1,...,class8,weight8")


def _canonical(column: Any) -> str | None:
    """"origin", "destination", "class3", "weight3", or None for a column
    the rating does not read. Names are matched whatever their case."""
    if not isinstance(column, str):
        return None
    name = column.lower()
    if name in ("origin", "destination", "ship_date", "accessorials"):
        return name
    for stem in ("class", "weight"):
        number = name[len(stem):]
        if name.startswith(stem) and number.isascii() and number.isdigit() \
                and len(number) <= 4:
            if not 1 <= int(number) <= MAX_LINES:
                raise ValueError(f"column {column!r}: lines are numbered 1 to {MAX_LINES}; "
                                 f"{_BATCH_HELP}")
            return f"{stem}{int(number)}"
    return None


def _shipment_columns(frame: pd.DataFrame):
    """The frame's origin and destination columns and its lines' (class,
    weight) columns, read as `brant batch` reads its header: lines 1 to 8,
    each class with its weight, no column twice."""
    found: dict[str, Any] = {}
    for column in frame.columns:
        name = _canonical(column)
        if name is None:
            continue
        if name in found:
            raise ValueError(f"column {column!r} appears twice (as {found[name]!r}); "
                             f"{_BATCH_HELP}")
        found[name] = column
    lines = [n for n in range(1, MAX_LINES + 1)
             if n == 1 or f"class{n}" in found or f"weight{n}" in found]
    wanted = ["origin", "destination"] + [f"{s}{n}" for n in lines for s in ("class", "weight")]
    missing = [name for name in wanted if name not in found]
    if missing:
        raise ValueError(f"missing column{'s' if len(missing) > 1 else ''} "
                         f"{', '.join(missing)}; {_BATCH_HELP}")
    return found["origin"], found["destination"], [
        (found[f"class{n}"], found[f"weight{n}"]) for n in lines], \
        found.get("ship_date"), found.get("accessorials")


def _cells(series: pd.Series):
    """A column as the extension reads it: object values and missing flags."""
    values = np.ascontiguousarray(series.to_numpy(dtype=object))
    return values, np.ascontiguousarray(series.isna().to_numpy(dtype=bool))


def _date_cells(series: pd.Series):
    """A ship date column as "YYYY-MM-DD" texts: dates and midnight
    timestamps become their day; any other value stays as it is, for the
    row to be refused."""
    def text(value):
        if isinstance(value, datetime.datetime):
            return value.date().isoformat() if value.time() == datetime.time() else str(value)
        return value.isoformat() if isinstance(value, datetime.date) else value
    if pd.api.types.is_datetime64_any_dtype(series.dtype):
        series = series.astype(object)
    return _cells(series.map(text, na_action="ignore"))


def _bill_frame(columns: Mapping[str, np.ndarray], index: pd.Index,
                transit_days: bool) -> pd.DataFrame:
    """The extension's arrays as the columns of BILL_COLUMNS."""
    refused = np.asarray(columns["refused"]).view(np.bool_)
    out = {}
    for name in BILL_COLUMNS:
        if name in ("origin_terminal", "destination_terminal") and not transit_days:
            continue
        if name == "amount_due":
            cents = columns["amount_due_cents"].tolist()
            out[name] = np.array([None if gone else _dollars(c)
                                  for c, gone in zip(cents, refused.tolist())] or [],
                                 dtype=object)
        elif name in _TEXT_COLUMNS:
            out[name] = columns[name]
        elif name in _WHOLE_COLUMNS:
            out[name] = columns[name].astype(_WHOLE_COLUMNS[name], copy=False)
        else:
            values = columns[name]
            gone = refused | (values < 0) if name == "transit_days" else refused
            out[name] = pd.arrays.IntegerArray(values, gone.copy())
    return pd.DataFrame(out, index=index, copy=False)


def _empty_columns(transit_days: bool) -> dict[str, np.ndarray]:
    """Zero rows of what the extension returns: a frame's columns for Dask."""
    columns = {name: np.empty(0, dtype=object) for name in _TEXT_COLUMNS}
    columns.update({name: np.empty(0, dtype="int32") for name in
                    ("status", "record_status", "total_weight", "billed_weight",
                     "transit_days")})
    columns.update({name: np.empty(0, dtype="int64") for name in BILL_COLUMNS
                    if name.endswith("_cents")})
    columns["refused"] = np.empty(0, dtype="uint8")
    return columns


def _joined(frame: pd.DataFrame, bills: pd.DataFrame) -> pd.DataFrame:
    clash = [name for name in bills.columns if name in frame.columns]
    if clash:
        raise ValueError(f"the frame has columns of the bill's names already: "
                         f"{', '.join(map(str, clash))}; rename or drop them")
    return pd.concat([frame, bills], axis=1, copy=False)


def bill_meta(frame: pd.DataFrame, transit_days: bool = False) -> pd.DataFrame:
    """The frame :meth:`Tariff.rate_frame` would return for ``frame``,
    with no rows: its columns and their types (Dask's ``meta``)."""
    _shipment_columns(frame)
    empty = frame.iloc[:0]
    return _joined(empty, _bill_frame(_empty_columns(transit_days), empty.index,
                                      transit_days))


def _default_threads() -> int:
    try:
        return len(os.sched_getaffinity(0))
    except (AttributeError, OSError):
        return os.cpu_count() or 1


# ---- The tariff -------------------------------------------------------------

class Tariff:
    """An open tariff: rate shipments on it, from any number of threads.

    ``Tariff("/srv/tariffs/TARF")`` opens the tariff TARF (its files
    TARF.SET, TARF.CLS, ...) in /srv/tariffs, as ``brant --tariff`` names
    it; ``Tariff("/srv/tariffs", "TARF")`` gives the directory and the name
    apart. The files are read once, here; ratings open none.

    Use it as a context manager, or call :meth:`close`::

        with brantfunc.Tariff("/srv/tariffs/TARF") as tariff:
            print(tariff.rate("10001", "90001", [("100", 1500)]).amount_due)

    Options:
        service_guide: a service guide library (.so) for transit days and
            terminals; it reads its data from ``guide_data`` (default: the
            tariff's directory). Only one tariff in a process may use one.
        engine: a tariff engine library (.so) to rate through instead of
            the tariff's rate files, with its data in ``engine_data``
            (default: the tariff's directory) and its tariff
            ``engine_tariff`` (default: its first effective one). Only one
            tariff in a process may use one, and it rates one shipment at
            a time.
        file_budget: bytes of the tariff's files held in memory (default
            256 MiB); the rest are kept open and read at offsets.

    Raises:
        TariffError: the tariff's files are missing or unreadable, or an
            option or library was refused.
    """

    def __init__(self, path: PathLike, name: str | None = None, *,
                 service_guide: PathLike | None = None, guide_data: PathLike | None = None,
                 engine: PathLike | None = None, engine_data: PathLike | None = None,
                 engine_tariff: str | None = None, file_budget: int | None = None):
        path = os.fspath(path)
        if name is None:
            directory, _, name = path.rpartition("/")
            directory = directory or "."
        else:
            directory = path
        self.path: str = f"{directory.rstrip('/')}/{name}"
        self.name: str = name

        def text(value):
            return None if value is None else os.fspath(value)
        handle, refusal = _brant.open(
            directory + "/", name, engine=text(engine), engine_data=text(engine_data),
            engine_tariff=engine_tariff, service_guide=text(service_guide),
            guide_data=text(guide_data), file_budget=file_budget)
        if refusal is not None:
            raise TariffError(refusal)
        self._handle = handle

    def __enter__(self) -> "Tariff":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def __repr__(self) -> str:
        return f"<brantfunc.Tariff {self.path}{' (closed)' if self.closed else ''}>"

    def __reduce__(self):
        raise TypeError("an open Tariff stays in its process; give workers the tariff's "
                        "path (see brantfunc.dask)")

    def close(self) -> None:
        """Closes the tariff, once the ratings under way on other threads
        end. Closing twice does nothing; rating on a closed tariff raises
        ValueError."""
        self._handle.close()

    @property
    def closed(self) -> bool:
        """True once closed."""
        return self._handle.closed

    def rate(self, origin: str, destination: str, lines: Iterable[Line], *,
             discount: Amount = 0, break_discount: Amount = 0, floor: Amount = 0,
             discount_on: str = "charges", transit_days: bool = False,
             explain: bool = False, ship_date: ShipDate = None,
             accessorials: Iterable[str] = ()) -> Bill:
        """Rates one shipment and returns its bill.

        Args:
            origin, destination: postal codes as people type them: a
                five-digit ZIP ("60601"), a Canadian postal code ("M5V 3L9",
                "m5v3l9"), a Mexican point ("64000M").
            lines: one to eight (freight class, pounds) pairs:
                ``[("100", 1200), ("77.5", 300)]``; a line's handling units
                may stand for its class, as ``"48x40x60"`` or
                ``"3@48x40x60"`` (three units; the pounds are of all
                three) or as numbers, ``(48, 40, 60)`` or ``(3, 48, 40,
                60)``: the class then comes from the density.
            discount: percent off the tariff minimum, 0 to 99.99 ("10.5",
                Decimal or int; at most two decimals).
            break_discount: percent off the charges of every weight break.
            floor: the least line haul in dollars, 0 to 999.99.
            discount_on: "charges" (taken as the bill is priced) or "rates"
                (from the rates before it).
            transit_days: look up terminals and transit days (needs a
                ``service_guide``; without one the bill has a warning).
            explain: fill ``bill.notes``: how the rate was found.
            ship_date: a ``datetime.date`` or ``"YYYY-MM-DD"``: chooses the
                fuel surcharge and the density scale (none: no fuel
                surcharge, and the latest scale).
            accessorials: codes of the tariff's catalogue, up to eight:
                ``["LIFTGATE", "INSIDE"]``.

        Raises:
            RatingRefused: the shipment cannot be rated; its ``field``,
                ``value``, ``status`` and ``message`` say why.

        Example::

            bill = tariff.rate("60601", "30303", [("100", 1200)])
            bill.amount_due                 # Decimal('891.72')
            [step.name for step in bill.steps]      # ['line haul']
            print(bill.explain())
        """
        options = _shipment_options(discount, break_discount, floor, discount_on,
                                    transit_days, explain, ship_date, accessorials)
        lines = [_line(line) for line in lines]
        rated, result = self._handle.rate(origin, destination, lines, options)
        if not rated:
            raise RatingRefused(result)
        return Bill._from_dict(self.path, result)

    def rate_frame(self, frame: pd.DataFrame, *, threads: int | None = None,
                   discount: Amount = 0, break_discount: Amount = 0, floor: Amount = 0,
                   discount_on: str = "charges", transit_days: bool = False,
                   ship_date: ShipDate = None,
                   accessorials: Iterable[str] = ()) -> pd.DataFrame:
        """Rates every row of a frame and returns it with the bill's columns.

        The frame's columns are those ``brant batch`` reads, named in any
        case: ``origin``, ``destination``, ``class1``, ``weight1``, and up
        to ``class8``, ``weight8``; each row's lines with neither class nor
        weight are left out. A class cell may give the line's handling
        units instead (``48x40x60``, ``3@48x40x60``). Optional columns
        ``ship_date`` (dates, or ``YYYY-MM-DD`` texts) and ``accessorials``
        (codes separated by blanks or ``;``) give a row its own; a missing
        cell takes the ``ship_date`` and ``accessorials`` given here. Read
        postal codes as text
        (``pd.read_csv(..., dtype=str)``): a ZIP read as a number loses its
        leading zero. Every other column is kept as it is.

        Added (see ``BILL_COLUMNS``): ``result`` ("rated", "warning",
        "refused"), ``status`` (the brant_status number), ``message`` (the
        warnings, or the refusal's sentence), ``field`` and
        ``record_status`` of a refusal, ``rate_basis``, ``method``, the
        states, the weights, each amount in cents (``amount_due_cents``,
        ...; nullable Int64, NA for a refused row), ``amount_due`` as a
        Decimal (None when refused), ``transit_days`` (NA when unknown),
        with ``transit_days=True`` the terminals, then
        ``fuel_surcharge_cents``, ``accessorial_total_cents`` and
        ``accessorial_charges`` (``"LIFTGATE=75.00;INSIDE=41.50"``).

        A bad row never raises: it is kept and marked refused. The rows are
        rated in C++ on ``threads`` threads (default: every core this
        process may use) with the interpreter lock released, all sharing
        this tariff. The options are those of :meth:`rate`, for every row.

        Raises:
            ValueError: the frame lacks a column it needs, names one twice,
                or has a column of a name the bill adds.
        """
        origin, destination, lines, dates, codes = _shipment_columns(frame)
        options = _shipment_options(discount, break_discount, floor, discount_on,
                                    transit_days, False, ship_date, accessorials)
        threads = _default_threads() if threads is None else int(threads)
        if threads < 1:
            raise ValueError(f"threads {threads}: give 1 or more")
        columns = self._handle.rate_columns(
            _cells(frame[origin]), _cells(frame[destination]),
            [_cells(frame[c]) + _cells(frame[w]) for c, w in lines], options, threads,
            ship_date=None if dates is None else _date_cells(frame[dates]),
            accessorials=None if codes is None else _cells(frame[codes]))
        return _joined(frame, _bill_frame(columns, frame.index, transit_days))
