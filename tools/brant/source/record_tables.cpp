// Tables whose lines are the records of one tariff file, one for one.
#include <cstdio>

#include "formats/adjustments.h"
#include "formats/base_points.h"
#include "formats/postal.h"
#include "formats/rate_records.h"
#include "formats/special_legs.h"
#include "formats/tariff_tables.h"
#include "formats/transit.h"
#include "source/source_tables.h"
#include "tariffkit/tariffkit.h"

namespace brant::tool {
namespace {

namespace kit = tariffkit;
using Row = std::vector<std::string>;

// One record file: how a line reads into the kit's record and how the file's
// record reads back into a line. `follows` checks a record against the one
// before it, for files the library searches by halving.
template <typename R>
struct RecordTable {
  std::string source;
  std::string extension;
  Columns columns;
  std::function<R(RowFields&)> parse;
  std::function<std::string(const std::vector<R>&)> write;
  std::size_t recordSize;
  std::function<R(RecordReader&)> decode;
  std::function<Row(const R&)> row;
  std::function<void(RowFields&, const R&, const R&, int)> follows{};  // int: the line before
  std::size_t trailer = 0;  // bytes after the last record
};

template <typename R>
void CompileRecords(const RecordTable<R>& t, const SourceSet& set,
                    std::vector<SourceError>& errors, TariffFiles& out) {
  std::vector<R> records;
  int lineBefore = 0;
  auto parse = [&](RowFields& f) {
    R record = t.parse(f);
    if (t.follows && f.Ok() && !records.empty()) t.follows(f, records.back(), record, lineBefore);
    lineBefore = f.Line();
    return record;
  };
  if (ReadLines<R>(set.at(t.source), t.columns, errors, parse, records)) {
    out[t.extension] = t.write(records);
  }
}

template <typename R>
void DumpRecords(const RecordTable<R>& t, const TariffFiles& files, SourceTexts& texts) {
  const std::string& bytes = files.at(t.extension);
  RecordReader reader(bytes);
  CsvWriter csv;
  csv.Row(t.columns.names);
  const std::size_t body = bytes.size() >= t.trailer ? bytes.size() - t.trailer : 0;
  for (std::size_t i = 0; i < body / t.recordSize; ++i) {
    reader.Seek(i * t.recordSize);
    csv.Row(t.row(t.decode(reader)));
  }
  texts[t.source] = csv.Text();
}

template <typename R>
SourceTable Table(RecordTable<R> t) {
  SourceTable table{t.source, {}, {t.extension}};
  table.compile = [t](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    CompileRecords(t, set, errors, out);
  };
  table.dump = [t](const TariffFiles& files, SourceTexts& texts) { DumpRecords(t, files, texts); };
  return table;
}

// Records must ascend by `key` (strictly, or letting equal keys stand side
// by side); the error points at column `col` of the later line, a repeat
// names the line it repeats.
template <typename R>
std::function<void(RowFields&, const R&, const R&, int)> Ascending(
    std::function<std::string(const R&)> key, std::size_t col, bool strict) {
  return [key, col, strict](RowFields& f, const R& before, const R& record, int lineBefore) {
    const std::string a = key(before), b = key(record);
    if (strict && a == b) {
      std::string given;
      for (std::size_t i = 0; i <= col; ++i) {
        given += (i > 0 ? " and " : "") + f.Name(i) + " " + f.Given(i);
      }
      f.Fail(col, given + " is already given on line " + Str(lineBefore));
    } else if (strict ? !(a < b) : b < a) {
      f.Fail(col, "lines must be in ascending order of " + f.Name(col));
    }
  };
}

std::string Padded(const std::string& text, std::size_t width) { return PadKey(text, width); }
std::string Folded(const std::string& text, std::size_t width) {
  return FoldCase(PadKey(text, width));
}
std::string NulPadded(const std::string& text, std::size_t width) {
  std::string key = text.substr(0, width);
  key.resize(width, '\0');
  return key;
}

// A number sorts as text once it is offset to be positive and zero-filled.
std::string NumberKey(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%010lld", static_cast<long long>(value) + 2147483648LL);
  return text;
}

Row WithValues(Row row, const std::vector<int32_t>& values) {
  for (int32_t v : values) row.push_back(Str(v));
  return row;
}

// ---- Postal codes and host records -----------------------------------------

SourceTable PostalRanges() {
  return Table<kit::PostalRange>({
      .source = "postal_ranges.csv",
      .extension = ".SCC",
      .columns = {{"province", "lowest", "highest"}},
      .parse = [](RowFields& f) { return kit::PostalRange{f.Text(0, 2), f.Text(1, 3), f.Text(2, 3)}; },
      .write = kit::PostalRangeFile,
      .recordSize = formats::postal_range::kSize,
      .decode = [](RecordReader& r) {
        const formats::PostalRangeRecord p =
            formats::DecodePostalRange(r.Record(formats::postal_range::kSize));
        return kit::PostalRange{Unpadded(p.province), Unpadded(p.lowest), Unpadded(p.highest)};
      },
      .row = [](const kit::PostalRange& p) { return Row{p.province, p.lowest, p.highest}; },
      .follows = [](RowFields& f, const kit::PostalRange& before, const kit::PostalRange& r,
                    int lineBefore) {
        if (!(Padded(before.highest, 3) < Padded(r.lowest, 3))) {
          f.Fail(1, "ranges must ascend without overlapping line " + Str(lineBefore));
        }
        if (Padded(r.highest, 3) < Padded(r.lowest, 3)) f.Fail(2, "highest is below lowest");
      },
  });
}

SourceTable HostRecords(const char* source, const char* extension, std::size_t size,
                        std::string (*write)(const std::vector<std::string>&)) {
  return Table<std::string>({
      .source = source,
      .extension = extension,
      .columns = {{"record"}},
      .parse = [size](RowFields& f) { return f.Text(0, size); },
      .write = write,
      .recordSize = size,
      .decode = [size](RecordReader& r) {
        return Unpadded({reinterpret_cast<const char*>(r.Record(size)), size}, '\0');
      },
      .row = [](const std::string& record) { return Row{record}; },
  });
}

SourceTable ZoneMinimums() {
  return Table<kit::ZoneMinimum>({
      .source = "zone_minimums.csv",
      .extension = ".ZMC",
      .columns = {{"first_lowest", "first_highest", "second_lowest", "second_highest",
                   "rbno_lowest", "rbno_highest", "minimum_charge", "zone_charge"}},
      .parse = [](RowFields& f) {
        return kit::ZoneMinimum{f.Exact(0, 5), f.Exact(1, 5), f.Exact(2, 5), f.Exact(3, 5),
                                f.Exact(4, 6), f.Exact(5, 6), f.Amount(6), f.Amount(7)};
      },
      .write = kit::ZoneMinimumFile,
      .recordSize = formats::zone_minimum::kSize,
      .decode = [](RecordReader& r) {
        const formats::ZoneMinimumRecord z =
            formats::DecodeZoneMinimum(r.Record(formats::zone_minimum::kSize));
        return kit::ZoneMinimum{std::string(z.firstEndLowest),  std::string(z.firstEndHighest),
                                std::string(z.secondEndLowest), std::string(z.secondEndHighest),
                                std::string(z.rbnoLowest),      std::string(z.rbnoHighest),
                                z.minimumCharge,                z.zoneCharge};
      },
      .row = [](const kit::ZoneMinimum& z) {
        return Row{z.firstEndLowest,   z.firstEndHighest, z.secondEndLowest,
                   z.secondEndHighest, z.rbnoLowest,      z.rbnoHighest,
                   FloatText(z.minimumCharge), FloatText(z.zoneCharge)};
      },
  });
}

// ---- Special legs ----------------------------------------------------------

SourceTable HawaiiPoints() {
  return Table<kit::HawaiiPoint>({
      .source = "hawaii_points.csv",
      .extension = ".HIB",
      .columns = {{"zip", "area_code", "rate_code", "terminal"}},
      .parse = [](RowFields& f) {
        return kit::HawaiiPoint{f.Text(0, 5), f.Text(1, 3), f.Text(2, 2), f.Text(3, 3)};
      },
      .write = kit::HawaiiPointFile,
      .recordSize = formats::hawaii_point::kSize,
      .decode = [](RecordReader& r) {
        const formats::HawaiiPointRecord p =
            formats::DecodeHawaiiPoint(r.Record(formats::hawaii_point::kSize));
        return kit::HawaiiPoint{Unpadded(p.zip), Unpadded(p.areaCode), Unpadded(p.rateCode),
                                Unpadded(p.terminal)};
      },
      .row = [](const kit::HawaiiPoint& p) { return Row{p.zip, p.areaCode, p.rateCode, p.terminal}; },
      .follows = Ascending<kit::HawaiiPoint>(
          [](const kit::HawaiiPoint& p) { return Folded(p.zip, 5); }, 0, true),
  });
}

SourceTable HawaiiGateways() {
  return Table<kit::HawaiiGateway>({
      .source = "hawaii_gateways.csv",
      .extension = ".HIM",
      .columns = {{"origin_code", "destination_code", "gateway"}},
      .parse = [](RowFields& f) {
        return kit::HawaiiGateway{f.Text(0, 3), f.Text(1, 3), f.Text(2, 3)};
      },
      .write = kit::HawaiiGatewayFile,
      .recordSize = formats::hawaii_gateway::kSize,
      .decode = [](RecordReader& r) {
        const formats::HawaiiGatewayRecord g =
            formats::DecodeHawaiiGateway(r.Record(formats::hawaii_gateway::kSize));
        return kit::HawaiiGateway{Unpadded(g.originCode), Unpadded(g.destinationCode),
                                  Unpadded(g.gateway)};
      },
      .row = [](const kit::HawaiiGateway& g) { return Row{g.originCode, g.destinationCode, g.gateway}; },
      .follows = Ascending<kit::HawaiiGateway>(
          [](const kit::HawaiiGateway& g) {
            return Folded(g.originCode, 3) + Folded(g.destinationCode, 3);
          },
          1, true),
  });
}

SourceTable GatewayZips() {
  return Table<kit::GatewayZip>({
      .source = "hawaii_gateway_zips.csv",
      .extension = ".HIF",
      .columns = {{"gateway", "zip"}},
      .parse = [](RowFields& f) { return kit::GatewayZip{f.Text(0, 3), f.Text(1, 5)}; },
      .write = kit::GatewayZipFile,
      .recordSize = formats::gateway_zip::kSize,
      .decode = [](RecordReader& r) {
        const formats::GatewayZipRecord g =
            formats::DecodeGatewayZip(r.Record(formats::gateway_zip::kSize));
        return kit::GatewayZip{Unpadded(g.gateway), Unpadded(g.zip)};
      },
      .row = [](const kit::GatewayZip& g) { return Row{g.gateway, g.zip}; },
      .follows = Ascending<kit::GatewayZip>(
          [](const kit::GatewayZip& g) { return Folded(g.gateway, 3); }, 0, true),
  });
}

SourceTable HawaiiTable(const char* source, const char* extension) {
  return Table<kit::HawaiiRates>({
      .source = source,
      .extension = extension,
      .columns = {Join({"area_code", "rate_code", "minimum"}, Numbered("rate", 1, 6))},
      .parse = [](RowFields& f) {
        kit::HawaiiRates h{f.Text(0, 3), f.Text(1, 2), f.Cents(2)};
        for (std::size_t i = 0; i < h.rates.size(); ++i) h.rates[i] = f.Cents(3 + i);
        return h;
      },
      .write = kit::HawaiiTableFile,
      .recordSize = formats::hawaii_table::kSize,
      .decode = [](RecordReader& r) {
        const formats::HawaiiTableRecord h =
            formats::DecodeHawaiiTable(r.Record(formats::hawaii_table::kSize));
        return kit::HawaiiRates{Unpadded(h.areaCode), Unpadded(h.rateCode), h.minimum, h.rates};
      },
      .row = [](const kit::HawaiiRates& h) {
        return WithValues({h.areaCode, h.rateCode, Str(h.minimum)},
                          std::vector<int32_t>(h.rates.begin(), h.rates.end()));
      },
      .follows = Ascending<kit::HawaiiRates>(
          [](const kit::HawaiiRates& h) { return Folded(h.areaCode, 3) + Folded(h.rateCode, 2); },
          1, true),
  });
}

SourceTable MexicanPoints() {
  return Table<kit::MexicanPoint>({
      .source = "mexican_points.csv",
      .extension = ".BMX",
      .columns = {{"postal_code", "point"}},
      .parse = [](RowFields& f) { return kit::MexicanPoint{f.Text(0, 5), f.Text(1, 3)}; },
      .write = kit::MexicanPointFile,
      .recordSize = formats::mexican_point::kSize,
      .decode = [](RecordReader& r) {
        const formats::MexicanPointRecord p =
            formats::DecodeMexicanPoint(r.Record(formats::mexican_point::kSize));
        return kit::MexicanPoint{Unpadded(p.postalCode), Unpadded(p.point)};
      },
      .row = [](const kit::MexicanPoint& p) { return Row{p.postalCode, p.point}; },
  });
}

SourceTable PointRbnos(const char* source, const char* extension, std::size_t size,
                       std::string (*write)(const std::vector<kit::PointRbno>&)) {
  return Table<kit::PointRbno>({
      .source = source,
      .extension = extension,
      .columns = {{"point", "zip_prefix", "rbno_digits"}},
      .parse = [](RowFields& f) {
        return kit::PointRbno{f.Text(0, 3), f.Text(1, 3), f.Text(2, 6)};
      },
      .write = write,
      .recordSize = size,
      .decode = [size](RecordReader& r) {
        const formats::PointRbnoRecord p = formats::DecodePointRbno(r.Record(size));
        return kit::PointRbno{Unpadded(p.point), Unpadded(p.zipPrefix), Unpadded(p.digits)};
      },
      .row = [](const kit::PointRbno& p) { return Row{p.point, p.zipPrefix, p.digits}; },
  });
}

SourceTable AlaskaPoints() {
  return Table<kit::AlaskaRange>({
      .source = "alaska_points.csv",
      .extension = ".AKB",
      .columns = {{"lowest", "highest", "point", "point_flag"}},
      .parse = [](RowFields& f) {
        const std::string lowest = f.Exact(0, 5), highest = f.Exact(1, 5);
        if (f.Ok() && lowest.compare(0, 3, highest, 0, 3) != 0) {
          f.Fail(1, "highest must share the lowest ZIP's first three digits");
        }
        return kit::AlaskaRange{lowest, highest.substr(3), f.Text(2, 3), f.Flag(3)};
      },
      .write = kit::AlaskaPointFile,
      .recordSize = formats::alaska_point::kSize,
      .decode = [](RecordReader& r) {
        const formats::AlaskaPointRecord a =
            formats::DecodeAlaskaPoint(r.Record(formats::alaska_point::kSize));
        return kit::AlaskaRange{Unpadded(a.lowest), Unpadded(a.highestLastDigits),
                                Unpadded(a.point), a.pointFlag};
      },
      .row = [](const kit::AlaskaRange& a) {
        return Row{a.lowest, a.lowest.substr(0, 3) + a.highestLastDigits, a.point,
                   std::string(1, a.pointFlag)};
      },
  });
}

// ---- Base points -----------------------------------------------------------

SourceTable BasePoints(const char* source, const char* extension) {
  return Table<kit::BasePoint>({
      .source = source,
      .extension = extension,
      .columns = {{"postal_code", "origin_point", "destination_point", "origin_rbno_adjustment",
                   "origin_adjustment_number", "destination_rbno_adjustment",
                   "destination_adjustment_number"}},
      .parse = [](RowFields& f) {
        return kit::BasePoint{f.Text(0, 5),
                              f.Exact(1, 6),
                              f.Exact(2, 6),
                              static_cast<int32_t>(f.Whole(3, INT32_MIN, INT32_MAX)),
                              static_cast<int32_t>(f.Whole(4, INT32_MIN, INT32_MAX)),
                              static_cast<int32_t>(f.Whole(5, INT32_MIN, INT32_MAX)),
                              static_cast<int32_t>(f.Whole(6, INT32_MIN, INT32_MAX))};
      },
      .write = kit::BasePointFile,
      .recordSize = formats::base_point::kSize,
      .decode = [](RecordReader& r) {
        const formats::BasePointRecord p =
            formats::DecodeBasePoint(r.Record(formats::base_point::kSize));
        return kit::BasePoint{std::string(p.postalCode),
                              std::string(p.origin.basePoint),
                              std::string(p.destination.basePoint),
                              p.origin.rbnoAdjustment,
                              p.origin.adjustmentNumber,
                              p.destination.rbnoAdjustment,
                              p.destination.adjustmentNumber};
      },
      .row = [](const kit::BasePoint& p) {
        return Row{p.postalCode,
                   p.origBasePoint,
                   p.destBasePoint,
                   Str(p.origRbnoAdjustment),
                   Str(p.origAdjustmentNumber),
                   Str(p.destRbnoAdjustment),
                   Str(p.destAdjustmentNumber)};
      },
      .follows = Ascending<kit::BasePoint>(
          [](const kit::BasePoint& p) { return NulPadded(p.postalCode, 5); }, 0, true),
  });
}

SourceTable PointMatrix() {
  return Table<kit::PointPair>({
      .source = "point_matrix.csv",
      .extension = ".MTX",
      .columns = {{"origin_point", "destination_point", "value"}},
      .parse = [](RowFields& f) {
        return kit::PointPair{f.Exact(0, 6), f.Exact(1, 6),
                              static_cast<int32_t>(f.Whole(2, INT32_MIN, INT32_MAX))};
      },
      .write = kit::PointMatrixFile,
      .recordSize = formats::point_pair::kSize,
      .decode = [](RecordReader& r) {
        const formats::PointPairRecord p =
            formats::DecodePointPair(r.Record(formats::point_pair::kSize));
        return kit::PointPair{std::string(p.origBasePoint), std::string(p.destBasePoint),
                              p.value};
      },
      .row = [](const kit::PointPair& p) {
        return Row{p.origBasePoint, p.destBasePoint, Str(p.value)};
      },
      .follows = Ascending<kit::PointPair>(
          [](const kit::PointPair& p) { return p.origBasePoint + p.destBasePoint; }, 1, true),
  });
}

// ---- Rates -----------------------------------------------------------------

std::vector<std::string> RateValueNames(bool wide) {
  return Join(Numbered("min", 1, 4), wide ? Numbered("cell", 4, 165) : Numbered("rate", 1, 9));
}

SourceTable KeyedRates(const char* source, const char* extension, std::vector<std::string> values,
                       std::size_t recordSize, const formats::Field& valueField,
                       std::function<std::string(const std::vector<kit::RateRecord>&)> write) {
  return Table<kit::RateRecord>({
      .source = source,
      .extension = extension,
      .columns = {Join({"key"}, values), 1},
      .parse = [](RowFields& f) { return kit::RateRecord{f.Exact(0, 6), f.Values(1, true)}; },
      .write = write,
      .recordSize = recordSize,
      .decode = [recordSize, valueField](RecordReader& r) {
        formats::KeyedRateRecord k = formats::DecodeKeyedRates(r.Record(recordSize), valueField);
        return kit::RateRecord{std::string(k.key), std::move(k.values)};
      },
      .row = [](const kit::RateRecord& k) { return WithValues({k.key}, k.values); },
      .follows = Ascending<kit::RateRecord>([](const kit::RateRecord& k) { return k.key; }, 0, true),
  });
}

int32_t FactorGroupNumber(const std::string& digits) {
  int64_t value = 0;
  if (digits.size() != 6 || digits[0] == '-' || !ParseWhole(digits, 0, 999999, value)) {
    throw DumpFailure("a factor group number is not six digits");
  }
  return static_cast<int32_t>(value);
}

SourceTable PointRates(bool wide) {
  const std::size_t size = formats::PointRateSize(wide);
  return Table<kit::RtfRecord>({
      .source = "point_rates.csv",
      .extension = ".RTF",
      .columns = {Join({"rbno", "factor_group"}, RateValueNames(wide)), 2},
      .parse = [](RowFields& f) {
        return kit::RtfRecord{static_cast<int32_t>(f.Whole(0, INT32_MIN, INT32_MAX)),
                              static_cast<int32_t>(f.Whole(1, 0, 999999)), f.Values(2, true)};
      },
      .write = [wide](const std::vector<kit::RtfRecord>& r) { return kit::RtfFile(r, wide); },
      .recordSize = size,
      .decode = [wide, size](RecordReader& r) {
        formats::PointRateRecord p = formats::DecodePointRate(r.Record(size), wide);
        const int32_t group = FactorGroupNumber(std::string(p.factorGroup));
        return kit::RtfRecord{p.rbno, group, std::move(p.values)};
      },
      .row = [](const kit::RtfRecord& k) {
        return WithValues({Str(k.rbno), Str(k.factorGroup)}, k.values);
      },
      .follows = Ascending<kit::RtfRecord>(
          [](const kit::RtfRecord& k) { return NumberKey(k.rbno); }, 0, true),
  });
}

SourceTable Adjustments() {
  return Table<kit::Adjustment>({
      .source = "adjustments.csv",
      .extension = ".ADF",
      .columns = {Join({"number", "mode"}, Numbered("cell", 0, 165)), 2},
      .parse = [](RowFields& f) {
        return kit::Adjustment{static_cast<int32_t>(f.Whole(0, INT32_MIN, INT32_MAX)), f.Flag(1),
                               f.Values(2, false)};
      },
      .write = kit::AdjustmentFile,
      .recordSize = formats::adjustment::kSize,
      .decode = [](RecordReader& r) {
        const formats::AdjustmentRecord a =
            formats::DecodeAdjustment(r.Record(formats::adjustment::kSize));
        return kit::Adjustment{a.number, a.mode, {a.values.begin(), a.values.end()}};
      },
      .row = [](const kit::Adjustment& a) {
        return WithValues({Str(a.number), std::string(1, a.mode)}, a.values);
      },
  });
}

// ---- Adjustment points, lanes and transit days -----------------------------

SourceTable PostalAdjustmentPoints(const char* source, const char* extension) {
  return Table<kit::PostalAdjustmentRange>({
      .source = source,
      .extension = extension,
      .columns = {{"lowest", "highest", "point"}},
      .parse = [](RowFields& f) {
        return kit::PostalAdjustmentRange{f.Text(0, 3), f.Text(1, 3), f.Text(2, 5)};
      },
      .write = kit::PostalAdjustmentPointFile,
      .recordSize = formats::postal_adjustment_range::kSize,
      .decode = [](RecordReader& r) {
        const formats::PostalAdjustmentRangeRecord p = formats::DecodePostalAdjustmentRange(
            r.Record(formats::postal_adjustment_range::kSize));
        return kit::PostalAdjustmentRange{Unpadded(p.lowest), Unpadded(p.highest),
                                          Unpadded(p.point)};
      },
      .row = [](const kit::PostalAdjustmentRange& p) { return Row{p.lowest, p.highest, p.point}; },
      .trailer = formats::postal_adjustment_range::kTrailer.size(),
  });
}

SourceTable LaneAdjustments() {
  return Table<kit::LaneAdjustment>({
      .source = "lane_adjustments.csv",
      .extension = ".LMA",
      .columns = {{"origin_point", "destination_point", "number"}},
      .parse = [](RowFields& f) {
        return kit::LaneAdjustment{f.Text(0, 5), f.Text(1, 5), f.Text(2, 6)};
      },
      .write = kit::LaneAdjustmentFile,
      .recordSize = formats::lane_adjustment::kSize,
      .decode = [](RecordReader& r) {
        const formats::LaneAdjustmentRecord l =
            formats::DecodeLaneAdjustment(r.Record(formats::lane_adjustment::kSize));
        return kit::LaneAdjustment{Unpadded(l.originPoint), Unpadded(l.destinationPoint),
                                   Unpadded(l.number)};
      },
      .row = [](const kit::LaneAdjustment& l) {
        return Row{l.originPoint, l.destinationPoint, l.number};
      },
      .follows = Ascending<kit::LaneAdjustment>(
          [](const kit::LaneAdjustment& l) {
            return Folded(l.originPoint, 5) + Folded(l.destinationPoint, 5);
          },
          1, false),
  });
}

SourceTable TransitDays() {
  return Table<kit::TerminalDays>({
      .source = "transit_days.csv",
      .extension = ".SRV",
      .columns = {{"origin_terminal", "destination_terminal", "days"}},
      .parse = [](RowFields& f) {
        return kit::TerminalDays{f.Text(0, 4), f.Text(1, 4), static_cast<int>(f.Whole(2, 0, 99))};
      },
      .write = kit::TerminalDaysFile,
      .recordSize = formats::terminal_days::kSize,
      .decode = [](RecordReader& r) {
        const formats::TerminalDaysRecord record =
            formats::DecodeTerminalDays(r.Record(formats::terminal_days::kSize));
        kit::TerminalDays t{Unpadded(record.originTerminal), Unpadded(record.destinationTerminal)};
        const std::string days(record.days);
        int64_t value = 0;
        if (days[0] == '-' || !ParseWhole(days, 0, 99, value)) {
          throw DumpFailure("transit days are not two digits");
        }
        t.days = static_cast<int>(value);
        return t;
      },
      .row = [](const kit::TerminalDays& t) {
        return Row{t.originTerminal, t.destinationTerminal, Str(t.days)};
      },
      .follows = Ascending<kit::TerminalDays>(
          [](const kit::TerminalDays& t) {
            return Folded(t.originTerminal, 4) + Folded(t.destinationTerminal, 4);
          },
          1, true),
  });
}

}  // namespace

void AddRecordTables(std::vector<SourceTable>& tables, bool wide) {
  const std::size_t rteSize = wide ? formats::wide_rate::kSize : formats::narrow_rate::kSize;
  tables.push_back(KeyedRates("rates.csv", ".RTE", RateValueNames(wide), rteSize,
                              formats::RateValues(wide),
                              [wide](const auto& r) { return kit::RateFile(r, wide); }));
  tables.push_back(PointRates(wide));
  tables.push_back(BasePoints("base_points.csv", ".BSF"));
  tables.push_back(BasePoints("canadian_base_points.csv", ".BSC"));
  tables.push_back(PointMatrix());
  tables.push_back(PostalRanges());
  tables.push_back(
      HostRecords("zp6_records.csv", ".ZP6", formats::zip_table::kSize, kit::Zp6File));
  tables.push_back(ZoneMinimums());
  tables.push_back(HostRecords("coz_records.csv", ".COZ", 6, kit::CozFile));
  tables.push_back(HawaiiPoints());
  tables.push_back(HawaiiGateways());
  tables.push_back(GatewayZips());
  tables.push_back(HawaiiTable("hawaii_table1.csv", ".HID"));
  tables.push_back(HawaiiTable("hawaii_table2.csv", ".HIO"));
  tables.push_back(HawaiiTable("hawaii_table3.csv", ".HIP"));
  tables.push_back(HawaiiTable("hawaii_table4.csv", ".HIW"));
  tables.push_back(MexicanPoints());
  tables.push_back(PointRbnos("mexican_rbnos.csv", ".MMX", formats::mexican_rbno::kSize,
                              kit::MexicanRbnoFile));
  const std::vector<std::string> legValues = Join({"minimum"}, Numbered("cell", 4, 165));
  tables.push_back(KeyedRates("mexican_rates.csv", ".RMX", legValues, formats::leg_rate::kSize,
                              formats::leg_rate::kValues, kit::LegRateFile));
  tables.push_back(AlaskaPoints());
  tables.push_back(PointRbnos("alaska_rbnos.csv", ".AKM", formats::alaska_rbno::kSize,
                              kit::AlaskaRbnoFile));
  tables.push_back(KeyedRates("alaska_rates.csv", ".AKR", legValues, formats::leg_rate::kSize,
                              formats::leg_rate::kValues, kit::LegRateFile));
  tables.push_back(PostalAdjustmentPoints("origin_postal_adjustment_points.csv", ".FCA"));
  tables.push_back(PostalAdjustmentPoints("destination_postal_adjustment_points.csv", ".TCA"));
  tables.push_back(LaneAdjustments());
  tables.push_back(Adjustments());
  tables.push_back(TransitDays());
}

}  // namespace brant::tool
