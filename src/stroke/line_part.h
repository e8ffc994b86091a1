// stroke::CLinePart: one connected run of line points of a line or of a text's baseline, open
// or closed.
#pragma once

#include "stroke/child_list.h"
#include "stroke/figure.h"

namespace stroke {

class CLinePoint;

class CLinePart : public CFigure {
public:
    enum PartFlags : std::uint32_t { PART_CLOSED = 1 };

    CLinePart() = default;
    ~CLinePart() override;

    FigureType GetType() const override { return FIGURE_PART; }
    FigurePtr Clone() const override;
    void RemoveChild(const CFigure& child) override;
    void RemoveChildAt(std::size_t index) override;
    std::size_t IndexOf(const CFigure& child) const override;
    std::size_t GetChildCount() const override { return m_points.size(); }
    FigurePtr GetChild(std::size_t index) const override;
    // Takes line points only.
    void InsertChild(std::size_t index, const FigurePtr& child) override;
    my::pointd GetCenter() const override;
    bool Move(const my::pointd& offset) override;
    // The largest point width (0.0 without points).
    double GetWidth() const override;
    void SetWidth(double width) override;
    std::size_t GetDataSize() const override;
    void CheckParents() const override;
    // Compares the points (the closed flag is not part of the structure).
    void CheckSame(const CFigure& other) const override;
    void Dump(std::ostream& out) const override;

    bool IsClosed() const { return (m_partFlags & PART_CLOSED) != 0; }

    std::uint32_t m_partFlags = 0; // PartFlags; 0 = open
    ChildList<CLinePoint> m_points;

protected:
    // Deep: the points are cloned and point at the copy.
    CLinePart(const CLinePart& other);
};

using LinePartPtr = boost::shared_ptr<CLinePart>;

} // namespace stroke
