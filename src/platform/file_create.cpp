#include "platform/file_create.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace brant {
namespace {

constexpr std::string_view kTemporarySuffix = ".new-XXXXXX";

bool WriteAll(int fd, const char* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Copies `source` from offset 0 until it ends; false on a read error.
bool CopyAll(int fd, int source) {
  char buffer[16384];
  for (off_t at = 0;;) {
    ssize_t n = pread(source, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(fd, buffer, static_cast<std::size_t>(n))) return false;
    at += n;
  }
}

// Makes the new name itself durable; a failure here loses nothing written.
void SyncDirectoryOf(const PathText& path) {
  std::string_view full = path.view();
  std::size_t slash = full.rfind('/');
  PathText directory(slash == std::string_view::npos ? std::string_view(".")
                                                     : full.substr(0, slash + 1));
  int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Gives the finished temporary the target's name unless a file has it: a
// hard link refuses an existing name atomically; where the file system has
// no hard links, a rename that refuses to replace does the same.
CreateResult Publish(const char* temporary, const PathText& path) {
  if (link(temporary, path.c_str()) == 0) {
    unlink(temporary);
    return CreateResult::kCreated;
  }
  int linkError = errno;
#ifdef RENAME_NOREPLACE
  if (linkError != EEXIST &&
      renameat2(AT_FDCWD, temporary, AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
    return CreateResult::kCreated;
  }
  if (linkError != EEXIST) linkError = errno;
#endif
  unlink(temporary);
  return linkError == EEXIST ? CreateResult::kExists : CreateResult::kFailed;
}

template <typename Fill>
CreateResult CreateWith(const PathText& path, Fill fill) {
  if (!path.NamesFile()) return CreateResult::kFailed;
  char temporary[kMaxPathLength + kTemporarySuffix.size() + 1] = {};
  std::memcpy(temporary, path.c_str(), path.view().size());
  std::memcpy(temporary + path.view().size(), kTemporarySuffix.data(), kTemporarySuffix.size());
  int fd = mkostemp(temporary, O_CLOEXEC);
  if (fd < 0) return CreateResult::kFailed;
  bool written = fchmod(fd, 0644) == 0 && fill(fd) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (!written) {
    unlink(temporary);
    return CreateResult::kFailed;
  }
  CreateResult result = Publish(temporary, path);
  if (result == CreateResult::kCreated) SyncDirectoryOf(path);
  return result;
}

}  // namespace

CreateResult CreateFileWhole(const PathText& path, std::string_view bytes) {
  return CreateWith(path, [bytes](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); });
}

CreateResult CreateFileCopy(const PathText& path, int source) {
  if (source < 0) return CreateResult::kFailed;
  return CreateWith(path, [source](int fd) { return CopyAll(fd, source); });
}

}  // namespace brant
