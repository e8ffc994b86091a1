// Helpers of the structural comparison (CheckSame) of figures and settings: each difference
// stops the comparison with an internal error that names the class and field.
#pragma once

#include "common/error.h"

#include <string>
#include <string_view>

namespace stroke::detail {

// Raises the internal error naming `field` ("stroke::CLine::m_name") unless the values agree.
template <class T> void CheckField(const T& left, const T& right, std::string_view field) {
    if (!(left == right)) {
        throw my::InternalError(field);
    }
}

// Two objects of different dynamic classes: "<left class> != <right class>".
[[noreturn]] inline void ClassMismatch(std::string_view left, std::string_view right) {
    throw my::InternalError(std::string(left) + " != " + std::string(right));
}

// Compares two optional members held by pointer: presence first, then CheckSame of the values.
template <class P> void CheckSamePtr(const P& left, const P& right, std::string_view field) {
    if (!left && !right) {
        return;
    }
    if (!left) {
        throw my::InternalError(std::string(field) + " only left is null!");
    }
    if (!right) {
        throw my::InternalError(std::string(field) + " only right is null!");
    }
    left->CheckSame(*right);
}

} // namespace stroke::detail
