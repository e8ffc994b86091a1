#include "common/error.h"
#include "common/message_ids.h"
#include "platform/font_request.h"
#include "support/failure.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using morvane::test::FailureId;

TEST(FontScale, ZeroAndExtremeSizesStayRepresentable) {
    EXPECT_EQ(font::ComputeFontScale(1e-40).h, 1);

    // A tiny size would want m = 1e15; the em stays a = 1 model unit in any case.
    const font::CFontScale tiny = font::ComputeFontScale(1e-12);
    EXPECT_GT(tiny.h, 0);
    EXPECT_NEAR(tiny.h / tiny.m, tiny.a, 1e-6);

    const font::CFontScale huge = font::ComputeFontScale(1e300);
    EXPECT_GE(huge.h, 1000);
    EXPECT_LE(huge.h, 10002);
    EXPECT_NEAR(huge.h, huge.a * huge.m, 1.5); // the rule's rounding, no more
}

TEST(FontScale, NotANumberFailsToCreateTheFont) {
    for (const double size :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(FailureId([&] { font::ComputeFontScale(size); }), IDS_FONT_CREATE_FAILED) << size;
    }
}

TEST(FontRequest, StyleBitsAndCharacterSet) {
    const font::CFontRequest plain = font::MakeFontRequest(u"DejaVu Sans", 1301, 0, 0x180);
    EXPECT_EQ(plain.face, "DejaVu Sans");
    EXPECT_EQ(plain.emHeight, 1301);
    EXPECT_EQ(plain.weight, 400);
    EXPECT_FALSE(plain.italic || plain.underline || plain.strikeOut);
    EXPECT_EQ(plain.charSet, 0x80);

    const font::CFontRequest all = font::MakeFontRequest(u"x", 10, 0xF, 0);
    EXPECT_EQ(all.weight, 700);
    EXPECT_TRUE(all.italic && all.underline && all.strikeOut);
    EXPECT_EQ(font::MakeFontRequest(u"x", 10, 0x4, 0).weight, 400);
}

TEST(FontRequest, FaceNameIsCutWithoutSplittingASurrogatePair) {
    const std::u16string longName(40, u'a');
    EXPECT_EQ(font::MakeFontRequest(longName, 1, 0, 0).face, std::string(31, 'a'));

    // The 31st unit is the first half of U+1F600: the pair goes as a whole.
    std::u16string withPair(30, u'b');
    withPair += u"\U0001F600";
    withPair += u"cc";
    EXPECT_EQ(font::MakeFontRequest(withPair, 1, 0, 0).face, std::string(30, 'b'));
    EXPECT_EQ(font::MakeFontRequest(u"ＭＳ ゴシック", 1, 0, 0).face, "ＭＳ ゴシック");
}

} // namespace
