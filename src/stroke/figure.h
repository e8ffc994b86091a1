// stroke::CFigure, the node of the figure tree: the 28 operations every figure answers, its
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
    virtual bool IsSelected() const = 0;  // slot 0
    virtual bool Select(bool select) = 0; // slot 1: true when the state changed

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

    bool IsSelected() const override;       // 0: bit 0 of m_state
    bool Select(bool select) override;      // 1
    virtual FigureType GetType() const = 0; // 2
    // A deep copy under shared ownership: children, fills and settings are copied (a texture's
    // bitmap is shared); the copy has no holder and its children point at it.
    virtual FigurePtr Clone() const = 0;              // 3
    virtual std::u16string GetName() const;           // 4: empty without a name
    virtual void SetName(const std::u16string& name); // 5: no effect without one
    // Removes that child and clears its link; message 10044 when it is not a child (10042 on
    // line points and tangent points, which do not delete).
    virtual void RemoveChild(const CFigure& child);          // 6
    virtual void RemoveChildAt(std::size_t index);           // 7: 10044 out of range
    virtual std::size_t IndexOf(const CFigure& child) const; // 8: 10120 when absent
    virtual std::size_t GetChildCount() const;               // 9
    // Internal error when the index is out of range.
    virtual FigurePtr GetChild(std::size_t index) const; // 10
    // Message 10047 when the holder does not take that kind (or the pointer is empty), 10046
    // when index > GetChildCount(); an internal error when the figure already has a holder or
    // would hold itself. Nothing changes on failure.
    virtual void InsertChild(std::size_t index, const FigurePtr& child); // 11
    // A control point's position; the mean of the children's centres ((0, 0) without any).
    virtual my::pointd GetCenter() const; // 12
    // Adds the offset to every position below this figure; true when anything moved.
    virtual bool Move(const my::pointd& offset);   // 13
    virtual double GetWidth() const;               // 14
    virtual void SetWidth(double width);           // 15
    virtual FillPtr GetLineFill() const;           // 16
    virtual void SetLineFill(const FillPtr& fill); // 17
    virtual FillPtr GetAreaFill() const;           // 18
    virtual void SetAreaFill(const FillPtr& fill); // 19
    virtual std::uint32_t GetLineCap() const;      // 20
    virtual void SetLineCap(std::uint32_t cap);    // 21
    virtual std::uint32_t GetLineJoin() const;     // 22
    virtual void SetLineJoin(std::uint32_t join);  // 23
    virtual std::size_t GetDataSize() const;       // 24: byte estimate
    // Internal error "(*i)->Parent() != ptr" when a child below does not point at its holder.
    virtual void CheckParents() const; // 25
    // Structural comparison with a figure of the same class; internal error naming the class
    // and field of the first difference.
    virtual void CheckSame(const CFigure& other) const; // 26
    virtual void Dump(std::ostream& out) const;         // 27

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
