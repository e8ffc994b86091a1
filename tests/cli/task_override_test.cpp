#include "cli/command_line.h"
#include "cli/task_override.h"
#include "engine/task_setting_names.h"

#include <gtest/gtest.h>

namespace {

using cli::ApplyOverride;
using cli::CUsageError;
using mrv::CTaskSetting;

const std::string kBase = "/home/u/anim";

std::string UsageMessage(std::string_view name, std::string_view value) {
    CTaskSetting task;
    try {
        ApplyOverride(task, name, value, kBase);
    } catch (const CUsageError& e) {
        EXPECT_EQ(task, CTaskSetting()) << "a refused value must leave the task unchanged";
        return e.what();
    }
    ADD_FAILURE() << name << "=" << value << " was accepted";
    return {};
}

TEST(TaskOverride, ValuesReadInTheProjectFilesTextForms) {
    CTaskSetting t;
    ApplyOverride(t, "Flags", "Resize|Phase", kBase);
    ApplyOverride(t, "DstFormat", "APNG", kBase);
    ApplyOverride(t, "RoundType", "None", kBase);
    ApplyOverride(t, "RoundFlags", "", kBase);
    ApplyOverride(t, "InterpolateType", "Arc", kBase);
    ApplyOverride(t, "InterFrameCount", "-3", kBase);
    ApplyOverride(t, "FrameRate", "2500", kBase);
    ApplyOverride(t, "Dpi", "96.5", kBase);
    ApplyOverride(t, "BkColor", "0,0.5,1,0,0.25", kBase);
    ApplyOverride(t, "PhaseBraces.second", "]]", kBase);
    ApplyOverride(t, "DstName", "frame 01", kBase);
    EXPECT_EQ(t.GetFlags(), 0x21u);
    EXPECT_EQ(t.GetDstFormat(), mrv::DstFormat::APNG);
    EXPECT_EQ(t.GetRoundType(), mrv::RoundType::None);
    EXPECT_EQ(t.GetRoundFlags(), 0u);
    EXPECT_EQ(t.GetInterpolateType(), mrv::InterpolateType::Arc);
    // No range checks here: the Generate checks come after every override.
    EXPECT_EQ(t.GetInterFrameCount(), -3);
    EXPECT_EQ(t.GetFrameRate(), 2500);
    EXPECT_DOUBLE_EQ(t.GetDpi(), 96.5);
    EXPECT_EQ(t.GetBkColor(), my::colord(0, 0.5, 1, 0, 0.25));
    EXPECT_EQ(t.GetPhaseBraces(), CStringPair("{", "]]"));
    EXPECT_EQ(t.GetDstName(), "frame 01");
}

TEST(TaskOverride, RelativePathsStartAtTheGivenFolder) {
    CTaskSetting t;
    ApplyOverride(t, "SrcPath0", "img/../a.strk", kBase);
    ApplyOverride(t, "SrcPath1", "/abs/b.strk", kBase);
    ApplyOverride(t, "DstFolder", "..\\out", kBase);
    EXPECT_EQ(t.GetSrcPath0(), kBase + "/a.strk");
    EXPECT_EQ(t.GetSrcPath1(), "/abs/b.strk");
    EXPECT_EQ(t.GetDstFolder(), "/home/u/out");
}

TEST(TaskOverride, BadNamesAndValuesAreUsageErrorsThatChangeNothing) {
    EXPECT_NE(UsageMessage("Frames", "3").find("InterFrameCount"), std::string::npos)
        << "an unknown name lists the known ones";
    EXPECT_NE(UsageMessage("DstFormat", "apng").find("mrv::DstFormat"), std::string::npos);
    EXPECT_NE(UsageMessage("Flags", "Resize||Phase").find("mrv::TaskFlags"), std::string::npos);
    EXPECT_NE(UsageMessage("InterFrameCount", "12x").find("12x"), std::string::npos);
    UsageMessage("InterFrameCount", "");
    UsageMessage("Dpi", "abc");
    UsageMessage("Dpi", "72dpi");
    UsageMessage("Dpi", "inf");
    UsageMessage("BkColor", "1,1,1,1");
    UsageMessage("BkColor", "1,1,1,0,1,1");
    UsageMessage("BkColor", "1,1,,0,1");
    UsageMessage("PhaseBraces", "[");
}

TEST(TaskOverride, NumbersMustBeWholeForIntegerFieldsAndFiniteForTheOthers) {
    // A fraction would be dropped, a huge number held at the limit: neither is what was asked.
    const std::string rate = UsageMessage("FrameRate", "29.97");
    EXPECT_NE(rate.find("not a whole number"), std::string::npos) << rate;
    EXPECT_NE(rate.find("\"29.97\""), std::string::npos) << rate;
    EXPECT_NE(rate.find("2997"), std::string::npos) << "FrameRate's unit is explained: " << rate;
    for (const char* value :
         {"3.0", "7.", "1e3", "2147483648", "-2147483649", " 5", "5 ", "+-5", "--5", "0x10", "+"}) {
        UsageMessage("InterFrameCount", value);
    }
    for (const char* name : {"InterpolateAmp", "PhaseMultiple", "Dpi"}) {
        for (const char* value : {"nan", "-inf", "1e999"}) {
            UsageMessage(name, value);
        }
    }
    UsageMessage("BkColor", "1,nan,1,0,1");

    CTaskSetting t;
    ApplyOverride(t, "LoopCount", "+5", kBase);
    EXPECT_EQ(t.GetLoopCount(), 5);
    ApplyOverride(t, "StartNo", "-2147483648", kBase);
    EXPECT_EQ(t.GetStartNo(), -2147483648);
    ApplyOverride(t, "Width", "2147483647", kBase);
    EXPECT_EQ(t.GetWidth(), 2147483647);
    ApplyOverride(t, "FrameRate", "2997", kBase);
    EXPECT_EQ(t.GetFrameRate(), 2997);
}

} // namespace
