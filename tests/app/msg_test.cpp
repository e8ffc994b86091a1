// The questions the application asks, and Qt's own texts in the user's language.
#include "app/translations.h"
#include "app_fixture.h"
#include "common/messages.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using morvane::test::CRecordingMsg;

std::vector<std::string> Paths(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back("/out/walk" + std::to_string(1000 + i) + ".png");
    }
    return paths;
}

TEST(OverwriteQuestion, ShowsTheCountTenPathsAndHowManyMore) {
    my::SetMessageLanguage(my::Language::English);
    CRecordingMsg msg;
    msg.m_answer = false;
    EXPECT_FALSE(msg.ConfirmOverwriteFiles(Paths(200)));
    ASSERT_EQ(msg.m_questions.size(), 1u);
    const std::string& many = msg.m_questions[0];
    EXPECT_EQ(many.rfind("200 files will be overwritten.", 0), 0u) << many;
    EXPECT_NE(many.find("/out/walk1009.png\n"), std::string::npos);
    EXPECT_EQ(many.find("/out/walk1010.png"), std::string::npos);
    EXPECT_NE(many.find("… and 190 more"), std::string::npos);
    // A short question: a dozen lines, whatever the count.
    EXPECT_LE(std::count(many.begin(), many.end(), '\n'), 14);

    msg.ConfirmOverwriteFiles(Paths(10));
    EXPECT_NE(msg.m_questions[1].find("/out/walk1009.png"), std::string::npos);
    EXPECT_EQ(msg.m_questions[1].find("more"), std::string::npos);

    msg.ConfirmOverwriteFiles(Paths(1));
    EXPECT_EQ(
        msg.m_questions[2].rfind("1 file will be overwritten. Do you want to overwrite it?", 0), 0u)
        << msg.m_questions[2];
    EXPECT_NE(msg.m_questions[2].find("/out/walk1000.png"), std::string::npos);
}

TEST(QtTexts, JapaneseLanguageLoadsQtsOwnJapaneseTexts) {
    EXPECT_EQ(mrv::LoadQtTranslations(my::Language::English), nullptr);
    const std::unique_ptr<QTranslator> japanese = mrv::LoadQtTranslations(my::Language::Japanese);
    ASSERT_NE(japanese, nullptr) << "Qt's Japanese translations (qt6-translations-l10n)";
    QCoreApplication::installTranslator(japanese.get());
    QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    const QString open = buttons.button(QDialogButtonBox::Open)->text();
    const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
    QCoreApplication::removeTranslator(japanese.get());
    EXPECT_EQ(cancel.toStdString(), "キャンセル");
    EXPECT_NE(open.toStdString(), "&Open");
    EXPECT_NE(open.toStdString(), "Open");
}

} // namespace
