#include "framework/Centring.h"

int32_t CentredStart(int32_t referenceStart, int32_t referenceLength, int32_t length, int32_t areaStart,
                     int32_t areaEnd) noexcept {
    int32_t start = referenceStart + (referenceLength - length) / 2;
    if (start + length > areaEnd) start = areaEnd - length;
    if (start < areaStart) start = areaStart;
    return start;
}
