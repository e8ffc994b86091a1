#include "common/error.h"
#include "common/message_ids.h"
#include "engine/task_setting.h"
#include "engine/task_setting_names.h"
#include "support/failure.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

using mrv::CTaskSetting;

// The message a check raises, or an empty record when it passes.
CSimpleErr GenerateError(const CTaskSetting& task) {
    return morvane::test::FailureOf([&] { task.ValidateForGenerate(); });
}

TEST(TaskSettingNames, UnknownNamesAndValuesNameTheirType) {
    struct Case {
        const mrv::CNameTable& table;
        const char* text;
        const char* message;
    };
    for (const Case& c : {Case{mrv::kRoundTypeNames, "rotate", "mrv::RoundType::rotate"},
                          Case{mrv::kDstFormatNames, "apng", "mrv::DstFormat::apng"},
                          Case{mrv::kInterpolateTypeNames, "", "mrv::InterpolateType::"}}) {
        try {
            c.table.FromName(c.text);
            ADD_FAILURE() << c.text;
        } catch (const my::CException& e) {
            EXPECT_EQ(e.m_id, IDS_ENUM_NAME_UNKNOWN);
            EXPECT_EQ(e.m_text, std::string("Unknown name is specified ") + c.message);
        }
    }
    for (const std::int32_t value : {-1, 4}) {
        try {
            mrv::kDstFormatNames.ToName(value);
            ADD_FAILURE() << value;
        } catch (const my::CException& e) {
            EXPECT_EQ(e.m_id, IDS_ENUM_VALUE_UNKNOWN);
            EXPECT_EQ(e.m_text,
                      "Unknown value is specified mrv::DstFormat::" + std::to_string(value));
        }
    }
}

TEST(TaskSettingNames, BadFlagPiecesAndUnnamedBitsFail) {
    for (const char* text : {"Resize|", "Resize||Phase", "|Resize", "resize", "Resize |Phase"}) {
        try {
            mrv::kTaskFlagNames.FlagsFromText(text);
            ADD_FAILURE() << text;
        } catch (const my::CException& e) {
            EXPECT_EQ(e.m_id, IDS_ENUM_NAME_UNKNOWN) << text;
            EXPECT_EQ(e.m_text.rfind("Unknown name is specified mrv::TaskFlags::", 0), 0u);
        }
    }
    try {
        mrv::kRoundFlagNames.FlagsToText(0x21);
        FAIL();
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_ENUM_VALUE_UNKNOWN);
        EXPECT_EQ(e.m_text, "Unknown value is specified mrv::RoundFlags::32");
    }
    EXPECT_THROW(mrv::kTaskFlagNames.FlagsToText(0x80000000u), my::CException);
}

TEST(OutputSummary, OneWayCountsStepsBetweenFirstAndLastFrame) {
    CTaskSetting t;
    t.SetInterFrameCount(0);
    t.SetRoundType(mrv::RoundType::None);
    t.SetLoopCount(3);
    const mrv::COutputSummary s = t.ComputeOutputSummary();
    EXPECT_EQ(s.m_frames, 2);
    EXPECT_EQ(s.m_period, s.m_wait);
    EXPECT_EQ(t.FormatOutputSummary(),
              "出力フレーム数: 2、ウェイト: 0.1 秒、周期: 0.1 秒、再生時間: 0.3 秒");
}

TEST(OutputSummary, ZeroFrameRateAndHugeValuesDoNotCrash) {
    CTaskSetting t;
    t.SetFrameRate(0);
    EXPECT_FALSE(t.ComputeOutputSummary().m_hasWait);
    EXPECT_EQ(t.FormatOutputSummary(),
              "出力フレーム数: 16、ウェイト: ∞ 秒、周期: ∞ 秒、再生時間: ∞ 秒");
    t.SetFrameRate(1);
    t.SetInterFrameCount(std::numeric_limits<std::int32_t>::max());
    t.SetLoopCount(std::numeric_limits<std::int32_t>::max());
    const mrv::COutputSummary s = t.ComputeOutputSummary();
    EXPECT_EQ(s.m_frames, 4294967296);
    EXPECT_EQ(s.m_play, std::numeric_limits<std::int64_t>::max());
}

TEST(GenerateChecks, RunInOrderWithTheirTexts) {
    CTaskSetting t;
    EXPECT_FALSE(GenerateError(t).HasError());

    t.SetInterFrameCount(999);
    EXPECT_FALSE(GenerateError(t).HasError());
    t.SetInterFrameCount(1000);
    t.SetFrameRate(0); // a later check must not win
    CSimpleErr e = GenerateError(t);
    EXPECT_EQ(e.m_id, IDS_INTER_FRAME_COUNT_TOO_LARGE);
    EXPECT_EQ(e.m_text,
              "中間フレーム数が大きすぎます\n999 以下の値を指定してください\n中間フレーム数: 1000");
    EXPECT_NO_THROW(t.SetInterFrameCount(1000); t.SetFrameRate(1); t.ValidateForTask());

    t.SetInterFrameCount(-1);
    e = GenerateError(t);
    EXPECT_EQ(e.m_id, IDS_INTER_FRAME_COUNT_INVALID);
    EXPECT_EQ(e.m_text, "不正な中間フレーム数が指定されました: -1");

    t.SetInterFrameCount(7);
    t.SetFrameRate(0);
    t.SetFlags(mrv::TaskFlags::Resize);
    t.SetWidth(0);
    e = GenerateError(t);
    EXPECT_EQ(e.m_id, IDS_FRAME_RATE_INVALID);
    EXPECT_EQ(e.m_text, "不正なフレームレートが指定されました: 0");

    t.SetFrameRate(1);
    t.SetHeight(0);
    EXPECT_EQ(GenerateError(t).m_text, "幅の値が不正です");
    t.SetWidth(1);
    e = GenerateError(t);
    EXPECT_EQ(e.m_id, IDS_HEIGHT_INVALID);
    EXPECT_EQ(e.m_text, "高さの値が不正です");

    // Width and height only count when the output is resized.
    t.SetFlags(0);
    t.SetWidth(-5);
    EXPECT_FALSE(GenerateError(t).HasError());
}

TEST(GenerateChecks, TaskRepeatsOnlyCountAndRate) {
    CTaskSetting t;
    t.SetFrameRate(-3);
    try {
        t.ValidateForTask();
        FAIL();
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_text, "不正なフレームレートが指定されました: -3");
    }
    t.SetFrameRate(1000);
    t.SetInterFrameCount(-2);
    EXPECT_THROW(t.ValidateForTask(), my::CException);
}

} // namespace
