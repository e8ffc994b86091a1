// Structural comparison: the first difference in tree order is named by class and field.
#include "common/message_ids.h"
#include "stroke/figures.h"
#include "stroke/texture.h"
#include "support/failure.h"
#include "tree_builder.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace stroke;

class CheckSame : public ::testing::Test {
protected:
    void SetUp() override { my::SetMessageLanguage(my::Language::English); }

    // The diagnostic after changing a copy of the sample model.
    std::string DiagnosticAfter(const std::function<void(CModel&)>& change) {
        auto left = stroke_test::SampleModel();
        auto right = CloneAs(*left);
        change(*right);
        const std::string text = morvane::test::FailureOf([&] { left->CheckSame(*right); }).m_text;
        const std::string prefix = "Internal error\n\n";
        return text.rfind(prefix, 0) == 0 ? text.substr(prefix.size()) : text;
    }
    static CLine& LineA(CModel& m) { return static_cast<CLine&>(*m.GetChild(0)->GetChild(0)); }
    static CText& TextT(CModel& m) { return static_cast<CText&>(*m.GetChild(0)->GetChild(1)); }
};

TEST_F(CheckSame, NamesTheFieldOfTheFirstDifference) {
    EXPECT_EQ(DiagnosticAfter([](CModel&) {}), "");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { m.m_height = 1; }), "stroke::CModel::m_height");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { m.m_name = u"x"; }), "stroke::CLayer::m_name");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { m.RemoveChildAt(1); }),
              "stroke::CContainer::m_children");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { LineA(m).m_lineJoin = JOIN_MITER; }),
              "stroke::CLine::m_lineJoin");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { LineA(m).m_parts[1]->m_points[0]->y = 1; }),
              "stroke::CCtrlPoint::y");
    EXPECT_EQ(
        DiagnosticAfter([](CModel& m) { LineA(m).m_parts[1]->m_points[0]->m_tangents[1]->x = 1; }),
        "stroke::CCtrlPoint::x");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { LineA(m).m_parts[0]->m_points.pop_back(); }),
              "stroke::CLinePart::m_points");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { TextT(m).m_text = u"abd"; }),
              "stroke::CText::m_text");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { TextT(m).m_textSetting->m_lineSpacing = 2; }),
              "stroke::CTextSetting::m_lineSpacing");
}

TEST_F(CheckSame, StateCountsOnlyItsPersistentBits) {
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { LineA(m).m_state |= STATE_TRANSFORMED; }), "");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { LineA(m).m_state |= STATE_HIDDEN; }),
              "stroke::CFigure::m_state");
}

TEST_F(CheckSame, FillsPresentOnOneSideOrOfAnotherKind) {
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { LineA(m).m_areaFill = stroke_test::Mono(1); }),
              "stroke::CLine::m_areaFill only left is null!");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { TextT(m).m_textSetting.reset(); }),
              "stroke::CText::m_textSetting only right is null!");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { LineA(m).m_lineFill = stroke_test::Mono(7); }),
              "stroke::CMonoSetting::m_color");
    EXPECT_EQ(DiagnosticAfter([](CModel& m) { LineA(m).m_lineFill = stroke_test::Gradation(0); }),
              "stroke::CMonoSetting != stroke::CGradationSetting");
}

TEST_F(CheckSame, DifferentClassesAreNamed) {
    const std::string text = morvane::test::FailureOf([] { CLayer().CheckSame(CModel()); }).m_text;
    EXPECT_EQ(text, "Internal error\n\nstroke::CLayer != stroke::CModel");
    CTextureSetting a, b;
    b.m_sameRate = false;
    EXPECT_EQ(morvane::test::FailureOf([&] { a.CheckSame(b); }).m_text,
              "Internal error\n\nstroke::CTextureSetting::m_sameRate");
}

} // namespace
