// A small, complete and self-consistent tariff for tests: six ZIP prefixes
// on the matrix (with base ZIP refinements for territories A, F and I), the
// same points and three Canadian ones on base points, 18 classes, 9 weight
// breaks, rate records in either shape with the factors that widen narrow
// ones, and every other file a tariff opens.
//
// Its parts hold together: every matrix cell names a rate basis record
// whose digits are a .RTE key; a wide record holds exactly the cells that
// the narrow record of the same key expands to through the .FAC factors;
// the .SC rows of the matrix prefixes allow the matrix (point flag 3 "Y");
// every pair of base points, with the adjustments of its two ends, names an
// .RTF record, whose factor group's .FC2 factors are those of the .FAC
// entry of the same key.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tariffkit/base_point_files.h"
#include "tariffkit/matrix_files.h"
#include "tariffkit/postal_files.h"
#include "tariffkit/rate_files.h"
#include "tariffkit/settings_file.h"
#include "tariffkit/table_files.h"

namespace brant::tariffkit {

// The choices a test usually makes.
struct SmallTariff {
  std::string name = "SMALL";
  char useFacTables = 'Y';
  char wideRteRecords = 'N';
  bool loadAccessorials = true;  // the first option flag; .ACC is written either way
  int rateRecords = 120;         // keys 001000, 001010, ... in steps of 10
  std::set<std::string> omit{};    // extensions (".ZF1", ".SC") of files not written
};

// Every file of a tariff as plain descriptions; tests may change any part
// before rendering it.
struct TariffContent {
  Settings settings{};
  std::vector<std::string> accessorials{};
  std::vector<MinimumChargeEntry> minimumCharges{};
  std::vector<std::string> classes{};
  std::vector<WeightBreak> weights{};
  std::vector<StateCodeRow> stateCodes{};
  std::vector<RateRecord> rates{};  // in the shape settings.wideRteRecords names
  std::vector<FactorEntry> factors{};
  std::vector<FactorGroupRange> groupRanges{};
  std::vector<std::vector<int32_t>> groupFactors{};
  BaseZipKinds baseZips{};
  std::vector<uint32_t> matrixKeys{};                // ascending
  std::vector<std::vector<uint16_t>> matrixRows{};   // row r from its diagonal
  std::vector<std::string> basisRecords{};
  std::vector<BasePoint> basePoints{};          // .BSF, five-digit ZIPs
  std::vector<BasePoint> canadianBasePoints{};  // .BSC
  std::vector<PointPair> pointPairs{};          // .MTX
  std::vector<RtfRecord> rtfRates{};            // in the shape of settings.wideRteRecords
  std::vector<PostalRange> postalRanges{};
  std::vector<std::string> zp6Records{};
  std::vector<ZoneMinimum> zoneMinimums{};
};

// File bytes by extension (".SET", ".SC", ...).
using TariffFiles = std::map<std::string, std::string>;

// The small tariff's key of rate record i.
std::string SmallTariffKey(int i);

TariffContent DescribeSmallTariff(const SmallTariff& tariff);
TariffFiles RenderTariff(const TariffContent& content);

// Writes each file as `name` + extension into `directory`, except those
// whose extension is in `omit`. Throws std::runtime_error on a failed write.
void WriteTariff(const std::string& directory, const std::string& name, const TariffFiles& files,
                 const std::set<std::string>& omit = {});

// Describes, renders and writes the small tariff in one step.
void WriteSmallTariff(const std::string& directory, const SmallTariff& tariff = {});

}  // namespace brant::tariffkit
