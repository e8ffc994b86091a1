#include "common/error.h"
#include "common/format.h"
#include "common/message_ids.h"

#include <array>
#include <gtest/gtest.h>
#include <limits>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 3> kCapNames = {"ROUND", "BUTT", "SQUARE"};

TEST(FormatFlags, NamesSetBitsInBitOrder) {
    EXPECT_EQ(my::FormatFlags(5, kCapNames), "ROUND|SQUARE");
    EXPECT_EQ(my::FormatFlags(2, kCapNames), "BUTT");
    EXPECT_EQ(my::FormatFlags(0, kCapNames), "");
}

TEST(FormatFlags, UnknownBitIsInternalError) {
    try {
        my::FormatFlags(8, kCapNames);
        FAIL() << "no exception";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_INTERNAL_ERROR);
        EXPECT_NE(e.m_text.find("Unknown flags: 8"), std::string::npos) << e.m_text;
    }
    EXPECT_THROW(my::FormatFlags(0x80000000u, kCapNames), my::CException);
}

TEST(FormatFixed, HundredthsDropTrailingZeros) {
    EXPECT_EQ(my::FormatFixed(1000), "10");
    EXPECT_EQ(my::FormatFixed(1050), "10.5");
    EXPECT_EQ(my::FormatFixed(1005), "10.05");
    EXPECT_EQ(my::FormatFixed(3333), "33.33");
    EXPECT_EQ(my::FormatFixed(0), "0");
    EXPECT_EQ(my::FormatFixed(5), "0.05");
    EXPECT_EQ(my::FormatFixed(-1050), "-10.5");
    EXPECT_EQ(my::FormatFixed(-5), "-0.05");
    EXPECT_EQ(my::FormatFixed(std::numeric_limits<std::int64_t>::min()), "-92233720368547758.08");
    EXPECT_EQ(my::FormatFixed(12, 0), "12");
}

TEST(WholeNumberText, HugeSidesKeepEveryDigit) {
    EXPECT_EQ(my::WholeNumberText(1920.4), "1920");
    EXPECT_EQ(my::WholeNumberText(1e20), "100000000000000000000");
    // The largest double has 309 digits: none is cut off.
    const std::string most = my::WholeNumberText(std::numeric_limits<double>::max());
    EXPECT_EQ(most.size(), 309u);
    EXPECT_EQ(most.substr(0, 6), "179769");
}

} // namespace
