// The error record a call raises: tests compare its message ID and text instead of writing a
// try block each time.
#pragma once

#include "common/error.h"

#include <cstdint>
#include <utility>

namespace morvane::test {

// The my::CException that f throws as an error record; an empty one (ID 0) when f returns.
// Any other exception passes through and fails the test.
template <class F> CSimpleErr FailureOf(F&& f) {
    try {
        std::forward<F>(f)();
    } catch (const my::CException& e) {
        return e;
    }
    return {};
}

// The message ID that f raises, or 0.
template <class F> std::int32_t FailureId(F&& f) {
    return FailureOf(std::forward<F>(f)).m_id;
}

} // namespace morvane::test
