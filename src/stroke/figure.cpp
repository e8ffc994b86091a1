#include "stroke/figure.h"

#include "common/text.h"
#include "stroke/child_list.h"
#include "stroke/layer_model.h"

#include <ostream>
#include <typeinfo>

namespace stroke {

CFigure::CFigure(const CFigure& other)
    : CSelectable(other), boost::enable_shared_from_this<CFigure>(), m_state(other.m_state) {}

bool CFigure::IsSelected() const {
    return (m_state & STATE_SELECTED) != 0;
}

bool CFigure::Select(bool select) {
    const std::uint32_t state =
        select ? (m_state | STATE_SELECTED) : (m_state & ~std::uint32_t{STATE_SELECTED});
    const bool changed = state != m_state;
    m_state = state;
    return changed;
}

std::u16string CFigure::GetName() const {
    return {};
}
void CFigure::SetName(const std::u16string&) {}

void CFigure::RemoveChild(const CFigure&) {
    throw my::CException(IDS_DELETE_TARGET_NOT_FOUND);
}
void CFigure::RemoveChildAt(std::size_t) {
    throw my::CException(IDS_DELETE_TARGET_NOT_FOUND);
}
std::size_t CFigure::IndexOf(const CFigure&) const {
    throw my::CException(IDS_FIGURE_INDEX_NOT_FOUND);
}
std::size_t CFigure::GetChildCount() const {
    return 0;
}
FigurePtr CFigure::GetChild(std::size_t index) const {
    return detail::GetAt(ChildList<CFigure>{}, index, *this);
}
void CFigure::InsertChild(std::size_t, const FigurePtr&) {
    throw my::CException(IDS_INSERT_TYPE_INVALID);
}

my::pointd CFigure::GetCenter() const {
    return {};
}
bool CFigure::Move(const my::pointd&) {
    return false;
}
double CFigure::GetWidth() const {
    return 0.0;
}
void CFigure::SetWidth(double) {}
FillPtr CFigure::GetLineFill() const {
    return {};
}
void CFigure::SetLineFill(const FillPtr&) {}
FillPtr CFigure::GetAreaFill() const {
    return {};
}
void CFigure::SetAreaFill(const FillPtr&) {}
std::uint32_t CFigure::GetLineCap() const {
    return 0;
}
void CFigure::SetLineCap(std::uint32_t) {}
std::uint32_t CFigure::GetLineJoin() const {
    return 0;
}
void CFigure::SetLineJoin(std::uint32_t) {}
std::size_t CFigure::GetDataSize() const {
    return 4;
}
void CFigure::CheckParents() const {}

void CFigure::CheckSame(const CFigure& other) const {
    if (typeid(other) != typeid(*this)) {
        detail::ClassMismatch(ClassName(), other.ClassName());
    }
    detail::CheckField(m_state & STATE_PERSISTENT, other.m_state & STATE_PERSISTENT,
                       "stroke::CFigure::m_state");
}

void CFigure::Dump(std::ostream& out) const {
    DumpOpen(out);
    out << '}';
}

FigurePtr CFigure::Parent() const {
    // weak_from_this keeps a holder that is not owned by a shared_ptr from throwing.
    return m_parent ? m_parent->weak_from_this().lock() : FigurePtr();
}

std::string_view CFigure::ClassName() const {
    switch (GetType()) {
    case FIGURE_LAYER:
        return dynamic_cast<const CModel*>(this) ? "stroke::CModel" : "stroke::CLayer";
    case FIGURE_LINE:
        return "stroke::CLine";
    case FIGURE_CTRL:
        return "stroke::CLinePoint";
    case FIGURE_TANGENT:
        return "stroke::CTangentPoint";
    case FIGURE_PART:
        return "stroke::CLinePart";
    case FIGURE_BOUNDING_RECT:
        return "stroke::CBoundingRect";
    case FIGURE_SCALE:
        return "stroke::CScalePoint";
    case FIGURE_ROTATE:
        return "stroke::CRotatePoint";
    case FIGURE_TEXT:
        return "stroke::CText";
    case FIGURE_CARET:
        return "stroke::CCaret";
    default:
        return "stroke::CFigure";
    }
}

void CFigure::DumpOpen(std::ostream& out) const {
    out << ClassName() << " {state: " << m_state;
}

void CFigure::DumpName(std::ostream& out, std::string_view label, const std::u16string& s) {
    out << label << '"' << my::ToUtf8(s) << '"';
}

void CFigure::DumpFill(std::ostream& out, std::string_view label, const FillPtr& fill) {
    out << label << (fill ? fill->ClassName() : std::string_view("null"));
}

namespace detail {

void CheckInsertion(std::size_t index, std::size_t count, const CFigure& child,
                    const CFigure& holder) {
    if (index > count) {
        throw my::CException(IDS_INSERT_POSITION_INVALID);
    }
    const std::string where = std::string(holder.ClassName()) + "::InsertChild()\n";
    if (child.ParentPtr() != nullptr) {
        throw my::InternalError(where + "The figure already has a holder");
    }
    for (const CFigure* f = &holder; f != nullptr; f = f->ParentPtr()) {
        if (f == &child) {
            throw my::InternalError(where + "A figure cannot hold itself or its holders");
        }
    }
}

} // namespace detail

} // namespace stroke
