#include "framework/HandleChain.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {
using Chain = HandleChain<uintptr_t, int>;
}

TEST(HandleChain, OpensASecondBlockForThe101stHandleAndReusesHoles) {
    Chain chain;
    EXPECT_EQ(chain.BlockCount(), 0u);
    std::vector<int> records(150);
    for (uintptr_t h = 1; h <= 100; ++h) chain.Insert(h, &records[h]);
    EXPECT_EQ(chain.BlockCount(), 1u);
    chain.Insert(101, &records[101]);
    EXPECT_EQ(chain.BlockCount(), 2u);
    EXPECT_EQ(chain.SlotOf(101), 100);
    for (uintptr_t h = 1; h <= 101; ++h) ASSERT_EQ(chain.Find(h), &records[h]) << h;

    // A hole in the first block is filled before the second block's free pairs.
    EXPECT_TRUE(chain.Remove(37));
    EXPECT_EQ(chain.Find(37), nullptr);
    EXPECT_FALSE(chain.Remove(37));
    chain.Insert(500, &records[0]);
    EXPECT_EQ(chain.SlotOf(500), 36);
    EXPECT_EQ(chain.BlockCount(), 2u);
    EXPECT_EQ(chain.Count(), 101u);
}

TEST(HandleChain, ReplacesTheRecordOfAKnownHandleWherever) {
    Chain chain;
    int a = 0, b = 0, c = 0;
    chain.Insert(1, &a);
    chain.Insert(2, &b);
    chain.Remove(1);  // a hole before handle 2
    chain.Insert(2, &c);
    EXPECT_EQ(chain.Find(2), &c);
    EXPECT_EQ(chain.SlotOf(2), 1);  // not moved into the hole
    EXPECT_EQ(chain.Count(), 1u);
}

TEST(HandleChain, NeverStoresOrFindsTheNullHandle) {
    Chain chain;
    int a = 0;
    chain.Insert(0, &a);
    EXPECT_EQ(chain.BlockCount(), 0u);
    chain.Insert(5, &a);
    EXPECT_EQ(chain.Find(0), nullptr);  // empty pairs are not matches
    EXPECT_FALSE(chain.Remove(0));
    EXPECT_EQ(chain.Count(), 1u);
}
