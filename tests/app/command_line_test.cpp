#include "app/command_line.h"
#include "common/error.h"
#include "common/message_ids.h"

#include <gtest/gtest.h>

namespace {

using mrv::CCommandLineParserUtil;
using mrv::CSingleCommandLineParser;
using Args = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksAndKeepsQuotedParts) {
    EXPECT_EQ(CCommandLineParserUtil::Split("prog  a\tb "), (Args{"prog", "a", "b"}));
    EXPECT_EQ(CCommandLineParserUtil::Split("prog \"my file.mrva\""),
              (Args{"prog", "my file.mrva"}));
    EXPECT_EQ(CCommandLineParserUtil::Split("prog \"it's.mrva\" 'say \"hi\"'"),
              (Args{"prog", "it's.mrva", "say \"hi\""}));
    EXPECT_EQ(CCommandLineParserUtil::Split("prog x\"y z\"w"), (Args{"prog", "xy zw"}));
    EXPECT_EQ(CCommandLineParserUtil::Split("prog \"\""), (Args{"prog", ""}));
    EXPECT_EQ(CCommandLineParserUtil::Split(""), Args{});
}

TEST(CommandLine, JoinQuotesEachArgumentSoSplitGivesItBack) {
    const char* argv[] = {"/usr/bin/morvane", "a b/it's.mrva", "say \"hi\"", ""};
    const std::string line = CCommandLineParserUtil::Join(4, argv);
    EXPECT_EQ(CCommandLineParserUtil::Split(line),
              (Args{"/usr/bin/morvane", "a b/it's.mrva", "say \"hi\"", ""}));
}

TEST(CommandLine, AcceptsAtMostOneFile) {
    CSingleCommandLineParser parser;
    parser.Parse("prog");
    EXPECT_EQ(parser.GetFileName(), "");
    parser.Parse("prog \"/tmp/a b.mrva\"");
    EXPECT_EQ(parser.GetFileName(), "/tmp/a b.mrva");
    try {
        parser.Parse("prog one.mrva two.mrva");
        FAIL();
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_TOO_MANY_ARGUMENTS);
        EXPECT_NE(e.m_text.find('2'), std::string::npos);
        EXPECT_NE(e.m_text.find("one.mrva\r\ntwo.mrva\r\n"), std::string::npos);
    }
    EXPECT_EQ(parser.GetFileName(), "");
}

} // namespace
