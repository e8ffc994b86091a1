#include "common/error.h"
#include "common/message_ids.h"
#include "render/path_list.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using raster::CPath;
using raster::CPathList;
using P = my::pointd;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct CRecorder {
    std::vector<char> m_ops;
    std::vector<P> m_points;
    void Move(P p) { Push('M', p); }
    void Line(P p) { Push('L', p); }
    void Curve(P a, P b, P c) {
        m_ops.push_back('C');
        m_points.insert(m_points.end(), {a, b, c});
    }
    void Close() { m_ops.push_back('Z'); }
    void Push(char op, P p) {
        m_ops.push_back(op);
        m_points.push_back(p);
    }
    std::string Ops() const { return std::string(m_ops.begin(), m_ops.end()); }
};

CRecorder Record(const CPath& path) {
    CRecorder r;
    path.Replay(r);
    return r;
}

TEST(PathList, SegmentsWithoutAPathRaise59082) {
    CPathList paths;
    for (auto call : {+[](CPathList& p) {
                          p.LineTo({1, 1});
                      },
                      +[](CPathList& p) {
                          p.CurveTo({1, 1}, {2, 2}, {3, 3});
                      },
                      +[](CPathList& p) { p.ClosePath(); }}) {
        try {
            call(paths);
            FAIL() << "expected 59082";
        } catch (const my::CException& e) {
            EXPECT_EQ(e.m_id, IDS_PATH_NOT_BEGUN);
        }
    }
    EXPECT_EQ(paths.Count(), 0u);
}

TEST(PathList, MoveToStartsAPathAndEveryMoveOrSegmentAfterACloseAFigure) {
    CPathList paths;
    paths.MoveTo({0, 0});
    paths.LineTo({10, 0});
    paths.MoveTo({0, 5});
    paths.LineTo({10, 5});
    paths.ClosePath();
    // A segment after a close starts a figure at the last point given.
    paths.LineTo({20, 20});
    ASSERT_EQ(paths.Count(), 1u);
    const CRecorder r = Record(paths[0]);
    EXPECT_EQ(r.Ops(), "MLMLZML");
    EXPECT_EQ(r.m_points[4], P(10, 5));

    paths.NewPath();
    paths.MoveTo({1, 1});
    EXPECT_EQ(paths.Count(), 2u);
    EXPECT_FALSE(paths[1].HasSegments());
    paths.Clear();
    EXPECT_EQ(paths.Count(), 0u);
}

TEST(PathList, NonFinitePointsAreSkipped) {
    CPathList paths;
    paths.MoveTo({kNan, 0}); // the figure starts at the next usable point
    paths.LineTo({0, 0});
    paths.LineTo({kInf, 5});
    paths.CurveTo({1, 1}, {kNan, 2}, {3, 3});
    paths.LineTo({10, 0});
    paths.ClosePath();
    const CRecorder r = Record(paths[0]);
    EXPECT_EQ(r.Ops(), "MLZ");
    EXPECT_EQ(r.m_points[0], P(0, 0));
    EXPECT_EQ(r.m_points[1], P(10, 0));
}

TEST(PathList, FarGeometryIsClippedIntoTheSafeBoxWithoutMovingTheNearPart) {
    CPathList paths;
    paths.SetPageSize(100, 50);
    const double left = -CPathList::kMargin, top = -CPathList::kMargin;
    const double right = 100 + CPathList::kMargin, bottom = 50 + CPathList::kMargin;
    // A line from the page to very far away along slope 1/2, and a curve swinging far out.
    paths.MoveTo({0, 0});
    paths.LineTo({1e12, 5e11});
    paths.CurveTo({-1e15, 3e14}, {4e9, -7e13}, {50, 50});
    paths.ClosePath();
    const CRecorder r = Record(paths[0]);
    for (const P& p : r.m_points) {
        EXPECT_GE(p.x, left);
        EXPECT_LE(p.x, right);
        EXPECT_GE(p.y, top);
        EXPECT_LE(p.y, bottom);
    }
    // The first piece keeps the slope of the original line up to the box edge.
    ASSERT_GE(r.m_points.size(), 2u);
    EXPECT_EQ(r.m_points[1], P(right, right / 2));
    // A curve that is wholly inside stays a curve.
    paths.NewPath();
    paths.MoveTo({0, 0});
    paths.CurveTo({10, 0}, {20, 10}, {20, 20});
    EXPECT_EQ(Record(paths[1]).Ops(), "MC");
}

} // namespace
