#include "common/color.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "platform/color_transform.h"
#include "platform/lcms_support.h"
#include "support/icc_fixture.h"

#include <gtest/gtest.h>

namespace {

// The CMYK test profile with the grid of its CMYK-to-Lab table claiming `points` per ink, while
// the table's data stay as small as they were.
std::vector<std::uint8_t> InflatedCmykProfile(std::uint8_t points) {
    std::vector<std::uint8_t> bytes = morvane::test::MakeCmykProfile("Inflated", 3, 3);
    const auto tag = morvane::test::FindTag(bytes, "A2B0");
    const std::size_t table = tag.offset;
    const std::uint32_t clut = std::uint32_t(bytes[table + 24]) << 24 |
                               std::uint32_t(bytes[table + 25]) << 16 |
                               std::uint32_t(bytes[table + 26]) << 8 | bytes[table + 27];
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[table + clut + i] = points;
    }
    return bytes;
}

TEST(LcmsContext, CountsAndCapsTheEngineMemory) {
    // The context's own set-up is counted too, so the figures leave room for it.
    icm::CLcmsContext context(std::size_t{1} << 20);
    EXPECT_TRUE(context.Reserve(600000));
    EXPECT_FALSE(context.Reserve(500000));
    context.Release(600000);
    EXPECT_TRUE(context.Reserve(500000));
    context.Release(500000);

    // An lcms2 profile of the capped context cannot read a table beyond the cap.
    icm::CLcmsContext small(std::size_t{1} << 20);
    const std::vector<std::uint8_t> bytes = InflatedCmykProfile(25); // 25^4 x 3 x 2 bytes
    const icm::ProfileHandle profile(
        cmsOpenProfileFromMemTHR(small.Get(), bytes.data(), cmsUInt32Number(bytes.size())));
    ASSERT_TRUE(profile);
    EXPECT_EQ(cmsReadTag(profile.get(), cmsSigAToB0Tag), nullptr);
    EXPECT_FALSE(small.TakeError({}).empty());
}

TEST(LcmsContext, ProfileClaimingHugeTablesFailsWithAMessage) {
    CColorProfile profile;
    profile.LoadFromMemory(InflatedCmykProfile(90)); // about 390 MB of table
    try {
        icm::CColorTransform(profile, stroke::COLOR_CMYK, CColorProfile(), stroke::COLOR_RGB);
        FAIL() << "transform built";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_ICM_TRANSFORM_CREATE_FAILED);
        // The reason comes from the profile's own context, where the table was read.
        EXPECT_NE(e.m_text.find("A2B0"), std::string::npos) << e.m_text;
    }
}

} // namespace
