#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstddef>

extern "C" {
size_t CHostRecordSize(void);
size_t CHostOffsetOfErrorCode(void);
size_t CHostOffsetOfProfileRecord(void);
int CHostOpen(const char* dataDir, const char* tariffName, const char* extension);
}

namespace {

TEST(CHost, SeesTheSameRecordAsCxx) {
  EXPECT_EQ(CHostRecordSize(), sizeof(RateContext));
  EXPECT_EQ(CHostOffsetOfErrorCode(), offsetof(RateContext, errorCode));
  EXPECT_EQ(CHostOffsetOfProfileRecord(), offsetof(RateContext, profileRecord));
}

TEST(CHost, OpensThroughTheCInterface) {
  EXPECT_EQ(CHostOpen("/nonexistent/", "TARF", ".SET"), -1);
  int fd = CHostOpen("/etc/", "host", "name");  // /etc/hostname
  if (access("/etc/hostname", R_OK) == 0) {
    EXPECT_GT(fd, 0);
    close(fd);
  }
}

}  // namespace
