#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <memory>

#include "support/host_bytes.h"

namespace {

using brant::test_support::ChangedHostBytes;
using brant::test_support::FillHostBytes;

TEST(HostBytes, SurviveTheRecordExports) {
  auto context = std::make_unique<RateContext>();
  FillHostBytes(*context);
  std::snprintf(context->dataDir, sizeof context->dataDir, "/nonexistent/");
  std::snprintf(context->tariffName, sizeof context->tariffName, "TARF");
  for (const char* extension : {".RTE", ".DIS", ".PRS", ".SC ", ".SET"}) {
    EXPECT_EQ(Openfile(context.get(), extension), -1);
  }
  EXPECT_EQ(ChangedHostBytes(*context), "");
}

}  // namespace
