// Openfile: which file a tariff name and extension open, and how.
#include <fcntl.h>
#include <unistd.h>

#include "platform/file_open.h"
#include "support/tariff_dir.h"

namespace brant::test_support {
namespace {

constexpr const char* kNotOpened = "<not opened>";

class OpenfileTest : public TariffDirTest {
 protected:
  // The bytes of the file Openfile chooses for `extension`, or kNotOpened.
  std::string Opened(const std::string& extension) {
    const int16_t fd = Openfile(context_.get(), extension.c_str());
    EXPECT_TRUE(fd == -1 || fd > 0) << fd;
    const std::string bytes = fd > 0 ? ReadAll(fd) : kNotOpened;
    if (fd > 0) close(fd);
    return bytes;
  }

  TempDir work_;
};

// Read-only and closed on exec, never as descriptor 0 even when it is free; a
// directory is not a tariff file, and trailing spaces of the name are dropped.
TEST_F(OpenfileTest, OpensTheDataDirFileReadOnly) {
  Write(".RTE", "rates");
  const int savedInput = dup(0);
  close(0);
  const int16_t fd = Openfile(context_.get(), ".RTE");
  dup2(savedInput, 0);
  close(savedInput);
  ASSERT_GT(fd, 0);
  EXPECT_EQ(ReadAll(fd), "rates");
  EXPECT_TRUE(write(fd, "x", 1) == -1 && errno == EBADF);
  EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
  close(fd);
  dir_.MakeDir("TARF.BSE");
  EXPECT_EQ(Opened(".BSE"), kNotOpened);
  Write(".SC", "states");
  EXPECT_EQ(Opened(".SC "), "states");
  EXPECT_EQ(NormalisePath("my dir/TARF.SC  "), "my dir/TARF.SC");
}

// .DIS and .PRS, spelt exactly so, come from the current directory first, where
// the bare name gets the case-insensitive fallback too; the rest from dataDir only.
TEST_F(OpenfileTest, DiscountAndPrsFilesPreferTheCurrentDirectory) {
  CurrentDirectoryGuard inWork(work_.path());
  for (std::string ext : {".RTE", ".dis", ".prs", ".DI", ".DISK", ".DIS", ".PRS"}) {
    SCOPED_TRACE(ext);
    const bool here = ext == ".DIS" || ext == ".PRS";
    work_.WriteFile("TARF" + ext, "here");
    EXPECT_EQ(Opened(ext), here ? "here" : kNotOpened);
    Write(ext, "data");
    EXPECT_EQ(Opened(ext), here ? "here" : "data");
  }
  std::filesystem::rename(work_.PathOf("TARF.PRS"), work_.PathOf("tarf.prs"));
  EXPECT_EQ(Opened(".PRS"), "here");
}

// Fifteen case variants of TARF.RTE, none of them exact, made in a scrambled
// order: whatever order the directory lists them in, the first by name opens.
TEST_F(OpenfileTest, FallsBackToAFileNameInAnotherCase) {
  for (int i = 1; i < 16; ++i) {
    std::string name = "TARF.RTE";
    for (int bit = 0; bit < 4; ++bit) name[3 - bit] += ((i * 7) % 16 >> bit & 1) * ('a' - 'A');
    dir_.WriteFile(name, name);
  }
  dir_.WriteFile("xtarf.rte", "prefixed");
  EXPECT_EQ(Opened(".RTE"), "TARf.RTE");
  Write(".RTE", "exact");
  EXPECT_EQ(Opened(".RTE"), "exact");
  EXPECT_EQ(Opened(".RT"), kNotOpened);
  // Every letter folds, "A" and "Z" included, whichever side is in upper case.
  for (std::string name : {"ABCDEFGH", "IJKLMNOP", "QRSTUVWX", "yzabcdef"}) {
    std::string other = name;
    for (char& letter : other) letter ^= 'a' - 'A';
    dir_.WriteFile(other + ".zyx", other);
    PutText(c_.tariffName, name);
    EXPECT_EQ(Opened(".ZYX"), other);
  }
}

TEST_F(OpenfileTest, RefusesUnterminatedFieldsAndPathsLongerThan259) {
  dir_.WriteFile("TARIFFNMX.RTE", "nine");
  dir_.WriteFile("TARIFFNM.RTE", "eight");
  std::memcpy(c_.tariffName, "TARIFFNMX", 9);
  EXPECT_EQ(Opened(".RTE"), kNotOpened);
  PutText(c_.tariffName, "TARIFFNM");
  std::string padded = dir_.Slashed();  // slashes pad a real directory to all 260 bytes
  padded.resize(sizeof c_.dataDir, '/');
  std::memcpy(c_.dataDir, padded.data(), padded.size());
  EXPECT_EQ(Opened(".RTE"), kNotOpened);
  // dataDir, 12 bytes short of the path's length, then TARIFFNM.RTE.
  for (std::size_t length : {259, 260}) {
    const std::string sub(length - 12 - dir_.path().size() - 2, 'd');
    PutText(c_.dataDir, dir_.MakeDir(sub) + "/");
    dir_.WriteFile(sub + "/TARIFFNM.RTE", "fits");
    EXPECT_EQ(Opened(".RTE"), length < 260 ? "fits" : kNotOpened) << length;
  }
}

}  // namespace
}  // namespace brant::test_support
