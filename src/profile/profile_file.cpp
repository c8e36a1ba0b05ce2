// PROFILE.FIL: making sure the user has one, counting its profiles, naming
// the profile at a position and loading a profile by name. The library
// writes the file only when it creates it, and then whole or not at all.
#include <brantfunc/brantfunc.h>

#include <cstring>
#include <string_view>

#include "formats/host_records.h"
#include "files/file_names.h"
#include "files/record_access.h"
#include "platform/file_create.h"
#include "platform/file_io.h"
#include "platform/file_open.h"
#include "platform/memory.h"
#include "profile/profile.h"

namespace brant {
namespace {

// The highest position currentProfileIndex can hold.
constexpr int64_t kMaxProfileIndex = INT16_MAX;

PathText ProfilePath(const char* directoryField) {
  return InDirectory(directoryField, PathText("PROFILE.FIL"));
}

// The user's copy is opened for reading and writing, as the host shares it.
int OpenUserProfiles(const RateContext& context) {
  PathText path = ProfilePath(context.profileDir);
  return path.NamesFile() ? OpenExisting(path.view(), O_RDWR) : -1;
}

int64_t ProfileCount(int fd) { return RecordCount(FileSize(fd), kProfileRecordSize); }

int32_t Fail(RateContext& context, int32_t status) {
  context.errorCode = status;
  return 0;
}

}  // namespace
}  // namespace brant

extern "C" {

// The data directory's copy is only read: it may sit on read-only media and
// is never changed. A file that another process put in place meanwhile is
// the user's file as well.
int32_t ReadProfileFile(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  if (ScopedDescriptor mine(OpenUserProfiles(c)); mine.ok()) return 1;
  const PathText target = ProfilePath(c.profileDir);
  ScopedDescriptor delivered(OpenForReading(ProfilePath(c.dataDir)));
  CreateResult made;
  if (delivered.ok()) {
    made = CreateFileCopy(target, delivered.get());
  } else {
    BuildDefaultProfile(c);
    made = CreateFileWhole(
        target, {reinterpret_cast<const char*>(c.profileRecord), sizeof c.profileRecord});
  }
  return made == CreateResult::kFailed ? Fail(c, kProfileCreate) : 1;
}

int32_t GetProfileSize(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  ScopedDescriptor file(OpenUserProfiles(*context));
  if (!file.ok()) return Fail(*context, kProfileOpen);
  return static_cast<int32_t>(ProfileCount(file.get()));
}

// A position outside the file's whole records has no key to give.
int32_t GetProfileKey(RateContext* context, int32_t position, char* buffer) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  ScopedDescriptor file(OpenUserProfiles(c));
  if (!file.ok()) return Fail(c, kProfileOpen);
  if (buffer == nullptr || position < 0 || position >= ProfileCount(file.get())) {
    return Fail(c, kProfileRead);
  }
  char name[kProfileNameWidth];
  if (ReadFullyAt(file.get(), position * kProfileRecordSize, name, sizeof name) != sizeof name) {
    return Fail(c, kProfileRead);
  }
  std::memcpy(buffer, name, sizeof name);
  return 1;
}

// The first record whose 31 name bytes equal those the caller wrote into
// profileRecord. Names are compared from the file; only the match is read
// whole, into a work block, so a failed read leaves profileRecord as it was.
int32_t GetProfileRecord(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  ScopedDescriptor file(OpenUserProfiles(c));
  if (!file.ok()) return Fail(c, kProfileOpen);
  int64_t count = ProfileCount(file.get());
  if (count > kMaxProfileIndex + 1) count = kMaxProfileIndex + 1;
  for (int64_t i = 0; i < count; ++i) {
    char name[kProfileNameWidth];
    const int64_t at = i * kProfileRecordSize;
    if (ReadFullyAt(file.get(), at, name, sizeof name) != sizeof name) {
      return Fail(c, kProfileRead);
    }
    if (std::memcmp(name, c.profileRecord, sizeof name) != 0) continue;
    auto* work = static_cast<uint8_t*>(AllocateBlock(sizeof c.profileRecord));
    if (work == nullptr) return Fail(c, kProfileRead);
    const bool whole =
        ReadFullyAt(file.get(), at, work, sizeof c.profileRecord) == sizeof c.profileRecord;
    if (whole) std::memcpy(c.profileRecord, work, sizeof c.profileRecord);
    ReleaseBlock(work);
    if (!whole) return Fail(c, kProfileRead);
    defaults::currentProfileIndex.Set(c, static_cast<int16_t>(i));
    return 1;
  }
  return Fail(c, kProfileNotFound);
}

}  // extern "C"
