#include "cli/progress_line.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using cli::FormatDuration;
using cli::FormatProgress;

TEST(ProgressLine, ShowsCountsTimeAndEstimate) {
    EXPECT_EQ(FormatProgress(10, 40, 5s),
              "[#######.......................]  10/40  0:05 elapsed  0:15 left");
    EXPECT_EQ(FormatProgress(40, 40, 61s),
              "[##############################]  40/40  1:01 elapsed  0:00 left");
}

TEST(ProgressLine, IdleOrUnknownTotalsDoNotBreakTheLine) {
    // An idle task reports -1; a total of 0 must not divide.
    EXPECT_EQ(FormatProgress(-1, 0, 0ms),
              "[..............................]  0/0  0:00 elapsed  --:-- left");
    EXPECT_EQ(FormatProgress(0, 19, 300ms),
              "[..............................]  0/19  0:00 elapsed  --:-- left");
    EXPECT_EQ(FormatProgress(25, 19, 1s).substr(0, 39), "[##############################]  19/19");
}

TEST(ProgressLine, DurationsGainHoursWhenNeeded) {
    EXPECT_EQ(FormatDuration(59999ms), "0:59");
    EXPECT_EQ(FormatDuration(3723s), "1:02:03");
}

} // namespace
