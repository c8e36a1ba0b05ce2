#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

namespace {

// Runs a trimming export on a copy of the text; it must return its buffer.
std::string Trimmed(char* (*trim)(char*), const std::string& text) {
  char buffer[32];
  std::strcpy(buffer, text.c_str());
  EXPECT_EQ(trim(buffer), buffer);
  return buffer;
}

std::string Force(std::string path, const char* extension) {
  char buffer[BRANT_PATH_SIZE + 8];
  std::memset(buffer, '#', sizeof buffer);
  std::strcpy(buffer, path.c_str());
  EXPECT_EQ(ForceFileNameExtension(buffer, extension), buffer);
  return buffer;
}

// The text, then strtrim's and strltrim's result.
TEST(Trim, RemovesWhitespaceAtTheEnds) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"   ", "", ""}, {"", "", ""}, {"AB  ", "AB", "AB  "}, {"AB", "AB", "AB"},
      {" A B\t\r\n\v\f", " A B", "A B\t\r\n\v\f"}};
  for (auto [text, right, left] : cases) {
    EXPECT_EQ(Trimmed(strtrim, text), right);
    EXPECT_EQ(Trimmed(strltrim, text), left);
  }
}

TEST(SplitPath, GivesNameAndExtensionOrTheWholePath) {
  EXPECT_STREQ(SplitPath("C:\\TARIFFS\\DATA\\TARF.RTE"), "TARF.RTE");
  EXPECT_STREQ(SplitPath("/srv/tariffs/data/tarf.rte"), "tarf.rte");
  EXPECT_STREQ(SplitPath("/srv\\mixed/dir\\TARF.SET"), "TARF.SET");
  EXPECT_STREQ(SplitPath("/srv/tariffs/README"), "/srv/tariffs/README");
  EXPECT_STREQ(SplitPath("/srv/v1.2/README"), "/srv/v1.2/README");
  EXPECT_STREQ(SplitPath("/srv/.profile"), "/srv/.profile");
  EXPECT_STREQ(SplitPath("dir/.a.b"), ".a.b");  // the name ends at the last dot
  EXPECT_STREQ(SplitPath(""), "");
  EXPECT_EQ(SplitPath(std::string(300, 'p').c_str()), std::string(259, 'p'));  // a path's room
  char* first = SplitPath("a/b.c");  // one buffer, overwritten by each call
  EXPECT_EQ(SplitPath("d/e.f"), first);
  EXPECT_STREQ(first, "e.f");
}

TEST(ForceFileNameExtension, ReplacesFromTheFirstDot) {
  EXPECT_EQ(Force("TARF", ".BAK"), "TARF.BAK");
  EXPECT_EQ(Force("TARF.DEF", ".BAK"), "TARF.BAK");
  EXPECT_EQ(Force("/srv/v1.2/TARF.DEF", ".BAK"), "/srv/v1.BAK");
  EXPECT_EQ(Force("C:\\V1.2\\TARF.DEF", ".BAK"), "C:\\V1.BAK");
  EXPECT_EQ(Force(".profile", ".BAK"), ".profile.BAK");
  EXPECT_EQ(Force("", ".BAK"), ".BAK");
  EXPECT_EQ(Force("TARF", ".LONGER"), "TARF.LON");  // extensions hold 4
  EXPECT_EQ(Force(std::string(259, 'p'), ".BAK").size(), 259u);  // never more than a path
}

}  // namespace
