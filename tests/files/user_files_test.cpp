// The user's files: .DEF read from two places and written back, .DIS read
// and its entries counted, .ACC written back; a failed write keeps the old file.
#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>

#include "context/record_fields.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = brant::tariffkit;

template <std::size_t N>
void PutText(char (&field)[N], const std::string& text) {
  ASSERT_LT(text.size(), N) << text;
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size());
}

// Nonzero bytes that differ from their neighbours, so a shifted or cut
// copy shows.
void FillPattern(uint8_t* bytes, std::size_t size, unsigned seed) {
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(1 + (i * 7 + seed) % 251);
}

std::string Bytes(const uint8_t* bytes, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(bytes), size);
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

unsigned ModeOf(const std::string& path) {
  return static_cast<unsigned>(std::filesystem::status(path).permissions());
}

// Every name in the directory, sorted: a temporary file left behind shows.
std::string Listing(const std::string& directory) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.insert(entry.path().filename().string());
  }
  std::string listing;
  for (const std::string& name : names) listing += name + " ";
  return listing;
}

// Runs `call` with a resource limit lowered. Failed writes are provoked
// through limits rather than file modes because the tests may run as root,
// whom a read-only directory does not stop: with RLIMIT_NOFILE at 0 no new
// file can be created, and past RLIMIT_FSIZE (SIGXFSZ ignored) a write
// comes short as it would on a full disk.
template <typename Call>
auto UnderLimit(int resource, rlim_t soft, Call call) {
  rlimit saved{};
  getrlimit(resource, &saved);
  rlimit lowered = saved;
  lowered.rlim_cur = soft;
  setrlimit(resource, &lowered);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  auto result = call();
  setrlimit(resource, &saved);
  std::signal(SIGXFSZ, oldHandler);
  return result;
}

class UserFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PutText(context_->dataDir, data_.Slashed());
    PutText(context_->profileDir, profile_.Slashed());
    PutText(context_->tariffName, "TARF");
  }

  static std::string DefaultsWithFactor(float rateFactor) {
    kit::Defaults d;
    d.rateFactor = rateFactor;
    return kit::DefaultsRecord(d);
  }

  std::string DefRecord() const { return Bytes(context_->defRecord, sizeof context_->defRecord); }
  std::string DiscRecord() const { return Bytes(context_->discFile, sizeof context_->discFile); }

  TempDir data_;
  TempDir profile_;
  TempDir work_;
  CurrentDirectoryGuard inWork_{work_.path()};
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
};

TEST_F(UserFilesTest, DefaultsRoundTripThroughAFreshFile) {
  work_.WriteFile("TARF.DEF", std::string(1000, 'o'));  // longer than a record
  FillPattern(context_->defRecord, sizeof context_->defRecord, 3);
  const std::string record = DefRecord();

  mode_t savedMask = umask(077);  // the mode must not depend on the host's mask
  EXPECT_EQ(WriteDefFile(context_.get()), 1);
  umask(savedMask);
  EXPECT_EQ(FileBytes(work_.PathOf("TARF.DEF")), record);
  EXPECT_EQ(ModeOf(work_.PathOf("TARF.DEF")), 0644u);
  EXPECT_EQ(Listing(work_.path()), "TARF.DEF ");

  PutText(context_->profileDir, work_.Slashed());
  std::memset(context_->defRecord, 0, sizeof context_->defRecord);
  EXPECT_EQ(ReadDefFile(context_.get()), 1);
  EXPECT_EQ(DefRecord(), record);
}

TEST_F(UserFilesTest, DefaultsComeFromTheProfileDirThenTheDataDir) {
  data_.WriteFile("TARF.DEF", DefaultsWithFactor(3.0f));
  ASSERT_EQ(ReadDefFile(context_.get()), 1);
  EXPECT_EQ(defaults::rateFactor.Get(*context_), 3.0f);

  profile_.WriteFile("TARF.DEF", DefaultsWithFactor(2.0f));
  ASSERT_EQ(ReadDefFile(context_.get()), 1);
  EXPECT_EQ(defaults::rateFactor.Get(*context_), 2.0f);

  // The file found first is the one read, even when it is short.
  profile_.WriteFile("TARF.DEF", DefaultsWithFactor(2.0f).substr(0, 348));
  EXPECT_EQ(ReadDefFile(context_.get()), 0);
  EXPECT_EQ(int32_t{context_->errorCode}, 244);

  std::filesystem::remove(profile_.PathOf("TARF.DEF"));
  std::filesystem::remove(data_.PathOf("TARF.DEF"));
  work_.WriteFile("TARF.DEF", DefaultsWithFactor(4.0f));  // the current directory is not a place
  EXPECT_EQ(ReadDefFile(context_.get()), 0);
  EXPECT_EQ(int32_t{context_->errorCode}, 240);
}

TEST_F(UserFilesTest, DefaultsNeverSavedGetTheirFirstUseValues) {
  kit::Defaults d;
  d.defaultsInitialised = 0;
  d.weightTierPercentLow = 12.5f;
  d.weightTierPercentHigh = 80.0f;
  d.weightBreakStart = "1234";
  d.rateFactor = 1.5f;
  data_.WriteFile("TARF.DEF", kit::DefaultsRecord(d));
  ASSERT_EQ(ReadDefFile(context_.get()), 1);

  kit::Defaults expected = d;
  expected.defaultsInitialised = 1;
  expected.weightTierPercentHigh = 12.5f;
  expected.weightBreakStart = "6234";
  EXPECT_EQ(DefRecord(), kit::DefaultsRecord(expected));

  // Saved defaults come back exactly as written.
  d.defaultsInitialised = 1;
  data_.WriteFile("TARF.DEF", kit::DefaultsRecord(d));
  ASSERT_EQ(ReadDefFile(context_.get()), 1);
  EXPECT_EQ(DefRecord(), kit::DefaultsRecord(d));
}

TEST_F(UserFilesTest, DiscountEntriesEndAtTheFirstBlankOne) {
  kit::Discounts d;
  d.entries = {"ONE", "TWO", " THREE", "FOUR", "FIVE"};
  std::string record = kit::DiscountsRecord(d);
  data_.WriteFile("TARF.DIS", record);
  ASSERT_EQ(ReadDiscFile(context_.get()), 1);
  EXPECT_EQ(int32_t{context_->discCount}, 2);
  EXPECT_EQ(DiscRecord(), record);

  d.entries = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
  record = kit::DiscountsRecord(d);
  data_.WriteFile("TARF.DIS", record);
  ASSERT_EQ(ReadDiscFile(context_.get()), 1);
  EXPECT_EQ(int32_t{context_->discCount}, 9);

  record[discounts::kFirstEntry + 4 * discounts::kEntrySize] = '\0';
  data_.WriteFile("TARF.DIS", record);
  ASSERT_EQ(ReadDiscFile(context_.get()), 1);
  EXPECT_EQ(int32_t{context_->discCount}, 4);
}

TEST_F(UserFilesTest, DiscountsPreferTheCurrentDirectory) {
  kit::Discounts d;
  d.entries = {"DATA", "DIR"};
  data_.WriteFile("TARF.DIS", kit::DiscountsRecord(d));
  d.entries = {"HERE"};
  work_.WriteFile("TARF.DIS", kit::DiscountsRecord(d));
  ASSERT_EQ(ReadDiscFile(context_.get()), 1);
  EXPECT_EQ(int32_t{context_->discCount}, 1);

  // A short record keeps the count it replaced.
  work_.WriteFile("TARF.DIS", kit::DiscountsRecord(d).substr(0, 604));
  EXPECT_EQ(ReadDiscFile(context_.get()), 0);
  EXPECT_EQ(int32_t{context_->errorCode}, 254);
  EXPECT_EQ(int32_t{context_->discCount}, 1);

  std::filesystem::remove(work_.PathOf("TARF.DIS"));
  std::filesystem::remove(data_.PathOf("TARF.DIS"));
  EXPECT_EQ(ReadDiscFile(context_.get()), 0);
  EXPECT_EQ(int32_t{context_->errorCode}, 250);
}

TEST_F(UserFilesTest, AccessorialFileHoldsTheFirstAccCountRecords) {
  for (std::size_t row = 0; row < BRANT_ACC_RECORDS; ++row) {
    FillPattern(context_->accTable[row], BRANT_ACC_RECORD_SIZE, static_cast<unsigned>(row));
  }
  work_.WriteFile("TARF.ACC", std::string(5000, 'o'));
  context_->accCount = 3;
  EXPECT_EQ(WriteAccFile(context_.get()), 1);
  EXPECT_EQ(FileBytes(work_.PathOf("TARF.ACC")), Bytes(context_->accTable[0], 372));
  EXPECT_EQ(ModeOf(work_.PathOf("TARF.ACC")), 0644u);

  context_->accCount = 0;
  EXPECT_EQ(WriteAccFile(context_.get()), 1);
  EXPECT_EQ(FileBytes(work_.PathOf("TARF.ACC")), "");
  EXPECT_EQ(Listing(work_.path()), "TARF.ACC ");
}

TEST_F(UserFilesTest, FailedWritesLeaveTheOldFilesWhole) {
  work_.WriteFile("TARF.DEF", "old defaults");
  work_.WriteFile("TARF.ACC", "old records");
  context_->accCount = 3;
  // What each writer returned and the status it left.
  auto writeBoth = [&] {
    std::string outcome;
    for (auto write : {WriteDefFile, WriteAccFile}) {
      int32_t result = write(context_.get());
      outcome += std::to_string(result) + "/" + std::to_string(context_->errorCode) + " ";
    }
    return outcome;
  };
  EXPECT_EQ(UnderLimit(RLIMIT_NOFILE, 0, writeBoth), "0/241 0/520 ");
  EXPECT_EQ(UnderLimit(RLIMIT_FSIZE, 100, writeBoth), "0/245 0/246 ");  // both are longer

  // A count the table cannot hold is refused before the file is touched.
  for (int32_t count : {-1, BRANT_ACC_RECORDS + 1}) {
    context_->accCount = count;
    context_->errorCode = 0;
    EXPECT_EQ(WriteAccFile(context_.get()), 0) << count;
    EXPECT_EQ(int32_t{context_->errorCode}, 246) << count;
  }
  EXPECT_EQ(FileBytes(work_.PathOf("TARF.DEF")), "old defaults");
  EXPECT_EQ(FileBytes(work_.PathOf("TARF.ACC")), "old records");
  EXPECT_EQ(Listing(work_.path()), "TARF.ACC TARF.DEF ");
}

}  // namespace
}  // namespace brant::test_support
