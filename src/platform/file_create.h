// Creating a new file whole or not at all. The content goes to a temporary
// file beside the target, reaches the disk, and only then takes the
// target's name, and only if no file holds that name yet: a crash, a full
// disk or a failed read mid-way never leaves a partial target, and an
// existing file is never overwritten.
#pragma once

#include <string_view>

#include "platform/path_text.h"

namespace brant {

enum class CreateResult { kCreated, kExists, kFailed };

// Creates `path` holding exactly `bytes`, mode 0644.
CreateResult CreateFileWhole(const PathText& path, std::string_view bytes);

// Creates `path` as a copy of the open file `source`, from its start to its
// end, mode 0644. The source's file position is not used or moved.
CreateResult CreateFileCopy(const PathText& path, int source);

}  // namespace brant
