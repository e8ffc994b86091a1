#include "common/message_ids.h"
#include "common/text.h"
#include "engine/pairing.h"
#include "stroke/texture.h"
#include "stroke/tree_builder.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace stroke_test;

// What a run raises for the pair (on copies, as pairing changes END's state bits).
CSimpleErr RunError(const stroke::CModel& start, const stroke::CModel& end) {
    const auto s = boost::static_pointer_cast<stroke::CModel>(start.Clone());
    const auto e = boost::static_pointer_cast<stroke::CModel>(end.Clone());
    mrv::AnimateItemList items;
    try {
        mrv::PairModels(mrv::CTaskSetting(), *s, *e, items);
    } catch (const my::CException& ex) {
        return ex;
    }
    return {};
}

mrv::CPairingCheck Check(const stroke::ModelPtr& start, const stroke::ModelPtr& end,
                         std::size_t limit = mrv::kMaxPairDifferences, std::uint32_t flags = 0) {
    mrv::CTaskSetting setting;
    setting.SetFlags(flags);
    return mrv::CheckPairing(setting, start, end, limit);
}

// A layer "L" holding `lines` lines "l1", "l2", ..., each with one part of two points.
stroke::ModelPtr Lines(int lines) {
    auto model = boost::make_shared<stroke::CModel>();
    auto layer = boost::make_shared<stroke::CLayer>();
    layer->m_name = u"L";
    for (int i = 0; i < lines; ++i) {
        auto line = WithParts(u"l" + my::ToUtf16(std::to_string(i + 1)),
                              {Part({Point(i, 0), Point(i, 5)})});
        line->m_lineFill = Mono(100);
        layer->InsertChild(layer->GetChildCount(), line);
    }
    model->InsertChild(0, layer);
    return model;
}

stroke::CLine& LineOf(stroke::CModel& model, std::size_t index) {
    return static_cast<stroke::CLine&>(*model.GetChild(0)->GetChild(index));
}
// Line "a" and text "t" of SampleModel.
stroke::CLine& LineA(stroke::CModel& model) {
    return LineOf(model, 0);
}
stroke::CText& TextT(stroke::CModel& model) {
    return static_cast<stroke::CText&>(*model.GetChild(0)->GetChild(1));
}

TEST(PairCheck, ThreeDifferencesGiveThreeEntriesInTreeOrder) {
    const auto a = Lines(4);
    const auto b = Lines(4);
    LineOf(*b, 0).m_parts[0]->InsertChild(2, Point(9, 9)); // a point more in l1's part
    auto texture = boost::make_shared<stroke::CTextureSetting>();
    texture->m_path = u"paper.png";
    LineOf(*b, 1).m_lineFill = texture;           // a colour against a texture in l2
    LineOf(*b, 3).m_lineCap = stroke::CAP_SQUARE; // l4's cap (l3 is the same)

    const mrv::CPairingCheck check = Check(a, b);
    ASSERT_EQ(check.m_differences.size(), 3u);
    EXPECT_FALSE(check.m_more);
    EXPECT_FALSE(check.Animates());

    const mrv::CPairDifference& count = check.m_differences[0];
    EXPECT_EQ(count.m_message.m_id, IDS_PAIR_POINT_COUNT);
    EXPECT_EQ(count.StartPosition(), "1-1-1");
    EXPECT_EQ(count.EndPosition(), "1-1-1");
    EXPECT_EQ(count.m_start, LineOf(*a, 0).m_parts[0].get()); // the two parts
    EXPECT_EQ(count.m_end, LineOf(*b, 0).m_parts[0].get());
    EXPECT_TRUE(count.m_structural);

    const mrv::CPairDifference& fill = check.m_differences[1];
    EXPECT_EQ(fill.m_message.m_id, IDS_PAIR_FILL_KIND);
    EXPECT_EQ(fill.StartPosition(), "1-2");
    EXPECT_EQ(fill.StartName(), "l2");
    EXPECT_EQ(fill.m_end, &LineOf(*b, 1));

    const mrv::CPairDifference& cap = check.m_differences[2];
    EXPECT_EQ(cap.m_message.m_text,
              "図形の線端の形が一致しません\n端: ROUND -> SQUARE\n名前: l4 -> l4\n位置: 1-4");
    EXPECT_EQ(cap.EndPosition(), "1-4");
    EXPECT_EQ(cap.EndName(), "l4");
    // The path finds the figures again, in either model.
    EXPECT_EQ(&mrv::FigureAt(*a, cap.m_path), cap.m_start);
    EXPECT_EQ(&mrv::FigureAt(*b, cap.m_path), cap.m_end);

    EXPECT_EQ(count.m_message, RunError(*a, *b));
}

TEST(PairCheck, StructureComesFirstAsInARun) {
    // A cap early in the tree, a missing part late: a run names the part count, since the
    // structure is proved before any value is compared; the check lists it first too.
    const auto a = Lines(3);
    const auto b = Lines(3);
    LineOf(*b, 0).m_lineCap = stroke::CAP_BUTT;
    LineOf(*b, 2).RemoveChildAt(0);
    const mrv::CPairingCheck check = Check(a, b);
    ASSERT_EQ(check.m_differences.size(), 2u);
    EXPECT_EQ(check.m_differences[0].m_message, RunError(*a, *b));
    EXPECT_EQ(check.m_differences[0].m_message.m_id, IDS_PAIR_PART_COUNT);
    EXPECT_EQ(check.m_differences[1].m_message.m_id, IDS_PAIR_LINE_CAP);
}

TEST(PairCheck, AMissingLayerIsOneEntry) {
    auto a = SampleModel();
    auto second = boost::make_shared<stroke::CLayer>();
    second->m_name = u"second";
    for (int i = 0; i < 50; ++i) {
        second->InsertChild(second->GetChildCount(), WithParts(u"x", {Part({Point(i, i)})}));
    }
    a->InsertChild(1, second);
    const auto b = SampleModel();
    const mrv::CPairingCheck check = Check(a, b);
    ASSERT_EQ(check.m_differences.size(), 1u);
    const mrv::CPairDifference& d = check.m_differences[0];
    EXPECT_EQ(d.m_message.m_text, "図形の数が一致しません\n数: 3 -> 2\n親の名前:  -> \n位置: ");
    EXPECT_EQ(d.m_message, RunError(*a, *b));
    EXPECT_EQ(d.m_start, a.get());
    EXPECT_EQ(d.StartPosition(), "");

    // The layer in place but of another kind: one entry, nothing inside it compared.
    auto c = SampleModel();
    c->InsertChild(1, WithParts(u"line", {Part({Point(0, 0)})}));
    const mrv::CPairingCheck kinds = Check(a, c);
    ASSERT_EQ(kinds.m_differences.size(), 1u);
    EXPECT_EQ(kinds.m_differences[0].m_message.m_id, IDS_PAIR_KIND_MISMATCH);
    EXPECT_EQ(kinds.m_differences[0].StartName(), "second");
    EXPECT_EQ(kinds.m_differences[0].EndName(), "line");

    // A missing figure: its side has no position or name.
    auto d2 = SampleModel();
    auto e2 = SampleModel();
    e2->m_children[1] = nullptr;
    const mrv::CPairingCheck missing = Check(d2, e2);
    ASSERT_EQ(missing.m_differences.size(), 1u);
    EXPECT_EQ(missing.m_differences[0].StartPosition(), "2");
    EXPECT_EQ(missing.m_differences[0].EndPosition(), "(null)");
    EXPECT_EQ(missing.m_differences[0].EndName(), "(null)");
}

TEST(PairCheck, IdenticalDrawingsGiveNone) {
    const mrv::CPairingCheck check = Check(SampleModel(), SampleModel());
    EXPECT_TRUE(check.m_differences.empty());
    EXPECT_TRUE(check.Animates());
    // Animatable value differences are not differences that stop a run.
    auto b = SampleModel();
    LineA(*b).m_parts[0]->m_points[0]->x = 40;
    EXPECT_TRUE(Check(SampleModel(), b).Animates());
}

TEST(PairCheck, FirstEntryIsWhatARunStopsWith) {
    // Each change alone and all together: the check's first entry is the run's message.
    const std::vector<std::function<void(stroke::CModel&)>> changes = {
        [](stroke::CModel& m) { m.m_width = 100; },
        [](stroke::CModel& m) { m.m_colorProfile.reset(); },
        [](stroke::CModel& m) { LineA(m).m_lineJoin = stroke::JOIN_MITER; },
        [](stroke::CModel& m) { LineA(m).m_parts[1]->m_partFlags = 1; },
        [](stroke::CModel& m) { LineA(m).m_parts[0]->m_points[1]->m_tangents.pop_back(); },
        [](stroke::CModel& m) { TextT(m).m_text = u"xyz"; },
        [](stroke::CModel& m) { TextT(m).m_areaFill.reset(); },
        [](stroke::CModel& m) { static_cast<stroke::CLayer&>(*m.GetChild(0)).m_lineFill = {}; },
        [](stroke::CModel& m) { m.GetChild(1)->RemoveChildAt(0); },
    };
    const auto a = SampleModel();
    auto all = SampleModel();
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        auto b = SampleModel();
        changes[i](*b);
        changes[i](*all);
        const CSimpleErr run = RunError(*a, *b);
        ASSERT_TRUE(run.HasError());
        const mrv::CPairingCheck check = Check(a, b);
        ASSERT_EQ(check.m_differences.size(), 1u);
        EXPECT_EQ(check.m_differences[0].m_message, run);
    }
    const mrv::CPairingCheck check = Check(a, all);
    EXPECT_EQ(check.m_differences.size(), changes.size());
    EXPECT_EQ(check.m_differences.at(0).m_message, RunError(*a, *all));
}

TEST(PairCheck, StopsAfterTheLimit) {
    const auto a = Lines(250);
    const auto b = Lines(250);
    for (std::size_t i = 0; i < 250; ++i) {
        LineOf(*b, i).m_lineCap = stroke::CAP_BUTT;
    }
    const mrv::CPairingCheck check = Check(a, b);
    EXPECT_EQ(check.m_differences.size(), mrv::kMaxPairDifferences);
    EXPECT_TRUE(check.m_more);
    EXPECT_EQ(check.m_differences.back().StartName(), "l200");

    // Exactly at the limit nothing is left out.
    const mrv::CPairingCheck three = Check(
        Lines(3),
        [] {
            auto m = Lines(3);
            for (std::size_t i = 0; i < 3; ++i) {
                LineOf(*m, i).m_lineCap = stroke::CAP_BUTT;
            }
            return m;
        }(),
        3);
    EXPECT_EQ(three.m_differences.size(), 3u);
    EXPECT_FALSE(three.m_more);
}

TEST(PairCheck, AFailingMessageStandsForItsDifferenceAndTheWalkGoesOn) {
    // A cap value with no name makes the run fail with an internal error; the check lists
    // that, and the bad phase number and the join after it.
    const auto a = Lines(3);
    const auto b = Lines(3);
    LineOf(*b, 0).m_lineCap = 8;
    LineOf(*a, 1).m_name = u"l2{x}";
    LineOf(*b, 2).m_lineJoin = stroke::JOIN_BEVEL;
    EXPECT_EQ(RunError(*a, *b).m_id, IDS_INTERNAL_ERROR);
    const mrv::CPairingCheck check = Check(a, b, mrv::kMaxPairDifferences, mrv::TaskFlags::Phase);
    ASSERT_EQ(check.m_differences.size(), 3u);
    EXPECT_EQ(check.m_differences[0].m_message.m_id, IDS_INTERNAL_ERROR);
    EXPECT_EQ(check.m_differences[0].StartPosition(), "1-1");
    EXPECT_EQ(check.m_differences[1].m_message.m_id, IDS_PHASE_NUMBER_INVALID);
    EXPECT_EQ(check.m_differences[1].StartPosition(), "1-2");
    EXPECT_EQ(check.m_differences[2].m_message.m_id, IDS_PAIR_LINE_JOIN);
}

} // namespace
