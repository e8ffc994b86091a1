// Deep copies: a clone can be changed freely without touching the original, shares only the
// texture pixels and the colour profile, and links its children to itself.
#include "stroke/figures.h"
#include "stroke/texture.h"
#include "tree_builder.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace stroke;

struct ClonedSample {
    ModelPtr original = stroke_test::SampleModel();
    ModelPtr copy = CloneAs(*original);
    LayerPtr layer(const ModelPtr& m) const {
        return boost::static_pointer_cast<CLayer>(m->GetChild(0));
    }
    LinePtr line(const ModelPtr& m) const {
        return boost::static_pointer_cast<CLine>(layer(m)->GetChild(0));
    }
    TextPtr text(const ModelPtr& m) const {
        return boost::static_pointer_cast<CText>(layer(m)->GetChild(1));
    }
};

TEST(Clone, IsStructurallyEqualAndLinksItsChildrenToItself) {
    ClonedSample s;
    EXPECT_NE(s.copy, s.original);
    EXPECT_NO_THROW(s.original->CheckSame(*s.copy));
    EXPECT_EQ(s.copy->Parent(), nullptr);
    EXPECT_EQ(s.copy->m_colorProfile, s.original->m_colorProfile);
    std::ostringstream a, b;
    s.original->Dump(a);
    s.copy->Dump(b);
    EXPECT_EQ(a.str(), b.str());

    // Children point at the copy.
    EXPECT_NO_THROW(s.copy->CheckParents());
    auto line = s.line(s.copy);
    EXPECT_EQ(line->Parent(), s.layer(s.copy));
    EXPECT_EQ(line->m_parts[0]->m_points[0]->m_tangents[1]->Parent(),
              line->m_parts[0]->m_points[0]);
    // A clone of an inner figure is a root of its own.
    auto part = CloneAs(*line->m_parts[1]);
    EXPECT_EQ(part->Parent(), nullptr);
    EXPECT_EQ(part->m_points[0]->Parent(), part);
}

TEST(Clone, ChangingTheCopyLeavesTheOriginalAlone) {
    ClonedSample s;
    auto line = s.line(s.copy);
    auto text = s.text(s.copy);
    line->m_name = u"changed";
    line->m_parts[0]->m_points[1]->x = 99;
    line->m_parts[0]->m_points[1]->m_tangents[0]->y = 99;
    line->m_parts[0]->m_points[1]->m_width = 99;
    line->m_parts[0]->m_partFlags = 0;
    boost::static_pointer_cast<CMonoSetting>(line->m_lineFill)->m_color.m_alpha = 1;
    boost::static_pointer_cast<CGradationSetting>(s.layer(s.copy)->m_areaFill)
        ->m_colors[0]
        .m_enabled = false;
    text->m_textSetting->m_fontSize = 99;
    text->m_text = u"xyz";
    s.copy->RemoveChildAt(1);
    line->m_parts.pop_back();

    // The original still equals a freshly built sample.
    EXPECT_NO_THROW(s.original->CheckSame(*stroke_test::SampleModel()));
    const auto originalLine = s.line(s.original);
    EXPECT_EQ(originalLine->m_name, u"a");
    EXPECT_TRUE(originalLine->m_parts[0]->IsClosed());
    EXPECT_TRUE(FillsEqual(originalLine->m_lineFill, stroke_test::Mono(2000)));
    EXPECT_TRUE(FillsEqual(s.layer(s.original)->m_areaFill, stroke_test::Gradation(30.0)));
    EXPECT_EQ(s.text(s.original)->m_textSetting->m_fontSize, 13.0);
}

TEST(Clone, TextureCopySharesOnlyTheBitmap) {
    auto texture = boost::make_shared<CTextureSetting>();
    texture->m_path = u"wood.png";
    texture->m_bitmap = boost::make_shared<CImg>();
    auto line = boost::make_shared<CLine>();
    line->m_areaFill = texture;

    auto copy = CloneAs(*line);
    auto copied = boost::dynamic_pointer_cast<CTextureSetting>(copy->m_areaFill);
    ASSERT_TRUE(copied);
    EXPECT_NE(copied, texture);
    EXPECT_EQ(copied->m_bitmap, texture->m_bitmap);
    copied->m_path = u"stone.png";
    copied->m_flip = 3;
    EXPECT_EQ(texture->m_path, u"wood.png");
    EXPECT_EQ(texture->m_flip, 0u);
}

} // namespace
