#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <cstddef>

extern "C" {
size_t CHostRecordSize(void);
size_t CHostOffsetOfErrorCode(void);
size_t CHostOffsetOfProfileRecord(void);
}

namespace {

TEST(CHost, SeesTheSameRecordAsCxx) {
  EXPECT_EQ(CHostRecordSize(), sizeof(RateContext));
  EXPECT_EQ(CHostOffsetOfErrorCode(), offsetof(RateContext, errorCode));
  EXPECT_EQ(CHostOffsetOfProfileRecord(), offsetof(RateContext, profileRecord));
}

}  // namespace
