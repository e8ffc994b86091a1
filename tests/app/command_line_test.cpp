#include "app/command_line.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <fstream>
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

TEST(DesktopCommandLine, HelpAndVersionAreAnsweredBeforeAnyWindow) {
    using mrv::EarlyAction;
    const auto action = [](std::vector<const char*> argv) {
        return mrv::EarlyActionOf(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_EQ(action({"morvane"}), EarlyAction::Run);
    EXPECT_EQ(action({"morvane", "a.mrva"}), EarlyAction::Run);
    EXPECT_EQ(action({"morvane", "--help"}), EarlyAction::Help);
    EXPECT_EQ(action({"morvane", "-platform", "offscreen", "-h"}), EarlyAction::Help);
    EXPECT_EQ(action({"morvane", "--version"}), EarlyAction::Version);
    // After "--" a file may be named like an option.
    EXPECT_EQ(action({"morvane", "--", "--help"}), EarlyAction::Run);

    my::SetMessageLanguage(my::Language::English);
    const std::string help = mrv::DesktopUsageText("/opt/m/share/morvane/docs/user-guide.md");
    EXPECT_EQ(help.rfind("Usage: morvane [FILE]", 0), 0u) << help;
    EXPECT_NE(help.find("Help pages: /opt/m/share/morvane/docs/user-guide.md"), std::string::npos);
    EXPECT_NE(mrv::DesktopUsageText("").find("Help pages: (not installed)"), std::string::npos);
    my::SetMessageLanguage(my::Language::Japanese);
    EXPECT_NE(mrv::DesktopUsageText("").find("使い方: morvane [FILE]"), std::string::npos);
    my::SetMessageLanguage(my::Language::English);
    EXPECT_EQ(mrv::DesktopVersionText().rfind("morvane ", 0), 0u);
}

TEST(DesktopCommandLine, StrokeDrawingsAreKnownByTheirFirstBytes) {
    namespace fs = std::filesystem;
    const morvane::test::CTempFolder temp;
    const fs::path& folder = temp.Path();
    const auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    };
    EXPECT_TRUE(mrv::IsStrokeDrawing(write("drawing.bin", "stroke\x01\x00\x00\x01")));
    EXPECT_FALSE(mrv::IsStrokeDrawing(write("project.strk", "<?xml version=\"1.0\"?>")));
    EXPECT_FALSE(mrv::IsStrokeDrawing(write("project.mrva", "<MorvaneFile/>")));
    // Too short or missing to tell: the name decides.
    EXPECT_TRUE(mrv::IsStrokeDrawing(write("tiny.STRK", "st")));
    EXPECT_TRUE(mrv::IsStrokeDrawing((folder / "missing.strk").string()));
    EXPECT_FALSE(mrv::IsStrokeDrawing((folder / "missing.mrva").string()));
}

} // namespace
