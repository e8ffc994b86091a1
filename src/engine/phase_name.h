// The phase number written into a figure's name between two braces ("wing{0.5}"): a shift in
// time, in steps of the whole START -> END trip, of everything inside that figure.
#pragma once

#include <optional>
#include <string>

namespace mrv {

// The phase of name, or nothing when the name has no opening brace, or no closing brace after
// it, or either brace is empty. A text between the braces that is not a plain decimal number
// (spaces and tabs around it allowed, no exponent) raises the bad-phase-number message.
std::optional<double> ParsePhase(const std::u16string& name, const std::u16string& open,
                                 const std::u16string& close);

} // namespace mrv
