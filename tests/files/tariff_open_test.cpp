// OpenAllFiles and CloseAllFiles: a whole tariff opened as a host opens it,
// and everything it holds released again.
#include <fcntl.h>

#include <cstdlib>
#include <tuple>

#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

class TariffOpenTest : public TariffDirTest {
 protected:
  // A record as a host prepares it: every handle -1, dataDir and tariffName set.
  void Prepare(const std::string& dataDir) {
    std::memset(context_.get(), 0, sizeof(RateContext));
    ClearHandles();
    PutText(c_.dataDir, dataDir);
    PutText(c_.tariffName, "TARF");
  }
  int32_t Open() { return OpenAllFiles(context_.get(), &loaded_); }
  int32_t loaded_ = 0;  // whether the state table was loaded
};

// The handles and heap tables the record holds, in the order OpenAllFiles takes them.
std::string Holdings(const RateContext& c) {
  std::string held;
  for (auto [name, holds] : {std::pair{"rte", c.rteHandle > 0}, {"rteIndex", c.rteIndex != nullptr},
                             {"mch", c.mchTable != nullptr}, {"fac", c.facHandle > 0},
                             {"fc1", c.fc1Handle > 0}, {"fc2", c.fc2Handle > 0},
                             {"bse", c.bseHandle > 0}, {"zf1", c.zf1Handle > 0},
                             {"scc", c.sccTable != nullptr}, {"zp6", c.zp6Table != nullptr}}) {
    if (holds) (held += held.empty() ? "" : " ") += name;
  }
  return held;
}

// Then CloseAllFiles releases that and what the host and other exports add.
TEST_F(TariffOpenTest, FacLayoutLoadsEveryTableAndCloseReleasesEverything) {
  for (char wide : {'N', 'Y'}) {
    SCOPED_TRACE(wide);
    kit::TariffContent content = kit::DescribeSmallTariff({.wideRteRecords = wide});
    content.settings.optionFlags = {'Y', 'y', ' ', 'N', '\0', 'Y', 'x', 'N', 'Q'};
    kit::TariffFiles files = kit::RenderTariff(content);
    // Postal ranges are optional on this layout: loaded when present.
    kit::WriteTariff(dir_.path(), "TARF", files, {wide == 'N' ? ".SCC" : ""});
    for (int i = 0; i < 4; ++i) c_.openTimeCounters[i] = 7;
    c_.wantTransitDays = 1;
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(Holdings(c_), wide == 'N' ? "rteIndex mch fac fc1 fc2 bse zf1"
                                        : "rteIndex mch fac fc1 fc2 bse zf1 scc");
    const auto rows = static_cast<int32_t>(content.matrixKeys.size());
    // Status, state table, issue, counts, the .ZF1 header, then what opening resets.
    EXPECT_EQ((Ints{c_.errorCode, loaded_, c_.tariffIssue, c_.accCount, c_.classCount,
                    c_.weightRecordCount, c_.rteIndexCount, c_.zmcCount, c_.zf1Count,
                    c_.zf1DataStart, c_.zf1FileSize, c_.openTimeCounters[0],
                    c_.openTimeCounters[3], c_.wantTransitDays}),
              (Ints{0, 1, 101, 2, 18, 9, 3, 1, rows, 9 * rows + 2,
                    static_cast<int32_t>(files[".ZF1"].size()), 0, 0, 0}));
    std::string settings = files[".SET"];
    for (int i = 0; i < 9; ++i) settings[197 + 2 * i] = "YNNNNYNNN"[i];
    EXPECT_EQ(Bytes(c_.settings, 373), settings);
    EXPECT_EQ(Bytes(c_.mchTable, files[".MCH"].size() + 2), files[".MCH"] + std::string(2, '\0'));
    EXPECT_EQ(Bytes(c_.stateCodeTable, 7992), files[".SC"]);
    EXPECT_EQ(Bytes(c_.rteIndex, 18), kit::SmallTariffKey(49) + kit::SmallTariffKey(99) + "999999");
    EXPECT_EQ(Bytes(c_.bseHeader, 1024), files[".BSE"].substr(0, 1024));
    for (auto [fd, ext] : {std::pair{c_.facHandle, ".FAC"}, {c_.fc1Handle, ".FC1"},
                           {c_.fc2Handle, ".FC2"}, {c_.bseHandle, ".BSE"},
                           {c_.zf1Handle, ".ZF1"}}) {
      EXPECT_EQ(ReadAll(fd), files[ext]) << ext;
    }

    c_.auxHandle = open("/dev/null", O_RDONLY | O_CLOEXEC);
    c_.altFactorHandle = open("/dev/null", O_RDONLY | O_CLOEXEC);
    c_.cozTable = static_cast<uint8_t*>(std::malloc(6));
    c_.lvlTable = static_cast<uint8_t*>(std::malloc(18));
    c_.efcTable = static_cast<uint8_t*>(std::malloc(17));
    for (int i = 0; i < 4; ++i) c_.reservedTables[i] = std::malloc(8);
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(CloseAllFiles(context_.get()), 1);
      EXPECT_EQ(OpenDescriptors(), openAtStart_);  // closed, not just forgotten
      EXPECT_EQ(Holdings(c_), "");
    }
    // The handles closed, the counts kept.
    EXPECT_EQ((Ints{c_.auxHandle, c_.altFactorHandle, c_.classCount}), (Ints{-1, -1, 18}));
    EXPECT_TRUE(c_.cozTable == nullptr && c_.lvlTable == nullptr && c_.efcTable == nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(c_.reservedTables[i] == nullptr);
  }
}

// Without the optional .SC (its status stays behind, whether the file is
// missing or cut short) and .ZMC; .ACC is needed only when the first option
// flag asks for it. useFacTables (byte 271) is anything but "Y": a blank, a
// NUL or a lower-case letter count as No.
TEST_F(TariffOpenTest, PostalLayoutLoadsItsTablesAndLeavesTheFacFilesShut) {
  kit::TariffFiles files = kit::RenderTariff(kit::DescribeSmallTariff({.loadAccessorials = false}));
  files[".SC"].resize(7991);
  for (char notYes : {'N', 'y', ' ', '\0'}) {
    SCOPED_TRACE(int{notYes});
    files[".SET"][271] = notYes;
    kit::WriteTariff(dir_.path(), "TARF", files, {".ACC", notYes == 'N' ? ".SC" : "", ".ZMC"});
    Prepare(dir_.Slashed());
    c_.zmcCount = 5, loaded_ = 42;
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(Holdings(c_), "mch fc1 fc2 scc zp6");
    EXPECT_EQ((Ints{c_.errorCode, loaded_, c_.zmcCount, c_.zf1Count, c_.accCount, c_.sccCount,
                    c_.zp6Count, c_.facHandle, c_.bseHandle, c_.zf1Handle, c_.rteHandle}),
              (Ints{notYes == 'N' ? 360 : 364, 42, 0, 0, 0, 3, 2, -1, -1, -1, -1}));
    EXPECT_EQ(Bytes(c_.sccTable, files[".SCC"].size()), files[".SCC"]);
    EXPECT_EQ(Bytes(c_.zp6Table, files[".ZP6"].size()), files[".ZP6"]);
    CloseAllFiles(context_.get());
  }
}

// Each required file missing (bytes -1) or cut short: the status and what the
// earlier steps left behind, which CloseAllFiles releases; then a fresh record.
TEST_F(TariffOpenTest, StopsAtTheFirstFileThatFailsAndCloseReleasesTheRest) {
  const std::string r = "rteIndex mch", f = r + " fac fc1 fc2", p = "mch fc1 fc2";
  const std::tuple<char, const char*, int, int32_t, std::string> cases[] = {
      {'Y', ".SET", -1, 370, ""}, {'Y', ".SET", 372, 374, ""}, {'Y', ".ACC", -1, 490, ""},
      {'Y', ".ACC", 0, 494, ""}, {'Y', ".RTE", -1, 350, ""}, {'Y', ".MCH", -1, 182, "rteIndex"},
      {'Y', ".CLS", -1, 230, r}, {'Y', ".CLS", 4, 235, r}, {'Y', ".WGT", -1, 380, r},
      {'Y', ".WGT", 20, 385, r}, {'Y', ".FAC", -1, 260, r}, {'Y', ".FC1", -1, 260, r + " fac"},
      {'Y', ".FC2", -1, 260, r + " fac fc1"}, {'Y', ".BSE", -1, 220, f},
      {'Y', ".BSE", 1023, 224, f}, {'Y', ".ZF1", -1, 390, f + " bse"},
      {'Y', ".ZF1", 1, 394, f + " bse"}, {'N', ".FC1", -1, 260, "mch"}, {'N', ".SCC", -1, 460, p},
      {'N', ".ZP6", -1, 436, p + " scc"}};
  for (const auto& [layout, ext, bytes, status, holdings] : cases) {
    const std::string sub = dir_.MakeDir(std::string(1, layout) + ext + std::to_string(bytes));
    SCOPED_TRACE(sub);
    kit::TariffFiles files = kit::RenderTariff(kit::DescribeSmallTariff({.useFacTables = layout}));
    if (bytes >= 0) files[ext].resize(bytes);
    kit::WriteTariff(sub, "TARF", files, {bytes < 0 ? ext : ""});
    Prepare(sub + "/");
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(int32_t{c_.errorCode}, status);
    EXPECT_EQ(Holdings(c_), holdings);
    EXPECT_EQ(CloseAllFiles(context_.get()), 1);
    EXPECT_EQ(Holdings(c_), "");
    EXPECT_EQ(OpenDescriptors(), openAtStart_);
  }
  ASSERT_TRUE(fcntl(0, F_GETFD) != -1 || open("/dev/null", O_RDONLY) == 0);
  std::memset(context_.get(), 0, sizeof(RateContext));  // every handle 0: never closed
  EXPECT_EQ(CloseAllFiles(context_.get()), 1);
  EXPECT_NE(fcntl(0, F_GETFD), -1);
  EXPECT_EQ((Ints{c_.zf1Handle, c_.auxHandle, c_.bseHandle, c_.facHandle, c_.fc1Handle,
                  c_.fc2Handle, c_.altFactorHandle}), Ints(7, 0));
}

}  // namespace
}  // namespace brant::test_support
