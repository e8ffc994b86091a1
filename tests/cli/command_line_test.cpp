#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace {

using cli::COptions;
using cli::CUsageError;
using cli::ParseCommandLine;

TEST(CommandLine, ReadsEveryOptionAroundTheProject) {
    const COptions o = ParseCommandLine({"--set", "InterFrameCount=3", "--overwrite", "a.mrva",
                                         "--set=DstName=x=y", "--quiet", "--set", "DstName="});
    EXPECT_EQ(o.m_project, "a.mrva");
    EXPECT_TRUE(o.m_overwrite);
    EXPECT_TRUE(o.m_quiet);
    ASSERT_EQ(o.m_sets.size(), 3u);
    EXPECT_EQ(o.m_sets[0], std::make_pair(std::string("InterFrameCount"), std::string("3")));
    // Only the first "=" separates; the value keeps the rest, and may be empty.
    EXPECT_EQ(o.m_sets[1].second, "x=y");
    EXPECT_EQ(o.m_sets[2].second, "");
}

TEST(CommandLine, JobsTakeAThreadCountInEveryForm) {
    EXPECT_EQ(ParseCommandLine({"a.mrva"}).m_jobs, 0);
    EXPECT_EQ(ParseCommandLine({"--jobs", "8", "a.mrva"}).m_jobs, 8);
    EXPECT_EQ(ParseCommandLine({"a.mrva", "-j", "1"}).m_jobs, 1);
    EXPECT_EQ(ParseCommandLine({"--jobs=16", "a.mrva"}).m_jobs, 16);
    EXPECT_EQ(ParseCommandLine({"-j2", "a.mrva"}).m_jobs, 2);
    EXPECT_EQ(ParseCommandLine({"-j", "256", "a.mrva"}).m_jobs, 256);
    for (const char* bad : {"0", "257", "-1", "2x", "", "99999999999"}) {
        EXPECT_THROW(ParseCommandLine({"--jobs", bad, "a.mrva"}), CUsageError) << bad;
    }
    EXPECT_THROW(ParseCommandLine({"a.mrva", "-j"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"-jx", "a.mrva"}), CUsageError);
}

TEST(CommandLine, DoubleDashLetsAProjectStartWithADash) {
    EXPECT_EQ(ParseCommandLine({"--", "-odd.mrva"}).m_project, "-odd.mrva");
}

TEST(CommandLine, HelpAndVersionNeedNoProject) {
    EXPECT_TRUE(ParseCommandLine({"--help"}).m_help);
    EXPECT_TRUE(ParseCommandLine({"--version"}).m_version);
    EXPECT_TRUE(ParseCommandLine({"a.mrva", "b.mrva", "--help"}).m_help);
}

TEST(CommandLine, RefusesWhatCannotBeRun) {
    EXPECT_THROW(ParseCommandLine({}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"--overwrite"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"a.mrva", "b.mrva"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"--force", "a.mrva"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"a.mrva", "--set"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"--set", "=3", "a.mrva"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"--set", "InterFrameCount", "a.mrva"}), CUsageError);
}

} // namespace

namespace {

TEST(CommandLine, FrameTakesANumberFromOneAndAnOutputFile) {
    const COptions o = ParseCommandLine({"--frame", "3", "--output", "f.png", "a.mrva"});
    EXPECT_EQ(o.m_frame, 3);
    EXPECT_EQ(o.m_output, "f.png");
    const COptions joined = ParseCommandLine({"--frame=12", "--output=x/f.png", "a.mrva"});
    EXPECT_EQ(joined.m_frame, 12);
    EXPECT_EQ(joined.m_output, "x/f.png");
    EXPECT_EQ(ParseCommandLine({"a.mrva"}).m_frame, 0);
    for (const char* bad : {"0", "-1", "x", "", "1.5", "9999999999"}) {
        EXPECT_THROW(ParseCommandLine({"--frame", bad, "--output", "f.png", "a.mrva"}), CUsageError)
            << bad;
    }
    // Each needs the other, a value of its own, and no --check beside it.
    EXPECT_THROW(ParseCommandLine({"--frame", "1", "a.mrva"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"--output", "f.png", "a.mrva"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"a.mrva", "--output", "f.png", "--frame"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"a.mrva", "--frame", "1", "--output"}), CUsageError);
    EXPECT_THROW(ParseCommandLine({"--check", "--frame", "1", "--output", "f.png", "a.mrva"}),
                 CUsageError);
}

} // namespace
