#include "platform/file_open.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace brant {
namespace {

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

int OpenExact(const std::string& path, int flags) {
  int fd;
  do {
    fd = open(path.c_str(), flags | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  if (IsDirectory(fd)) {
    close(fd);
    errno = EISDIR;
    return -1;
  }
  return AvoidDescriptorZero(fd);
}

// The entry of `directory` whose name matches `name` without regard to
// case; the smallest such name when several do, so the choice does not
// depend on the order the directory lists them in.
std::string FindCaseless(const std::string& directory, std::string_view name) {
  DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return {};
  std::string best;
  while (const dirent* entry = readdir(dir)) {
    std::string_view candidate(entry->d_name);
    if (SameIgnoringCase(candidate, name) && (best.empty() || candidate < best)) {
      best = candidate;
    }
  }
  closedir(dir);
  return best;
}

}  // namespace

std::string NormalisePath(std::string_view path) {
  std::size_t end = path.size();
  while (end > 0 && path[end - 1] == ' ') --end;
  return std::string(path.substr(0, end));
}

int OpenExisting(std::string_view path, int flags) {
  if (path.empty() || path.size() > kMaxPathLength) return -1;
  std::string exact = NormalisePath(path);
  int fd = OpenExact(exact, flags);
  if (fd >= 0 || (errno != ENOENT && errno != ENOTDIR)) return fd;

  std::size_t slash = exact.rfind('/');
  std::string directory = slash == std::string::npos ? std::string() : exact.substr(0, slash + 1);
  std::string_view name = std::string_view(exact).substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.empty()) return -1;
  std::string match = FindCaseless(directory, name);
  if (match.empty() || match == name) return -1;
  return OpenExact(directory + match, flags);
}

}  // namespace brant
