#include "framework/Centring.h"

#include <gtest/gtest.h>

TEST(Centring, CentresOnTheReferenceWithinTheWorkArea) {
    struct Case {
        int32_t refStart, refLength, length, areaStart, areaEnd, start;
    } cases[] = {
        {0, 1280, 777, 0, 1280, 251},     // (1280 - 777) / 2, truncated
        {100, 400, 200, 0, 1280, 200},    // on a reference window
        {1200, 400, 200, 0, 1280, 1080},  // would pass the right edge
        {-300, 100, 200, 0, 1280, 0},     // would start before the left edge
        {0, 1280, 3000, 0, 1280, 0},      // larger than the area: the left edge wins
        {50, 1230, 3000, 50, 1280, 50},   // a work area that does not start at 0
        {0, 1280, 1281, 0, 1280, 0},      //
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CentredStart(c.refStart, c.refLength, c.length, c.areaStart, c.areaEnd), c.start)
            << c.refStart << " " << c.refLength << " " << c.length;
    }
}
