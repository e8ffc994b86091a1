#include "common/message_ids.h"
#include "engine/arc_interpolator.h"
#include "engine/circle_interpolator.h"
#include "engine/extract_items.h"
#include "engine/normalize_model.h"
#include "stroke/texture.h"
#include "stroke/tree_builder.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace stroke_test;

mrv::CAnimateItem Item(double phase = 0.0) {
    mrv::CAnimateItem item;
    item.m_phase = phase;
    return item;
}

TEST(Interpolator, ArcIsAHalfCircleAtAmplitudeOne) {
    const my::pointd s{0, 0};
    const my::pointd e{10, 0};
    mrv::CArcInterpolator arc(1.0);
    arc.m_roundType = mrv::RoundType::None;
    for (int i = 0; i <= 4; ++i) {
        arc.SetFrame(i, 4, Item());
        const my::pointd p = arc.InterpolatePoint(s, e);
        EXPECT_NEAR(std::hypot(p.x - 5, p.y), 5.0, 1e-9) << i;
    }
    arc.SetFrame(4, 4, Item());
    EXPECT_NEAR(arc.InterpolatePoint(s, e).x, 10.0, 1e-9);
    EXPECT_EQ(arc.m_run, 1.0);
    arc.SetFrame(2, 4, Item());
    EXPECT_NEAR(arc.m_run, 0.5, 1e-12); // the projection of the top of the arc

    // Wider amplitudes give flatter arcs of radius |A| half-chords that still end on END.
    for (const double amp : {2.0, -3.0}) {
        mrv::CArcInterpolator wide(amp);
        wide.m_roundType = mrv::RoundType::None;
        wide.SetFrame(4, 4, Item());
        const my::pointd end = wide.InterpolatePoint(s, e);
        EXPECT_NEAR(end.x, 10.0, 1e-9) << amp;
        EXPECT_NEAR(end.y, 0.0, 1e-9) << amp;
        wide.SetFrame(2, 4, Item());
        const my::pointd top = wide.InterpolatePoint(s, e);
        const double radius = std::abs(amp) * 5.0;
        EXPECT_NEAR(std::abs(top.y), radius - std::sqrt(radius * radius - 25.0), 1e-9) << amp;
    }

    mrv::CArcInterpolator flat(0.5);
    try {
        flat.SetFrame(0, 4, Item());
        FAIL();
    } catch (const my::CException& err) {
        EXPECT_EQ(err.m_id, IDS_ARC_AMPLITUDE_INVALID);
    }
}

TEST(Interpolator, ColoursClampAndTruncate) {
    mrv::CInterpolator ip;
    ip.m_roundFlags = 0;        // colours keep running through the return trip
    ip.SetFrame(12, 8, Item()); // m_run 1.5
    const stroke::CColor s(60000, 100, 3, 0, 65535);
    const stroke::CColor e(65535, 0, 4, 0, 0);
    const stroke::CColor c = ip.InterpolateColor(s, e);
    EXPECT_EQ(c.m_channels[0], 65535); // 68302.5 held at the top
    EXPECT_EQ(c.m_channels[1], 0);     // -50 held at zero
    EXPECT_EQ(c.m_channels[2], 4);     // 4.5 truncated
    EXPECT_EQ(c.m_alpha, 0);
    ip.m_roundFlags = mrv::RoundFlags::ReverseAlpha;
    EXPECT_EQ(ip.InterpolateColor(s, e).m_alpha, 32767); // folds: 0.5 of the way
}

TEST(Interpolator, GradationsMergeTheirStops) {
    mrv::CInterpolator ip;
    ip.SetFrame(1, 2, Item());
    stroke::CGradationSetting a;
    a.m_angle = 0;
    a.m_colors = {{true, stroke::CColor(0, 0, 0, 0, 65535), 0.0},
                  {true, stroke::CColor(1000, 0, 0, 0, 65535), 1.0}};
    stroke::CGradationSetting b;
    b.m_angle = 90;
    b.m_colors = {{true, stroke::CColor(2000, 0, 0, 0, 65535), 0.5},
                  {true, stroke::CColor(2000, 0, 0, 0, 65535), 1.5}};
    const auto g = ip.InterpolateGradation(a, b);
    ASSERT_EQ(g->m_colors.size(), 3u);
    EXPECT_EQ(g->m_colors[0].m_position, 0.0);
    EXPECT_EQ(g->m_colors[1].m_position, 0.5);
    EXPECT_EQ(g->m_colors[2].m_position, 1.0);
    EXPECT_EQ(g->m_colors[0].m_color.m_channels[0], 1000); // 0 and 2000
    EXPECT_EQ(g->m_colors[1].m_color.m_channels[0], 1250); // 500 and 2000
    EXPECT_EQ(g->m_angle, 45.0);
}

TEST(Interpolator, MonoAgainstGradationBecomesAGradation) {
    mrv::CInterpolator ip;
    ip.SetFrame(1, 2, Item());
    auto grad = boost::make_shared<stroke::CGradationSetting>();
    grad->m_colors = {{true, stroke::CColor(0, 0, 0, 0, 65535), 0.0},
                      {true, stroke::CColor(4000, 0, 0, 0, 65535), 1.0}};
    const stroke::FillPtr mono = Mono(2000);
    const stroke::FillPtr result = mono->Clone();
    const auto out = boost::dynamic_pointer_cast<stroke::CGradationSetting>(
        ip.InterpolateFill(result, mono, grad));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->m_colors[0].m_color.m_channels[0], 1000);
    EXPECT_EQ(out->m_colors[1].m_color.m_channels[0], 3000);
    // A gradation whose stops all carry the single colour is no change.
    grad->m_colors[1].m_color = grad->m_colors[0].m_color = stroke::CColor(2000, 0, 0, 0, 65535);
    EXPECT_EQ(ip.InterpolateFill(result, mono, grad), result);
}

TEST(Interpolator, TexturesFollowTheirReverseFlags) {
    mrv::CInterpolator ip;
    ip.SetFrame(6, 4, Item()); // run 1.5, fold 0.5
    stroke::CTextureSetting s;
    stroke::CTextureSetting e;
    e.m_alpha = 0;
    e.m_angle = 100;
    e.m_rateX = 3;
    e.m_rateY = 5;
    e.m_sameRate = false;
    e.m_offsetX = 10;
    e.m_offsetY = -10;
    const auto run = [&](std::uint32_t flags) {
        ip.m_roundFlags = flags;
        auto result = boost::static_pointer_cast<stroke::CTextureSetting>(s.Clone());
        ip.InterpolateFill(result, s.Clone(), e.Clone());
        return result;
    };
    auto r = run(0);
    EXPECT_EQ(r->m_alpha, 0); // -32767.5 held at zero
    EXPECT_EQ(r->m_angle, 150);
    EXPECT_EQ(r->m_rateX, 4);
    EXPECT_FALSE(r->m_sameRate);
    EXPECT_EQ(r->m_rateY, 7); // START's rate X (1) serves as its Y: 1 + 4 * 1.5
    EXPECT_EQ(r->m_offsetX, 15);
    r = run(mrv::RoundFlags::ReverseAlpha);
    EXPECT_EQ(r->m_alpha, 32767);
    EXPECT_EQ(r->m_angle, 150);
    r = run(mrv::RoundFlags::ReverseAngle);
    EXPECT_EQ(r->m_angle, 50);
    r = run(mrv::RoundFlags::ReverseRate);
    EXPECT_EQ(r->m_rateX, 2);
    EXPECT_EQ(r->m_rateY, 3);
    r = run(mrv::RoundFlags::ReverseOffset);
    EXPECT_EQ(r->m_offsetX, 5);
    EXPECT_EQ(r->m_offsetY, -5);
}

TEST(Interpolator, FramesCopyEqualValuesExactlyAndFloorTheThirdSpacing) {
    auto a = SampleModel();
    auto b = SampleModel();
    auto& textA = static_cast<stroke::CText&>(*a->GetChild(0)->GetChild(1));
    auto& textB = static_cast<stroke::CText&>(*b->GetChild(0)->GetChild(1));
    textA.m_textSetting->m_thirdSpacing = 0.0;
    textB.m_textSetting->m_thirdSpacing = 0.0;
    textA.m_width = 0.1;
    textB.m_width = 0.7;
    auto& pa = *static_cast<stroke::CLine&>(*a->GetChild(1)).m_parts[0]->m_points[0];
    auto& pb = *static_cast<stroke::CLine&>(*b->GetChild(1)).m_parts[0]->m_points[0];
    pa.x = 0.1;
    pb.x = 0.7;
    pa.y = pb.y = 1.0 / 3.0;
    mrv::AnimateItemList items;
    mrv::CNormalizeModel().Walk(*a, *b);
    mrv::CExtractItems(mrv::CTaskSetting()).Extract(items, *a, *b);
    ASSERT_EQ(items.size(), 2u);
    mrv::CCircleInterpolator ip(1.0);
    for (int index : {0, 3, 7}) {
        const auto frame = ip.CreateFrame(*a, *b, items, index, 7);
        const auto& text = static_cast<stroke::CText&>(*frame->GetChild(0)->GetChild(1));
        EXPECT_EQ(text.m_textSetting->m_thirdSpacing, 0.01);
        const auto& p = *static_cast<stroke::CLine&>(*frame->GetChild(1)).m_parts[0]->m_points[0];
        if (index == 7) {
            EXPECT_EQ(p.x, 0.7); // END exactly
            EXPECT_EQ(text.m_width, 0.7);
        }
        if (index == 0) {
            EXPECT_EQ(p.x, 0.1);
        }
    }
    // The copies never share with START.
    EXPECT_EQ(textA.m_textSetting->m_thirdSpacing, 0.0);
}

TEST(Interpolator, MirrorNeedsAllFlagsNoPhaseAndNoLoop) {
    mrv::AnimateItemList items{boost::make_shared<mrv::CAnimateItem>()};
    mrv::CInterpolator line;
    EXPECT_FALSE(line.CanMirrorReturn(items)); // flags 3
    line.m_roundFlags = 0x1F;
    EXPECT_TRUE(line.CanMirrorReturn(items));
    mrv::CCircleInterpolator circle(1.0);
    circle.m_roundFlags = 0x1F;
    EXPECT_FALSE(circle.CanMirrorReturn(items)); // Rotate with an amplitude closes a loop
    circle.m_roundType = mrv::RoundType::Reverse;
    EXPECT_TRUE(circle.CanMirrorReturn(items));
    items[0]->m_phase = 0.5;
    EXPECT_FALSE(circle.CanMirrorReturn(items));
    mrv::CArcInterpolator arc(2.0);
    arc.m_roundFlags = 0x1F;
    EXPECT_FALSE(arc.CanMirrorReturn({}) && arc.m_roundType == mrv::RoundType::Rotate);
}

} // namespace
