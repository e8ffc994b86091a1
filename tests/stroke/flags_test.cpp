// Text forms of the flag vocabularies, selection state and the selection of a text.
#include "common/message_ids.h"
#include "stroke/figures.h"
#include "support/failure.h"
#include "tree_builder.h"

#include <gtest/gtest.h>

namespace {

using namespace stroke;
using morvane::test::FailureId;
using morvane::test::FailureOf;

TEST(FlagText, BitsBeyondTheTableAreInternalErrors) {
    my::SetMessageLanguage(my::Language::English);
    EXPECT_EQ(FailureOf([] { FormatLineCap(8); }).m_text, "Internal error\n\nUnknown flags: 8");
    EXPECT_EQ(FailureId([] { FormatLineJoin(9); }), IDS_INTERNAL_ERROR);
    EXPECT_EQ(FailureId([] { FormatFigureType(0x400); }), IDS_INTERNAL_ERROR);
    EXPECT_EQ(FailureId([] { ColorTypeName(2); }), IDS_INTERNAL_ERROR);
}

TEST(Figures, ClonesKeepTheirClassAndFreshModelsOwnTheirProfiles) {
    EXPECT_EQ(CCaret().Clone()->GetType(), FIGURE_CARET);
    EXPECT_EQ(CModel().Clone()->ClassName(), "stroke::CModel");
    CModel model;
    ASSERT_TRUE(model.m_colorProfile);
    EXPECT_EQ(model.m_colorProfile->ColorSpace(), CColorProfile::kSignatureRgb);
    EXPECT_NE(CModel().m_colorProfile, model.m_colorProfile);
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
