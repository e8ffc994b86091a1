// stroke::CPartHolder, what lines and texts share: a name, line parts (a line's outline, a
// text's baseline), a line fill and an area fill, and the cap and join of their strokes.
#pragma once

#include "stroke/child_list.h"
#include "stroke/figure.h"

namespace stroke {

class CLinePart;

class CPartHolder : public CFigure {
public:
    ~CPartHolder() override;

    std::u16string GetName() const override { return m_name; }
    void SetName(const std::u16string& name) override { m_name = name; }
    void RemoveChild(const CFigure& child) override;
    void RemoveChildAt(std::size_t index) override;
    std::size_t IndexOf(const CFigure& child) const override;
    std::size_t GetChildCount() const override { return m_parts.size(); }
    FigurePtr GetChild(std::size_t index) const override;
    // Takes line parts only.
    void InsertChild(std::size_t index, const FigurePtr& child) override;
    my::pointd GetCenter() const override;
    bool Move(const my::pointd& offset) override;
    FillPtr GetLineFill() const override { return m_lineFill; }
    void SetLineFill(const FillPtr& fill) override { m_lineFill = fill; }
    FillPtr GetAreaFill() const override { return m_areaFill; }
    void SetAreaFill(const FillPtr& fill) override { m_areaFill = fill; }
    std::uint32_t GetLineCap() const override { return m_lineCap; }
    void SetLineCap(std::uint32_t cap) override { m_lineCap = cap; }
    std::uint32_t GetLineJoin() const override { return m_lineJoin; }
    void SetLineJoin(std::uint32_t join) override { m_lineJoin = join; }
    void CheckParents() const override;

    std::u16string m_name;
    FillPtr m_lineFill;                    // may be empty
    FillPtr m_areaFill;                    // may be empty
    std::uint32_t m_lineCap = CAP_ROUND;   // LineCap flags
    std::uint32_t m_lineJoin = JOIN_ROUND; // LineJoin flags
    ChildList<CLinePart> m_parts;

protected:
    CPartHolder() = default;
    // Deep: parts and fills are cloned, the parts point at the copy.
    CPartHolder(const CPartHolder& other);

    // CheckSame of the shared fields, each named "<prefix>m_field": the name alone, and the
    // fills, cap, join and parts in that order.
    void CheckSameName(const CPartHolder& other, std::string_view prefix) const;
    void CheckSameStyle(const CPartHolder& other, std::string_view prefix) const;
    std::size_t SharedDataSize() const;
    void DumpShared(std::ostream& out) const;
};

} // namespace stroke
