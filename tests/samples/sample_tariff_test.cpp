// The bundled sample tariff as the build compiled it: real ZIP codes of every
// state and real Canadian postal areas validate to their state or province,
// and a dump of it compiles back to the same bytes. (Its transit days are
// checked where a user meets them, in tests/tool/cases/rate.toml.)
#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "source/tariff_source.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The rows of a two-column check list, header dropped.
std::vector<std::pair<std::string, std::string>> CheckList(const std::string& name) {
  std::ifstream in(std::string(BRANT_SAMPLE_DATA) + "/" + name);
  std::vector<std::pair<std::string, std::string>> rows;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    const auto comma = line.find(',');
    if (comma != std::string::npos) rows.emplace_back(line.substr(0, comma), line.substr(comma + 1));
  }
  return rows;
}

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A record on the sample tariff, its files not yet open.
std::unique_ptr<RateContext> SampleRecord() {
  auto context = std::make_unique<RateContext>();
  RateContext& c = *context;
  c.zf1Handle = c.auxHandle = c.classAdjHandle = c.mx1Handle = c.facHandle = c.fc1Handle =
      c.fc2Handle = c.rteHandle = c.bseHandle = c.altFactorHandle = -1;
  std::snprintf(c.dataDir, sizeof c.dataDir, "%s/", BRANT_SAMPLE_DIR);
  std::snprintf(c.tariffName, sizeof c.tariffName, "SAMPLE");
  return context;
}

TEST(SampleTariff, RealPostalCodesValidateToTheirStateOrProvince) {
  auto context = SampleRecord();
  RateContext& c = *context;
  int32_t stateTable = 0;
  ASSERT_EQ(OpenAllFiles(&c, &stateTable), 1) << c.errorCode;
  auto stateOf = [&c](const std::string& code) {
    std::memset(c.origState, 0, sizeof c.origState);
    std::snprintf(c.origZip, sizeof c.origZip, "%s", code.c_str());
    return VerOrigZip(&c) == 1 ? std::string(c.origState, 2) : "refused";
  };
  auto zips = CheckList("zip_checks.csv");
  auto areas = CheckList("canada_checks.csv");
  ASSERT_GT(zips.size(), 300u);
  ASSERT_GT(areas.size(), 1000u);
  for (const auto& [zip, state] : zips) EXPECT_EQ(stateOf(zip), state) << zip;
  for (const auto& [area, province] : areas) EXPECT_EQ(stateOf(area + "1A1"), province) << area;
  CloseAllFiles(&c);
}

TEST(SampleTariff, ADumpCompilesBackToTheSameBytes) {
  brant::test_support::TempDir source, out;
  std::string error;
  ASSERT_TRUE(brant::tool::DumpTariff(BRANT_SAMPLE_DIR, "SAMPLE", source.path(), error)) << error;
  std::vector<brant::tool::SourceError> errors;
  ASSERT_TRUE(brant::tool::CompileTariff(source.path(), out.path(), "SAMPLE", errors));
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(BRANT_SAMPLE_DIR)) {
    if (entry.path().stem() != "SAMPLE") continue;  // the service guide's data
    ++files;
    const fs::path again = fs::path(out.path()) / entry.path().filename();
    EXPECT_TRUE(Bytes(entry.path()) == Bytes(again)) << entry.path().filename();
  }
  EXPECT_EQ(files, static_cast<std::size_t>(std::distance(fs::directory_iterator(out.path()),
                                                          fs::directory_iterator())));
}

}  // namespace
