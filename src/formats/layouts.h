// Every record layout that docs/formats.md shows as a table, so a test can
// hold the document to the code.
#pragma once

#include <span>

#include "formats/field_layout.h"

namespace brant::formats {

std::span<const RecordLayout> DocumentedLayouts();

}  // namespace brant::formats
