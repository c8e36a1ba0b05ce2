// The --wrap side of file_calls.h: each wrapped call goes to the real one,
// and is kept while this thread records.
#include "file_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <map>

extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_open64(const char* path, int flags, ...);
ssize_t __real_read(int fd, void* buffer, size_t size);
ssize_t __real_pread(int fd, void* buffer, size_t size, off_t offset);
ssize_t __real_pread64(int fd, void* buffer, size_t size, off_t offset);
off_t __real_lseek(int fd, off_t offset, int whence);
off_t __real_lseek64(int fd, off_t offset, int whence);
int __real_fstat(int fd, struct stat* info);
int __real_fstat64(int fd, struct stat* info);
int __real_close(int fd);
}

namespace brant::bench {
namespace {

struct Recording {
  std::vector<FileCall> calls;
  std::map<int, int> fileOf;  // descriptor -> index of its open
  int opens = 0;
};

thread_local Recording* recording = nullptr;

int FileOf(int fd) {
  auto found = recording->fileOf.find(fd);
  return found == recording->fileOf.end() ? -1 : found->second;
}

void KeepOpen(const char* path, int flags, int fd) {
  if (recording == nullptr || fd < 0) return;
  const int file = recording->opens++;
  recording->fileOf[fd] = file;
  recording->calls.push_back({FileCall::kOpen, file, -1, path, flags});
}

void Keep(FileCall::Kind kind, int fd, int64_t offset, int whence, std::size_t size) {
  if (recording == nullptr) return;
  const int file = FileOf(fd);
  recording->calls.push_back({kind, file, file < 0 ? fd : -1, {}, 0, offset, whence, size});
  if (kind == FileCall::kClose) recording->fileOf.erase(fd);
}

mode_t ModeOf(int flags, va_list args) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

}  // namespace

void StartRecording() { recording = new Recording(); }

std::vector<FileCall> StopRecording() {
  std::vector<FileCall> calls = std::move(recording->calls);
  delete recording;
  recording = nullptr;
  return calls;
}

FileCallCounts Count(const std::vector<FileCall>& calls) {
  FileCallCounts n;
  for (const FileCall& call : calls) {
    switch (call.kind) {
      case FileCall::kOpen: ++n.opens; break;
      case FileCall::kRead:
      case FileCall::kPread: ++n.reads; n.bytes += call.size; break;
      case FileCall::kLseek: ++n.seeks; break;
      case FileCall::kFstat: ++n.stats; break;
      case FileCall::kClose: ++n.closes; break;
    }
  }
  return n;
}

bool Replay(const std::vector<FileCall>& calls) {
  static thread_local std::vector<unsigned char> buffer;
  static thread_local std::vector<int> fds;
  fds.clear();
  bool ok = true;
  for (const FileCall& call : calls) {
    if (call.kind == FileCall::kOpen) {
      fds.push_back(__real_open(call.path.c_str(), call.flags));
      ok = ok && fds.back() >= 0;
      continue;
    }
    const int fd = call.file < 0 ? call.fd : fds[static_cast<std::size_t>(call.file)];
    if (buffer.size() < call.size) buffer.resize(call.size);
    struct stat info;
    switch (call.kind) {
      case FileCall::kRead: (void)__real_read(fd, buffer.data(), call.size); break;
      case FileCall::kPread: (void)__real_pread(fd, buffer.data(), call.size, call.offset); break;
      case FileCall::kLseek: (void)__real_lseek(fd, call.offset, call.whence); break;
      case FileCall::kFstat: (void)__real_fstat(fd, &info); break;
      case FileCall::kClose:  // never a descriptor the caller holds open
        if (call.file >= 0) (void)__real_close(fd);
        break;
      case FileCall::kOpen: break;
    }
  }
  return ok;
}

}  // namespace brant::bench

using brant::bench::FileCall;

extern "C" {

int __wrap_open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = brant::bench::ModeOf(flags, args);
  va_end(args);
  const int fd = __real_open(path, flags, mode);
  brant::bench::KeepOpen(path, flags, fd);
  return fd;
}

int __wrap_open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = brant::bench::ModeOf(flags, args);
  va_end(args);
  const int fd = __real_open64(path, flags, mode);
  brant::bench::KeepOpen(path, flags, fd);
  return fd;
}

ssize_t __wrap_read(int fd, void* buffer, size_t size) {
  brant::bench::Keep(FileCall::kRead, fd, 0, 0, size);
  return __real_read(fd, buffer, size);
}

ssize_t __wrap_pread(int fd, void* buffer, size_t size, off_t offset) {
  brant::bench::Keep(FileCall::kPread, fd, offset, 0, size);
  return __real_pread(fd, buffer, size, offset);
}

ssize_t __wrap_pread64(int fd, void* buffer, size_t size, off_t offset) {
  brant::bench::Keep(FileCall::kPread, fd, offset, 0, size);
  return __real_pread64(fd, buffer, size, offset);
}

off_t __wrap_lseek(int fd, off_t offset, int whence) {
  brant::bench::Keep(FileCall::kLseek, fd, offset, whence, 0);
  return __real_lseek(fd, offset, whence);
}

off_t __wrap_lseek64(int fd, off_t offset, int whence) {
  brant::bench::Keep(FileCall::kLseek, fd, offset, whence, 0);
  return __real_lseek64(fd, offset, whence);
}

int __wrap_fstat(int fd, struct stat* info) {
  brant::bench::Keep(FileCall::kFstat, fd, 0, 0, 0);
  return __real_fstat(fd, info);
}

int __wrap_fstat64(int fd, struct stat* info) {
  brant::bench::Keep(FileCall::kFstat, fd, 0, 0, 0);
  return __real_fstat64(fd, info);
}

int __wrap_close(int fd) {
  brant::bench::Keep(FileCall::kClose, fd, 0, 0, 0);
  return __real_close(fd);
}

}  // extern "C"
