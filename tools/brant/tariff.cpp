#include "tariff.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <vector>

#include "statuses.h"

namespace brant::tool {
namespace {

constexpr int32_t kSetOpen = 370;  // the record interface's "Error opening SET file."

struct OptionsDestroyer {
  void operator()(brant_options* options) const { brant_options_destroy(options); }
};
using Options = std::unique_ptr<brant_options, OptionsDestroyer>;

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// The sample tariff and the stand-in guide that serves its transit days.
struct Sample {
  std::string tariff;
  std::string guide;
};

// An installed brant finds the sample where it was installed beside it;
// one run from the build tree finds the build's.
const Sample& FindSample() {
  static const Sample sample = [] {
    char self[PATH_MAX];
    const ssize_t size = readlink("/proc/self/exe", self, sizeof self - 1);
    if (size > 0) {
      const std::string program(self, static_cast<std::size_t>(size));
      const std::string bin = program.substr(0, program.rfind('/') + 1);
      const std::string installed = bin + BRANT_INSTALLED_SAMPLE;
      if (access((installed + ".SET").c_str(), R_OK) == 0) {
        return Sample{installed, bin + BRANT_INSTALLED_GUIDE};
      }
    }
    return Sample{BRANT_SAMPLE_TARIFF, BRANT_SAMPLE_GUIDE};
  }();
  return sample;
}

const char* TariffFromEnvironment() {
  const char* tariff = std::getenv("BRANT_TARIFF");
  return tariff != nullptr && *tariff != '\0' ? tariff : nullptr;
}

bool RatesTheSample(const TariffOptions& options) {
  return options.tariff.empty() && TariffFromEnvironment() == nullptr;
}

// The names of the tariffs in `dir` (each NAME.SET, in any case), sorted.
std::vector<std::string> TariffsIn(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code failed;  // an unreadable directory lists nothing, and throws nothing
  for (std::filesystem::directory_iterator entry(dir, failed), end; !failed && entry != end;
       entry.increment(failed)) {
    const std::string file = entry->path().filename().string();
    if (file.size() > 4 && strcasecmp(file.c_str() + file.size() - 4, ".SET") == 0) {
      names.push_back(file.substr(0, file.size() - 4));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Where the tariff was looked for, and which tariffs are there instead.
void ExplainMissingTariff(const std::string& path, const std::string& dir,
                          const std::string& name, std::ostream& err) {
  struct stat info {};
  const bool isDirectory = stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  const std::string searched = isDirectory ? path : dir;
  if (isDirectory) {
    err << "brant: " << path << " is a directory; name a tariff in it as " << path
        << "/NAME\n";
  } else {
    err << "brant: looked for " << name << ".SET in " << dir << '\n';
  }
  const std::vector<std::string> names = TariffsIn(searched);
  if (names.empty()) {
    err << "brant: " << searched << " holds no tariff (no NAME.SET file)\n";
    return;
  }
  err << "brant: tariffs in " << searched << ':';
  for (const std::string& found : names) err << ' ' << found;
  err << '\n';
}

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
  if (guide.empty() && transitDays && RatesTheSample(options)) guide = FindSample().guide;
  // The guide reads its data from the tariff's directory.
  if (!guide.empty() && brant_options_set_service_guide(&o, guide.c_str(), nullptr) != BRANT_OK) {
    err << "brant: service guide \"" << guide << "\" refused\n";
    exitCode = kExitUsage;
    return false;
  }
  return true;
}

}  // namespace

std::string DefaultTariff() {
  const char* fromEnvironment = TariffFromEnvironment();
  return fromEnvironment != nullptr ? fromEnvironment : FindSample().tariff;
}

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
  if (error.record_status == kSetOpen) {
    if (RatesTheSample(options)) {
      err << "brant: the sample tariff " << path
          << " is not built or installed; name a tariff with --tariff DIR/NAME or BRANT_TARIFF\n";
    } else {
      ExplainMissingTariff(path, dir, name, err);
    }
  }
  exitCode = ExitCodeOfOpening(status);
  return nullptr;
}

}  // namespace brant::tool
