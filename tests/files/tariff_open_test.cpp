// OpenAllFiles and CloseAllFiles: a whole tariff opened as a host opens it,
// and everything it holds released again.
#include <brantfunc/brantfunc.h>

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "context/byte_coding.h"
#include "support/host_bytes.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

using tariffkit::TariffFiles;

constexpr const char* kTariff = "SMALL";

// A record as a host prepares it: every handle -1, dataDir and tariffName set.
std::unique_ptr<RateContext> HostRecord(const TempDir& dir) {
  auto c = std::make_unique<RateContext>();
  c->zf1Handle = c->auxHandle = c->classAdjHandle = c->mx1Handle = c->facHandle = c->fc1Handle =
      c->fc2Handle = c->rteHandle = c->bseHandle = c->altFactorHandle = -1;
  std::snprintf(c->dataDir, sizeof c->dataDir, "%s", dir.Slashed().c_str());
  std::snprintf(c->tariffName, sizeof c->tariffName, "%s", kTariff);
  return c;
}

TariffFiles WriteTariffFiles(const TempDir& dir, const tariffkit::TariffContent& content,
                             const std::set<std::string>& omit = {}) {
  TariffFiles files = tariffkit::RenderTariff(content);
  tariffkit::WriteTariff(dir.path(), kTariff, files, omit);
  return files;
}

// The handles and heap tables the record holds, in the order OpenAllFiles takes them.
std::string Holdings(const RateContext& c) {
  const std::pair<const char*, bool> parts[] = {
      {"rte", c.rteHandle > 0},       {"rteIndex", c.rteIndex != nullptr},
      {"mch", c.mchTable != nullptr}, {"fac", c.facHandle > 0},
      {"fc1", c.fc1Handle > 0},       {"fc2", c.fc2Handle > 0},
      {"bse", c.bseHandle > 0},       {"zf1", c.zf1Handle > 0},
      {"scc", c.sccTable != nullptr}, {"zp6", c.zp6Table != nullptr}};
  std::string held;
  for (const auto& [name, holds] : parts) {
    if (holds) held += held.empty() ? name : std::string(" ").append(name);
  }
  return held;
}

std::size_t OpenDescriptors() {
  namespace fs = std::filesystem;
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

template <typename T>
std::string Bytes(const T* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

TEST(TariffOpen, FacLayoutLoadsEveryTableAndKeepsTheLookupFilesOpen) {
  for (char wide : {'N', 'Y'}) {
    SCOPED_TRACE(wide);
    TempDir dir;
    tariffkit::TariffContent content = tariffkit::DescribeSmallTariff({.wideRteRecords = wide});
    content.settings.optionFlags = {'Y', 'y', ' ', 'N', '\0', 'Y', 'x', 'N', 'Q'};
    TariffFiles files = WriteTariffFiles(dir, content);
    auto c = HostRecord(dir);
    FillHostBytes(*c);
    for (int i = 0; i < 4; ++i) c->openTimeCounters[i] = 7;
    c->wantTransitDays = 1;
    int32_t stateTableLoaded = 0;

    ASSERT_EQ(OpenAllFiles(c.get(), &stateTableLoaded), 1);
    EXPECT_EQ(int32_t{c->errorCode}, 0);
    EXPECT_EQ(stateTableLoaded, 1);
    EXPECT_EQ(Holdings(*c), "rteIndex mch fac fc1 fc2 bse zf1");
    std::string settings = files[".SET"];
    for (int i = 0; i < 9; ++i) settings[197 + 2 * i] = "YNNNNYNNN"[i];
    EXPECT_EQ(Bytes(c->settings, 373), settings);
    EXPECT_EQ(int32_t{c->tariffIssue}, 101);
    EXPECT_EQ(int32_t{c->accCount}, 2);
    EXPECT_EQ(Bytes(c->mchTable, files[".MCH"].size() + 2), files[".MCH"] + std::string(2, '\0'));
    EXPECT_EQ(int32_t{c->classCount}, 18);
    EXPECT_EQ(int32_t{c->weightRecordCount}, 9);
    EXPECT_EQ(Bytes(c->stateCodeTable, 7992), files[".SC"]);
    EXPECT_EQ(int32_t{c->rteIndexCount}, 3);
    EXPECT_EQ(Bytes(c->rteIndex, 18),
              tariffkit::SmallTariffKey(49) + tariffkit::SmallTariffKey(99) + "999999");
    EXPECT_EQ(Bytes(c->bseHeader, 1024), files[".BSE"].substr(0, 1024));
    for (auto [fd, extension] : {std::pair{c->facHandle, ".FAC"},
                                 {c->fc1Handle, ".FC1"},
                                 {c->fc2Handle, ".FC2"},
                                 {c->bseHandle, ".BSE"},
                                 {c->zf1Handle, ".ZF1"}}) {
      EXPECT_EQ(ReadAll(fd), files[extension]) << extension;
    }
    const std::size_t rows = content.matrixKeys.size();
    EXPECT_EQ(int32_t{c->zf1Count}, static_cast<int32_t>(rows));
    EXPECT_EQ(int32_t{c->zf1DataStart}, static_cast<int32_t>(9 * rows + 2));
    EXPECT_EQ(int32_t{c->zf1FileSize}, static_cast<int32_t>(files[".ZF1"].size()));
    for (std::size_t i = 0; i < rows; ++i) {
      EXPECT_EQ(int32_t{c->zf1RowStarts[i]}, -1);
      EXPECT_EQ(LoadU24(c->zf1KeyTable[i]), content.matrixKeys[i]);
    }
    EXPECT_EQ(int32_t{c->zmcCount}, 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(int32_t{c->openTimeCounters[i]}, 0);
    EXPECT_EQ(int32_t{c->wantTransitDays}, 0);
    EXPECT_EQ(CloseAllFiles(c.get()), 1);
    EXPECT_EQ(ChangedHostBytes(*c), "");
  }
}

// Also without the optional files: .SC (its status stays behind) and .ZMC.
TEST(TariffOpen, PostalLayoutLoadsItsTablesAndLeavesTheFacFilesShut) {
  TempDir dir;
  // .ACC is needed only when the first option flag asks for it.
  TariffFiles files = WriteTariffFiles(
      dir, tariffkit::DescribeSmallTariff({.useFacTables = 'N', .loadAccessorials = false}),
      {".ACC", ".SC", ".ZMC"});
  auto c = HostRecord(dir);
  FillHostBytes(*c);
  c->zmcCount = 5;
  int32_t stateTableLoaded = 42;

  ASSERT_EQ(OpenAllFiles(c.get(), &stateTableLoaded), 1);
  EXPECT_EQ(int32_t{c->errorCode}, 360);
  EXPECT_EQ(stateTableLoaded, 42);
  EXPECT_EQ(int32_t{c->zmcCount}, 0);
  EXPECT_EQ(Holdings(*c), "mch fc1 fc2 scc zp6");
  for (int32_t handle : {c->facHandle, c->bseHandle, c->zf1Handle, c->rteHandle}) {
    EXPECT_EQ(handle, -1);  // as the host left them
  }
  EXPECT_EQ(int32_t{c->zf1Count}, 0);
  EXPECT_EQ(int32_t{c->accCount}, 0);
  EXPECT_EQ(int32_t{c->sccCount}, 3);
  EXPECT_EQ(Bytes(c->sccTable, files[".SCC"].size()), files[".SCC"]);
  EXPECT_EQ(int32_t{c->zp6Count}, 2);
  EXPECT_EQ(Bytes(c->zp6Table, files[".ZP6"].size()), files[".ZP6"]);
  EXPECT_EQ(CloseAllFiles(c.get()), 1);
  EXPECT_EQ(ChangedHostBytes(*c), "");
}

// Each required file missing (-1) or cut short: the status, what the earlier
// steps left behind, and that CloseAllFiles releases it all.
TEST(TariffOpen, StopsAtTheFirstFileThatFailsAndCloseReleasesTheRest) {
  const struct {
    char layout;
    const char* extension;
    int bytes;
    int32_t status;
    const char* holdings;
  } cases[] = {
      {'Y', ".SET", -1, 370, ""},
      {'Y', ".SET", 372, 374, ""},
      {'Y', ".ACC", -1, 490, ""},
      {'Y', ".ACC", 0, 494, ""},
      {'Y', ".RTE", -1, 350, ""},
      {'Y', ".MCH", -1, 182, "rteIndex"},
      {'Y', ".CLS", -1, 230, "rteIndex mch"},
      {'Y', ".CLS", 4, 235, "rteIndex mch"},
      {'Y', ".WGT", -1, 380, "rteIndex mch"},
      {'Y', ".WGT", 20, 385, "rteIndex mch"},
      {'Y', ".FAC", -1, 260, "rteIndex mch"},
      {'Y', ".FC1", -1, 260, "rteIndex mch fac"},
      {'Y', ".FC2", -1, 260, "rteIndex mch fac fc1"},
      {'Y', ".BSE", -1, 220, "rteIndex mch fac fc1 fc2"},
      {'Y', ".BSE", 1023, 224, "rteIndex mch fac fc1 fc2"},
      {'Y', ".ZF1", -1, 390, "rteIndex mch fac fc1 fc2 bse"},
      {'Y', ".ZF1", 1, 394, "rteIndex mch fac fc1 fc2 bse"},
      {'N', ".FC1", -1, 260, "mch"},
      {'N', ".SCC", -1, 460, "mch fc1 fc2"},
      {'N', ".ZP6", -1, 436, "mch fc1 fc2 scc"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(std::string(1, k.layout) + k.extension + " " + std::to_string(k.bytes));
    TempDir dir;
    TariffFiles files = WriteTariffFiles(
        dir, tariffkit::DescribeSmallTariff({.useFacTables = k.layout}), {k.extension});
    if (k.bytes >= 0) {
      dir.WriteFile(kTariff + std::string(k.extension), files[k.extension].substr(0, k.bytes));
    }
    auto c = HostRecord(dir);
    const std::size_t before = OpenDescriptors();
    int32_t stateTableLoaded = 0;
    EXPECT_EQ(OpenAllFiles(c.get(), &stateTableLoaded), 0);
    EXPECT_EQ(int32_t{c->errorCode}, k.status);
    EXPECT_EQ(Holdings(*c), k.holdings);
    EXPECT_EQ(CloseAllFiles(c.get()), 1);
    EXPECT_EQ(Holdings(*c), "");
    EXPECT_EQ(OpenDescriptors(), before);
  }
}

TEST(TariffOpen, CloseAllFilesClosesEveryHandleAndReleasesEveryTable) {
  TempDir dir;
  tariffkit::WriteSmallTariff(dir.path());
  auto c = HostRecord(dir);
  const std::size_t before = OpenDescriptors();
  int32_t stateTableLoaded = 0;
  ASSERT_EQ(OpenAllFiles(c.get(), &stateTableLoaded), 1);
  // What the host and the other exports leave for CloseAllFiles.
  c->auxHandle = open("/dev/null", O_RDONLY | O_CLOEXEC);
  c->altFactorHandle = open("/dev/null", O_RDONLY | O_CLOEXEC);
  c->cozTable = static_cast<uint8_t*>(std::malloc(6));
  c->lvlTable = static_cast<uint8_t*>(std::malloc(18));
  c->efcTable = static_cast<uint8_t*>(std::malloc(17));
  for (int i = 0; i < 4; ++i) c->reservedTables[i] = std::malloc(8);
  const int kept[] = {c->zf1Handle, c->auxHandle, c->bseHandle,      c->facHandle,
                      c->fc1Handle, c->fc2Handle, c->altFactorHandle};

  EXPECT_EQ(CloseAllFiles(c.get()), 1);
  for (int fd : kept) {
    EXPECT_EQ(fcntl(fd, F_GETFD), -1) << fd;  // closed, not just forgotten
    EXPECT_EQ(errno, EBADF);
  }
  EXPECT_EQ(Holdings(*c), "");
  EXPECT_EQ(int32_t{c->auxHandle}, -1);
  EXPECT_EQ(int32_t{c->altFactorHandle}, -1);
  EXPECT_TRUE(c->cozTable == nullptr && c->lvlTable == nullptr && c->efcTable == nullptr);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(c->reservedTables[i] == nullptr);
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(int32_t{c->classCount}, 18);  // counts stay
  EXPECT_EQ(CloseAllFiles(c.get()), 1);
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(TariffOpen, CloseAllFilesNeverClosesDescriptorZero) {
  if (fcntl(0, F_GETFD) == -1) {
    ASSERT_EQ(open("/dev/null", O_RDONLY), 0);
  }
  auto fresh = std::make_unique<RateContext>();  // zeroed: every handle 0
  EXPECT_EQ(CloseAllFiles(fresh.get()), 1);
  EXPECT_NE(fcntl(0, F_GETFD), -1);
}

}  // namespace
}  // namespace brant::test_support
