// Files loaded for the host without reading their fields: the level file,
// the .COZ file and the option records found by name.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/memory.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = brant::tariffkit;
constexpr std::size_t kRecord = kit::kOptionRecordSize;

class HostRecordFilesTest : public TariffDirTest {
 protected:
  // The record ReadPonyOpt finds for `name`, or what it returned. The buffer is
  // exactly one record long, so a write past it shows in the sanitizer run.
  std::string Found(const std::string& name, const std::string& file = "OPTIONS.DAT") {
    const int found = ReadPonyOpt(dir_.PathOf(file).c_str(), buffer_.get(), name.c_str());
    return found == 1 ? std::string(buffer_.get(), kRecord) : std::to_string(found);
  }

  std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kRecord);
};

// A missing .COZ leaves no table and no status. Replacing a level block
// releases it: the sanitizer run reports a leak otherwise.
TEST_F(HostRecordFilesTest, LevelAndCozFilesLoadWhole) {
  // Result, status, count and whether the table is null.
  auto coz = [this] { return Ints{ReadCOZFile(&c_), c_.errorCode, c_.cozCount, !c_.cozTable}; };
  auto level = [this](const char* name) {
    return Ints{OpenLevelFile(&c_, name), c_.errorCode, c_.lvlCount, !c_.lvlTable};
  };
  const std::string cozBytes = kit::CozFile({"AB", "CD", "EF"}) + "xy";
  Write(".COZ", cozBytes);
  ASSERT_EQ(coz(), (Ints{1, 0, 3, 0}));
  EXPECT_EQ(Bytes(c_.cozTable, 20), cozBytes);
  std::filesystem::remove(dir_.PathOf("TARF.COZ"));
  EXPECT_EQ(coz(), (Ints{0, 0, 0, 1}));
  Write(".COZ", "");
  EXPECT_EQ(coz(), (Ints{1, 0, 0, 0}));
  const std::string levels = kit::LevelFile({"LEVEL ONE", "LEVEL TWO"}) + "tail";  // 40 bytes
  dir_.WriteFile("RATES.LVL", levels);
  dir_.WriteFile("OTHER.LVL", kit::LevelFile({"OTHER"}));
  ASSERT_EQ(level("RATES.LVL"), (Ints{1, 0, 2, 0}));
  EXPECT_EQ(Bytes(c_.lvlTable, 40), levels);
  ASSERT_EQ(level("OTHER.LVL"), (Ints{1, 0, 1, 0}));
  // A name that opens nothing leaves the loaded table as it was.
  EXPECT_EQ(level("MISSING.LVL"), (Ints{0, 300, 1, 0}));
  EXPECT_EQ(Bytes(c_.lvlTable, 18), kit::LevelFile({"OTHER"}));
  // Without memory for the new block: no table, a count of 0, and a status.
  FailAllocation(1);
  EXPECT_EQ(level("RATES.LVL"), (Ints{0, 302, 0, 1}));
  FailAllocation(1);
  EXPECT_EQ(coz(), (Ints{0, 150, 0, 1}));
}

// A name matches whole, its trailing blanks cut in the buffer; the first match
// wins and a partial last record is not searched. A name may fill the record.
TEST_F(HostRecordFilesTest, OptionRecordsAreFoundByTheirWholeName) {
  const std::string file = kit::OptionRecordFile({{"ABCD", "four"}, {"ABC   ", "padded"},
      {"ABC", "exact"}, {"XYZ", "last whole"}, {"PART", "cut"}}).substr(0, 4 * kRecord + 1000);
  dir_.WriteFile("OPTIONS.DAT", file);
  EXPECT_EQ(Found("ABC"), "ABC" + std::string(1, '\0') + file.substr(kRecord + 4, kRecord - 4));
  EXPECT_EQ(Found("ABCD"), file.substr(0, kRecord));
  EXPECT_EQ(Found("XYZ"), file.substr(3 * kRecord, kRecord));
  for (const char* absent : {"AB", "PART"}) EXPECT_EQ(Found(absent), "0") << absent;
  EXPECT_EQ(Found("ABC", "MISSING.DAT"), "0");

  const std::string full(kRecord, 'N'), blanks(kRecord - 2, 'M');
  dir_.WriteFile("FULL.DAT", full + blanks + "  ");
  EXPECT_EQ(Found(full, "FULL.DAT"), full);
  EXPECT_EQ(Found(full.substr(1), "FULL.DAT"), "0");
  EXPECT_EQ(Found(blanks, "FULL.DAT"), blanks + '\0' + ' ');
}

// In a child that may not write the file: root passes every mode, so a root
// child becomes nobody first, and answers 98 if it could still write.
TEST_F(HostRecordFilesTest, ReadsAnOptionFileItMayNotWrite) {
  const std::string path = dir_.WriteFile("OPTIONS.DAT", kit::OptionRecordFile({{"ABC", "body"}}));
  ASSERT_EQ(chmod(path.c_str(), 0444) | chmod(dir_.path().c_str(), 0755), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
    if (open(path.c_str(), O_RDWR | O_CLOEXEC) >= 0) _exit(98);
    _exit(ReadPonyOpt(path.c_str(), buffer_.get(), "ABC"));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
}

}  // namespace
}  // namespace brant::test_support
