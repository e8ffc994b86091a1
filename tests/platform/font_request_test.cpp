#include "common/error.h"
#include "common/message_ids.h"
#include "platform/font_request.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(FontScale, BringsSizeIntoFourDigitFontUnits) {
    const font::CFontScale twelve = font::ComputeFontScale(12.0);
    EXPECT_DOUBLE_EQ(twelve.m, 100.0);
    EXPECT_DOUBLE_EQ(twelve.a, 13.0);
    EXPECT_EQ(twelve.h, 1301);

    const font::CFontScale negative = font::ComputeFontScale(-12.0);
    EXPECT_DOUBLE_EQ(negative.m, 100.0);
    EXPECT_EQ(negative.h, 1301);

    // Already in range: m stays 1; a rounds the size up past the half.
    const font::CFontScale large = font::ComputeFontScale(5000.0);
    EXPECT_DOUBLE_EQ(large.m, 1.0);
    EXPECT_DOUBLE_EQ(large.a, 5001.0);
    EXPECT_EQ(large.h, 5002);

    const font::CFontScale half = font::ComputeFontScale(0.5);
    EXPECT_DOUBLE_EQ(half.m, 10000.0);
    EXPECT_DOUBLE_EQ(half.a, 1.0);
    EXPECT_EQ(half.h, 10001);
}

TEST(FontScale, ZeroAndExtremeSizesStayRepresentable) {
    const font::CFontScale zero = font::ComputeFontScale(0.0);
    EXPECT_DOUBLE_EQ(zero.m, 1.0);
    EXPECT_EQ(zero.h, 1);
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
        try {
            font::ComputeFontScale(size);
            ADD_FAILURE() << size;
        } catch (const my::CException& e) {
            EXPECT_EQ(e.m_id, IDS_FONT_CREATE_FAILED);
        }
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

TEST(FontRequest, CharacterSetsNameLanguagesOnlyWhenTheyMeanOne) {
    EXPECT_EQ(font::LanguageForCharSet(128), "ja");
    EXPECT_EQ(font::LanguageForCharSet(134), "zh-cn");
    EXPECT_EQ(font::LanguageForCharSet(136), "zh-tw");
    EXPECT_TRUE(font::LanguageForCharSet(0).empty());
    EXPECT_TRUE(font::LanguageForCharSet(2).empty());
}

} // namespace
