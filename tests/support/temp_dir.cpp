#include "support/temp_dir.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace brant::test_support {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

TempDir::TempDir() {
  char pattern[] = "/tmp/brantfunc-XXXXXX";
  if (mkdtemp(pattern) == nullptr) Fail("mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::PathOf(std::string_view name) const {
  return path_ + "/" + std::string(name);
}

std::string TempDir::WriteFile(std::string_view name, std::string_view bytes) const {
  std::filesystem::path file = PathOf(name);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) Fail("writing " + file.string());
  return file.string();
}

std::string TempDir::MakeDir(std::string_view name) const {
  std::string dir = PathOf(name);
  std::filesystem::create_directories(dir);
  return dir;
}

std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[4096];
  for (off_t at = 0;;) {
    ssize_t n = pread(fd, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("pread");
    if (n == 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(n));
    at += n;
  }
}

CurrentDirectoryGuard::CurrentDirectoryGuard(const std::string& directory)
    : previous_(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (previous_ < 0) Fail("open .");
  if (chdir(directory.c_str()) != 0) {
    int error = errno;
    close(previous_);
    errno = error;
    Fail("chdir " + directory);
  }
}

CurrentDirectoryGuard::~CurrentDirectoryGuard() {
  if (fchdir(previous_) != 0) std::abort();  // later tests would run in the wrong place
  close(previous_);
}

}  // namespace brant::test_support
