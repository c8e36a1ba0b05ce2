#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file_images.h"

namespace brant {
namespace {

// Counts down to the read that is to fail; 0: none is.
std::atomic<long> readsUntilFault{0};
std::atomic<ReadFault> faultOfRead{ReadFault::kError};

// When this read is the one to fail, cuts the bytes it may read: to half
// for a short read, to none for an error (errno is then EIO).
void CutForFault(std::size_t& size) {
  long left = readsUntilFault.load(std::memory_order_relaxed);
  if (left == 0) return;
  readsUntilFault.store(left - 1, std::memory_order_relaxed);
  if (left != 1) return;
  if (faultOfRead.load(std::memory_order_relaxed) == ReadFault::kShort) {
    size /= 2;
    return;
  }
  size = 0;
  errno = EIO;
}

}  // namespace

long FailRead(long n, ReadFault fault) {
  faultOfRead.store(fault, std::memory_order_relaxed);
  return readsUntilFault.exchange(n > 0 ? n : 0, std::memory_order_relaxed);
}

std::size_t ReadFully(int fd, void* buffer, std::size_t size) {
  if (FileImages* images = ActiveFileImages(); images && images->Owns(fd)) {
    return images->Read(fd, buffer, size);
  }
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  CutForFault(size);
  while (done < size) {
    ssize_t n = read(fd, out + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::size_t ReadFullyAt(int fd, int64_t offset, void* buffer, std::size_t size) {
  if (FileImages* images = ActiveFileImages(); images && images->Owns(fd)) {
    return images->ReadAt(fd, offset, buffer, size);
  }
  if (offset < 0) return 0;
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  CutForFault(size);
  while (done < size) {
    ssize_t n = pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

int64_t ReadUpTo(int fd, void* buffer, std::size_t room) {
  // A held file cannot fail a read; it only ends.
  if (FileImages* images = ActiveFileImages(); images && images->Owns(fd)) {
    return static_cast<int64_t>(images->Read(fd, buffer, room));
  }
  const int64_t size = FileSize(fd);
  const off_t at = lseek(fd, 0, SEEK_CUR);
  if (size < 0 || at < 0) return -1;
  const int64_t left = size > at ? size - at : 0;
  const std::size_t want = left < static_cast<int64_t>(room) ? static_cast<std::size_t>(left) : room;
  const std::size_t got = ReadFully(fd, buffer, room);
  return got < want ? -1 : static_cast<int64_t>(got);
}

int64_t FileSize(int fd) {
  if (FileImages* images = ActiveFileImages(); images && images->Owns(fd)) return images->Size(fd);
  struct stat info;
  if (fstat(fd, &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

void CloseDescriptor(int fd) {
  if (FileImages* images = ActiveFileImages(); images && images->Owns(fd)) {
    images->Close(fd);
  } else if (fd > 0) {
    close(fd);
  }
}

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

ReplaceResult ReplaceFile(const PathText& path, std::string_view bytes) {
  constexpr std::string_view kSuffix = ".new-XXXXXX";
  char temporary[kMaxPathLength + kSuffix.size() + 1] = {};
  std::memcpy(temporary, path.c_str(), path.view().size());
  std::memcpy(temporary + path.view().size(), kSuffix.data(), kSuffix.size());
  int fd = mkostemp(temporary, O_CLOEXEC);
  if (fd < 0) return ReplaceResult::kCannotCreate;
  bool written = fchmod(fd, 0644) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (!written) {
    unlink(temporary);
    return ReplaceResult::kShortWrite;
  }
  if (rename(temporary, path.c_str()) != 0) {
    unlink(temporary);
    return ReplaceResult::kCannotCreate;
  }
  return ReplaceResult::kReplaced;
}

}  // namespace brant
