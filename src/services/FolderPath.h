#pragma once
#include <cstdint>
#include <string_view>

#include "services/WString.h"

// Name of the first entry matching the pattern whose attributes share a bit with the mask; its attributes go to
// *attributes. Empty when nothing matches (and *attributes is left alone).
WString FindDirectoryEntry(const WString& pattern, uint32_t attributeMask, uint32_t* attributes);

// Creates every missing folder of a UTF-16 path, level by level from the left; "\" and "/" both separate levels. A
// network path ("\\server\...") and a path naming an existing plain file are left alone. Reports nothing: callers
// check.
void CreatePath(std::wstring_view path);
