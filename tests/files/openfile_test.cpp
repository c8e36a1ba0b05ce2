// Openfile: which file a tariff name and extension open, and how.
#include <brantfunc/brantfunc.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/file_open.h"
#include "support/temp_dir.h"

namespace brant::test_support {
namespace {

constexpr const char* kNotOpened = "<not opened>";

template <std::size_t N>
void PutText(char (&field)[N], const std::string& text) {
  ASSERT_LT(text.size(), N) << text;
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size());
}

class OpenfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PutText(context_->dataDir, data_.Slashed());
    PutText(context_->tariffName, "TARF");
  }

  // The bytes of the file Openfile chooses for `extension`, or kNotOpened.
  std::string Opened(const char* extension) {
    int16_t fd = Openfile(context_.get(), extension);
    if (fd == -1) return kNotOpened;
    EXPECT_GT(fd, 0);
    std::string bytes = ReadAll(fd);
    close(fd);
    return bytes;
  }

  // A directory under data_ whose slashed path is exactly `length` long.
  std::string DirOfLength(std::size_t length) {
    std::string dir = data_.MakeDir(std::string(length - data_.path().size() - 2, 'd')) + "/";
    EXPECT_EQ(dir.size(), length);
    return dir;
  }

  TempDir data_;
  TempDir work_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
};

TEST_F(OpenfileTest, OpensTheDataDirFileReadOnly) {
  data_.WriteFile("TARF.RTE", "rates");
  int16_t fd = Openfile(context_.get(), ".RTE");
  ASSERT_GT(fd, 0);
  EXPECT_EQ(ReadAll(fd), "rates");
  EXPECT_EQ(write(fd, "x", 1), -1);
  EXPECT_EQ(errno, EBADF);
  EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
  close(fd);
  EXPECT_EQ(Opened(".FAC"), kNotOpened);
  data_.MakeDir("TARF.BSE");  // a directory is not a tariff file
  EXPECT_EQ(Opened(".BSE"), kNotOpened);
}

TEST_F(OpenfileTest, NeverHandsOutDescriptorZero) {
  data_.WriteFile("TARF.RTE", "rates");
  int savedInput = dup(0);
  ASSERT_GE(savedInput, 0);
  close(0);
  int16_t fd = Openfile(context_.get(), ".RTE");
  dup2(savedInput, 0);
  close(savedInput);
  ASSERT_GT(fd, 0);
  close(fd);
}

TEST_F(OpenfileTest, DiscountAndPrsFilesPreferTheCurrentDirectory) {
  CurrentDirectoryGuard inWork(work_.path());
  for (std::string ext : {".DIS", ".PRS"}) {
    SCOPED_TRACE(ext);
    data_.WriteFile("TARF" + ext, "data");
    EXPECT_EQ(Opened(ext.c_str()), "data");
    work_.WriteFile("TARF" + ext, "here");
    EXPECT_EQ(Opened(ext.c_str()), "here");
  }
  // The bare name gets the case-insensitive fallback too, before dataDir.
  std::filesystem::rename(work_.PathOf("TARF.DIS"), work_.PathOf("tarf.dis"));
  EXPECT_EQ(Opened(".DIS"), "here");
}

TEST_F(OpenfileTest, OtherExtensionsUseOnlyTheDataDir) {
  CurrentDirectoryGuard inWork(work_.path());
  for (std::string ext : {".RTE", ".dis", ".prs", ".DI", ".DISK"}) {
    SCOPED_TRACE(ext);
    work_.WriteFile("TARF" + ext, "here");
    EXPECT_EQ(Opened(ext.c_str()), kNotOpened);
    data_.WriteFile("TARF" + ext, "data");
    EXPECT_EQ(Opened(ext.c_str()), "data");
  }
}

TEST_F(OpenfileTest, TrailingSpacesOfTheNameAreDropped) {
  data_.WriteFile("TARF.SC", "states");
  EXPECT_EQ(Opened(".SC "), "states");
  EXPECT_EQ(NormalisePath("dir/TARF.SC  "), "dir/TARF.SC");
  EXPECT_EQ(NormalisePath("my dir/TARF.SC"), "my dir/TARF.SC");
}

TEST_F(OpenfileTest, FallsBackToAFileNameInAnotherCase) {
  data_.WriteFile("tarf.rte", "lower");
  data_.WriteFile("xtarf.rte", "prefixed");
  EXPECT_EQ(Opened(".RTE"), "lower");
  data_.WriteFile("TARF.RTE", "exact");
  EXPECT_EQ(Opened(".RTE"), "exact");
  EXPECT_EQ(Opened(".RT"), kNotOpened);
}

TEST_F(OpenfileTest, ChoosesAmongCaseVariantsByName) {
  // Fifteen case variants of TARF.RTE, none of them exact, created in a
  // scrambled order: whatever order the directory lists them in, the name
  // that sorts first is opened.
  for (int i = 1; i < 16; ++i) {
    int lowered = (i * 7) % 16;
    std::string name = "TARF.RTE";
    for (int bit = 0; bit < 4; ++bit) {
      if (lowered & (1 << bit)) name[3 - bit] += 'a' - 'A';
    }
    data_.WriteFile(name, name);
  }
  EXPECT_EQ(Opened(".RTE"), "TARf.RTE");
}

TEST_F(OpenfileTest, RefusesFieldsWithoutTerminator) {
  data_.WriteFile("TARIFFNMX.RTE", "nine");
  data_.WriteFile("TARIFFNM.RTE", "eight");
  std::memcpy(context_->tariffName, "TARIFFNMX", 9);
  EXPECT_EQ(Opened(".RTE"), kNotOpened);

  // A full dataDir: slashes pad a real directory to all 260 bytes.
  PutText(context_->tariffName, "TARF");
  data_.WriteFile("TARF.RTE", "rates");
  std::string padded = data_.Slashed();
  padded.resize(sizeof context_->dataDir, '/');
  std::memcpy(context_->dataDir, padded.data(), padded.size());
  EXPECT_EQ(Opened(".RTE"), kNotOpened);
}

TEST_F(OpenfileTest, RefusesPathsLongerThan259) {
  PutText(context_->tariffName, "TARIFFNM");
  std::string fits = DirOfLength(259 - 12);
  std::string over = DirOfLength(260 - 12);
  data_.WriteFile(fits.substr(data_.path().size() + 1) + "TARIFFNM.RTE", "fits");
  data_.WriteFile(over.substr(data_.path().size() + 1) + "TARIFFNM.RTE", "over");

  PutText(context_->dataDir, fits);
  EXPECT_EQ(Opened(".RTE"), "fits");
  PutText(context_->dataDir, over);
  EXPECT_EQ(Opened(".RTE"), kNotOpened);
}

}  // namespace
}  // namespace brant::test_support
