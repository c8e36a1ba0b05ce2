// Tables whose tariff files are more than a run of records: the .MCH text,
// the .SC table of every prefix, the factor directories, the paired group
// factor files and the ZIP-addressed adjustment points.
#include <map>

#include "formats/adjustments.h"
#include "formats/factors.h"
#include "formats/minimum_charges.h"
#include "formats/tariff_tables.h"
#include "source/source_tables.h"
#include "tariffkit/tariffkit.h"

namespace brant::tool {
namespace {

namespace kit = tariffkit;
using Row = std::vector<std::string>;

// ---- .MCH ------------------------------------------------------------------

const Columns kChargeColumns{
    {"letter", "lowest", "highest", "kind", "label", "value"}, 0, 2, formats::kMaxChargeLevels};

std::string ChargeText(RowFields& f, std::size_t col) {
  std::string text = f.Text(col, std::string::npos);
  if (text.find_first_of(formats::kChargeSeparators) != std::string::npos) {
    f.Fail(col, f.Name(col) + " must not hold ';', '\\' or a carriage return");
  }
  return text;
}

kit::MinimumChargeEntry ParseCharge(RowFields& f) {
  kit::MinimumChargeEntry e{f.Flag(0), static_cast<int32_t>(f.Whole(1, 0, 999999)),
                            static_cast<int32_t>(f.Whole(2, 0, 999999)), f.Flag(3)};
  for (std::size_t col = 4; col + 1 < f.Count(); col += 2) {
    e.levels.push_back({ChargeText(f, col), ChargeText(f, col + 1)});
  }
  return e;
}

// Reads the entries back from the text. The source holds only entries that
// compile back to the same bytes, so each must be as FormatChargeEntry
// writes it, with bounds of six digits at most.
std::vector<kit::MinimumChargeEntry> ChargeEntries(const std::string& text) {
  std::vector<kit::MinimumChargeEntry> entries;
  const char* const begin = text.c_str();
  for (const char* at = begin; at < begin + text.size();) {
    const std::size_t start = static_cast<std::size_t>(at - begin);
    formats::ChargeRange range{};
    if (*at != formats::kChargeEntryMark ||
        formats::ReadChargeRange(++at, range) != formats::ChargeHead::kRead) {
      throw DumpFailure("byte " + Str(start) + " does not start an entry");
    }
    if (range.lowest < 0 || range.highest < 0 || range.lowest > 999999 ||
        range.highest > 999999) {
      throw DumpFailure("the entry at byte " + Str(start) + " has a bound past six digits");
    }
    const char kind = formats::ReadChargeKind(at).kind;
    std::vector<kit::MinimumChargeLevel> levels;
    for (formats::ChargeLevelText level; formats::ReadChargeLevel(at, level);) {
      levels.push_back({std::string(level.label), std::string(level.value)});
    }
    if (*at == formats::kChargeEntryEnd) ++at;
    const std::string written = formats::FormatChargeEntry(range, kind, levels);
    if (text.compare(start, static_cast<std::size_t>(at - begin) - start, written) != 0) {
      throw DumpFailure("the entry at byte " + Str(start) + " is not as the compiler writes it");
    }
    entries.push_back({range.letter, static_cast<int32_t>(range.lowest),
                       static_cast<int32_t>(range.highest), kind, std::move(levels)});
  }
  return entries;
}

SourceTable MinimumCharges() {
  SourceTable t{"minimum_charges.csv", {}, {".MCH"}};
  t.compile = [](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    std::vector<kit::MinimumChargeEntry> entries;
    if (ReadLines<kit::MinimumChargeEntry>(set.at("minimum_charges.csv"), kChargeColumns, errors,
                                           ParseCharge, entries)) {
      out[".MCH"] = kit::MinimumChargeFile(entries);
    }
  };
  t.dump = [](const TariffFiles& files, SourceTexts& texts) {
    CsvWriter csv;
    csv.Row(kChargeColumns.names);
    for (const kit::MinimumChargeEntry& e : ChargeEntries(files.at(".MCH"))) {
      Row row{std::string(1, e.letter), Str(e.lowest), Str(e.highest), std::string(1, e.kind)};
      for (const kit::MinimumChargeLevel& level : e.levels) {
        row.push_back(level.label);
        row.push_back(level.value);
      }
      csv.Row(row);
    }
    texts["minimum_charges.csv"] = csv.Text();
  };
  return t;
}

// ---- .SC -------------------------------------------------------------------

const Columns kStateColumns{{"prefix", "state", "intrastate", "direction", "point_flag1",
                             "point_flag2", "point_flag3", "region"}};

SourceTable StateCodes() {
  SourceTable t{"state_codes.csv", {}, {".SC"}};
  t.compile = [](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    std::vector<kit::StateCodeRow> rows;
    std::map<int, int> lineOf;
    auto parse = [&](RowFields& f) {
      kit::StateCodeRow r{static_cast<int>(f.Whole(0, 1, 999)), f.Text(1, 2), f.Flag(2),
                          f.Flag(3),  f.Flag(4), f.Flag(5), f.Flag(6), f.Flag(7)};
      if (f.Ok() && !lineOf.emplace(r.prefix, f.Line()).second) {
        f.Fail(0, "prefix " + Str(r.prefix) + " is already given on line " +
                      Str(lineOf[r.prefix]));
      }
      return r;
    };
    if (ReadLines<kit::StateCodeRow>(set.at("state_codes.csv"), kStateColumns, errors, parse,
                                     rows)) {
      out[".SC"] = kit::StateCodeFile(rows);
    }
  };
  // Prefixes that hold the kit's record of an unknown prefix are left out.
  t.dump = [](const TariffFiles& files, SourceTexts& texts) {
    namespace layout = formats::state_code;
    const std::string unknown = kit::StateCodeFile({}).substr(0, layout::kSize);
    const std::string& bytes = files.at(".SC");
    RecordReader r(bytes);
    CsvWriter csv;
    csv.Row(kStateColumns.names);
    for (int prefix = 1; prefix <= static_cast<int>(layout::kRecords); ++prefix) {
      r.Seek(static_cast<std::size_t>(prefix - 1) * layout::kSize);
      if (bytes.compare(r.At(), layout::kSize, unknown) == 0) continue;
      const formats::StateCodeRecord s = formats::DecodeStateCode(r.Record(layout::kSize));
      Row row{Str(prefix), Unpadded(s.state)};
      for (char flag : {s.intrastate, s.direction, s.pointFlag1, s.pointFlag2, s.pointFlag3,
                        s.region}) {
        row.push_back(std::string(1, flag));
      }
      csv.Row(row);
    }
    texts["state_codes.csv"] = csv.Text();
  };
  return t;
}

// ---- .FAC and the Mexican factor directory ---------------------------------

const Columns kFactorColumns{{"low_key", "high_key", "factor", "repeat"}, 0, 2,
                             formats::kMaxFactorEntryData / formats::kFactorGroupSize};

SourceTable Factors(const char* source, const char* extension, std::size_t room,
                    std::string (*write)(const std::vector<kit::FactorEntry>&,
                                         const kit::FactorDirectoryLayout&)) {
  SourceTable t{source, {}, {extension}};
  t.compile = [=](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    std::vector<kit::FactorEntry> entries;
    std::size_t count = 0;
    auto parse = [&](RowFields& f) {
      if (++count > room) f.Fail(0, "a directory holds at most " + Str(room) + " entries");
      kit::FactorEntry e{f.Exact(0, formats::factor_entry::kLowKey.width),
                         f.Exact(1, formats::factor_entry::kHighKey.width)};
      for (std::size_t col = 2; col + 1 < f.Count(); col += 2) {
        e.groups.push_back(
            {static_cast<uint32_t>(f.Whole(col, 0, (1 << formats::kFactorBits) - 1)),
             static_cast<uint32_t>(f.Whole(col + 1, 0, (1 << formats::kRepeatBits) - 1))});
      }
      return e;
    };
    if (ReadLines<kit::FactorEntry>(set.at(source), kFactorColumns, errors, parse, entries)) {
      out[extension] = write(entries, {});
    }
  };
  t.dump = [=](const TariffFiles& files, SourceTexts& texts) {
    RecordReader r(files.at(extension));
    const int last = formats::kLastEntry.I16(r.Record(formats::kLastEntry.End()));
    if (last < -1 || last >= static_cast<int>(room)) {
      throw DumpFailure("the directory's last entry " + Str(last) + " lies outside it");
    }
    CsvWriter csv;
    csv.Row(kFactorColumns.names);
    for (int k = 0; k <= last; ++k) {
      r.Seek(formats::FactorEntryOffset(static_cast<std::size_t>(k)));
      const formats::FactorEntryRecord e =
          formats::DecodeFactorEntry(r.Record(formats::factor_entry::kSize));
      Row row{std::string(e.lowKey), std::string(e.highKey)};
      if (e.dataOffset < 0 || e.dataLength % formats::kFactorGroupSize != 0) {
        throw DumpFailure("entry " + Str(k) + " has no groups");
      }
      r.Seek(static_cast<std::size_t>(e.dataOffset));
      const uint8_t* data = r.Record(e.dataLength);
      for (std::size_t g = 0; g < e.dataLength / formats::kFactorGroupSize; ++g) {
        const formats::FactorGroupRecord group =
            formats::DecodeFactorGroup(data + formats::kFactorGroupSize * g);
        row.push_back(Str(group.factor));
        row.push_back(Str(group.repeat));
      }
      csv.Row(row);
    }
    texts[source] = csv.Text();
  };
  return t;
}

// ---- .FC1 and .FC2 ---------------------------------------------------------

const Columns kGroupColumns{
    Join({"lowest", "highest"},
         Numbered("factor", 1, static_cast<int>(formats::group_factors::kFactors.count))),
    2};

SourceTable GroupFactors() {
  SourceTable t{"group_factors.csv", {}, {".FC1", ".FC2"}};
  t.compile = [](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    std::vector<kit::FactorGroupRange> ranges;
    std::vector<std::vector<int32_t>> factors;
    int previousLine = 0;
    auto parse = [&](RowFields& f) {
      kit::FactorGroupRange r{static_cast<int32_t>(f.Whole(0, INT32_MIN, INT32_MAX)),
                              static_cast<int32_t>(f.Whole(1, INT32_MIN, INT32_MAX))};
      if (f.Ok() && r.highest < r.lowest) f.Fail(1, "highest is below lowest");
      if (f.Ok() && !ranges.empty() && !(ranges.back().highest < r.lowest)) {
        f.Fail(0, "ranges must ascend without overlapping line " + Str(previousLine));
      }
      previousLine = f.Line();
      factors.push_back(f.Values(2, false));
      return r;
    };
    if (ReadLines<kit::FactorGroupRange>(set.at("group_factors.csv"), kGroupColumns, errors,
                                         parse, ranges)) {
      out[".FC1"] = kit::FactorRangeFile(ranges);
      out[".FC2"] = kit::GroupFactorFile(factors);
    }
  };
  t.dump = [](const TariffFiles& files, SourceTexts& texts) {
    if (!files.contains(".FC1") || !files.contains(".FC2")) {
      throw DumpFailure("the group factor files come in pairs: .FC1 and .FC2");
    }
    RecordReader ranges(files.at(".FC1"));
    RecordReader factors(files.at(".FC2"));
    const std::size_t count = ranges.Size() / formats::factor_range::kSize;
    if (factors.Size() / formats::group_factors::kSize != count) {
      throw DumpFailure(".FC1 and .FC2 hold different numbers of records");
    }
    CsvWriter csv;
    csv.Row(kGroupColumns.names);
    for (std::size_t p = 0; p < count; ++p) {
      const formats::FactorRangeRecord range =
          formats::DecodeFactorRange(ranges.Record(formats::factor_range::kSize));
      Row row{Str(range.lowest), Str(range.highest)};
      for (int32_t v : formats::DecodeGroupFactors(factors.Record(formats::group_factors::kSize)))
        row.push_back(Str(v));
      csv.Row(row);
    }
    texts["group_factors.csv"] = csv.Text();
  };
  return t;
}

// ---- .FBA and .TBA ---------------------------------------------------------

// The header names the points a record holds: zip,point1,...,pointP.
bool PointsHeader(const CsvTable& table, std::vector<SourceError>& errors, Columns& columns) {
  const std::size_t points = table.header.empty() ? 0 : table.header.size() - 1;
  columns = {Join({"zip"}, Numbered("point", 1, static_cast<int>(points))), 2};
  if (points < 1 || points > formats::zip_adjustment_points::kMostPointsPerRecord) {
    errors.push_back({table.file, table.headerLine, 1,
                      "the header is zip and then point1 to pointP, 1 to 100 points"});
    return false;
  }
  return CheckHeader(table, columns, errors);
}

SourceTable ZipAdjustmentPoints(const char* source, const char* extension) {
  SourceTable t{source, {}, {extension}};
  t.compile = [=](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    const CsvTable& table = set.at(source);
    Columns columns;
    if (!PointsHeader(table, errors, columns)) return;
    kit::ZipAdjustmentPoints file{static_cast<int32_t>(columns.names.size() - 1)};
    int32_t previous = 0;
    int previousLine = 0;
    auto parse = [&](RowFields& f) {
      const auto zip = static_cast<int32_t>(f.Whole(0, 1, 99999));
      if (f.Ok() && zip == previous) {
        f.Fail(0, "zip " + Str(zip) + " is already given on line " + Str(previousLine));
      } else if (f.Ok() && zip < previous) {
        f.Fail(0, "lines must be in ascending order of zip");
      }
      previous = zip;
      previousLine = f.Line();
      std::vector<std::string> points;
      for (std::size_t col = 1; col < f.Count(); ++col) points.push_back(f.Text(col, 5));
      file.points[zip] = points;
      return zip;
    };
    std::vector<int32_t> zips;
    if (ReadLines<int32_t>(table, columns, errors, parse, zips)) {
      out[extension] = kit::ZipAdjustmentPointFile(file);
    }
  };
  // Every ZIP with a point, and the last record, which sets the file's end.
  t.dump = [=](const TariffFiles& files, SourceTexts& texts) {
    namespace layout = formats::zip_adjustment_points;
    RecordReader r(files.at(extension));
    int64_t points = 0;
    const uint8_t* start = r.Record(layout::kPointsPerRecord.End());
    std::string count(layout::kPointsPerRecord.Bytes(start));
    count.erase(0, count.find_first_not_of(' '));
    if (!ParseWhole(count, 1, layout::kMostPointsPerRecord, points)) {
      throw DumpFailure("the points per record are not 1 to 100");
    }
    const formats::Field codes = layout::Points(static_cast<std::size_t>(points));
    const std::size_t size = layout::RecordSize(codes.count);
    const std::size_t records = r.Size() / size;
    CsvWriter csv;
    csv.Row(Join({"zip"}, Numbered("point", 1, static_cast<int>(points))));
    for (std::size_t zip = 1; zip < records; ++zip) {
      r.Seek(zip * size);
      const uint8_t* record = r.Record(size);
      Row row{Str(static_cast<int64_t>(zip))};
      bool any = false;
      for (std::size_t i = 0; i < codes.count; ++i) {
        row.push_back(Unpadded(codes.Bytes(record, i)));
        any = any || !row.back().empty();
      }
      if (any || zip + 1 == records) csv.Row(row);
    }
    texts[source] = csv.Text();
  };
  return t;
}

}  // namespace

void AddStructuredTables(std::vector<SourceTable>& tables) {
  tables.push_back(MinimumCharges());
  tables.push_back(StateCodes());
  tables.push_back(
      Factors("factors.csv", ".FAC", formats::factor_directory::kRoom, kit::FactorFile));
  tables.push_back(Factors("mexican_factors.csv", ".MXF", formats::mexican_factor_directory::kRoom,
                           kit::MexicanFactorFile));
  tables.push_back(GroupFactors());
  tables.push_back(ZipAdjustmentPoints("origin_adjustment_points.csv", ".FBA"));
  tables.push_back(ZipAdjustmentPoints("destination_adjustment_points.csv", ".TBA"));
}

}  // namespace brant::tool
