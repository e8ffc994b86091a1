// The visitor protocol and the visitors of the model library: depth by mask, dispatch by class,
// state checks, clearing fills and the affine transform.
#include "common/message_ids.h"
#include "stroke/check_state.h"
#include "stroke/clear_fill.h"
#include "stroke/figures.h"
#include "stroke/transform.h"
#include "support/failure.h"
#include "tree_builder.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace stroke;

// Records the kind of every figure reached, one letter each.
class CTrace : public CConstEnumerator {
public:
    using CConstEnumerator::CConstEnumerator;
    std::string seen;
    void VisitModel(const CModel& f) override {
        Note('M', [&] { CConstEnumerator::VisitModel(f); });
    }
    void VisitLayer(const CLayer& f) override {
        Note('Y', [&] { CConstEnumerator::VisitLayer(f); });
    }
    void VisitLine(const CLine& f) override {
        Note('L', [&] { CConstEnumerator::VisitLine(f); });
    }
    void VisitText(const CText& f) override {
        Note('T', [&] { CConstEnumerator::VisitText(f); });
    }
    void VisitLinePart(const CLinePart& f) override {
        Note('p', [&] { CConstEnumerator::VisitLinePart(f); });
    }
    void VisitLinePoint(const CLinePoint& f) override {
        Note('c', [&] { CConstEnumerator::VisitLinePoint(f); });
    }
    void VisitTangentPoint(const CTangentPoint&) override { seen += 't'; }
    void VisitCaret(const CCaret&) override { seen += '^'; }

private:
    template <class F> void Note(char c, F descend) {
        seen += c;
        descend();
    }
};

std::string Trace(std::uint32_t mask, const CFigure& root) {
    CTrace trace(mask);
    trace.VisitFigure(root);
    return trace.seen;
}

TEST(Enumerator, MaskDecidesHowDeepTheDefaultsGo) {
    const auto model = stroke_test::SampleModel();
    EXPECT_EQ(Trace(FIGURE_LAYER | FIGURE_LINE | FIGURE_TEXT, *model), "MYLTL");
    EXPECT_EQ(Trace(FIGURE_CTRL, *model), "MYLpcccpccTpccLpc");
    EXPECT_EQ(Trace(FIGURE_TANGENT, *model), "MYLpcttcttcttpcttcttTpcttcttLpctt");
    // Dispatch by dynamic class reaches the handles too.
    EXPECT_EQ(Trace(FIGURE_ALL, CCaret()), "^");
}

TEST(ClearFill, EmptiesTheChosenFillsEverywhere) {
    auto model = stroke_test::SampleModel();
    model->m_areaFill = stroke_test::Mono(1);
    auto layer = model->GetChild(0);
    // Unknown flags change nothing.
    my::SetMessageLanguage(my::Language::English);
    EXPECT_EQ(morvane::test::FailureOf([&] { CClearFill().Clear(*model, 5); }).m_text,
              "Internal error\n\nstroke::CClearFill::Clear()\nUnknown flags: 5");
    EXPECT_TRUE(layer->GetAreaFill());

    CClearFill().Clear(*model, CClearFill::CLEAR_AREA);
    EXPECT_FALSE(model->m_areaFill);
    EXPECT_FALSE(layer->GetChild(1)->GetAreaFill());
    EXPECT_TRUE(layer->GetChild(0)->GetLineFill());

    CClearFill().Clear(*layer, CClearFill::CLEAR_AREA | CClearFill::CLEAR_LINE);
    EXPECT_FALSE(layer->GetChild(0)->GetLineFill());
}

TEST(Transform, MovesEveryPositionAndMarksWhatChanged) {
    auto model = stroke_test::SampleModel();
    CTransform::Params p;
    p.a = 0, p.b = -1, p.c = 1, p.d = 0, p.e = 10, p.f = 20; // quarter turn, then offset
    CTransform(p).Transform(*model);
    auto line = boost::static_pointer_cast<CLine>(model->GetChild(0)->GetChild(0));
    auto point = line->m_parts[1]->m_points[0]; // (5, 5), handles (4, 5) and (6, 5)
    EXPECT_EQ(point->Position(), my::pointd(5, 25));
    EXPECT_EQ(point->InHandle(), my::pointd(5, 24));
    EXPECT_EQ(point->m_width, 0.5); // widths are not scaled unless asked
    EXPECT_TRUE(point->m_tangents[0]->m_state & STATE_TRANSFORMED);
    EXPECT_FALSE(line->m_state & STATE_TRANSFORMED);
    EXPECT_TRUE(model->GetChild(0)->GetChild(1)->m_state & STATE_TRANSFORMED); // text
}

TEST(Transform, SizeScalesWidthsAndFontsButNotFills) {
    auto model = stroke_test::SampleModel();
    auto text = boost::static_pointer_cast<CText>(model->GetChild(0)->GetChild(1));
    CTransformSize(3.0, 4.0, 1.0, 2.0).Transform(*model);
    const double s = std::sqrt((9.0 + 16.0) / 2.0);
    auto point = text->m_parts[0]->m_points[1]; // (10, 10)
    EXPECT_EQ(point->Position(), my::pointd(31, 42));
    EXPECT_DOUBLE_EQ(point->m_width, s);
    EXPECT_DOUBLE_EQ(text->m_textSetting->m_fontSize, 13.0 * s);
    EXPECT_TRUE(FillsEqual(model->GetChild(0)->GetAreaFill(), stroke_test::Gradation(30)));
}

TEST(Transform, FillsAreMirroredOrRotatedNeverBoth) {
    auto build = [] {
        auto model = stroke_test::SampleModel();
        model->m_areaFill = stroke_test::Gradation(30);
        return model;
    };
    CTransform::Params p;
    p.transformFills = true;
    p.fillRotation = 15;

    auto rotated = build();
    CTransform(p).Transform(*rotated);
    EXPECT_DOUBLE_EQ(rotated->GetChild(0)->GetAreaFill()->GetAngle(), 45);
    EXPECT_DOUBLE_EQ(rotated->m_areaFill->GetAngle(), 30); // the model's own fill stays

    p.mirrorHorizontal = true;
    p.mirrorVertical = true; // horizontal wins
    auto mirrored = build();
    CTransform(p).Transform(*mirrored);
    EXPECT_DOUBLE_EQ(mirrored->GetChild(0)->GetAreaFill()->GetAngle(), 150);

    p.mirrorHorizontal = false;
    auto flipped = build();
    CTransform(p).Transform(*flipped);
    EXPECT_DOUBLE_EQ(flipped->GetChild(0)->GetAreaFill()->GetAngle(), 330);
}

} // namespace
