#include "batch_summary.h"

#include <cmath>
#include <cstdio>

namespace brant::tool {
namespace {

std::string Counted(uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

// "0.25 s" under a minute, then "2 min 05 s" and "1 h 02 min 05 s".
std::string Duration(double seconds) {
  char text[48];
  if (seconds < 59.995) {
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
  }
  const auto whole = static_cast<uint64_t>(std::llround(seconds));
  if (whole < 3600) {
    std::snprintf(text, sizeof text, "%llu min %02llu s",
                  static_cast<unsigned long long>(whole / 60),
                  static_cast<unsigned long long>(whole % 60));
  } else {
    std::snprintf(text, sizeof text, "%llu h %02llu min %02llu s",
                  static_cast<unsigned long long>(whole / 3600),
                  static_cast<unsigned long long>(whole / 60 % 60),
                  static_cast<unsigned long long>(whole % 60));
  }
  return text;
}

}  // namespace

std::string BatchSummary(const BatchCounts& counts, std::chrono::duration<double> elapsed) {
  constexpr double kShortestTimed = 0.001;  // seconds; below, the speed means nothing
  std::string text = "brant batch: " + Counted(counts.rows, "row", "rows") + ": " +
                     std::to_string(counts.rated) + " rated, " + std::to_string(counts.warned) +
                     " rated with a warning, " + std::to_string(counts.refused) + " refused; " +
                     Duration(elapsed.count());
  if (elapsed.count() >= kShortestTimed) {
    const auto speed =
        static_cast<uint64_t>(std::llround(static_cast<double>(counts.rows) / elapsed.count()));
    text += ", " + Counted(speed, "row", "rows") + " a second";
  }
  return text;
}

}  // namespace brant::tool
