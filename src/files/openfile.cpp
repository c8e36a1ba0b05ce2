// Openfile: the one way a tariff file is opened, by tariff name and
// extension.
#include <brantfunc/brantfunc.h>

#include <unistd.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "context/byte_coding.h"
#include "platform/file_open.h"

namespace brant {
namespace {

constexpr std::size_t kMaxTariffName = BRANT_TARIFF_NAME_SIZE - 1;

// The user's discount file and the host's ".PRS" file are looked for in
// the current directory before the data directory. The comparison is exact:
// ".dis" does not count.
bool LooksInCurrentDirectory(std::string_view extension) {
  return extension == ".DIS" || extension == ".PRS";
}

// Descriptors travel back as 16-bit values; one that would not fit is
// closed and reported as a failure rather than handed back truncated.
int16_t AsHandle(int fd) {
  if (fd > INT16_MAX) {
    close(fd);
    return -1;
  }
  return static_cast<int16_t>(fd);
}

}  // namespace
}  // namespace brant

extern "C" int16_t Openfile(RateContext* context, const char* extension) {
  using namespace brant;
  if (context == nullptr || extension == nullptr) return -1;
  std::string_view name = FixedText(context->tariffName, sizeof context->tariffName);
  std::string_view dir = FixedText(context->dataDir, sizeof context->dataDir);
  // A name or directory without its terminator is longer than its field.
  if (name.size() > kMaxTariffName || dir.size() == sizeof context->dataDir) return -1;

  std::string bareName = std::string(name) + extension;
  if (LooksInCurrentDirectory(extension)) {
    int fd = OpenForReading(bareName);
    if (fd > 0) return AsHandle(fd);
  }
  return AsHandle(OpenForReading(std::string(dir) + bareName));
}
