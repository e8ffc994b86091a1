#include "common/error.h"
#include "output/color_counter.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

using codec::CColorCounter;

// Far more colours than the table starts with, each counted as often as its value says: the
// counts survive the table's growth, the list runs in the order of values, and every colour
// finds its place in it.
TEST(ColorCounter, CountsEveryColourThroughTheTablesGrowth) {
    CColorCounter counter;
    counter.Clear();
    std::mt19937 random(7);
    std::vector<std::uint32_t> keys;
    for (int i = 0; i < 20000; ++i) {
        keys.push_back(random() & 0xFFFFFF);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    for (const std::uint32_t key : keys) {
        for (std::uint32_t n = 0; n <= key % 3; ++n) {
            counter.Add(key);
        }
    }
    ASSERT_EQ(counter.Size(), keys.size());
    const auto colors = counter.Sorted();
    ASSERT_EQ(colors.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(colors[i].m_key, keys[i]);
        EXPECT_EQ(colors[i].m_count, keys[i] % 3 + 1);
        EXPECT_EQ(counter.PlaceOf(keys[i]), i);
    }
}

TEST(ColorCounter, ClearForgetsTheColoursAndAnUncountedOneIsAnError) {
    CColorCounter counter;
    EXPECT_THROW(counter.PlaceOf(5), my::CException);
    counter.Add(5);
    counter.Add(0xFFFFFF);
    counter.Add(5);
    counter.Clear();
    counter.Add(0);
    ASSERT_EQ(counter.Size(), 1u);
    const auto colors = counter.Sorted();
    ASSERT_EQ(colors.size(), 1u);
    EXPECT_EQ(colors[0].m_key, 0u);
    EXPECT_EQ(colors[0].m_count, 1u);
    EXPECT_THROW(counter.PlaceOf(5), my::CException);
}

} // namespace
