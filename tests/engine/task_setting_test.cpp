#include "common/error.h"
#include "common/message_ids.h"
#include "engine/task_setting.h"
#include "engine/task_setting_names.h"
#include "support/failure.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

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
    for (const std::int32_t value : {-1, 5}) {
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

TEST(TaskSettingNames, AnimatedWebpIsTheFifthKindAfterTheOthers) {
    EXPECT_EQ(mrv::ToName(mrv::DstFormat::WEBP), "WEBP");
    EXPECT_EQ(mrv::FromName<mrv::DstFormat>("WEBP"), mrv::DstFormat::WEBP);
    EXPECT_EQ(static_cast<int>(mrv::DstFormat::WEBP), 4);
    EXPECT_EQ(mrv::ToName(mrv::DstFormat::AGIF), "AGIF");
    EXPECT_TRUE(mrv::IsAnimatedFormat(mrv::DstFormat::WEBP));
    EXPECT_FALSE(mrv::IsAnimatedFormat(mrv::DstFormat::GIF));
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

TEST(GenerateChecks, NegativeLoopCountIsRefusedNamingTheField) {
    CTaskSetting t;
    t.SetLoopCount(-1);
    const CSimpleErr e = GenerateError(t);
    EXPECT_EQ(e.m_id, IDS_LOOP_COUNT_INVALID);
    EXPECT_EQ(e.m_text, "An invalid repeat count (LoopCount) was specified: -1\n"
                        "Give 0 to repeat endlessly, or a positive count");
    EXPECT_THROW(t.ValidateForTask(), my::CException);
    // Endless, and counts beyond what a GIF stores (its writer holds them at 65535), pass.
    for (const std::int32_t count :
         {0, 1, 65535, 65536, std::numeric_limits<std::int32_t>::max()}) {
        t.SetLoopCount(count);
        EXPECT_FALSE(GenerateError(t).HasError()) << count;
    }
}

TEST(GenerateChecks, WebpQualityOutsideZeroToHundredIsRefused) {
    CTaskSetting t;
    EXPECT_EQ(t.GetWebpQuality(), 100);
    for (const std::int32_t quality : {-1, 101, std::numeric_limits<std::int32_t>::min()}) {
        t.SetWebpQuality(quality);
        const CSimpleErr e = GenerateError(t);
        EXPECT_EQ(e.m_id, IDS_WEBP_QUALITY_INVALID) << quality;
        EXPECT_EQ(e.m_text, "An invalid WebP quality (WebpQuality) was specified: " +
                                std::to_string(quality) +
                                "\nGive 100 for lossless frames, or 0 to 99 for lossy frames of "
                                "that quality");
        EXPECT_THROW(t.ValidateForTask(), my::CException);
    }
    for (const std::int32_t quality : {0, 80, 100}) {
        t.SetWebpQuality(quality);
        EXPECT_FALSE(GenerateError(t).HasError()) << quality;
    }
}

TEST(GenerateChecks, NumbersThatAreNotFiniteAreRefusedNamingTheField) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    struct Case {
        void (*set)(CTaskSetting&, double);
        double value;
        const char* text;
    };
    const std::vector<Case> cases = {
        {[](CTaskSetting& t, double v) { t.SetInterpolateAmp(v); }, nan,
         "InterpolateAmp is not a finite number: nan"},
        {[](CTaskSetting& t, double v) { t.SetDpi(v); }, inf, "Dpi is not a finite number: inf"},
        {[](CTaskSetting& t, double v) { t.SetPhaseMultiple(v); }, -inf,
         "PhaseMultiple is not a finite number: -inf"},
        {[](CTaskSetting& t, double v) { t.SetBkColor(my::colord(1, v, 0.5, 0, 1)); }, nan,
         "BkColor is not a finite number: 1,nan,0.5,0,1"},
        {[](CTaskSetting& t, double v) { t.SetBkColor(my::colord(1, 1, 1, 0, v)); }, inf,
         "BkColor is not a finite number: 1,1,1,0,inf"},
    };
    for (const Case& c : cases) {
        CTaskSetting t;
        c.set(t, c.value);
        const CSimpleErr e = GenerateError(t);
        EXPECT_EQ(e.m_id, IDS_VALUE_NOT_FINITE) << c.text;
        EXPECT_EQ(e.m_text, c.text);
        EXPECT_THROW(t.ValidateForTask(), my::CException) << c.text;
    }
}

TEST(GenerateChecks, DstNameMustBeAFileNameInsideTheFolder) {
    for (const char* name : {"../escape", "sub/name", "..\\up", "a\nb", "tab\there", "del\x7f",
                             "c1\xc2\x85", ".", ".."}) {
        CTaskSetting t;
        t.SetDstName(name);
        const CSimpleErr e = GenerateError(t);
        EXPECT_EQ(e.m_id, IDS_DST_NAME_INVALID) << name;
        EXPECT_THROW(t.ValidateForTask(), my::CException) << name;
    }
    CTaskSetting t;
    t.SetDstName("a\nb");
    // The name is shown with its control characters spelled out, on one line.
    EXPECT_EQ(GenerateError(t).m_text.rfind("The output file name (DstName) cannot be used: "
                                            "\"a\\x0Ab\"\n",
                                            0),
              0u)
        << GenerateError(t).m_text;
    for (const char* name : {"", "frame 01", "..x", "a.b", ".hidden", "名前"}) {
        t.SetDstName(name);
        EXPECT_FALSE(GenerateError(t).HasError()) << name;
    }
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
