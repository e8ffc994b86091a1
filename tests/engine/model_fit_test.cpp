#include "common/message_ids.h"
#include "common/units.h"
#include "engine/model_fit.h"
#include "stroke/tree_builder.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace stroke_test;

// A pixel page w x h with one line point at (x, y) of width 4.
stroke::ModelPtr Page(double w, double h, double x, double y, std::uint32_t unit) {
    auto model = boost::make_shared<stroke::CModel>();
    model->m_unit = unit;
    model->m_width = w;
    model->m_height = h;
    model->InsertChild(0, WithParts(u"l", {Part({Point(x, y, 4.0)})}));
    return model;
}

const stroke::CLinePoint& FirstPoint(const stroke::CModel& m) {
    return *static_cast<const stroke::CLine&>(*m.GetChild(0)).m_parts[0]->m_points[0];
}

TEST(ModelFit, TrimCropsToTheDrawnArea) {
    mrv::CTaskSetting s;
    s.SetFlags(mrv::TaskFlags::AutoTrim);
    auto m = Page(640, 480, 110, 60, stroke::UNIT_PIXEL);
    mrv::FitToOutput(*m, s, {100, 50, 40, 20});
    EXPECT_EQ(m->m_width, 40);
    EXPECT_EQ(m->m_height, 20);
    EXPECT_EQ(FirstPoint(*m).Position(), (my::pointd{10, 10}));
    EXPECT_NE(m->m_state & stroke::STATE_TRANSFORMED, 0u);

    // Resized: each direction to the target, or the smaller scale with the proportion kept.
    s.SetFlags(mrv::TaskFlags::AutoTrim | mrv::TaskFlags::Resize);
    s.SetWidth(80);
    s.SetHeight(60);
    m = Page(640, 480, 110, 60, stroke::UNIT_PIXEL);
    mrv::FitToOutput(*m, s, {100, 50, 40, 20});
    EXPECT_EQ(m->m_width, 80);
    EXPECT_EQ(m->m_height, 60);
    EXPECT_EQ(FirstPoint(*m).Position(), (my::pointd{20, 30}));
    s.SetFlags(s.GetFlags() | mrv::TaskFlags::KeepProportion);
    m = Page(640, 480, 110, 60, stroke::UNIT_PIXEL);
    mrv::FitToOutput(*m, s, {100, 50, 40, 20});
    EXPECT_EQ(m->m_width, 80);
    EXPECT_EQ(m->m_height, 40);

    // Millimetres without Resize: the drawn area at the requested resolution.
    s.SetFlags(mrv::TaskFlags::AutoTrim);
    m = Page(210, 297, 30, 30, stroke::UNIT_MM);
    mrv::FitToOutput(*m, s, {25.4, 25.4, 25.4, 50.8});
    EXPECT_DOUBLE_EQ(m->m_width, 72);
    EXPECT_DOUBLE_EQ(m->m_height, 144);
}

TEST(ModelFit, ScalesNeverOvershootTheTarget) {
    for (double size : {3.0, 7.0, 595.2755905511812, 0.1}) {
        const double s = mrv::LargestScale(320, size);
        EXPECT_LE(s * size, 320.0);
        EXPECT_GT(std::nextafter(s, 1e300) * size, 320.0);
    }
    const mrv::CTrimRect a{0, 0, 10, 10};
    EXPECT_EQ(a.Unite({5, -5, 10, 10}), (mrv::CTrimRect{0, -5, 15, 15}));
    EXPECT_EQ(a.Intersect({5, 5, 10, 10}), (mrv::CTrimRect{5, 5, 5, 5}));
    EXPECT_TRUE(a.Intersect({20, 20, 1, 1}).IsEmpty());
    EXPECT_EQ(mrv::CTrimRect{}.Unite(a), a);
}

} // namespace
