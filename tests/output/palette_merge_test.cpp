#include "output/palette_merge.h"

#include <gtest/gtest.h>

namespace {

using codec::CWeightedColor;
using codec::MergeColors;

bool Holds(const std::vector<CWeightedColor>& palette, int r, int g, int b) {
    for (const CWeightedColor& c : palette) {
        if (c.r == r && c.g == g && c.b == b) {
            return true;
        }
    }
    return false;
}

TEST(PaletteMerge, NearColoursMergeBeforeARareFarOne) {
    // Keeping the most frequent colours would drop the single red pixel (an error of 255^2);
    // merging the two near blacks costs 100 * 100 / 200 = 50.
    const std::vector<CWeightedColor> colors = {
        {0, 0, 0, 100}, {2, 0, 0, 100}, {255, 255, 255, 100}, {255, 0, 0, 1}};
    const auto palette = MergeColors(colors, 3);
    ASSERT_EQ(palette.size(), 3u);
    EXPECT_TRUE(Holds(palette, 1, 0, 0));
    EXPECT_TRUE(Holds(palette, 255, 255, 255));
    EXPECT_TRUE(Holds(palette, 255, 0, 0));
    EXPECT_EQ(palette[0].count, 200u);
}

TEST(PaletteMerge, MeansAreWeightedAndSmallSetsStayAsTheyAre) {
    const std::vector<CWeightedColor> colors = {{0, 0, 0, 3}, {40, 80, 120, 1}};
    const auto one = MergeColors(colors, 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].r, 10);
    EXPECT_EQ(one[0].g, 20);
    EXPECT_EQ(one[0].b, 30);
    EXPECT_EQ(one[0].count, 4u);

    const auto same = MergeColors(colors, 2);
    ASSERT_EQ(same.size(), 2u);
    EXPECT_EQ(same[1].r, 40);
    EXPECT_TRUE(MergeColors({}, 4).empty());
}

TEST(PaletteMerge, AGradientOverTheLimitKeepsItsEndsAndSpacing) {
    // 300 evenly spread greys of equal weight into 100 entries: every entry within two steps
    // of its neighbours, the darkest and lightest near the ends.
    std::vector<CWeightedColor> colors;
    for (int i = 0; i < 300; ++i) {
        const auto v = std::uint8_t(i * 255 / 299);
        colors.push_back({v, v, v, 10});
    }
    const auto palette = MergeColors(colors, 100);
    ASSERT_EQ(palette.size(), 100u);
    EXPECT_LE(palette.front().r, 3);
    EXPECT_GE(palette.back().r, 252);
    for (std::size_t i = 1; i < palette.size(); ++i) {
        EXPECT_GT(palette[i].r, palette[i - 1].r) << i;
        EXPECT_LE(palette[i].r - palette[i - 1].r, 5) << i;
    }
}

} // namespace
