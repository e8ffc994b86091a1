#include "common/color.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/text.h"
#include "common/units.h"

#include <cerrno>
#include <cmath>
#include <gtest/gtest.h>

namespace {

class LanguageGuard {
public:
    explicit LanguageGuard(my::Language language) : m_saved(my::MessageLanguage()) {
        my::SetMessageLanguage(language);
    }
    ~LanguageGuard() { my::SetMessageLanguage(m_saved); }

private:
    my::Language m_saved;
};

TEST(Exception, FillsPlaceholdersInOrderAndLeavesMissingOnesEmpty) {
    EXPECT_EQ(my::FillPlaceholders("a %s b %s c", std::vector<std::string>{"1", "2", "3"}),
              "a 1 b 2 c");
    EXPECT_EQ(my::FillPlaceholders("%s-%s", std::vector<std::string>{"x"}), "x-");
    EXPECT_EQ(my::FillPlaceholders("100%", {}), "100%");
}

TEST(Exception, InternalErrorCarriesDiagnosticInBothLanguages) {
    {
        LanguageGuard english(my::Language::English);
        const my::CException e = my::InternalError("LoadModel() Invalid index");
        EXPECT_EQ(e.m_id, IDS_INTERNAL_ERROR);
        EXPECT_EQ(e.m_code, 0u);
        EXPECT_STREQ(e.what(), "Internal error\n\nLoadModel() Invalid index");
    }
    LanguageGuard japanese(my::Language::Japanese);
    EXPECT_EQ(my::InternalError("x").m_text, "内部エラー\n\nx");
}

TEST(Exception, FromCodeAddsSystemDescriptionAfterArguments) {
    LanguageGuard english(my::Language::English);
    const auto e = my::CException::FromCode(58932, ENOENT, "/no/such");
    EXPECT_EQ(e.m_code, static_cast<std::uint32_t>(ENOENT));
    EXPECT_NE(e.m_text.find("/no/such"), std::string::npos);
    EXPECT_NE(e.m_text.find(my::SystemErrorText(ENOENT)), std::string::npos);
    EXPECT_LT(e.m_text.find("/no/such"), e.m_text.find(my::SystemErrorText(ENOENT)));
}

TEST(Exception, CtrlExceptionKeepsRecordAndControl) {
    const my::CCtrlException e(my::InternalError("x"), 1001);
    EXPECT_EQ(e.m_ctrlId, 1001u);
    EXPECT_EQ(e.m_id, IDS_INTERNAL_ERROR);
    const CSimpleErr& record = e;
    EXPECT_EQ(my::CException(record).m_text, e.m_text);
}

TEST(Exception, ApplicationMessagesAreJapaneseWhateverTheLanguage) {
    LanguageGuard english(my::Language::English);
    EXPECT_TRUE(my::IsApplicationMessage(10003));
    EXPECT_TRUE(my::IsApplicationMessage(100));
    EXPECT_FALSE(my::IsApplicationMessage(58680));
    EXPECT_EQ(my::CException(IDS_UNKNOWN_UNIT).m_text, "不明な単位が使用されています");
}

struct RecordingTarget {
    std::string called;
    double values[5] = {};
    void SetColorRGB(double r, double g, double b, double a) {
        called = "rgb";
        values[0] = r, values[1] = g, values[2] = b, values[3] = a;
    }
    void SetColorCMYK(double c, double m, double y, double k, double a) {
        called = "cmyk";
        values[0] = c, values[1] = m, values[2] = y, values[3] = k, values[4] = a;
    }
};

TEST(Color, SetBkColorToChoosesOperationByColorType) {
    const stroke::CColor color(65535, 0, 32768, 65535, 0);
    RecordingTarget target;
    color.SetBkColorTo(target, stroke::COLOR_RGB);
    EXPECT_EQ(target.called, "rgb");
    EXPECT_DOUBLE_EQ(target.values[2], 32768 / 65535.0);
    EXPECT_DOUBLE_EQ(target.values[3], 0.0); // alpha, not channel 3
    color.SetBkColorTo(target, stroke::COLOR_CMYK);
    EXPECT_EQ(target.called, "cmyk");
    EXPECT_DOUBLE_EQ(target.values[3], 1.0);
    LanguageGuard english(my::Language::English);
    try {
        color.SetBkColorTo(target, 2);
        FAIL();
    } catch (const my::CException& e) {
        EXPECT_NE(e.m_text.find("unknown colorType: 2"), std::string::npos);
    }
}

TEST(Units, MillimetresAndPixels) {
    EXPECT_NEAR(stroke::ToPixels(210.0, stroke::UNIT_MM, 600.0), 4960.6299212598, 1e-9);
    EXPECT_DOUBLE_EQ(stroke::ToPixels(210.0, stroke::UNIT_PIXEL, 600.0), 210.0);
    EXPECT_NEAR(stroke::FromPixels(stroke::ToPixels(12.5, 0, 300.0), 0, 300.0), 12.5, 1e-12);
    try {
        stroke::ToPixels(1.0, 2, 600.0);
        FAIL();
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_UNKNOWN_UNIT);
    }
}

TEST(Text, Utf16RoundTripAndMalformedInput) {
    const std::u16string s = u"abc日本\U0001F600";
    EXPECT_EQ(my::ToUtf16(my::ToUtf8(s)), s);
    EXPECT_EQ(my::ToUtf32(s).size(), 6u);
    EXPECT_EQ(my::ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(my::ToUtf16("\xC0\x80"), u"\uFFFD"); // overlong NUL
    EXPECT_EQ(my::ToUtf16("a\xE6"), u"a\uFFFD");   // truncated sequence
}

} // namespace
