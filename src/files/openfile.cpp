// Openfile: the one way a tariff file is opened, by tariff name and
// extension.
#include <brantfunc/brantfunc.h>

#include <unistd.h>

#include <cstdint>
#include <string_view>

#include "files/file_names.h"
#include "platform/file_images.h"
#include "platform/file_open.h"

namespace brant {
namespace {

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
  // A tariff read through held files opens none of them.
  if (FileImages* images = ActiveFileImages(); images && !LooksInCurrentDirectory(extension)) {
    const int held = images->Open(extension);
    if (held != FileImages::kNotHeld) return static_cast<int16_t>(held);
  }
  PathText bareName = TariffFileName(*context, extension);
  PathText path = InDirectory(context->dataDir, bareName);
  if (!path.NamesFile()) return -1;
  if (LooksInCurrentDirectory(extension)) {
    int fd = OpenForReading(bareName);
    if (fd > 0) return AsHandle(fd);
  }
  return AsHandle(OpenForReading(path));
}
