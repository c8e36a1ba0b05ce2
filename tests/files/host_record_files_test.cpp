// Files loaded for the host without reading their fields: the level file,
// the .COZ file and the option records found by name.
#include <brantfunc/brantfunc.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = brant::tariffkit;
constexpr std::size_t kRecord = kit::kOptionRecordSize;

template <std::size_t N>
void PutText(char (&field)[N], const std::string& text) {
  ASSERT_LT(text.size(), N) << text;
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size());
}

std::string Block(const uint8_t* block, std::size_t size) {
  return block == nullptr ? "<null>" : std::string(reinterpret_cast<const char*>(block), size);
}

// The exit code of `call` run in a child that may not write `path`. Root
// passes every file mode, so a root child becomes nobody first; the child
// answers 98 if it could still open the file for writing.
int RunWithoutWriteAccess(const std::string& path, const std::function<int()>& call) {
  pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
      _exit(99);
    }
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0) _exit(98);
    _exit(call());
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class HostRecordFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PutText(context_->dataDir, data_.Slashed());
    PutText(context_->tariffName, "TARF");
  }
  void TearDown() override { CloseAllFiles(context_.get()); }

  TempDir data_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
};

TEST_F(HostRecordFilesTest, LevelFileLoadsWholeAndIsReplacedByTheNextLoad) {
  std::string levels = kit::LevelFile({"LEVEL ONE", "LEVEL TWO"}) + "tail";
  ASSERT_EQ(levels.size(), 40u);
  data_.WriteFile("RATES.LVL", levels);
  ASSERT_EQ(OpenLevelFile(context_.get(), "RATES.LVL"), 1);
  EXPECT_EQ(int32_t{context_->lvlCount}, 2);
  EXPECT_EQ(Block(context_->lvlTable, 40), levels);

  // The block replaced is released: the sanitizer run reports a leak.
  std::string other = kit::LevelFile({"OTHER"});
  data_.WriteFile("OTHER.LVL", other);
  ASSERT_EQ(OpenLevelFile(context_.get(), "OTHER.LVL"), 1);
  EXPECT_EQ(int32_t{context_->lvlCount}, 1);
  EXPECT_EQ(Block(context_->lvlTable, 18), other);

  EXPECT_EQ(OpenLevelFile(context_.get(), "MISSING.LVL"), 0);
  EXPECT_EQ(int32_t{context_->errorCode}, 300);
  EXPECT_TRUE(context_->lvlTable == nullptr);
  EXPECT_EQ(int32_t{context_->lvlCount}, 0);
}

TEST_F(HostRecordFilesTest, CozFileLoadsEvenEmptyAndMayBeMissing) {
  data_.WriteFile("TARF.COZ", kit::CozFile({"AB", "CD", "EF"}) + "xy");
  ASSERT_EQ(ReadCOZFile(context_.get()), 1);
  EXPECT_EQ(int32_t{context_->cozCount}, 3);
  EXPECT_EQ(Block(context_->cozTable, 20), kit::CozFile({"AB", "CD", "EF"}) + "xy");

  data_.WriteFile("TARF.COZ", "");
  EXPECT_EQ(ReadCOZFile(context_.get()), 1);
  EXPECT_EQ(int32_t{context_->cozCount}, 0);

  ASSERT_EQ(ReadCOZFile(context_.get()), 1);
  std::filesystem::remove(data_.PathOf("TARF.COZ"));
  context_->errorCode = 0;
  EXPECT_EQ(ReadCOZFile(context_.get()), 0);
  EXPECT_EQ(int32_t{context_->errorCode}, 0);
  EXPECT_TRUE(context_->cozTable == nullptr);
  EXPECT_EQ(int32_t{context_->cozCount}, 0);
}

class OptionRecordTest : public ::testing::Test {
 protected:
  // Looks up `name`; the buffer is exactly one record long, so a write past
  // it shows in the sanitizer run.
  int Find(const std::string& name) {
    return ReadPonyOpt(path_.c_str(), buffer_.get(), name.c_str());
  }
  std::string Buffer() const { return std::string(buffer_.get(), kRecord); }

  TempDir dir_;
  std::string path_ = dir_.PathOf("OPTIONS.DAT");
  std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kRecord);
};

TEST_F(OptionRecordTest, NamesMatchWholeAndTheFirstMatchWins) {
  std::string file = kit::OptionRecordFile({{"ABCD", "four"},
                                            {"ABC   ", "padded"},
                                            {"ABC", "exact"},
                                            {"XYZ", "last whole"}}) +
                     kit::OptionRecordFile({{"PART", "cut"}}).substr(0, 1000);
  dir_.WriteFile("OPTIONS.DAT", file);

  ASSERT_EQ(Find("ABC"), 1);
  std::string padded = file.substr(kRecord, kRecord);
  padded[3] = '\0';  // the name's trailing blanks are cut in the buffer
  EXPECT_EQ(Buffer(), padded);

  ASSERT_EQ(Find("ABCD"), 1);
  EXPECT_EQ(Buffer(), file.substr(0, kRecord));
  ASSERT_EQ(Find("XYZ"), 1);
  EXPECT_EQ(Buffer(), file.substr(3 * kRecord, kRecord));

  EXPECT_EQ(Find("AB"), 0);
  EXPECT_EQ(Find("PART"), 0);  // in the partial last record only
  EXPECT_EQ(ReadPonyOpt(dir_.PathOf("MISSING.DAT").c_str(), buffer_.get(), "ABC"), 0);
}

TEST_F(OptionRecordTest, ANameMayFillTheWholeRecord) {
  std::string full(kRecord, 'N');
  std::string blanks = std::string(kRecord - 2, 'M') + "  ";
  dir_.WriteFile("OPTIONS.DAT", full + blanks);

  ASSERT_EQ(Find(full), 1);
  EXPECT_EQ(Buffer(), full);
  EXPECT_EQ(Find(full.substr(1)), 0);
  ASSERT_EQ(Find(std::string(kRecord - 2, 'M')), 1);
  EXPECT_EQ(Buffer(), std::string(kRecord - 2, 'M') + '\0' + ' ');
}

TEST_F(OptionRecordTest, ReadsAFileItMayNotWrite) {
  dir_.WriteFile("OPTIONS.DAT", kit::OptionRecordFile({{"ABC", "body"}}));
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
  EXPECT_EQ(RunWithoutWriteAccess(path_, [&] { return Find("ABC"); }), 1);
}

}  // namespace
}  // namespace brant::test_support
