// Writes the tariff kit's small tariff as DIR/SMALL, for the programs that
// rate against an installed library.
#include <cstdio>
#include <exception>

#include "tariffkit/small_tariff.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 1;
  }
  try {
    brant::tariffkit::WriteSmallTariff(argv[1], {.name = "SMALL"});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
