// stroke::CContainer: the holder of layers, lines and texts, the common base of layers and the
// model. Widths, caps and joins asked of it are gathered from or handed to its children.
#pragma once

#include "stroke/child_list.h"
#include "stroke/figure.h"

namespace stroke {

class CContainer : public CFigure {
public:
    ~CContainer() override;

    void RemoveChild(const CFigure& child) override;
    void RemoveChildAt(std::size_t index) override;
    std::size_t IndexOf(const CFigure& child) const override;
    std::size_t GetChildCount() const override { return m_children.size(); }
    FigurePtr GetChild(std::size_t index) const override;
    // Takes layers, lines and texts (not a model).
    void InsertChild(std::size_t index, const FigurePtr& child) override;
    my::pointd GetCenter() const override;
    bool Move(const my::pointd& offset) override;
    // The largest width of the children (0.0 without children).
    double GetWidth() const override;
    void SetWidth(double width) override;
    // The bitwise OR of the children's values (0 without children).
    std::uint32_t GetLineCap() const override;
    void SetLineCap(std::uint32_t cap) override;
    std::uint32_t GetLineJoin() const override;
    void SetLineJoin(std::uint32_t join) override;
    std::size_t GetDataSize() const override;
    void CheckParents() const override;
    void CheckSame(const CFigure& other) const override;

    ChildList<CFigure> m_children;

protected:
    CContainer() = default;
    // Deep: the children are cloned and point at the copy.
    CContainer(const CContainer& other);
};

} // namespace stroke
