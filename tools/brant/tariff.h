// The tariff a command rates on: opened once with its engine and service
// guide, closed when the command ends.
#pragma once

#include <brantfunc/brant.h>

#include <iosfwd>
#include <memory>
#include <string>

#include "brant_tool.h"

namespace brant::tool {

struct TariffCloser {
  void operator()(brant_tariff* tariff) const { brant_tariff_close(tariff); }
};
using Tariff = std::unique_ptr<brant_tariff, TariffCloser>;

// DIR/NAME as the options give it; else BRANT_TARIFF from the environment;
// else the sample's, installed beside brant or in the build tree.
std::string TariffPath(const TariffOptions& options);

// Opens the tariff of `options` ("DIR/NAME"; a bare NAME is in the current
// directory). Transit days need a service guide: the sample tariff gets our
// stand-in when no other is named. Null on failure, with the reason written
// to `err` and the exit code in `exitCode`.
Tariff OpenTariff(const TariffOptions& options, bool transitDays, std::ostream& err,
                  int& exitCode);

}  // namespace brant::tool
