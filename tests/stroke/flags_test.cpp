// Text forms of the flag vocabularies, selection state and the selection of a text.
#include "common/message_ids.h"
#include "stroke/figures.h"
#include "tree_builder.h"

#include <gtest/gtest.h>

namespace {

using namespace stroke;
using stroke_test::ErrorId;
using stroke_test::ErrorText;

TEST(FlagText, NamesInBitOrder) {
    EXPECT_EQ(FormatLineCap(5), "ROUND|SQUARE");
    EXPECT_EQ(FormatLineJoin(6), "MITER|BEVEL");
    EXPECT_EQ(FormatFigureType(FIGURE_TEXT | FIGURE_LAYER), "LAYER|TEXT");
    EXPECT_EQ(FormatFigureType(FIGURE_ALL),
              "LAYER|LINE|CTRL|TANGENT|PART|BOUNDING_RECT|SCALE|ROTATE|TEXT|CARET");
    EXPECT_EQ(ColorTypeName(COLOR_CMYK), "CMYK");
}

TEST(FlagText, BitsBeyondTheTableAreInternalErrors) {
    my::SetMessageLanguage(my::Language::English);
    EXPECT_EQ(ErrorText([] { FormatLineCap(8); }), "Internal error\n\nUnknown flags: 8");
    EXPECT_EQ(ErrorId([] { FormatLineJoin(9); }), IDS_INTERNAL_ERROR);
    EXPECT_EQ(ErrorId([] { FormatFigureType(0x400); }), IDS_INTERNAL_ERROR);
    EXPECT_EQ(ErrorId([] { ColorTypeName(2); }), IDS_INTERNAL_ERROR);
}

TEST(Figures, ReportTheirKind) {
    EXPECT_EQ(CModel().GetType(), FIGURE_LAYER);
    EXPECT_EQ(CLayer().GetType(), FIGURE_LAYER);
    EXPECT_EQ(CLine().GetType(), FIGURE_LINE);
    EXPECT_EQ(CText().GetType(), FIGURE_TEXT);
    EXPECT_EQ(CLinePart().GetType(), FIGURE_PART);
    EXPECT_EQ(CLinePoint().GetType(), FIGURE_CTRL);
    EXPECT_EQ(CTangentPoint().GetType(), FIGURE_TANGENT);
    EXPECT_EQ(CBoundingRect().GetType(), FIGURE_BOUNDING_RECT);
    EXPECT_EQ(CScalePoint().GetType(), FIGURE_SCALE);
    EXPECT_EQ(CRotatePoint().GetType(), FIGURE_ROTATE);
    EXPECT_EQ(CCaret().GetType(), FIGURE_CARET);
    EXPECT_EQ(CModel().ClassName(), "stroke::CModel");
    EXPECT_EQ(CCaret().Clone()->GetType(), FIGURE_CARET);
}

TEST(Select, TogglesBitZeroAndReportsChanges) {
    CLine line;
    line.m_state = STATE_HIDDEN;
    EXPECT_TRUE(line.Select(true));
    EXPECT_FALSE(line.Select(true));
    EXPECT_TRUE(line.IsSelected());
    EXPECT_TRUE(line.Select(false));
    EXPECT_EQ(line.m_state, std::uint32_t(STATE_HIDDEN));
}

TEST(Defaults, FreshFiguresHoldTheDocumentedValues) {
    CModel model;
    EXPECT_EQ(model.m_unit, 0u);
    EXPECT_EQ(model.m_colorType, 0u);
    ASSERT_TRUE(model.m_colorProfile);
    EXPECT_EQ(model.m_colorProfile->ColorSpace(), CColorProfile::kSignatureRgb);
    EXPECT_EQ(model.m_resolution, 600.0);
    EXPECT_EQ(model.m_height, 297.0);
    CText text;
    EXPECT_EQ(text.m_selStart, -1);
    EXPECT_EQ(text.m_lineCap, std::uint32_t(CAP_ROUND));
    EXPECT_EQ(text.m_lineJoin, std::uint32_t(JOIN_ROUND));
    EXPECT_FALSE(text.m_textSetting);
    // Two fresh models get profiles of their own.
    EXPECT_NE(CModel().m_colorProfile, model.m_colorProfile);
}

std::pair<std::int32_t, std::int32_t> Selection(const char16_t* s, std::int32_t start,
                                                std::int32_t end) {
    CText text;
    text.m_text = s;
    text.m_selStart = start;
    text.m_selEnd = end;
    return text.GetSelection();
}

TEST(TextSelection, NormalisedForUse) {
    using Sel = std::pair<std::int32_t, std::int32_t>;
    EXPECT_EQ(Selection(u"abc", -1, 0), Sel(0, 3)); // start becomes 3, then the swap
    EXPECT_EQ(Selection(u"abc", 1, 2), Sel(1, 2));
    EXPECT_EQ(Selection(u"abc", 2, 1), Sel(1, 2));
    EXPECT_EQ(Selection(u"abc", 7, -5), Sel(3, 3));
    EXPECT_EQ(Selection(u"abc", 3, 3), Sel(3, 3));
    EXPECT_EQ(Selection(u"", 5, -1), Sel(0, 0));
}

} // namespace
