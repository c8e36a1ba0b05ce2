// The ZIP-pair matrix (zone_matrix.cpp) and the base ZIP ranges that refine
// its keys.
#include <cstring>

#include "formats/matrix.h"
#include "source/source_tables.h"
#include "tariffkit/tariffkit.h"

namespace brant::tool {
namespace {

namespace kit = tariffkit;

// ---- .BSE ------------------------------------------------------------------

const Columns kBaseColumns{{"territory", "lowest", "highest", "base_zip", "adjustment"}};
constexpr char kTerritories[] = "AFI";

SourceTable BaseZips() {
  SourceTable t{"base_zips.csv", {}, {".BSE"}};
  t.compile = [](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    kit::BaseZipKinds kinds;
    std::vector<kit::BaseZipRange>* byKind[] = {&kinds.kind0, &kinds.kind1, &kinds.kind2};
    auto parse = [&](RowFields& f) {
      const char territory = f.Flag(0);
      kit::BaseZipRange r{static_cast<int32_t>(f.Whole(1, 0, 99999)),
                          static_cast<int32_t>(f.Whole(2, 0, 99999)),
                          static_cast<int32_t>(f.Whole(3, 0, 0xFFFFFF)),
                          static_cast<int32_t>(f.Whole(4, 0, 0xFFFFFF))};
      const char* kind = territory != '\0' ? std::strchr(kTerritories, territory) : nullptr;
      if (kind == nullptr) f.Fail(0, "territory must be A, F or I");
      if (f.Ok() && (r.highest < r.lowest || r.highest / 100 != r.lowest / 100)) {
        f.Fail(2, "highest must lie from lowest to the end of its hundred-block");
      }
      if (f.Ok()) byKind[kind - kTerritories]->push_back(r);
      return r;
    };
    std::vector<kit::BaseZipRange> all;
    if (ReadLines<kit::BaseZipRange>(set.at("base_zips.csv"), kBaseColumns, errors, parse, all)) {
      out[".BSE"] = kit::BaseZipFile(kinds);
    }
  };
  t.dump = [](const TariffFiles& files, SourceTexts& texts) {
    namespace header = formats::base_zip_header;
    constexpr auto kRecordSize = static_cast<int32_t>(formats::base_zip_range::kSize);
    RecordReader r(files.at(".BSE"));
    CsvWriter csv;
    csv.Row(kBaseColumns.names);
    for (std::size_t k = 0; k < header::kKinds; ++k) {
      // The header need only reach as far as this kind's length.
      r.Seek(0);
      const std::size_t reach = header::kKindLength.At(k) + header::kKindLength.width;
      const formats::BaseZipKind kind = formats::DecodeBaseZipKind(r.Record(reach), k);
      if (kind.length < 0 || kind.length % kRecordSize != 0) {
        throw DumpFailure("territory " + std::string(1, kTerritories[k]) + " has no whole records");
      }
      r.Seek(kind.offset);
      for (int32_t i = 0; i < kind.length / kRecordSize; ++i) {
        const formats::BaseZipRangeRecord range =
            formats::DecodeBaseZipRange(r.Record(formats::base_zip_range::kSize));
        csv.Row({std::string(1, kTerritories[k]), Str(range.lowest), Str(range.highest),
                 Str(range.baseZip), Str(range.adjustment)});
      }
    }
    texts["base_zips.csv"] = csv.Text();
  };
  return t;
}

}  // namespace

void AddMatrixTables(std::vector<SourceTable>& tables) {
  tables.push_back(ZoneMatrix());
  tables.push_back(BaseZips());
}

}  // namespace brant::tool
