// stroke::CFigure, the node of the figure tree: the operations every figure answers, its
// state bits and the non-owning link to its holder. CSelectable is the selection interface.
#pragma once

#include "common/point.h"
#include "stroke/figure_type.h"
#include "stroke/fill_setting.h"

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

class CSelectable {
public:
    virtual ~CSelectable() = default;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select) = 0; // true when the state changed

protected:
    CSelectable() = default;
    CSelectable(const CSelectable&) = default;
    CSelectable& operator=(const CSelectable&) = default;
};

namespace stroke {

class CFigure;
using FigurePtr = boost::shared_ptr<CFigure>;

// Figures are created under boost::shared_ptr (boost::make_shared<CLine>()) and own their
// children; a child's link to its holder does not own. The defaults below are those of a figure
// without children, name, fills or widths; each class overrides what it has.
//
// Children are added with InsertChild, which checks the kind and position and sets the link.
// Code that fills the public sequences itself (a reader) sets the links with SetParent;
// CheckParents verifies them. A holder that dies clears the links of children that outlive it.
class CFigure : public CSelectable, public boost::enable_shared_from_this<CFigure> {
public:
    ~CFigure() override = default;

    bool IsSelected() const override; // bit 0 of m_state
    bool Select(bool select) override;
    virtual FigureType GetType() const = 0;
    // A deep copy under shared ownership: children, fills and settings are copied (a texture's
    // bitmap is shared); the copy has no holder and its children point at it.
    virtual FigurePtr Clone() const = 0;
    virtual std::u16string GetName() const;           // empty without a name
    virtual void SetName(const std::u16string& name); // no effect without one
    // Removes that child and clears its link; IDS_DELETE_TARGET_NOT_FOUND when it is not a
    // child (IDS_DELETE_NOT_IMPLEMENTED on line points and tangent points, which do not delete).
    virtual void RemoveChild(const CFigure& child);
    // IDS_DELETE_TARGET_NOT_FOUND when the index is out of range.
    virtual void RemoveChildAt(std::size_t index);
    // IDS_FIGURE_INDEX_NOT_FOUND when the figure is not a child.
    virtual std::size_t IndexOf(const CFigure& child) const;
    virtual std::size_t GetChildCount() const;
    // Internal error when the index is out of range.
    virtual FigurePtr GetChild(std::size_t index) const;
    // IDS_INSERT_TYPE_INVALID when the holder does not take that kind (or the pointer is
    // empty), IDS_INSERT_POSITION_INVALID when index > GetChildCount(); an internal error when
    // the figure already has a holder or would hold itself. Nothing changes on failure.
    virtual void InsertChild(std::size_t index, const FigurePtr& child);
    // A control point's position; the mean of the children's centres ((0, 0) without any).
    virtual my::pointd GetCenter() const;
    // Adds the offset to every position below this figure; true when anything moved.
    virtual bool Move(const my::pointd& offset);
    virtual double GetWidth() const;
    virtual void SetWidth(double width);
    virtual FillPtr GetLineFill() const;
    virtual void SetLineFill(const FillPtr& fill);
    virtual FillPtr GetAreaFill() const;
    virtual void SetAreaFill(const FillPtr& fill);
    virtual std::uint32_t GetLineCap() const;
    virtual void SetLineCap(std::uint32_t cap);
    virtual std::uint32_t GetLineJoin() const;
    virtual void SetLineJoin(std::uint32_t join);
    virtual std::size_t GetDataSize() const; // byte estimate
    // An internal error naming the holder's class and the child's index when a child below
    // does not point at its holder.
    virtual void CheckParents() const;
    // Structural comparison with a figure of the same class; internal error naming the class
    // and field of the first difference.
    virtual void CheckSame(const CFigure& other) const;
    virtual void Dump(std::ostream& out) const;

    // The holder, or an empty pointer for the root (and for a holder not owned by a
    // shared_ptr).
    FigurePtr Parent() const;
    CFigure* ParentPtr() const { return m_parent; }
    void SetParent(CFigure* parent) { m_parent = parent; }

    bool IsHidden() const { return (m_state & STATE_HIDDEN) != 0; }
    // "stroke::CLine" and so on, by dynamic class.
    std::string_view ClassName() const;

    std::uint32_t m_state = 0; // FigureState bits

protected:
    CFigure() = default;
    // Copies the state only: a copy starts without a holder.
    CFigure(const CFigure& other);
    CFigure& operator=(const CFigure&) = delete;

    // Dump helpers: "<class> {state: n" ... "}".
    void DumpOpen(std::ostream& out) const;
    static void DumpName(std::ostream& out, std::string_view label, const std::u16string& s);
    static void DumpFill(std::ostream& out, std::string_view label, const FillPtr& fill);

private:
    CFigure* m_parent = nullptr;
};

// Clone() with the static type kept: CloneAs(*line) is a boost::shared_ptr<CLine>.
template <class T> boost::shared_ptr<T> CloneAs(const T& figure) {
    return boost::static_pointer_cast<T>(figure.Clone());
}

} // namespace stroke
