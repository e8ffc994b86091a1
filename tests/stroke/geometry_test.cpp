// Centres, moves, widths, caps and joins as answered by points and by holders.
#include "stroke/figures.h"
#include "tree_builder.h"

#include <gtest/gtest.h>

namespace {

using namespace stroke;
using stroke_test::Part;
using stroke_test::Point;

TEST(GetCenter, MeanOfTheChildrenOrTheOrigin) {
    auto square = Part({Point(0, 0), Point(2, 0), Point(2, 2), Point(0, 2)});
    EXPECT_EQ(square->GetCenter(), my::pointd(1, 1));
    EXPECT_EQ(Part({})->GetCenter(), my::pointd(0, 0));
    EXPECT_EQ(CLayer().GetCenter(), my::pointd(0, 0));
    // A point's centre is its own position, whatever its handles.
    EXPECT_EQ(Point(3, 4, 1, {-10, 0}, {10, 0})->GetCenter(), my::pointd(3, 4));
    // A line averages its parts' centres, not all of its points.
    auto line = stroke_test::WithParts(u"", {square, Part({Point(9, 9)})});
    EXPECT_EQ(line->GetCenter(), my::pointd(5, 5));
}

TEST(Move, PointCarriesTheHandlesItHas) {
    auto p = Point(1, 2, 1, {-1, 0}, {0, 3});
    EXPECT_TRUE(p->Move({1, 1}));
    EXPECT_EQ(p->Position(), my::pointd(2, 3));
    EXPECT_EQ(p->InHandle(), my::pointd(1, 3));
    EXPECT_EQ(p->OutHandle(), my::pointd(2, 6));

    // Points with missing handles move safely.
    auto bare = boost::make_shared<CLinePoint>(1, 1);
    EXPECT_TRUE(bare->Move({2, 0}));
    EXPECT_EQ(bare->Position(), my::pointd(3, 1));
    EXPECT_EQ(bare->GetTangentOr(0), my::pointd(3, 1));
    EXPECT_EQ(bare->OutHandle(), my::pointd(3, 1));

    auto one = boost::make_shared<CLinePoint>(0, 0);
    one->InsertChild(0, boost::make_shared<CTangentPoint>(-1, 0));
    one->Move({0, 5});
    EXPECT_EQ(one->InHandle(), my::pointd(-1, 5));
    EXPECT_EQ(one->OutHandle(), my::pointd(0, 5));
}

TEST(Move, HolderMovesEverythingAndReportsWhetherAnythingMoved) {
    auto model = stroke_test::SampleModel();
    const my::pointd before = model->GetCenter();
    EXPECT_TRUE(model->Move({10, -10}));
    const my::pointd after = model->GetCenter();
    EXPECT_DOUBLE_EQ(after.x, before.x + 10);
    EXPECT_DOUBLE_EQ(after.y, before.y - 10);
    auto handle = model->GetChild(0)->GetChild(0)->GetChild(1)->GetChild(0)->GetChild(1);
    EXPECT_EQ(boost::static_pointer_cast<CTangentPoint>(handle)->Position(), my::pointd(16, -5));
    EXPECT_FALSE(CLayer().Move({1, 1}));
    EXPECT_FALSE(Part({})->Move({1, 1}));
}

TEST(GetWidth, HoldersAnswerTheLargestChildWidth) {
    auto model = stroke_test::SampleModel();
    auto layer = model->GetChild(0);
    EXPECT_EQ(layer->GetChild(0)->GetChild(0)->GetWidth(), 3.0); // part
    EXPECT_EQ(layer->GetChild(0)->GetWidth(), 3.0);              // line
    EXPECT_EQ(layer->GetChild(1)->GetWidth(), 0.25);             // text: its own width
    EXPECT_EQ(layer->GetWidth(), 3.0);
    EXPECT_EQ(model->GetWidth(), 210.0); // the page
    EXPECT_EQ(CLayer().GetWidth(), 0.0);
    EXPECT_EQ(CTangentPoint().GetWidth(), 0.0);
}

TEST(SetWidth, LayerSetsEveryPointAndTextButNotThePage) {
    auto model = stroke_test::SampleModel();
    auto layer = boost::static_pointer_cast<CLayer>(model->GetChild(0));
    layer->SetWidth(4.0);
    auto line = boost::static_pointer_cast<CLine>(layer->GetChild(0));
    for (const auto& part : line->m_parts) {
        for (const auto& point : part->m_points) {
            EXPECT_EQ(point->m_width, 4.0);
        }
    }
    EXPECT_EQ(boost::static_pointer_cast<CText>(layer->GetChild(1))->m_width, 4.0);
    model->SetWidth(100.0);
    EXPECT_EQ(model->m_width, 100.0);
    EXPECT_EQ(layer->GetWidth(), 4.0);
}

TEST(LineCapAndJoin, HoldersCombineTheirChildren) {
    auto model = stroke_test::SampleModel();
    auto layer = model->GetChild(0);
    layer->GetChild(0)->SetLineCap(CAP_BUTT);
    layer->GetChild(1)->SetLineJoin(JOIN_BEVEL);
    EXPECT_EQ(layer->GetLineCap(), std::uint32_t(CAP_BUTT | CAP_ROUND));
    EXPECT_EQ(layer->GetLineJoin(), std::uint32_t(JOIN_ROUND | JOIN_BEVEL));
    EXPECT_EQ(CLayer().GetLineCap(), 0u);
    EXPECT_EQ(layer->GetChild(0)->GetChild(0)->GetLineCap(), 0u); // parts have none

    model->SetLineCap(CAP_SQUARE);
    EXPECT_EQ(model->GetLineCap(), std::uint32_t(CAP_SQUARE));
    EXPECT_EQ(boost::static_pointer_cast<CLine>(model->GetChild(1))->m_lineCap,
              std::uint32_t(CAP_SQUARE));
}

TEST(Fills, OnlyLayersLinesAndTextsHoldThem) {
    auto point = Point(0, 0);
    point->SetLineFill(stroke_test::Mono(1));
    EXPECT_EQ(point->GetLineFill(), nullptr);
    auto text = boost::make_shared<CText>();
    auto fill = stroke_test::Mono(1);
    text->SetAreaFill(fill);
    EXPECT_EQ(text->GetAreaFill(), fill);
    EXPECT_EQ(text->GetLineFill(), nullptr);
}

} // namespace
