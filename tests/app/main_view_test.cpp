#include "app/main_view.h"
#include "app_fixture.h"
#include "common/message_ids.h"
#include "settings/project_file.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using morvane::test::CAppFixture;
using mrv::CTaskSetting;

// Types text into an editable box and leaves the edit, as the user does.
void Enter(QComboBox* box, const char* text) {
    box->setEditText(QString::fromUtf8(text));
    emit box->lineEdit()->editingFinished();
}

// Types text key by key over the box's text, as the user does, without leaving the edit.
void Type(QComboBox* box, const char* text) {
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QString::fromUtf8(text));
}

QAction* MenuAction(mrv::CMainFrame& frame, const QKeySequence& shortcut) {
    for (QAction* action : frame.findChildren<QAction*>()) {
        if (action->shortcut() == shortcut) {
            return action;
        }
    }
    return nullptr;
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

TEST(MainView, TheWebpQualityIsEnabledOnlyForAnimatedWebp) {
    CAppFixture f;
    mrv::CMainView& view = f.View();
    view.Fill();
    ASSERT_EQ(view.m_dstFormat->count(), 5);
    EXPECT_EQ(view.m_dstFormat->itemText(4).toStdString(), "アニメーション WebP");
    EXPECT_EQ(view.m_webpQuality->currentText(), "100");
    for (int kind = 0; kind < 4; ++kind) {
        Choose(view.m_dstFormat, kind);
        EXPECT_FALSE(view.m_webpQuality->isEnabled()) << kind;
    }
    Choose(view.m_dstFormat, 4);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetDstFormat(), mrv::DstFormat::WEBP);
    EXPECT_TRUE(view.m_webpQuality->isEnabled());
    // An animation: rate, repeat count and changed-region frames on; digits off.
    EXPECT_TRUE(view.m_frameRate->isEnabled());
    EXPECT_TRUE(view.m_loopCount->isEnabled());
    EXPECT_TRUE(view.m_autoTrimFrames->isEnabled());
    EXPECT_FALSE(view.m_digits->isEnabled());

    Enter(view.m_webpQuality, "80");
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetWebpQuality(), 80);
    Enter(view.m_webpQuality, "101");
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetWebpQuality(), 80) << "above 100 is refused";
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_NUMBER_TOO_LARGE);
    f.m_app.m_doc.GetTask().SetWebpQuality(65);
    view.RefreshControls();
    EXPECT_EQ(view.m_webpQuality->currentText(), "65");
    Choose(view.m_dstFormat, 1);
    EXPECT_FALSE(view.m_webpQuality->isEnabled());
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

TEST(MainView, FieldsCommitAsTheUserTypesAndSaveSeesWhatTheyShow) {
    CAppFixture f;
    ASSERT_TRUE(f.m_frame->Init());
    mrv::CMainView& view = f.View();
    const CTaskSetting& task = f.m_app.m_doc.GetTask();

    // The record and the summary follow each key.
    Type(view.m_frameRate, "24");
    EXPECT_EQ(task.GetFrameRate(), 2400);
    EXPECT_EQ(view.m_summary->text().toStdString(), task.FormatOutputSummary());

    // Ctrl+S right after typing, the edit not left, saves what the box shows.
    Type(view.m_interFrameCount, "12");
    const std::string path = f.m_temp / "typed.mrva";
    f.m_shell.m_answer = path;
    QAction* save = MenuAction(*f.m_frame, QKeySequence(Qt::CTRL | Qt::Key_S));
    ASSERT_NE(save, nullptr);
    save->trigger();
    CTaskSetting saved;
    CSimpleErr err;
    ASSERT_TRUE(LoadProject(path, saved, err));
    EXPECT_EQ(saved.GetFrameRate(), 2400);
    EXPECT_EQ(saved.GetInterFrameCount(), 12);
    EXPECT_TRUE(f.m_msg.m_errors.empty());

    // Half-typed text waits without a word; Save reports what is still refused, keeps the
    // value and writes nothing.
    Type(view.m_frameRate, "-");
    EXPECT_TRUE(f.m_msg.m_errors.empty());
    QTest::keyClicks(view.m_frameRate->lineEdit(), QStringLiteral("5"));
    std::filesystem::remove(path);
    save->trigger();
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_NUMBER_TOO_SMALL);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(task.GetFrameRate(), 2400);
    EXPECT_EQ(view.m_frameRate->currentText(), "24");

    // A refused edit gives back the value from before the edit, not one typed on the way
    // (1, 10 and 100 read; 1000 is too large).
    Type(view.m_interFrameCount, "1000");
    emit view.m_interFrameCount->lineEdit()->editingFinished();
    ASSERT_EQ(f.m_msg.m_errors.size(), 2u);
    EXPECT_EQ(f.m_msg.m_errors[1].m_id, IDS_NUMBER_TOO_LARGE);
    EXPECT_EQ(task.GetInterFrameCount(), 12);
    EXPECT_EQ(view.m_interFrameCount->currentText(), "12");

    // The name list learns the name once, when the edit ends, not each prefix typed.
    Type(view.m_dstName, "walk");
    EXPECT_EQ(task.GetDstName(), "walk");
    emit view.m_dstName->lineEdit()->editingFinished();
    const auto& names = f.m_app.m_setting.m_dstNames.GetItems();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "walk");
    EXPECT_EQ(std::count(names.begin(), names.end(), "wal"), 0);
}

} // namespace
