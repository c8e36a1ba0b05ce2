// The ZIP-pair matrix (zone_matrix.cpp) and the base ZIP ranges that refine
// its keys.
#include <cstring>

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
    RecordReader r(files.at(".BSE"));
    CsvWriter csv;
    csv.Row(kBaseColumns.names);
    for (std::size_t k = 0; k < 3; ++k) {
      r.Seek(8 * k);
      const uint32_t offset = r.U32();
      const int32_t length = r.I32();
      if (length < 0 || length % kit::kBaseRecordSize != 0) {
        throw DumpFailure("territory " + std::string(1, kTerritories[k]) + " has no whole records");
      }
      r.Seek(offset);
      for (int32_t i = 0; i < length / static_cast<int32_t>(kit::kBaseRecordSize); ++i) {
        const uint32_t range = r.U24();
        const uint32_t lowest = range & 0x1FFFF;
        const uint32_t highest = lowest / 100 * 100 + (range >> 17);
        const uint32_t base = r.U24();
        csv.Row({std::string(1, kTerritories[k]), Str(lowest), Str(highest), Str(base),
                 Str(r.U24())});
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
