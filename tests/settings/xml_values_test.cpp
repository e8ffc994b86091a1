#include "settings/xml_values.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace xmlvalue;

TEST(XmlValues, IntegersTakeTheIntegerPartAndSaturate) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    for (const Case& c :
         {Case{"12.9", 12}, Case{"-3.", -3}, Case{"+7", 7}, Case{"-0.5", 0}, Case{"0", 0},
          Case{"007", 7}, Case{"99999999999", 2147483647}, Case{"-99999999999", -2147483647 - 1},
          Case{"2147483647", 2147483647}, Case{"-2147483648", -2147483647 - 1},
          Case{"123456789012345678901234567890", 2147483647}}) {
        std::int32_t value = 42;
        EXPECT_TRUE(ParseInt32(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    for (const char* text :
         {"1e3", "0x10", "", "-", "+", ".5", "1.2.3", "1.x", " 1", "1 ", "+-1", "--1", "1,000"}) {
        std::int32_t value = 42;
        EXPECT_FALSE(ParseInt32(text, value)) << text;
        EXPECT_EQ(value, 42) << text;
    }
}

TEST(XmlValues, SizesRefuseASignOtherThanPlus) {
    for (const auto& [text, expected] : {std::pair{"+20", 20u},
                                         {"4294967295.9", 4294967295u},
                                         {"99999999999999999999999", 4294967295u}}) {
        std::uint32_t value = 0;
        EXPECT_TRUE(ParseUInt32(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"-1", "-0", "twenty"}) {
        std::uint32_t value = 9;
        EXPECT_FALSE(ParseUInt32(text, value)) << text;
        EXPECT_EQ(value, 9u) << text;
    }
}

TEST(XmlValues, DoublesUseSixSignificantDigitsAndReadTheLeadingNumber) {
    for (const auto& [value, text] : {std::pair{72.0, "72"},
                                      {0.1, "0.1"},
                                      {1.0, "1"},
                                      {1234567.0, "1.23457e+06"},
                                      {1.5e-7, "1.5e-07"},
                                      {-2.25, "-2.25"}}) {
        EXPECT_EQ(FormatDouble(value), text);
    }
    for (const auto& [text, value] : {std::pair{"abc", 0.0},
                                      {"", 0.0},
                                      {"2.5px", 2.5},
                                      {"  -1.5e2x", -150.0},
                                      {"+3", 3.0},
                                      {"1.23457e+06", 1234570.0}}) {
        EXPECT_EQ(ParseLeadingDouble(text), value) << text;
    }
    EXPECT_TRUE(std::isinf(ParseLeadingDouble("1e999")));
}

TEST(XmlValues, PathsAreStoredRelativeToTheBaseFolder) {
    EXPECT_EQ(PathToStored("/p", "/p/img/a.strk"), "./img/a.strk");
    EXPECT_EQ(PathToStored("/p/", "/p/a.strk"), "./a.strk");
    EXPECT_EQ(PathToStored("/p", "/q/b.strk"), "../q/b.strk");
    EXPECT_EQ(PathToStored("/p/x", "/p/x"), ".");
    EXPECT_EQ(PathToStored("/p/x", "/p/./y/../z"), "../z");
    // No base, a relative value, an empty value or a drive path: as they stand.
    EXPECT_EQ(PathToStored("", "/p/a.strk"), "/p/a.strk");
    EXPECT_EQ(PathToStored("/p", "a.strk"), "a.strk");
    EXPECT_EQ(PathToStored("/p", ""), "");
    EXPECT_EQ(PathToStored("/p", "D:\\x\\a.strk"), "D:\\x\\a.strk");
}

TEST(XmlValues, StoredPathsResolveAgainstTheBaseFolder) {
    EXPECT_EQ(PathFromStored("/p", "./img/a.strk"), "/p/img/a.strk");
    EXPECT_EQ(PathFromStored("/p/", "../q/b.strk"), "/q/b.strk");
    EXPECT_EQ(PathFromStored("/p", "img/../a.strk"), "/p/a.strk");
    EXPECT_EQ(PathFromStored("/p/x", "."), "/p/x");
    EXPECT_EQ(PathFromStored("/p", "a/../../../b"), "/b");
    // Written by the Windows version.
    EXPECT_EQ(PathFromStored("/p", ".\\img\\a.strk"), "/p/img/a.strk");
    EXPECT_EQ(PathFromStored("/p/r", "..\\q\\b.strk"), "/p/q/b.strk");
    // Kept as they stand.
    EXPECT_EQ(PathFromStored("/p", "D:\\x"), "D:\\x");
    EXPECT_EQ(PathFromStored("/p", "d:/x"), "d:/x");
    EXPECT_EQ(PathFromStored("/p", "\\\\server\\share\\a.strk"), "\\\\server\\share\\a.strk");
    EXPECT_EQ(PathFromStored("/p", "/abs/./a.strk"), "/abs/./a.strk");
    EXPECT_EQ(PathFromStored("", "./a.strk"), "./a.strk");
    EXPECT_EQ(PathFromStored("/p", ""), "");
}

} // namespace
