#include "app/bound_controls.h"
#include "app/color_dialog.h"
#include "engine/task_setting.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolTip>
#include <functional>
#include <gtest/gtest.h>

namespace {

using mrv::CColorDialog;
using mrv::kColorSpaceCmyk;
using mrv::kColorSpaceRgb;

constexpr double kByte = 1.0 / 255.0;

// Types text into an edit and leaves it, as the user does.
void Type(QLineEdit* edit, const char* text) {
    const QString q = QString::fromUtf8(text);
    edit->setText(q);
    emit edit->textEdited(q);
    emit edit->editingFinished();
}

void TypeCode(CColorDialog& d, const char* text) {
    Type(d.m_code->lineEdit(), text);
}

std::string Text(const QString& text) {
    return text.toStdString();
}

// Every row's edit text and slider position, for a comparison in one line.
std::vector<int> RowValues(const CColorDialog& d) {
    std::vector<int> values;
    for (const CColorDialog::CChannelRow& row : d.m_rows) {
        EXPECT_EQ(row.edit->text().toInt(), row.slider->value()) << Text(row.label->text());
        values.push_back(row.slider->value());
    }
    return values;
}

TEST(ColorDialog, TypedCodeUpdatesChannelsSlidersSwatchAndPicker) {
    CColorDialog d(my::colord(0, 0, 0, 0, 1), kColorSpaceRgb);
    EXPECT_EQ(Text(d.windowTitle()), "色の設定");
    EXPECT_EQ(Text(d.m_code->currentText()), "#000000");
    EXPECT_EQ(Text(d.m_oldCode->text()), "#000000");
    EXPECT_TRUE(d.m_oldCode->isReadOnly());

    TypeCode(d, "#FF8000");
    EXPECT_EQ(RowValues(d), (std::vector<int>{255, 128, 0, 255, 255}));
    EXPECT_DOUBLE_EQ(d.GetColor().c[0], 1.0);
    EXPECT_DOUBLE_EQ(d.GetColor().c[1], 128 * kByte);
    EXPECT_EQ(d.m_newSwatch->GetColor().rgba(), qRgb(255, 128, 0));
    EXPECT_NEAR(d.m_picker->Hue(), 30.1, 0.1);
    EXPECT_DOUBLE_EQ(d.m_picker->Sat(), 1.0);
    // The old colour stays as it was.
    EXPECT_EQ(Text(d.m_oldCode->text()), "#000000");
    EXPECT_EQ(d.m_oldSwatch->GetColor().rgba(), qRgb(0, 0, 0));

    // Lower case, no "#", full-width characters and spaces read the same; the box then shows
    // the code in its usual form.
    TypeCode(d, " 1a2b3c ");
    EXPECT_EQ(Text(d.m_code->currentText()), "#1A2B3C");
    TypeCode(d, "＃ＦＦ００ＦＦ");
    EXPECT_EQ(Text(d.m_code->currentText()), "#FF00FF");
    EXPECT_EQ(RowValues(d), (std::vector<int>{255, 0, 255, 255, 255}));

    // Clicking the old sample brings the old colour back.
    emit d.m_oldSwatch->clicked();
    EXPECT_EQ(Text(d.m_code->currentText()), "#000000");
}

TEST(ColorDialog, RefusedInputKeepsTheLastGoodColour) {
    CColorDialog d(my::colord(0x11 * kByte, 0x22 * kByte, 0x33 * kByte, 0, 1), kColorSpaceRgb);
    const my::colord before = d.GetColor();
    for (const char* code : {"#12345", "#1234567", "#GGHHII", "", "#", "赤い"}) {
        TypeCode(d, code);
        EXPECT_EQ(d.GetColor(), before) << code;
        EXPECT_EQ(Text(d.m_code->currentText()), "#112233") << code;
    }
    EXPECT_FALSE(QToolTip::text().isEmpty());

    for (const char* value : {"256", "-1", "1.5", "abc", "", "0x10"}) {
        Type(d.m_rows[0].edit, value);
        EXPECT_EQ(d.GetColor(), before) << value;
        EXPECT_EQ(Text(d.m_rows[0].edit->text()), "17") << value;
    }
    // Typing "25" and then "256": the last value that read stays.
    QLineEdit* red = d.m_rows[0].edit;
    red->setText("25");
    emit red->textEdited("25");
    red->setText("256");
    emit red->textEdited("256");
    emit red->editingFinished();
    EXPECT_EQ(Text(red->text()), "25");
    EXPECT_EQ(Text(d.m_code->currentText()), "#192233");
}

TEST(ColorDialog, RgbHidesTheFifthRowAndCmykRelabelsTheRows) {
    CColorDialog rgb(my::colord(1, 1, 1, 0, 1), kColorSpaceRgb);
    const std::vector<std::string> rgbLabels{"赤(&R):", "緑(&G):", "青(&B):", "濃さ(&A):"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Text(rgb.m_rows[i].label->text()), rgbLabels[i]);
        EXPECT_EQ(rgb.m_rows[i].label->buddy(), rgb.m_rows[i].edit);
        EXPECT_FALSE(rgb.m_rows[i].slider->isHidden());
    }
    EXPECT_TRUE(rgb.m_rows[4].label->isHidden());
    EXPECT_TRUE(rgb.m_rows[4].edit->isHidden());
    EXPECT_TRUE(rgb.m_rows[4].slider->isHidden());
    EXPECT_FALSE(rgb.IsCmyk());

    // Cyan, magenta, yellow, black at 0x10, 0x20, 0x30, 0x40 and a quarter opacity.
    CColorDialog cmyk(my::colord(16 * kByte, 32 * kByte, 48 * kByte, 64 * kByte, 0.25),
                      kColorSpaceCmyk);
    const std::vector<std::string> cmykLabels{
        "シアン(&C):", "マゼンタ(&M):", "イエロー(&Y):", "ブラック(&K):", "濃さ(&A):"};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Text(cmyk.m_rows[i].label->text()), cmykLabels[i]);
        EXPECT_FALSE(cmyk.m_rows[i].edit->isHidden());
    }
    EXPECT_EQ(RowValues(cmyk), (std::vector<int>{16, 32, 48, 64, 64}));
    EXPECT_EQ(Text(cmyk.m_code->currentText()), "#10203040");
    cmyk.m_presets[4]->click();
    EXPECT_EQ(cmyk.m_rows[4].slider->value(), 255);
    EXPECT_EQ(cmyk.m_rows[3].slider->value(), 64);

    // Named colours and the picker go through the inks; a six-digit code is not a CMYK code.
    cmyk.m_code->setCurrentIndex(1);
    emit cmyk.m_code->activated(1);
    EXPECT_EQ(Text(cmyk.m_code->currentText()), "#000000FF");
    TypeCode(cmyk, "#FF0000");
    EXPECT_EQ(Text(cmyk.m_code->currentText()), "#000000FF");
    TypeCode(cmyk, "赤");
    EXPECT_EQ(Text(cmyk.m_code->currentText()), "#00FFFF33");
    EXPECT_EQ(cmyk.m_newSwatch->GetColor().rgba(), qRgb(204, 0, 0));
    EXPECT_NEAR(cmyk.GetHsl().h, 0.0, 1e-9);
}

// Runs answer on the dialog that the button opens, once it is up.
void WhenDialogOpens(const std::function<void(CColorDialog&)>& answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = dynamic_cast<CColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

TEST(ColorButton, OkStoresTheChosenColourInBackgroundOrderAndCancelStoresNothing) {
    mrv::CTaskSetting task;
    // Red 0.3, green 0.2, blue 0.1 in the record's order: blue first.
    const my::colord start(0.1, 0.2, 0.3, 0.0, 0.7);
    task.SetBkColor(start);
    mrv::CColorBtn button;
    button.Bind(&task);
    button.Refresh();
    int changes = 0;
    button.AddListener([&changes] { ++changes; });

    // OK without an edit hands the exact colour back.
    WhenDialogOpens([](CColorDialog& d) {
        EXPECT_FALSE(d.IsCmyk());
        EXPECT_EQ(Text(d.m_oldCode->text()), "#4D331A");
        d.m_ok->click();
    });
    button.click();
    EXPECT_EQ(task.GetBkColor(), start);
    EXPECT_EQ(changes, 1);

    // The same edit, closed with Cancel and then with OK.
    const auto edit = [](QPushButton* CColorDialog::*close) {
        return [close](CColorDialog& d) {
            TypeCode(d, "#102030");
            d.m_presets[2]->click();
            (d.*close)->click();
        };
    };
    WhenDialogOpens(edit(&CColorDialog::m_cancel));
    button.click();
    EXPECT_EQ(task.GetBkColor(), start);
    EXPECT_EQ(changes, 1);

    WhenDialogOpens(edit(&CColorDialog::m_ok));
    button.click();
    EXPECT_EQ(task.GetBkColor(), my::colord(0x30 * kByte, 0x20 * kByte, 0x10 * kByte, 0.0, 0.5));
    EXPECT_EQ(button.GetColor().rgba(), qRgba(0x10, 0x20, 0x30, 128));
    EXPECT_EQ(changes, 2);
}

} // namespace
