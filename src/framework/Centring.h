#pragma once
#include <cstdint>

// One coordinate (x or y) of a window of `length` centred on a reference span and kept inside the work area: its far
// edge not beyond the area's end, its near edge not before the area's start. A window larger than the area starts
// at the area's start.
int32_t CentredStart(int32_t referenceStart, int32_t referenceLength, int32_t length, int32_t areaStart,
                     int32_t areaEnd) noexcept;
