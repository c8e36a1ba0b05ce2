#include "tariff.h"

#include <ostream>

#include "statuses.h"

namespace brant::tool {
namespace {

constexpr int32_t kSetOpen = 370;  // the record interface's "Error opening SET file."

struct OptionsDestroyer {
  void operator()(brant_options* options) const { brant_options_destroy(options); }
};
using Options = std::unique_ptr<brant_options, OptionsDestroyer>;

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// The options' libraries; false with the reason written when one is refused.
bool SetLibraries(brant_options& o, const TariffOptions& options, bool transitDays,
                  std::ostream& err, int& exitCode) {
  if (!options.engine.empty() &&
      brant_options_set_engine(&o, options.engine.c_str(), OrNull(options.engineData),
                               OrNull(options.engineTariff)) != BRANT_OK) {
    err << "brant: engine tariff \"" << options.engineTariff << "\": at most 8 characters\n";
    exitCode = kExitUsage;
    return false;
  }
  std::string guide = options.guide;
  if (guide.empty() && transitDays && options.tariff.empty()) guide = BRANT_SAMPLE_GUIDE;
  // The guide reads its data from the tariff's directory.
  if (!guide.empty() && brant_options_set_service_guide(&o, guide.c_str(), nullptr) != BRANT_OK) {
    err << "brant: service guide \"" << guide << "\" refused\n";
    exitCode = kExitUsage;
    return false;
  }
  return true;
}

}  // namespace

std::string DefaultTariff() { return BRANT_SAMPLE_TARIFF; }

std::string TariffPath(const TariffOptions& options) {
  return options.tariff.empty() ? DefaultTariff() : options.tariff;
}

Tariff OpenTariff(const TariffOptions& options, bool transitDays, std::ostream& err,
                  int& exitCode) {
  Options o(brant_options_create());
  if (!o) {
    err << "brant: out of memory\n";
    exitCode = kExitInternal;
    return nullptr;
  }
  if (!SetLibraries(*o, options, transitDays, err, exitCode)) return nullptr;
  const std::string path = TariffPath(options);
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  brant_tariff* tariff = nullptr;
  brant_error error;
  const brant_status status =
      brant_tariff_open(dir.c_str(), name.c_str(), o.get(), &tariff, &error);
  if (status == BRANT_OK) return Tariff(tariff);
  err << "brant: ";
  WriteSentence(err, error);
  err << '\n';
  if (options.tariff.empty() && error.record_status == kSetOpen) {
    err << "brant: the sample tariff " << path
        << " is not built; build the project, or name a tariff with --tariff DIR/NAME\n";
  }
  exitCode = ExitCodeOfOpening(status);
  return nullptr;
}

}  // namespace brant::tool
