#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "support/host_bytes.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"

namespace {

using brant::test_support::ChangedHostBytes;
using brant::test_support::CurrentDirectoryGuard;
using brant::test_support::FillHostBytes;
using brant::test_support::TempDir;
namespace kit = brant::tariffkit;

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

TEST(HostBytes, SurviveTheUserFileExports) {
  TempDir dir;
  CurrentDirectoryGuard inDir(dir.path());
  kit::Defaults defaults;
  defaults.defaultsInitialised = 0;  // the reader then sets its first-use values
  dir.WriteFile("TARF.DEF", kit::DefaultsRecord(defaults));
  kit::Discounts discounts;
  discounts.entries = {"ONE", "TWO"};
  dir.WriteFile("TARF.DIS", kit::DiscountsRecord(discounts));

  auto context = std::make_unique<RateContext>();
  FillHostBytes(*context);
  std::snprintf(context->dataDir, sizeof context->dataDir, "%s/", dir.path().c_str());
  std::snprintf(context->profileDir, sizeof context->profileDir, "%s/", dir.path().c_str());
  std::snprintf(context->tariffName, sizeof context->tariffName, "TARF");
  context->accCount = 2;
  EXPECT_EQ(ReadDefFile(context.get()), 1);
  EXPECT_EQ(WriteDefFile(context.get()), 1);
  EXPECT_EQ(ReadDiscFile(context.get()), 1);
  EXPECT_EQ(WriteAccFile(context.get()), 1);

  // And when they fail.
  dir.WriteFile("TARF.DIS", "short");
  EXPECT_EQ(ReadDiscFile(context.get()), 0);
  std::filesystem::remove(dir.PathOf("TARF.DEF"));
  EXPECT_EQ(ReadDefFile(context.get()), 0);
  context->accCount = BRANT_ACC_RECORDS + 1;
  EXPECT_EQ(WriteAccFile(context.get()), 0);
  EXPECT_EQ(ChangedHostBytes(*context), "");
}

}  // namespace
