#include "platform/file_open.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>

#include "platform/file_images.h"

namespace brant {
namespace {

// Counts down to the open that is to fail; 0: none is.
std::atomic<long> opensUntilFailure{0};

bool OpenRefused() {
  long left = opensUntilFailure.load(std::memory_order_relaxed);
  if (left == 0) return false;
  opensUntilFailure.store(left - 1, std::memory_order_relaxed);
  return left == 1;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// Descriptor 0 is never taken for a file: the record treats it as "not
// open". Should the host have closed its standard input, move the file up.
int AvoidDescriptorZero(int fd) {
  if (fd != 0) return fd;
  int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
  close(fd);
  return moved;
}

// A directory that happens to carry a file's name is not that file.
bool IsDirectory(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

int OpenExact(const PathText& path, int flags) {
  int fd;
  do {
    fd = open(path.c_str(), flags | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  // A thread reading held files owns the descriptors at the top of the range.
  if (ActiveFileImages() != nullptr && fd >= FileImages::kFirstDescriptor) {
    close(fd);
    errno = EMFILE;
    return -1;
  }
  if (IsDirectory(fd)) {
    close(fd);
    errno = EISDIR;
    return -1;
  }
  return AvoidDescriptorZero(fd);
}

// A directory entry's name; long enough for any name the system allows.
struct EntryName {
  char text[NAME_MAX + 1] = {};
  std::size_t length = 0;
  std::string_view view() const { return {text, length}; }
};

// The entry of `directory` whose name matches `name` without regard to
// case; the smallest such name when several do, so the choice does not
// depend on the order the directory lists them in. False when none does.
bool FindCaseless(const PathText& directory, std::string_view name, EntryName& best) {
  DIR* dir = opendir(directory.view().empty() ? "." : directory.c_str());
  if (dir == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    std::string_view candidate(entry->d_name);
    if (candidate.size() > NAME_MAX || !SameIgnoringCase(candidate, name)) continue;
    if (found && candidate >= best.view()) continue;
    std::memcpy(best.text, candidate.data(), candidate.size());
    best.length = candidate.size();
    found = true;
  }
  closedir(dir);
  return found;
}

}  // namespace

std::string_view NormalisePath(std::string_view path) {
  std::size_t end = path.size();
  while (end > 0 && path[end - 1] == ' ') --end;
  return path.substr(0, end);
}

long FailOpen(long n) {
  return opensUntilFailure.exchange(n > 0 ? n : 0, std::memory_order_relaxed);
}

int OpenExisting(std::string_view path, int flags) {
  if (OpenRefused()) {
    errno = EIO;
    return -1;
  }
  if (path.empty() || path.size() > kMaxPathLength) return -1;
  std::string_view normal = NormalisePath(path);
  PathText exact(normal);
  int fd = OpenExact(exact, flags);
  if (fd >= 0 || (errno != ENOENT && errno != ENOTDIR)) return fd;

  std::size_t slash = normal.rfind('/');
  std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  std::string_view name = normal.substr(nameStart);
  if (name.empty()) return -1;
  PathText directory(normal.substr(0, nameStart));
  EntryName match;
  if (!FindCaseless(directory, name, match) || match.view() == name) return -1;
  return OpenExact(PathText(directory).Append(match.view()), flags);
}

}  // namespace brant
