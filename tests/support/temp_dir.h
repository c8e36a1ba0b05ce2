// Scratch directories and files for tests that need real files on disk.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace brant::test_support {

[[noreturn]] inline void FailWithErrno(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

// A fresh directory under /tmp, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/brantfunc-XXXXXX";
    if (mkdtemp(pattern) == nullptr) FailWithErrno("mkdtemp");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory's absolute path, without a trailing "/".
  const std::string& path() const { return path_; }
  // The path with a trailing "/", as dataDir and profileDir hold it.
  std::string Slashed() const { return path_ + "/"; }
  std::string PathOf(std::string_view name) const { return Slashed() + std::string(name); }
  // Writes `bytes` to `name` (parents created, file replaced); returns its path.
  std::string WriteFile(std::string_view name, std::string_view bytes) const {
    const std::filesystem::path file = PathOf(name);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush()) {
      FailWithErrno("writing " + file.string());
    }
    return file.string();
  }
  // Creates the subdirectory `name` (and parents); returns its path.
  std::string MakeDir(std::string_view name) const {
    std::filesystem::create_directories(PathOf(name));
    return PathOf(name);
  }

 private:
  std::string path_;
};

// Everything from the start of the open file `fd` to its end.
inline std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[4096];
  for (ssize_t n; (n = pread(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()))) != 0;) {
    if (n < 0 && errno != EINTR) FailWithErrno("pread");
    if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

// Changes the current directory for its lifetime and then restores the old
// one, held by descriptor so that a long path still works.
class CurrentDirectoryGuard {
 public:
  explicit CurrentDirectoryGuard(const std::string& directory)
      : previous_(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (previous_ >= 0 && chdir(directory.c_str()) == 0) return;
    if (previous_ >= 0) close(previous_);
    FailWithErrno("chdir " + directory);
  }
  ~CurrentDirectoryGuard() {
    if (fchdir(previous_) != 0) std::abort();  // later tests would run in the wrong place
    close(previous_);
  }
  CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
  CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

 private:
  int previous_;
};

}  // namespace brant::test_support
