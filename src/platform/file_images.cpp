#include "platform/file_images.h"

#include <algorithm>
#include <cstring>

#include "platform/file_io.h"

namespace brant {
namespace {

thread_local FileImages* activeImages = nullptr;

// An extension of up to four characters as one number, compared at once;
// 0 for a longer one, which is never held. ".SC " and ".SC" name the same
// file: a file name's trailing spaces are dropped.
uint32_t Key(std::string_view extension) {
  while (!extension.empty() && extension.back() == ' ') extension.remove_suffix(1);
  if (extension.empty() || extension.size() > 4) return 0;
  uint32_t key = 0;
  for (char c : extension) key = key << 8 | static_cast<uint8_t>(c);
  return key;
}

}  // namespace

FileImages::~FileImages() {
  for (const File& file : files_) CloseDescriptor(file.fd);
}

bool FileImages::Hold(std::string_view extension, int fd, int64_t size, bool inMemory) {
  ScopedDescriptor open(fd);
  if (size < 0) return false;
  File file{Key(extension), {}, -1, size};
  if (inMemory) {
    file.bytes.resize(static_cast<std::size_t>(size));
    if (ReadFullyAt(fd, 0, file.bytes.data(), file.bytes.size()) != file.bytes.size()) return false;
  }
  files_.reserve(files_.size() + 1);
  if (!inMemory) file.fd = open.release();
  files_.push_back(std::move(file));
  return true;
}

void FileImages::HoldMissing(std::string_view extension) {
  files_.push_back(File{Key(extension), {}, -1, -1});
}

const FileImages::File* FileImages::Find(std::string_view extension) const {
  const uint32_t key = Key(extension);
  if (key == 0) return nullptr;
  for (const File& file : files_) {
    if (file.key == key) return &file;
  }
  return nullptr;
}

int FileImages::Open(std::string_view extension) {
  const File* file = Find(extension);
  if (file == nullptr) return kNotHeld;
  if (file->size < 0) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool idle = false;
    if (!slots_[i].used.load(std::memory_order_relaxed) &&
        slots_[i].used.compare_exchange_strong(idle, true, std::memory_order_acquire)) {
      slots_[i].file = file;
      slots_[i].position = 0;
      return kFirstDescriptor + i;
    }
  }
  return kNotHeld;
}

FileImages::Slot* FileImages::SlotOf(int fd) {
  if (!Owns(fd)) return nullptr;
  Slot& slot = slots_[static_cast<std::size_t>(fd - kFirstDescriptor)];
  return slot.used.load(std::memory_order_relaxed) ? &slot : nullptr;
}

const FileImages::Slot* FileImages::SlotOf(int fd) const {
  return const_cast<FileImages*>(this)->SlotOf(fd);
}

std::size_t FileImages::ReadAt(int fd, int64_t offset, void* buffer, std::size_t size) const {
  const Slot* slot = SlotOf(fd);
  if (slot == nullptr || offset < 0) return 0;
  const File& file = *slot->file;
  if (file.fd >= 0) return ReadFullyAt(file.fd, offset, buffer, size);
  if (offset >= file.size) return 0;
  const std::size_t n = std::min(size, static_cast<std::size_t>(file.size - offset));
  std::memcpy(buffer, file.bytes.data() + offset, n);
  return n;
}

std::size_t FileImages::Read(int fd, void* buffer, std::size_t size) {
  Slot* slot = SlotOf(fd);
  if (slot == nullptr) return 0;
  const std::size_t n = ReadAt(fd, slot->position, buffer, size);
  slot->position += static_cast<int64_t>(n);
  return n;
}

int64_t FileImages::Size(int fd) const {
  const Slot* slot = SlotOf(fd);
  return slot != nullptr ? slot->file->size : -1;
}

void FileImages::Close(int fd) {
  if (Slot* slot = SlotOf(fd)) slot->used.store(false, std::memory_order_release);
}

FileImages* ActiveFileImages() { return activeImages; }

ReadingFileImages::ReadingFileImages(FileImages* images) : earlier_(activeImages) {
  activeImages = images;
}

ReadingFileImages::~ReadingFileImages() { activeImages = earlier_; }

}  // namespace brant
