#pragma once
#include <cstdint>

#include "services/RtString.h"
#include "services/WString.h"

// Name of the first entry matching the pattern whose attributes share a bit with the mask; its attributes go to
// *attributes. Empty when nothing matches (and *attributes is left alone).
WString FindDirectoryEntry(const WString& pattern, uint32_t attributeMask, uint32_t* attributes);

// Creates every missing folder of an 8-bit (code page 936) path, level by level from the left. A network path
// ("\\server\...") and a path naming an existing plain file are left alone. Reports nothing: callers check.
void CreatePath(const RtString& path);
