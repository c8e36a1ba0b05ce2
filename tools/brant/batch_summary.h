// The line a batch ends with on standard error: how many rows, how they
// fared, how long it took.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace brant::tool {

struct BatchCounts {
  uint64_t rows = 0, rated = 0, warned = 0, refused = 0;
};

// "brant batch: 1 row: 1 rated, 0 rated with a warning, 0 refused; 0.50 s,
// 2 rows a second". The speed is left out when the time is too short to tell.
std::string BatchSummary(const BatchCounts& counts, std::chrono::duration<double> elapsed);

}  // namespace brant::tool
