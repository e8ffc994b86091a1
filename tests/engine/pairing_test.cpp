#include "common/message_ids.h"
#include "common/text.h"
#include "engine/extract_items.h"
#include "engine/normalize_model.h"
#include "engine/phase_name.h"
#include "stroke/texture.h"
#include "stroke/tree_builder.h"
#include "support/failure.h"

#include <gtest/gtest.h>

namespace {

using namespace stroke_test;

// Runs both walks as the task does; the raised error, or an empty record.
CSimpleErr Pair(stroke::CModel& start, stroke::CModel& end, mrv::AnimateItemList* items = nullptr,
                std::uint32_t flags = 0) {
    mrv::AnimateItemList local;
    mrv::CTaskSetting setting;
    setting.SetFlags(flags);
    return morvane::test::FailureOf([&] {
        mrv::CNormalizeModel().Walk(start, end);
        mrv::CExtractItems(setting).Extract(items ? *items : local, start, end);
    });
}

stroke::CLayer& LayerOf(stroke::CModel& m) {
    return static_cast<stroke::CLayer&>(*m.GetChild(0));
}
stroke::CLine& LineA(stroke::CModel& m) {
    return static_cast<stroke::CLine&>(*LayerOf(m).GetChild(0));
}
stroke::CText& TextT(stroke::CModel& m) {
    return static_cast<stroke::CText&>(*LayerOf(m).GetChild(1));
}

TEST(Pairing, IdenticalModelsGiveNoItems) {
    auto a = SampleModel();
    auto b = SampleModel();
    mrv::AnimateItemList items;
    EXPECT_FALSE(Pair(*a, *b, &items).HasError());
    EXPECT_TRUE(items.empty());
}

TEST(Pairing, ItemsCarryPathsInTreeOrder) {
    auto a = SampleModel();
    auto b = SampleModel();
    LineA(*b).m_parts[1]->m_points[0]->x = 9;                // point 1-1-2-1
    LineA(*b).m_parts[0]->m_points[2]->m_tangents[1]->y = 4; // handle 1-1-1-3-2
    static_cast<stroke::CMonoSetting&>(*LayerOf(*b).m_lineFill).m_color.m_alpha = 5; // layer 1
    TextT(*b).m_width = 2;                                                           // text 1-2
    mrv::AnimateItemList items;
    ASSERT_FALSE(Pair(*a, *b, &items).HasError());
    std::vector<std::string> paths;
    for (const auto& item : items) {
        paths.push_back(mrv::FormatTreePath(*item->m_path));
        EXPECT_EQ(&mrv::FigureAt(*a, *item->m_path), item->m_start);
        EXPECT_EQ(&mrv::FigureAt(*b, *item->m_path), item->m_end);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"1", "1-1-1-3-2", "1-1-2-1", "1-2"}));
}

TEST(Pairing, StructuralFaultsComeBeforeValueFaults) {
    // END differs in a cap (a value) of line a and in the point count of line b, which comes
    // later in tree order: the count is still reported, as the structure is checked first.
    auto a = SampleModel();
    auto b = SampleModel();
    LineA(*b).m_lineCap = stroke::CAP_BUTT;
    auto& lineB = static_cast<stroke::CLine&>(*b->GetChild(1));
    lineB.m_parts[0]->InsertChild(1, Point(8, 8));
    const CSimpleErr err = Pair(*a, *b);
    EXPECT_EQ(err.m_id, IDS_PAIR_POINT_COUNT);
    EXPECT_EQ(err.m_text, "制御点の数が一致しません\n数: 1 -> 2\n親の名前:  -> \n位置: 2-1");
}

TEST(Pairing, CountMessagesNameCountsParentsAndPosition) {
    auto a = SampleModel();
    auto b = SampleModel();
    LayerOf(*b).RemoveChildAt(1);
    CSimpleErr err = Pair(*a, *b);
    EXPECT_EQ(err.m_id, IDS_PAIR_CHILD_COUNT);
    EXPECT_EQ(err.m_text, "図形の数が一致しません\n数: 2 -> 1\n親の名前: L -> L\n位置: 1");

    b = SampleModel();
    LineA(*b).RemoveChildAt(0);
    EXPECT_EQ(Pair(*a, *b).m_text,
              "線要素の数が一致しません\n数: 2 -> 1\n親の名前: a -> a\n位置: 1-1");

    b = SampleModel();
    TextT(*b).InsertChild(1, Part({Point(1, 1)}));
    EXPECT_EQ(Pair(*a, *b).m_id, IDS_PAIR_BASELINE_COUNT);

    b = SampleModel();
    LineA(*b).m_parts[0]->m_points[0]->m_tangents.pop_front();
    EXPECT_EQ(Pair(*a, *b).m_text,
              "接線ハンドルの数が一致しません\n数: 2 -> 1\n親の名前:  -> \n位置: 1-1-1-1");
}

TEST(Pairing, KindsClassesAndMissingFigures) {
    auto a = SampleModel();
    auto b = SampleModel();
    // Line a of END replaced by a layer named "x".
    auto layer = boost::make_shared<stroke::CLayer>();
    layer->m_name = u"x";
    LayerOf(*b).RemoveChildAt(0);
    LayerOf(*b).InsertChild(0, layer);
    EXPECT_EQ(Pair(*a, *b).m_text,
              "図形の種類が一致しません\n種類: 図形 -> レイヤー\n名前: a -> x\n位置: 1-1");

    // A model inside END where START has a layer (set in place: InsertChild refuses models).
    b = SampleModel();
    auto inner = boost::make_shared<stroke::CModel>();
    b->m_children[0] = inner;
    inner->SetParent(b.get());
    EXPECT_EQ(Pair(*a, *b).m_text, "開始画像の図形の型は、対応する終了画像の型と一致しません\n型: "
                                   "Model\n名前: L -> \n位置: 1");

    b = SampleModel();
    b->m_children[1] = nullptr;
    EXPECT_EQ(Pair(*a, *b).m_text, "終了画像の図形に NULL のものがあります\n位置: 2");
    b = SampleModel();
    a->m_children[1] = nullptr;
    EXPECT_EQ(Pair(*a, *b).m_text, "開始画像の図形に NULL のものがあります\n位置: 2");
    b->m_children[1] = nullptr;
    EXPECT_FALSE(Pair(*a, *b).HasError());

    a = SampleModel();
    b = SampleModel();
    a->m_children[1] = boost::make_shared<stroke::CCaret>();
    b->m_children[1] = boost::make_shared<stroke::CCaret>();
    EXPECT_EQ(Pair(*a, *b).m_text,
              "対応していない図形の種類です\n種類: キャレット\n名前:  -> \n位置: 2");
}

TEST(Pairing, ModelValues) {
    auto a = SampleModel();
    auto b = SampleModel();
    b->m_colorType = stroke::COLOR_CMYK;
    EXPECT_EQ(Pair(*a, *b).m_text, "開始画像と終了画像の色空間が一致しません\n色空間: RGB -> CMYK");
    a->m_colorType = stroke::COLOR_CMYK;
    EXPECT_EQ(Pair(*a, *b).m_text, "CMYK には対応していません");

    a = SampleModel();
    b = SampleModel();
    b->m_colorProfile.reset();
    EXPECT_EQ(Pair(*a, *b).m_id, IDS_PAIR_PROFILE);
    b = SampleModel();
    b->m_width = 210.5;
    EXPECT_EQ(Pair(*a, *b).m_text, "開始画像と終了画像の幅が一致しません\n幅: 210 -> 210.5");
    b = SampleModel();
    b->m_height = 300;
    EXPECT_EQ(Pair(*a, *b).m_text, "開始画像と終了画像の高さが一致しません\n高さ: 297 -> 300");
    b = SampleModel();
    b->m_resolution = 72; // resolutions are not compared
    EXPECT_FALSE(Pair(*a, *b).HasError());
}

TEST(Pairing, LineAndTextValues) {
    auto a = SampleModel();
    auto b = SampleModel();
    LineA(*b).m_lineJoin = stroke::JOIN_BEVEL;
    EXPECT_EQ(Pair(*a, *b).m_text,
              "図形の線の角の形が一致しません\n角: ROUND -> BEVEL\n名前: a -> a\n位置: 1-1");
    b = SampleModel();
    LineA(*b).m_parts[1]->m_partFlags = stroke::CLinePart::PART_CLOSED;
    EXPECT_EQ(Pair(*a, *b).m_text,
              "図形の閉じが一致しません\n閉じ: false -> true\n名前:  -> \n位置: 1-1-2");
    b = SampleModel();
    TextT(*b).m_text = u"abd";
    EXPECT_EQ(Pair(*a, *b).m_text,
              "テキストの文字列が一致しません\nテキスト: abc -> abd\n名前: t -> t\n位置: 1-2");
    b = SampleModel();
    TextT(*b).m_lineCap = stroke::CAP_SQUARE;
    EXPECT_EQ(Pair(*a, *b).m_id, IDS_PAIR_TEXT_CAP);
    b = SampleModel();
    TextT(*b).m_lineJoin = stroke::JOIN_MITER;
    EXPECT_EQ(Pair(*a, *b).m_id, IDS_PAIR_TEXT_JOIN);
}

boost::shared_ptr<stroke::CTextureSetting> Texture(const std::u16string& path) {
    auto t = boost::make_shared<stroke::CTextureSetting>();
    t->m_path = path;
    return t;
}

TEST(Pairing, FillComparison) {
    auto a = SampleModel();
    auto b = SampleModel();
    LineA(*b).m_lineFill.reset();
    EXPECT_EQ(Pair(*a, *b).m_text,
              "線の塗りの有無が一致しません\n種類: 図形\n名前: a -> a\n位置: 1-1");

    // A colour against a gradation is animated.
    b = SampleModel();
    LineA(*b).m_lineFill = Gradation(0);
    mrv::AnimateItemList items;
    ASSERT_FALSE(Pair(*a, *b, &items).HasError());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->m_start, &LineA(*a));

    b = SampleModel();
    TextT(*b).m_areaFill = Texture(u"p.png");
    EXPECT_EQ(
        Pair(*a, *b).m_text,
        "塗りの種類が一致しません。\nテクスチャーから、単色、グラデーション（もしくはその逆）の"
        "変化はできません\n種類: テキスト\n名前: t -> t\n位置: 1-2");

    TextT(*a).m_areaFill = Texture(u"q.png");
    EXPECT_EQ(Pair(*a, *b).m_text,
              "塗りのテクスチャー画像が一致しません\n開始テクスチャー: q.png\n終了テクスチャー: "
              "p.png\n種類: テキスト\n名前: t -> t\n位置: 1-2");
    auto tex = Texture(u"p.png");
    TextT(*a).m_areaFill = tex;
    tex->m_fitType = 2;
    EXPECT_EQ(Pair(*a, *b).m_text,
              "塗りのテクスチャーの拡縮タイプが一致しません\n拡縮タイプ: 2 -> 0\n種類: "
              "テキスト\n名前: t -> t\n位置: 1-2");
    tex->m_fitType = 0;
    tex->m_flip = 1;
    EXPECT_EQ(Pair(*a, *b).m_id, IDS_PAIR_TEXTURE_FLIP);
    tex->m_flip = 0;
    tex->m_offsetX = 3; // a value: animated
    items.clear();
    ASSERT_FALSE(Pair(*a, *b, &items).HasError());
    EXPECT_EQ(items.size(), 1u);
}

// A fill of none of the three kinds.
class OddFill : public stroke::CFillSetting {
public:
    bool IsEqual(const CFillSetting&) const override { return true; }
    stroke::FillPtr Clone() const override { return boost::make_shared<OddFill>(); }
    double GetAngle() const override { return 0; }
    void SetAngle(double) override {}
    std::uint32_t GetFlip() const override { return 0; }
    void SetFlip(std::uint32_t) override {}
    void Paint(stroke::CFillPainter&) const override {}
    std::size_t GetDataSize() const override { return 0; }
    void CheckSame(const CFillSetting&) const override {}
};

TEST(Pairing, UnknownFillKindIsReported) {
    auto a = SampleModel();
    auto b = SampleModel();
    LineA(*b).m_areaFill = boost::make_shared<OddFill>();
    LineA(*a).m_areaFill = Mono(1);
    EXPECT_EQ(Pair(*a, *b).m_text,
              "塗りに不明なタイプが指定されました\n種類: 図形\n名前: a -> a\n位置: 1-1");
}

TEST(Pairing, EndFollowsStartState) {
    auto a = SampleModel();
    auto b = SampleModel();
    LineA(*a).m_state = stroke::STATE_HIDDEN;
    ASSERT_FALSE(Pair(*a, *b).HasError());
    EXPECT_TRUE(LineA(*b).IsHidden());
}

TEST(Pairing, PhasesComeFromEnclosingNames) {
    auto a = SampleModel();
    auto b = SampleModel();
    LineA(*a).m_name = u"a{0.5}";
    LayerOf(*a).m_name = u"L{ -2 }";
    static_cast<stroke::CMonoSetting&>(*LineA(*b).m_lineFill).m_color.m_alpha = 1; // line item
    LineA(*b).m_parts[0]->m_points[0]->x = 1;                                      // point item
    TextT(*b).m_width = 3;                                                         // text item
    mrv::AnimateItemList items;
    ASSERT_FALSE(Pair(*a, *b, &items, mrv::TaskFlags::Phase).HasError());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]->m_phase, -2.0); // the line's own fill: the layer's phase
    EXPECT_EQ(items[1]->m_phase, 0.5);  // inside the line
    EXPECT_EQ(items[2]->m_phase, -2.0); // texts read no phase of their own

    items.clear();
    ASSERT_FALSE(Pair(*a, *b, &items, 0).HasError());
    for (const auto& item : items) {
        EXPECT_EQ(item->m_phase, 0.0);
    }
}

TEST(PhaseName, Numbers) {
    const auto parse = [](const std::u16string& name) { return mrv::ParsePhase(name, u"{", u"}"); };
    EXPECT_EQ(parse(u"x{ 1.5 }"), 1.5);
    EXPECT_EQ(parse(u"x{.5}"), 0.5);
    EXPECT_EQ(parse(u"x{5.}"), 5.0);
    EXPECT_EQ(parse(u"x{+3}"), 3.0);
    EXPECT_EQ(parse(u"x{\t-0.25}"), -0.25);
    EXPECT_EQ(parse(u"x{1.5"), std::nullopt);
    EXPECT_EQ(parse(u"x"), std::nullopt);
    EXPECT_EQ(mrv::ParsePhase(u"x{1}", u"", u"}"), std::nullopt);
    // The number starts one character after the opening brace's first character.
    EXPECT_THROW(mrv::ParsePhase(u"x<<2>>", u"<<", u">>"), my::CException);
    for (const std::u16string bad :
         {u"x{}", u"x{1e3}", u"x{ }", u"x{1.2.3}", u"x{.}", u"x{a}", u"x{+-1}"}) {
        try {
            parse(bad);
            ADD_FAILURE() << my::ToUtf8(bad);
        } catch (const my::CException& e) {
            EXPECT_EQ(e.m_id, IDS_PHASE_NUMBER_INVALID);
        }
    }
    try {
        parse(u"wing{ 1e3 }");
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_text, "位相の数値の書式が不正です\n名前: wing{ 1e3 }\n数値:  1e3 ");
    }
}

} // namespace
