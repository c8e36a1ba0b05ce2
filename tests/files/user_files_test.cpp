// The user's files: .DEF read from two places and written back, .DIS read
// and its entries counted, .ACC written back; a failed write keeps the old file.
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>

#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = brant::tariffkit;
namespace fs = std::filesystem;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

class UserFilesTest : public TariffDirTest {
 protected:
  UserFilesTest() { PutText(c_.profileDir, profile_.Slashed()); }
  std::string Def() const { return Bytes(c_.defRecord, sizeof c_.defRecord); }
  // A call's result and the status it left, as "0/240".
  std::string Result(int32_t r) { return std::to_string(r) + "/" + std::to_string(c_.errorCode); }
  // Both writers, under a lowered limit if given. Root passes a read-only
  // directory, so failures come from limits: with no descriptors left no file
  // is created, and past RLIMIT_FSIZE a write comes short.
  std::string WriteBoth(int resource = RLIMIT_FSIZE, rlim_t soft = RLIM_INFINITY) {
    rlimit saved{};
    getrlimit(resource, &saved);
    const rlimit lowered{soft, saved.rlim_max};
    setrlimit(resource, &lowered);
    std::signal(SIGXFSZ, SIG_IGN);  // the write comes short instead of ending the process
    std::string outcome = Result(WriteDefFile(context_.get())) + " ";
    outcome += Result(WriteAccFile(context_.get()));
    setrlimit(resource, &saved);
    return outcome;
  }

  TempDir profile_, work_;
  CurrentDirectoryGuard inWork_{work_.path()};
};

// Written whole over longer files in the current directory, and left whole
// when a write fails.
TEST_F(UserFilesTest, WritesReplaceTheWholeFileOrLeaveTheOldOne) {
  for (const char* name : {"TARF.DEF", "TARF.ACC"}) work_.WriteFile(name, std::string(5000, 'o'));
  // Nonzero bytes that differ from their neighbours, so a shifted or cut copy shows.
  for (std::size_t i = 0; i < sizeof c_.defRecord; ++i) c_.defRecord[i] = 1 + (i * 7) % 251;
  auto* records = reinterpret_cast<uint8_t*>(c_.accTable);
  for (std::size_t i = 0; i < sizeof c_.accTable; ++i) records[i] = 1 + (i * 11) % 251;
  c_.accCount = 3;
  const std::string def = Def(), acc = Bytes(records, 3 * BRANT_ACC_RECORD_SIZE);
  mode_t savedMask = umask(077);  // the mode must not depend on the host's mask
  EXPECT_EQ(WriteBoth(), "1/0 1/0");
  umask(savedMask);
  for (const char* name : {"TARF.DEF", "TARF.ACC"}) {
    EXPECT_EQ(fs::status(work_.PathOf(name)).permissions(), fs::perms(0644)) << name;
  }

  std::memset(c_.defRecord, 0, sizeof c_.defRecord);
  std::memset(records, 0, sizeof c_.accTable);
  EXPECT_EQ(WriteBoth(RLIMIT_NOFILE, 0), "0/241 0/520");
  EXPECT_EQ(WriteBoth(RLIMIT_FSIZE, 100), "0/245 0/246");  // both are longer
  for (int32_t count : {-1, BRANT_ACC_RECORDS + 1}) {  // refused before the file is touched
    c_.accCount = count, c_.errorCode = 0;
    EXPECT_EQ(Result(WriteAccFile(context_.get())), "0/246") << count;
  }
  EXPECT_EQ(FileBytes(work_.PathOf("TARF.DEF")), def);
  EXPECT_EQ(FileBytes(work_.PathOf("TARF.ACC")), acc);
  EXPECT_EQ(std::distance(fs::directory_iterator(work_.path()), {}), 2);  // no temporary left
  // No records: an empty file; a full table.
  for (int32_t count : {0, int32_t{BRANT_ACC_RECORDS}}) {
    c_.accCount = count;
    EXPECT_EQ(WriteAccFile(context_.get()), 1);
    EXPECT_EQ(FileBytes(work_.PathOf("TARF.ACC")).size(), count * 124u);
  }
}

// The profile directory first, then dataDir, never the current directory; the
// file found first is read even when it is short. Defaults never saved get
// their first-use values, saved ones come back as written.
TEST_F(UserFilesTest, DefaultsComeFromTheProfileDirThenTheDataDir) {
  const kit::Defaults saved{.rateFactor = 1.5f, .weightTierPercentLow = 12.5f,
                            .weightTierPercentHigh = 12.5f, .weightBreakStart = "6234"};
  const kit::Defaults unsaved{.rateFactor = 1.5f, .weightTierPercentLow = 12.5f,
                              .weightTierPercentHigh = 80.0f, .defaultsInitialised = 0,
                              .weightBreakStart = "1234"};
  work_.WriteFile("TARF.DEF", kit::DefaultsRecord(saved));
  EXPECT_EQ(Result(ReadDefFile(context_.get())), "0/240");
  Write(".DEF", kit::DefaultsRecord(unsaved));
  ASSERT_EQ(ReadDefFile(context_.get()), 1);
  EXPECT_EQ(Def(), kit::DefaultsRecord(saved));
  profile_.WriteFile("TARF.DEF", kit::DefaultsRecord({.rateFactor = 2.0f}));
  ASSERT_EQ(ReadDefFile(context_.get()), 1);
  EXPECT_EQ(Def(), kit::DefaultsRecord({.rateFactor = 2.0f}));
  profile_.WriteFile("TARF.DEF", kit::DefaultsRecord({}).substr(0, 348));
  EXPECT_EQ(Result(ReadDefFile(context_.get())), "0/244");
  EXPECT_EQ(Def(), kit::DefaultsRecord({.rateFactor = 2.0f}));  // a short file changes nothing
}

// The current directory first, then dataDir; the count ends at the first entry
// that is blank or empty, and a short record keeps the count it replaced.
TEST_F(UserFilesTest, DiscountsPreferTheCurrentDirectoryAndCountTheirEntries) {
  const auto all = kit::DiscountsRecord({.entries = {"1", "2", "3", "4", "5", "6", "7", "8", "9"}});
  const auto two = kit::DiscountsRecord({.entries = {"ONE", "TWO", " THREE", "FOUR"}});
  Write(".DIS", all);
  work_.WriteFile("TARF.DIS", two);
  EXPECT_EQ((Ints{ReadDiscFile(context_.get()), c_.discCount}), (Ints{1, 2}));
  EXPECT_EQ(Bytes(c_.discFile, sizeof c_.discFile), two);
  // Entries not given are NUL.
  work_.WriteFile("TARF.DIS", kit::DiscountsRecord({.entries = {"1", "2", "3", "4"}}));
  EXPECT_EQ((Ints{ReadDiscFile(context_.get()), c_.discCount}), (Ints{1, 4}));
  work_.WriteFile("TARF.DIS", all.substr(0, 604));
  EXPECT_EQ((Ints{ReadDiscFile(context_.get()), c_.errorCode, c_.discCount}), (Ints{0, 254, 4}));
  EXPECT_EQ(Bytes(c_.discFile, 604), kit::DiscountsRecord({.entries = {"1", "2", "3", "4"}}).substr(0, 604));
  fs::remove(work_.PathOf("TARF.DIS"));
  EXPECT_EQ((Ints{ReadDiscFile(context_.get()), c_.discCount}), (Ints{1, 9}));
  fs::remove(dir_.PathOf("TARF.DIS"));
  EXPECT_EQ(Result(ReadDiscFile(context_.get())), "0/250");
}

}  // namespace
}  // namespace brant::test_support
