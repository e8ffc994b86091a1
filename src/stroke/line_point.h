// The control points of a line part: stroke::CLinePoint (a point of the line with its width and
// tangent handles) and stroke::CTangentPoint (a handle), both positions through CCtrlPoint.
#pragma once

#include "stroke/child_list.h"
#include "stroke/figure.h"

namespace stroke {

// A figure with a position; neither kind deletes children (IDS_DELETE_NOT_IMPLEMENTED).
class CCtrlPoint : public CFigure, public my::point<double> {
public:
    my::pointd GetCenter() const override { return Position(); }
    // Adds the offset to the position; always true.
    bool Move(const my::pointd& offset) override;
    void RemoveChild(const CFigure& child) override;
    void RemoveChildAt(std::size_t index) override;
    std::size_t GetDataSize() const override { return CFigure::GetDataSize() + 16; }
    // The state, then x and y.
    void CheckSame(const CFigure& other) const override;

    my::pointd Position() const { return {x, y}; }
    void SetPosition(const my::pointd& p) {
        x = p.x;
        y = p.y;
    }

protected:
    CCtrlPoint() = default;
    CCtrlPoint(double x_, double y_) : my::point<double>(x_, y_) {}
    CCtrlPoint(const CCtrlPoint& other) = default;

    void DumpPosition(std::ostream& out) const;
};

class CTangentPoint : public CCtrlPoint {
public:
    CTangentPoint() = default;
    CTangentPoint(double x_, double y_) : CCtrlPoint(x_, y_) {}

    FigureType GetType() const override { return FIGURE_TANGENT; }
    FigurePtr Clone() const override;
    void Dump(std::ostream& out) const override;

protected:
    CTangentPoint(const CTangentPoint& other) = default;
};

// A point of a line. Its tangent handles hold absolute positions: handle 0 shapes the segment
// arriving at the point, handle 1 the segment leaving it. A file may give a point fewer than
// two handles; a missing handle reads as lying on the point (GetTangentOr).
class CLinePoint : public CCtrlPoint {
public:
    CLinePoint() = default;
    CLinePoint(double x_, double y_, double width = 0.0) : CCtrlPoint(x_, y_), m_width(width) {}
    ~CLinePoint() override;

    FigureType GetType() const override { return FIGURE_CTRL; }
    FigurePtr Clone() const override;
    std::size_t IndexOf(const CFigure& child) const override;
    std::size_t GetChildCount() const override { return m_tangents.size(); }
    FigurePtr GetChild(std::size_t index) const override;
    // Takes tangent points only.
    void InsertChild(std::size_t index, const FigurePtr& child) override;
    // Moves the point and every tangent handle it has.
    bool Move(const my::pointd& offset) override;
    double GetWidth() const override { return m_width; }
    void SetWidth(double width) override { m_width = width; }
    std::size_t GetDataSize() const override;
    void CheckParents() const override;
    // Position, m_flags, m_width, then the handles.
    void CheckSame(const CFigure& other) const override;
    void Dump(std::ostream& out) const override;

    // The position of handle `index`, or the point's own position when there is no such
    // handle.
    my::pointd GetTangentOr(std::size_t index) const;
    my::pointd InHandle() const { return GetTangentOr(0); }
    my::pointd OutHandle() const { return GetTangentOr(1); }

    std::uint32_t m_flags = 0;
    double m_width = 0.0; // line width at this point
    ChildList<CTangentPoint> m_tangents;

protected:
    // Deep: the handles are cloned and point at the copy.
    CLinePoint(const CLinePoint& other);
};

using LinePointPtr = boost::shared_ptr<CLinePoint>;
using TangentPointPtr = boost::shared_ptr<CTangentPoint>;

} // namespace stroke
