// What the tests of the tariff and user files share: a record whose dataDir
// is a fresh directory and whose tariff is TARF, released when the test
// ends, and a few small helpers.
#pragma once

#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace brant::test_support {

// Several scalars compared at once; copying them out of the packed record
// also keeps gtest from binding references to misaligned fields.
using Ints = std::vector<int32_t>;

template <std::size_t N>
void PutText(char (&field)[N], const std::string& text) {
  ASSERT_LT(text.size(), N) << text;
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size());
}

template <typename T>
std::string Bytes(const T* data, std::size_t size) {
  return data == nullptr ? "<null>" : std::string(reinterpret_cast<const char*>(data), size);
}

inline std::size_t OpenDescriptors() {
  namespace fs = std::filesystem;
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

class TariffDirTest : public ::testing::Test {
 protected:
  TariffDirTest() {
    PutText(c_.dataDir, dir_.Slashed());
    PutText(c_.tariffName, "TARF");
    ClearHandles();
  }
  // Every handle -1, as a host prepares the record.
  void ClearHandles() {
    c_.zf1Handle = c_.auxHandle = c_.classAdjHandle = c_.mx1Handle = c_.facHandle = c_.fc1Handle =
        c_.fc2Handle = c_.rteHandle = c_.bseHandle = c_.altFactorHandle = -1;
  }
  ~TariffDirTest() override { CloseAllFiles(context_.get()); }  // whatever a test left open
  std::string Write(const std::string& extension, const std::string& bytes) {
    return dir_.WriteFile("TARF" + extension, bytes);
  }

  TempDir dir_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  RateContext& c_ = *context_;
  const std::size_t openAtStart_ = OpenDescriptors();  // descriptors open when the test began
};

}  // namespace brant::test_support
