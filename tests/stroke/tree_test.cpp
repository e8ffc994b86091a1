// Building and editing the figure tree: kinds and positions accepted by InsertChild, removal
// messages, parent links.
#include "common/message_ids.h"
#include "stroke/figures.h"
#include "support/failure.h"
#include "tree_builder.h"

#include <gtest/gtest.h>

namespace {

using namespace stroke;
using morvane::test::FailureId;
using morvane::test::FailureOf;

TEST(InsertChild, RejectionsLeaveTheTreeUnchanged) {
    auto model = stroke_test::SampleModel();
    auto line = boost::static_pointer_cast<CLine>(model->GetChild(1));
    const std::size_t parts = line->GetChildCount();

    auto part = boost::make_shared<CLinePart>();
    EXPECT_EQ(FailureId([&] { line->InsertChild(parts + 1, part); }), IDS_INSERT_POSITION_INVALID);
    EXPECT_EQ(FailureId([&] { line->InsertChild(0, boost::make_shared<CLayer>()); }),
              IDS_INSERT_TYPE_INVALID);
    EXPECT_EQ(FailureId([&] { line->InsertChild(0, FigurePtr()); }), IDS_INSERT_TYPE_INVALID);
    EXPECT_EQ(FailureId([&] { model->InsertChild(0, part); }), IDS_INSERT_TYPE_INVALID);
    EXPECT_EQ(FailureId([&] { model->InsertChild(0, boost::make_shared<CModel>()); }),
              IDS_INSERT_TYPE_INVALID);
    EXPECT_EQ(FailureId([&] { part->InsertChild(0, boost::make_shared<CTangentPoint>()); }),
              IDS_INSERT_TYPE_INVALID);
    auto tangent = boost::make_shared<CTangentPoint>();
    EXPECT_EQ(FailureId([&] { tangent->InsertChild(0, boost::make_shared<CTangentPoint>()); }),
              IDS_INSERT_TYPE_INVALID);

    EXPECT_EQ(line->GetChildCount(), parts);
    EXPECT_EQ(model->GetChildCount(), 2u);
    EXPECT_EQ(part->Parent(), nullptr);
    EXPECT_NO_THROW(model->CheckParents());
}

TEST(InsertChild, RefusesFiguresThatWouldHaveTwoHoldersOrHoldThemselves) {
    auto model = stroke_test::SampleModel();
    auto layer = boost::static_pointer_cast<CLayer>(model->GetChild(0));
    auto line = model->GetChild(1);
    // Already held by the model.
    EXPECT_EQ(FailureId([&] { layer->InsertChild(0, line); }), IDS_INTERNAL_ERROR);
    // A layer inside itself, or the root below its own child.
    auto loose = boost::make_shared<CLayer>();
    EXPECT_EQ(FailureId([&] { loose->InsertChild(0, loose); }), IDS_INTERNAL_ERROR);
    auto root = boost::make_shared<CLayer>();
    root->InsertChild(0, loose);
    EXPECT_EQ(FailureId([&] { loose->InsertChild(0, root); }), IDS_INTERNAL_ERROR);
    EXPECT_EQ(loose->GetChildCount(), 0u);
    EXPECT_EQ(line->Parent(), model);
}

TEST(RemoveChild, RemovesAndUnlinksOrReportsTheMessages) {
    auto model = stroke_test::SampleModel();
    auto line = model->GetChild(1);
    model->RemoveChild(*line);
    EXPECT_EQ(model->GetChildCount(), 1u);
    EXPECT_EQ(line->Parent(), nullptr);
    EXPECT_EQ(FailureId([&] { model->RemoveChild(*line); }), IDS_DELETE_TARGET_NOT_FOUND);
    EXPECT_EQ(FailureId([&] { model->RemoveChildAt(1); }), IDS_DELETE_TARGET_NOT_FOUND);
    EXPECT_EQ(model->GetChildCount(), 1u);

    auto part = boost::static_pointer_cast<CLine>(line)->m_parts[0];
    part->RemoveChildAt(0);
    EXPECT_EQ(part->GetChildCount(), 0u);
}

TEST(RemoveChild, PointsDoNotDeleteTheirHandles) {
    auto point = stroke_test::Point(1, 1);
    auto handle = point->GetChild(0);
    EXPECT_EQ(FailureId([&] { point->RemoveChild(*handle); }), IDS_DELETE_NOT_IMPLEMENTED);
    EXPECT_EQ(FailureId([&] { point->RemoveChildAt(0); }), IDS_DELETE_NOT_IMPLEMENTED);
    EXPECT_EQ(FailureId([&] { handle->RemoveChildAt(0); }), IDS_DELETE_NOT_IMPLEMENTED);
    EXPECT_EQ(point->GetChildCount(), 2u);
    EXPECT_EQ(handle->GetChildCount(), 0u);
}

TEST(IndexOf, NonChildAndEmptyHolderGiveMessage10120) {
    auto model = stroke_test::SampleModel();
    auto stranger = boost::make_shared<CLine>();
    EXPECT_EQ(FailureId([&] { model->IndexOf(*stranger); }), IDS_FIGURE_INDEX_NOT_FOUND);
    EXPECT_EQ(FailureId([&] { CLayer().IndexOf(*stranger); }), IDS_FIGURE_INDEX_NOT_FOUND);
    EXPECT_EQ(FailureId([&] { CTangentPoint().IndexOf(*stranger); }), IDS_FIGURE_INDEX_NOT_FOUND);
    // A grandchild is not a child.
    auto layer = model->GetChild(0);
    EXPECT_EQ(FailureId([&] { model->IndexOf(*layer->GetChild(0)); }), IDS_FIGURE_INDEX_NOT_FOUND);
}

TEST(Parent, ChildOutlivingItsHolderHasNoParent) {
    FigurePtr part;
    {
        auto line = stroke_test::WithParts(u"x", {stroke_test::Part({})});
        part = line->GetChild(0);
        ASSERT_EQ(part->Parent(), line);
    }
    EXPECT_EQ(part->Parent(), nullptr);
    EXPECT_EQ(part->ParentPtr(), nullptr);
}

TEST(CheckParents, FindsAMissingLinkAtAnyDepth) {
    auto model = stroke_test::SampleModel();
    EXPECT_EQ(model->Parent(), nullptr);
    EXPECT_NO_THROW(model->CheckParents());
    auto point = model->GetChild(0)->GetChild(0)->GetChild(1)->GetChild(0);
    auto stray = boost::make_shared<CTangentPoint>();
    boost::static_pointer_cast<CLinePoint>(point)->m_tangents.push_back(stray);
    const std::string text = FailureOf([&] { model->CheckParents(); }).m_text;
    EXPECT_NE(text.find("child 2 of a stroke::CLinePoint does not point at its holder"),
              std::string::npos)
        << text;

    stray->SetParent(point.get());
    EXPECT_NO_THROW(model->CheckParents());
    // A link to the wrong holder fails the same way.
    stray->SetParent(model.get());
    EXPECT_EQ(FailureId([&] { model->CheckParents(); }), IDS_INTERNAL_ERROR);
}

} // namespace
