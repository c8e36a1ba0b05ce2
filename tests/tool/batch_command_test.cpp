// brant batch end to end: one output row per input row, bad rows reported
// by line without stopping the batch, and memory that does not grow with
// the input.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "batch_summary.h"
#include "brant_tool.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"
#include "tool/brant_process.h"

namespace brant::test_support {
namespace {

class BatchCommand : public ::testing::Test {
 protected:
  void SetUp() override { tariffkit::WriteSmallTariff(dir_.path(), {.name = "SMALL"}); }
  tool::BatchOptions Options() const {
    tool::BatchOptions options;
    options.tariff.tariff = tariff_;
    return options;
  }

  TempDir dir_;
  const std::string tariff_ = dir_.PathOf("SMALL");
};

// The header's other rules are in cases/batch.toml; its width needs a
// header too long to write there.
TEST_F(BatchCommand, TakesAHeaderOf1024ColumnsAndNoMore) {
  std::string wide = "origin,destination,class1,weight1";
  for (int i = 5; i <= 1024; ++i) wide += ",x" + std::to_string(i);
  for (const std::string& header : {wide, wide + ",x1025"}) {
    std::istringstream in(header + "\n10001,90001,100,1500\n");
    std::ostringstream out, err;
    const bool widest = header == wide;
    EXPECT_EQ(tool::RunBatch(Options(), in, out, err), widest ? 0 : 1) << err.str();
    EXPECT_EQ(err.str().find("line 1: more than 1024 columns") != std::string::npos, !widest);
  }
}

// A fake bar drawn into the same stream as the messages shows what a
// terminal would: every message on a line of its own, the bar after it.
TEST_F(BatchCommand, ClearsTheProgressBarForEachMessage) {
  struct FakeBar : tool::Progress {
    explicit FakeBar(std::ostream& screen) : screen(screen) {}
    void Show(double, uint64_t rows) override { screen << "<bar " << rows << '>'; }
    void Clear() override { screen << "<clear>"; }
    std::ostream& screen;
  };
  std::istringstream in(
      "origin,destination,class1,weight1\n10001,\"90001\n10001,90001,100,1500\n1\"0001\n");
  std::ostringstream out, err;
  FakeBar bar(err);
  EXPECT_EQ(tool::RunBatch(Options(), in, out, err, &bar), 2);
  const std::string screen = err.str();
  EXPECT_EQ(screen.substr(0, screen.find("brant batch:")),
            "<bar 0>"
            "<clear>brant: line 2: malformed CSV in field 2 (destination): a quote not closed on "
            "its line\n<bar 1>"
            "<clear>brant: line 4: malformed CSV in field 1 (origin): a quote inside a field "
            "that does not begin with one; quote the whole field and double the quotes inside "
            "it\n<bar 3><bar 3>"
            "<clear>");
}

// Rows rated on several threads come out as one thread writes them: the
// same bytes in input order, the same refusals told, the same exit code.
TEST_F(BatchCommand, SeveralJobsWriteWhatOneWrites) {
  const char* rows[] = {"10001,90001,100,1500,a", "10001,30303,85,20,b", "00601,90001,100,9,c",
                        "10001,90001,999,100,d", "1\"0001,90001,1,1,e", "", "60601,10001,70,800,f"};
  std::string input = "origin,destination,class1,weight1,ref\n";
  for (int i = 0; i < 1500; ++i) input += std::string(rows[i % 7]) + "\n";
  std::string want[2];
  for (const bool json : {false, true}) {
    for (int jobs : {1, 2, 3}) {
      tool::BatchOptions options = Options();
      options.jobs = jobs, options.json = json;
      std::istringstream in(input);
      std::ostringstream out, err;
      const int exitCode = tool::RunBatch(options, in, out, err);
      std::string told = err.str();
      told.erase(told.rfind("; "));  // the summary's time and speed
      const std::string got = std::to_string(exitCode) + told + out.str();
      if (jobs == 1) want[json] = got;
      EXPECT_EQ(got, want[json]) << jobs << " jobs" << (json ? ", JSON" : "");
    }
  }
  EXPECT_NE(want[0].find("\n1501,"), std::string::npos);  // lines counted across chunks
}

TEST(BatchSummary, CountsRowsAndTellsTheTimeAndSpeed) {
  using std::chrono::duration;
  const std::pair<std::string, std::string> cases[] = {
      {tool::BatchSummary({1, 1, 0, 0}, duration<double>(0.5)),
       "brant batch: 1 row: 1 rated, 0 rated with a warning, 0 refused; 0.50 s, 2 rows a second"},
      {tool::BatchSummary({2, 0, 1, 1}, duration<double>(0.001)),
       "brant batch: 2 rows: 0 rated, 1 rated with a warning, 1 refused; 0.00 s, "
       "2000 rows a second"},
      {tool::BatchSummary({0, 0, 0, 0}, duration<double>(0.0009)),
       "brant batch: 0 rows: 0 rated, 0 rated with a warning, 0 refused; 0.00 s"},
      {tool::BatchSummary({125, 125, 0, 0}, duration<double>(125)),
       "brant batch: 125 rows: 125 rated, 0 rated with a warning, 0 refused; 2 min 05 s, "
       "1 row a second"},
      {tool::BatchSummary({0, 0, 0, 0}, duration<double>(3725.2)),
       "brant batch: 0 rows: 0 rated, 0 rated with a warning, 0 refused; 1 h 02 min 05 s, "
       "0 rows a second"},
      {tool::BatchSummary({0, 0, 0, 0}, duration<double>(59.99)),
       "brant batch: 0 rows: 0 rated, 0 rated with a warning, 0 refused; 59.99 s, "
       "0 rows a second"},
      {tool::BatchSummary({60, 60, 0, 0}, duration<double>(60)),
       "brant batch: 60 rows: 60 rated, 0 rated with a warning, 0 refused; 1 min 00 s, "
       "1 row a second"},
  };
  for (const auto& [summary, expected] : cases) EXPECT_EQ(summary, expected);
}

// A million rows, each tenth rated in full and the others refused at their
// origin, against a thousand: the peak memory of the run stays the same.
TEST_F(BatchCommand, StreamsAMillionRowsInConstantMemory) {
  auto write = [&](const char* name, int rows) {
    std::ofstream out(dir_.PathOf(name));
    out << "origin,destination,class1,weight1\n";
    for (int i = 0; i < rows; ++i) out << (i % 10 == 0 ? "10001" : "55555") << ",90001,100,500\n";
    return dir_.PathOf(name);
  };
  // The sanitizer's quarantine of freed blocks would be measured, not brant.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string saved = asan != nullptr ? asan : "";
  setenv("ASAN_OPTIONS", (saved + ":quarantine_size_mb=0").c_str(), 1);
  const BrantRun small = RunBrant({"batch", "--tariff", tariff_, write("small.csv", 1000)});
  const std::string output = dir_.PathOf("out.csv");
  const BrantRun large =
      RunBrant({"batch", "--tariff", tariff_, write("large.csv", 1000000)}, "/dev/null", output);
  setenv("ASAN_OPTIONS", saved.c_str(), 1);

  EXPECT_EQ(large.exitCode, 2);
  EXPECT_NE(large.err.find("1000000 rows: 100000 rated"), std::string::npos) << large.err;
  std::ifstream written(output);
  std::size_t rows = 0;
  for (std::string line; std::getline(written, line);) ++rows;
  EXPECT_EQ(rows, 1000001u);
  EXPECT_LT(large.peakKilobytes, small.peakKilobytes + 2048)
      << small.peakKilobytes << " KB for a thousand rows";
}

}  // namespace
}  // namespace brant::test_support
