#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

std::set<std::string> ExpectedExports() {
  std::ifstream list(BRANTFUNC_EXPORT_LIST);
  std::set<std::string> names;
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line[0] != '#') names.insert(line);
  }
  return names;
}

// The defined dynamic symbols of the shared library, as a host's loader
// sees them.
std::set<std::string> ActualExports() {
  std::string command = std::string("nm -D --defined-only ") + BRANTFUNC_SHARED_LIBRARY;
  std::set<std::string> names;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    char address[64], type[8], name[256];
    if (std::sscanf(line, "%63s %7s %255s", address, type, name) == 3) names.insert(name);
  }
  pclose(pipe);
  return names;
}

TEST(SharedLibrary, ExportsExactlyTheFunctionsAndHooks) {
  std::set<std::string> expected = ExpectedExports();
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(ActualExports(), expected);
}

}  // namespace
