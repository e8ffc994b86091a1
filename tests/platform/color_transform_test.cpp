#include "common/color.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "platform/color_transform.h"
#include "platform/test_helpers.h"
#include "support/failure.h"
#include "support/icc_fixture.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

using icm::CColorTransform;
using Channels = CColorTransform::Channels;

using morvane::test::FailureId;
using morvane::test::FailureOf;
using morvane::test::OpenProfile;

const CColorProfile& Cmyk() {
    static const CColorProfile profile = OpenProfile(morvane::test::MakeCmykProfile("Test CMYK"));
    return profile;
}

TEST(ColorTransform, SameProfileKeepsEveryValueAnotherHeaderConvertsClosely) {
    const CColorProfile working;
    const CColorProfile rgb = OpenProfile(CColorProfile::WorkingSpaceBytes());
    const CColorTransform identity(rgb, stroke::COLOR_RGB, working, stroke::COLOR_RGB);
    EXPECT_TRUE(identity.IsIdentity());
    EXPECT_EQ(identity.Convert({65535, 0, 0, 12345}), (Channels{65535, 0, 0, 0}));
    EXPECT_EQ(identity.Convert({1, 32767, 65534, 0}), (Channels{1, 32767, 65534, 0}));
    const CColorTransform cmyk(Cmyk(), stroke::COLOR_CMYK, Cmyk(), stroke::COLOR_CMYK);
    EXPECT_EQ(cmyk.Convert({10, 20, 30, 40}), (Channels{10, 20, 30, 40}));

    const CColorProfile v4 = OpenProfile(morvane::test::MakeSrgbProfile("sRGB v4", 4.3));
    const CColorTransform transform(v4, stroke::COLOR_RGB, working, stroke::COLOR_RGB);
    EXPECT_FALSE(transform.IsIdentity());
    const Channels out = transform.Convert({65535, 32768, 0, 0});
    EXPECT_NEAR(out[0], 65535, 256);
    EXPECT_NEAR(out[1], 32768, 256);
    EXPECT_NEAR(out[2], 0, 256);
}

TEST(ColorTransform, RgbAndCmykConvertBothWays) {
    const CColorProfile rgb;
    const CColorTransform toCmyk(rgb, stroke::COLOR_RGB, Cmyk(), stroke::COLOR_CMYK);
    const Channels paper = toCmyk.Convert({65535, 65535, 65535, 0});
    for (const std::uint16_t ink : paper) {
        EXPECT_LT(ink, 1500);
    }
    const Channels black = toCmyk.Convert({0, 0, 0, 0});
    EXPECT_GT(black[3], 60000);

    const CColorTransform toRgb(Cmyk(), stroke::COLOR_CMYK, rgb, stroke::COLOR_RGB);
    const Channels white = toRgb.Convert({0, 0, 0, 0});
    EXPECT_GT(white[0], 64000);
    EXPECT_EQ(white[3], 0);
    const Channels cyan = toRgb.Convert({65535, 0, 0, 0});
    EXPECT_LT(cyan[0], 8000);
    EXPECT_GT(cyan[2], 60000);
}

TEST(ColorTransform, ProfilesMustFitTheirColourTypes) {
    const CColorProfile rgb;
    const CSimpleErr wrongSpace =
        FailureOf([&] { CColorTransform(rgb, stroke::COLOR_CMYK, rgb, stroke::COLOR_RGB); });
    EXPECT_EQ(wrongSpace.m_id, IDS_ICM_TRANSFORM_CREATE_FAILED);
    EXPECT_EQ(wrongSpace.m_text,
              "ICM Failed to create color transform\n\nthe source profile is not a CMYK profile");

    const CColorProfile grey = OpenProfile(morvane::test::MakeGreyProfile("Grey"));
    EXPECT_EQ(FailureId([&] { CColorTransform(rgb, stroke::COLOR_RGB, grey, stroke::COLOR_RGB); }),
              IDS_ICM_TRANSFORM_CREATE_FAILED);
    EXPECT_EQ(FailureId([&] { CColorTransform(rgb, 2, rgb, stroke::COLOR_RGB); }),
              IDS_ICM_COLOR_SPACE_UNKNOWN);
}

TEST(ColorTransform, OneTransformServesSeveralThreads) {
    const CColorTransform transform(Cmyk(), stroke::COLOR_CMYK, CColorProfile(), stroke::COLOR_RGB);
    const Channels expected = transform.Convert({1000, 20000, 40000, 3000});
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                transform.Convert({std::uint16_t(i * 97 + t), 0, 0, 0});
                if (transform.Convert({1000, 20000, 40000, 3000}) != expected) {
                    ++mismatches;
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
