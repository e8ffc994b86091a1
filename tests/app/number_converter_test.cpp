#include "app/number_converter.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "support/failure.h"

#include <gtest/gtest.h>

namespace {

using morvane::test::FailureId;

TEST(IntConverter, ReadsDecimalsIntoHundredths) {
    const mrv::CIntConverter<2> rate(1, 100000);
    EXPECT_EQ(rate.FromText("29.97"), 2997);
    EXPECT_EQ(rate.FromText("29.975"), 2997); // extra decimals are cut
    EXPECT_EQ(rate.FromText("30"), 3000);
    EXPECT_EQ(rate.FromText("30."), 3000);
    EXPECT_EQ(rate.FromText("+10.5"), 1050);
    EXPECT_EQ(rate.FromText("0.01"), 1);
}

TEST(IntConverter, ShowsOnlyTheDecimalsThatAreNotZero) {
    const mrv::CIntConverter<2> rate(-100000, 100000);
    EXPECT_EQ(rate.ToText(1000), "10");
    EXPECT_EQ(rate.ToText(2997), "29.97");
    EXPECT_EQ(rate.ToText(1050), "10.5");
    EXPECT_EQ(rate.ToText(5), "0.05");
    EXPECT_EQ(rate.ToText(-150), "-1.5");
    EXPECT_EQ(rate.FromText("-1.5"), -150);
    const mrv::CIntConverter<0> plain(0, 99);
    EXPECT_EQ(plain.ToText(7), "7");
}

TEST(IntConverter, RefusesTextThatIsNoNumberOrOutOfRange) {
    const mrv::CIntConverter<2> rate(1, 100000);
    for (const char* text : {"abc", "", "1.2.3", "1e3", " 5", "--1", ".5", "1,5"}) {
        EXPECT_EQ(FailureId([&] { rate.FromText(text); }), IDS_NUMBER_FORMAT_INVALID) << text;
    }
    EXPECT_EQ(FailureId([&] { rate.FromText("0"); }), IDS_NUMBER_TOO_SMALL);
    EXPECT_EQ(FailureId([&] { rate.FromText("1000.01"); }), IDS_NUMBER_TOO_LARGE);
    // Beyond 32 bits once scaled is a format error, however long the text.
    EXPECT_EQ(FailureId([&] { rate.FromText("21474837"); }), IDS_NUMBER_FORMAT_INVALID);
    EXPECT_EQ(FailureId([&] { rate.FromText("99999999999999999999999"); }),
              IDS_NUMBER_FORMAT_INVALID);
}

TEST(IntConverter, MessageCarriesTheText) {
    const mrv::CIntConverter<0> count(1, 999);
    try {
        count.FromText("1000");
        FAIL();
    } catch (const my::CException& e) {
        EXPECT_NE(e.m_text.find("1000"), std::string::npos);
    }
}

TEST(FloatConverter, ReadsTheLeadingNumber) {
    const mrv::CFloatConverter<2> amp(-100, 100);
    EXPECT_DOUBLE_EQ(amp.FromText("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(amp.FromText("2.25xyz"), 2.25);
    EXPECT_DOUBLE_EQ(amp.FromText("letters"), 0.0);
    EXPECT_EQ(FailureId([&] { amp.FromText(""); }), IDS_NUMBER_FORMAT_INVALID);
    EXPECT_EQ(FailureId([&] { amp.FromText("-100.5"); }), IDS_NUMBER_TOO_SMALL);
    EXPECT_EQ(FailureId([&] { amp.FromText("1e300"); }), IDS_NUMBER_TOO_LARGE);
    EXPECT_EQ(amp.ToText(1.0), "1");
    EXPECT_EQ(amp.ToText(72.5), "72.5");
    EXPECT_EQ(amp.ToText(-0.001), "0");
}

} // namespace
