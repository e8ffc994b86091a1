#include "app/main_view.h"
#include "app_fixture.h"
#include "common/message_ids.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

using morvane::test::CAppFixture;
using mrv::CTaskSetting;

// Types text into an editable box and leaves the edit, as the user does.
void Enter(QComboBox* box, const char* text) {
    box->setEditText(QString::fromUtf8(text));
    emit box->lineEdit()->editingFinished();
}

void Choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

TEST(MainView, ShowsTheDefaultRecordWithItsSummary) {
    CAppFixture f;
    mrv::CMainView& view = f.View();
    view.Fill();
    EXPECT_EQ(view.m_dstFormat->currentText().toStdString(), "アニメーション GIF");
    EXPECT_EQ(view.m_frameRate->currentText(), "10");
    EXPECT_EQ(view.m_dstName->currentText(), "test");
    EXPECT_EQ(view.m_digits->currentText(), "0000");
    EXPECT_EQ(view.m_interpolateType->currentText().toStdString(), "直線 - 三角関数");
    EXPECT_EQ(view.m_summary->text().toStdString(), CTaskSetting().FormatOutputSummary());
    EXPECT_TRUE(view.m_autoTrimFrames->isChecked());
    EXPECT_TRUE(view.m_bkColorOn->isChecked());
    EXPECT_EQ(view.m_generate->text().toStdString(), "生成");
    EXPECT_EQ(view.m_show0->toolTip().toStdString(), "開始画像をファイルブラウザーで表示");
    EXPECT_EQ(view.m_browse0->toolTip().toStdString(), "開始画像を参照");
}

TEST(MainView, EnablingRulesFollowTheRecord) {
    CAppFixture f;
    mrv::CMainView& view = f.View();
    view.Fill();
    // Animated kind: rate and repeat on, digits and start number off.
    EXPECT_TRUE(view.m_frameRate->isEnabled());
    EXPECT_TRUE(view.m_loopCount->isEnabled());
    EXPECT_FALSE(view.m_digits->isEnabled());
    EXPECT_FALSE(view.m_startNo->isEnabled());
    Choose(view.m_dstFormat, 0); // PNG
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetDstFormat(), mrv::DstFormat::PNG);
    EXPECT_FALSE(view.m_frameRate->isEnabled());
    EXPECT_FALSE(view.m_loopCount->isEnabled());
    EXPECT_FALSE(view.m_autoTrimFrames->isEnabled());
    EXPECT_TRUE(view.m_digits->isEnabled());
    EXPECT_TRUE(view.m_startNo->isEnabled());

    // Amplitude only for circle and arc, and it keeps its value while disabled.
    EXPECT_FALSE(view.m_interpolateAmp->isEnabled());
    Choose(view.m_interpolateType, 3);
    EXPECT_TRUE(view.m_interpolateAmp->isEnabled());
    Enter(view.m_interpolateAmp, "2.5");
    Choose(view.m_interpolateType, 0);
    EXPECT_FALSE(view.m_interpolateAmp->isEnabled());
    EXPECT_DOUBLE_EQ(f.m_app.m_doc.GetTask().GetInterpolateAmp(), 2.5);

    EXPECT_FALSE(view.m_phaseMultiple->isEnabled());
    view.m_phase->click();
    EXPECT_TRUE(f.m_app.m_doc.GetTask().HasFlags(mrv::TaskFlags::Phase));
    EXPECT_TRUE(view.m_phaseMultiple->isEnabled());
    EXPECT_TRUE(view.m_braceClose->isEnabled());

    EXPECT_FALSE(view.m_width->isEnabled());
    view.m_resize->click();
    EXPECT_TRUE(view.m_width->isEnabled());
    EXPECT_TRUE(view.m_keepProportion->isEnabled());

    EXPECT_TRUE(view.m_bkColor->isEnabled());
    view.m_bkColorOn->click();
    EXPECT_FALSE(view.m_bkColor->isEnabled());
    EXPECT_FALSE(f.m_app.m_doc.GetTask().HasFlags(mrv::TaskFlags::BkColor));
}

TEST(MainView, NumberCommitsAndRefusals) {
    CAppFixture f;
    mrv::CMainView& view = f.View();
    view.Fill();
    Enter(view.m_frameRate, "29.97");
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetFrameRate(), 2997);
    const std::string summary = view.m_summary->text().toStdString();
    EXPECT_EQ(summary, f.m_app.m_doc.GetTask().FormatOutputSummary());
    EXPECT_NE(summary, CTaskSetting().FormatOutputSummary());

    Enter(view.m_frameRate, "fast");
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetFrameRate(), 2997);
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_NUMBER_FORMAT_INVALID);
    EXPECT_EQ(view.m_frameRate->currentText(), "29.97"); // the box shows the kept value

    Enter(view.m_interFrameCount, "-1");
    Enter(view.m_interFrameCount, "1000");
    ASSERT_EQ(f.m_msg.m_errors.size(), 3u);
    EXPECT_EQ(f.m_msg.m_errors[1].m_id, IDS_NUMBER_TOO_SMALL);
    EXPECT_EQ(f.m_msg.m_errors[2].m_id, IDS_NUMBER_TOO_LARGE);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetInterFrameCount(), 7);

    // A double field reads the leading number: letters store 0.
    Enter(view.m_interpolateAmp, "abc");
    EXPECT_DOUBLE_EQ(f.m_app.m_doc.GetTask().GetInterpolateAmp(), 0.0);

    // Choosing an entry commits at once; digits store the count of zeros.
    Choose(view.m_digits, 1);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetDigits(), 2);
    Choose(view.m_roundType, 0);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetRoundType(), mrv::RoundType::None);
    EXPECT_EQ(view.m_summary->text().toStdString(), f.m_app.m_doc.GetTask().FormatOutputSummary());
    view.m_roundFlags[4]->click();
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetRoundFlags(), mrv::RoundFlags::ReverseColor |
                                                           mrv::RoundFlags::ReverseAlpha |
                                                           mrv::RoundFlags::ReverseOffset);
    Enter(view.m_braceClose, "]");
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetPhaseBraces(), (CStringPair{"{", "]"}));
}

} // namespace
