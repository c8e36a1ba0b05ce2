// The bundled sample tariff as the build compiled it: real ZIP codes of every
// state and real Canadian postal areas validate to their state or province,
// a dump of it compiles back to the same bytes, and our service guide,
// reading the sample's GUIDE.TXT beside it, gives lanes the terminals whose
// transit days the tariff lists.
#include <brantfunc/brantfunc.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "servguide/servguide_state.h"
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

// The sample open with our service guide started on its directory. The
// guide's binding is the process's: it is put back as it was found.
class SampleGuide : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = brant::ServiceGuide().functions;
    ASSERT_EQ(OpenAllFiles(&c(), nullptr), 1) << c().errorCode;
    c().wantTransitDays = 1;  // OpenAllFiles clears it
    void* library =
        dlopen(BRANTFUNC_STANDIN_GUIDE_DIR "/libbrantguide.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    library_.reset(library);
    c().serviceGuideModule = library;
    c().useServiceGuide = 1;
    ASSERT_EQ(GetSGAddresses(&c(), 0), 1);
    ASSERT_EQ(InitializeSGdll(&c()), 1) << "GUIDE.TXT beside the tariff";
  }
  void TearDown() override {
    EndSGdll(&c());
    brant::ServiceGuide().functions = saved_;
    CloseAllFiles(&c());
  }
  RateContext& c() { return *context_; }

  // A new shipment of one class 100 line, both ends validated.
  void Ship(const char* orig, const char* dest) {
    std::memset(c().origZip, 0, sizeof c().origZip);
    std::memset(c().destZip, 0, sizeof c().destZip);
    std::snprintf(c().origZip, sizeof c().origZip, "%s", orig);
    std::snprintf(c().destZip, sizeof c().destZip, "%s", dest);
    c().alphaPostalShipment = c().hawaiiShipment = c().hawaiiOuterIsland = 0;
    c().errorCode = 0;
    ASSERT_EQ(VerOrigZip(&c()) + VerDestZip(&c()) + VerTerritory(&c()), 3u) << c().errorCode;
    ASSERT_EQ(VerClass(&c(), "100", 0, 0) + VerWeight(&c(), "1000", 0), 2) << c().errorCode;
  }
  // Both terminals, their extra days and the days, as GetService left them.
  std::string Service() {
    return std::string(c().origTerminal) + "|" + c().destTerminal + "|" + c().origExtraDays +
           "|" + c().destExtraDays + "|" + c().transitDays;
  }

  std::unique_ptr<RateContext> context_ = SampleRecord();
  std::unique_ptr<void, int (*)(void*)> library_{nullptr, dlclose};
  brant::ServiceGuideFunctions saved_;
};

TEST_F(SampleGuide, ServedEndsGetTheirTerminalsAndRatingTheTariffsTransitDays) {
  // Days as samples/sample/transit_days.csv lists them: CHI0,ATL0,3 and
  // YYZ0,CHI0,3. The guide's own days agree; rating reads SAMPLE.SRV.
  const struct {
    const char *orig, *dest, *service, *days;
  } cases[] = {
      {"60601", "30303", "CHI0|ATL0|00|00|03", "3"},
      {"M5V3L9", "60601", "YYZ0|CHI0|00|00|03", "3"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(std::string(k.orig) + " to " + k.dest);
    ASSERT_NO_FATAL_FAILURE(Ship(k.orig, k.dest));
    ASSERT_EQ(GetService(&c()), 1) << c().errorCode;
    EXPECT_EQ(Service(), k.service);
    std::memset(c().transitDays, 0, sizeof c().transitDays);
    ASSERT_EQ(RateShipment(&c(), 0, 0), 1) << c().errorCode;
    EXPECT_EQ(std::string(c().transitDays), k.days);
  }
  // Hawaii is not in the guide: no terminals, no days.
  ASSERT_NO_FATAL_FAILURE(Ship("60601", "96813"));
  ASSERT_EQ(GetService(&c()), 1) << c().errorCode;
  EXPECT_EQ(Service(), "||||00");
}

}  // namespace
