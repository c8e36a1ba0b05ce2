#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

// The defined dynamic symbols of the shared library, as a host's loader sees
// them, against the list of exports built so far.
TEST(SharedLibrary, ExportsExactlyTheFunctionsAndHooks) {
  std::ifstream list(BRANTFUNC_EXPORT_LIST);
  std::set<std::string> expected, actual;
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line[0] != '#') expected.insert(line);
  }
  const std::string command = std::string("nm -D --defined-only ") + BRANTFUNC_SHARED_LIBRARY;
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[512], address[64], type[8], name[256];
  while (std::fgets(line, sizeof line, pipe)) {
    if (std::sscanf(line, "%63s %7s %255s", address, type, name) == 3) actual.insert(name);
  }
  pclose(pipe);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(actual, expected);
}

}  // namespace
