// The child sequences of holders (children, parts, points, tangent handles) and the operations
// every holder performs on its own sequence, written once for all element classes.
#pragma once

#include "common/error.h"
#include "common/message_ids.h"
#include "stroke/check_same.h"
#include "stroke/figure.h"

#include <deque>
#include <ostream>
#include <string>
#include <string_view>

namespace stroke {

// Children in file order, owned by their holder.
template <class T> using ChildList = std::deque<boost::shared_ptr<T>>;

namespace detail {

template <class T> std::size_t IndexIn(const ChildList<T>& list, const CFigure& child) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (static_cast<const CFigure*>(list[i].get()) == &child) {
            return i;
        }
    }
    throw my::CException(IDS_FIGURE_INDEX_NOT_FOUND);
}

template <class T>
void RemoveFrom(ChildList<T>& list, const CFigure& child, const CFigure* holder) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (static_cast<const CFigure*>(it->get()) == &child) {
            if ((*it)->ParentPtr() == holder) {
                (*it)->SetParent(nullptr);
            }
            list.erase(it);
            return;
        }
    }
    throw my::CException(IDS_DELETE_TARGET_NOT_FOUND);
}

template <class T> void RemoveAt(ChildList<T>& list, std::size_t index, const CFigure* holder) {
    if (index >= list.size()) {
        throw my::CException(IDS_DELETE_TARGET_NOT_FOUND);
    }
    if (list[index] && list[index]->ParentPtr() == holder) {
        list[index]->SetParent(nullptr);
    }
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

template <class T>
FigurePtr GetAt(const ChildList<T>& list, std::size_t index, const CFigure& holder) {
    if (index >= list.size()) {
        throw my::InternalError(std::string(holder.ClassName()) +
                                "::GetChild()\nIndex out of range: " + std::to_string(index));
    }
    return list[index];
}

// Raises IDS_INSERT_POSITION_INVALID for a bad position and an internal error for a figure that
// already has a holder or is the holder itself or one of its ancestors (which would make a cycle of
// owners).
void CheckInsertion(std::size_t index, std::size_t count, const CFigure& child,
                    const CFigure& holder);

// Inserts a child of the right class (the caller checked the kind: IDS_INSERT_TYPE_INVALID).
template <class T>
void InsertInto(ChildList<T>& list, std::size_t index, const boost::shared_ptr<T>& child,
                CFigure& holder) {
    CheckInsertion(index, list.size(), *child, holder);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(index), child);
    child->SetParent(&holder);
}

// Inserts a figure that must be of the element class T (else IDS_INSERT_TYPE_INVALID).
template <class T>
void InsertTyped(ChildList<T>& list, std::size_t index, const FigurePtr& child, CFigure& holder) {
    const auto typed = boost::dynamic_pointer_cast<T>(child);
    if (!typed) {
        throw my::CException(IDS_INSERT_TYPE_INVALID);
    }
    InsertInto(list, index, typed, holder);
}

// Calls f on every element.
template <class T, class F> void ForEachChild(const ChildList<T>& list, F f) {
    for (const auto& child : list) {
        if (child) {
            f(*child);
        }
    }
}

// Replaces dst with clones of src's elements, each pointing at holder.
template <class T> void CloneInto(ChildList<T>& dst, const ChildList<T>& src, CFigure& holder) {
    dst.clear();
    for (const auto& child : src) {
        if (!child) {
            dst.push_back(child);
            continue;
        }
        auto copy = CloneAs<T>(*child);
        copy->SetParent(&holder);
        dst.push_back(std::move(copy));
    }
}

// Clears the links of children that may outlive their holder.
template <class T> void DetachAll(const ChildList<T>& list, const CFigure* holder) noexcept {
    for (const auto& child : list) {
        if (child && child->ParentPtr() == holder) {
            child->SetParent(nullptr);
        }
    }
}

template <class T> void CheckParentsOf(const ChildList<T>& list, const CFigure* holder) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& child = list[i];
        if (!child || child->ParentPtr() != holder) {
            throw my::InternalError("stroke::CFigure::CheckParents()\nchild " + std::to_string(i) +
                                    " of a " + std::string(holder->ClassName()) +
                                    " does not point at its holder");
        }
        child->CheckParents();
    }
}

template <class T>
void CheckSameList(const ChildList<T>& left, const ChildList<T>& right, std::string_view field) {
    if (left.size() != right.size()) {
        throw my::InternalError(field);
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        CheckSamePtr(left[i], right[i], field);
    }
}

template <class T> my::pointd MeanCenter(const ChildList<T>& list) {
    my::pointd sum;
    std::size_t count = 0;
    for (const auto& child : list) {
        if (child) {
            sum += child->GetCenter();
            ++count;
        }
    }
    return count == 0 ? my::pointd{} : sum / static_cast<double>(count);
}

template <class T> bool MoveAll(const ChildList<T>& list, const my::pointd& offset) {
    bool moved = false;
    for (const auto& child : list) {
        if (child && child->Move(offset)) {
            moved = true;
        }
    }
    return moved;
}

template <class T> double MaxWidth(const ChildList<T>& list) {
    bool any = false;
    double width = 0.0;
    for (const auto& child : list) {
        if (child) {
            const double w = child->GetWidth();
            width = any && width >= w ? width : w;
            any = true;
        }
    }
    return width;
}

template <class T> void SetWidthAll(const ChildList<T>& list, double width) {
    for (const auto& child : list) {
        if (child) {
            child->SetWidth(width);
        }
    }
}

template <class T> std::size_t DataSizeOf(const ChildList<T>& list) {
    std::size_t size = 4; // the count
    for (const auto& child : list) {
        size += child ? child->GetDataSize() : 0;
    }
    return size;
}

template <class T>
void DumpList(std::ostream& out, std::string_view label, const ChildList<T>& list) {
    out << label;
    for (std::size_t i = 0; i < list.size(); ++i) {
        out << (i ? ", " : "");
        if (list[i]) {
            list[i]->Dump(out);
        } else {
            out << "null";
        }
    }
    out << '}';
}

} // namespace detail

} // namespace stroke
