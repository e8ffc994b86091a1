#include "engine/phase_name.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/text.h"

#include <boost/regex.hpp>
#include <charconv>

namespace mrv {

namespace {

bool IsDecimal(const std::string& text) {
    // An integer with an optional trailing point, or a number with digits after the point.
    static const boost::regex kInteger(R"(^[+-]{0,1}[0-9]+\.{0,1}$)");
    static const boost::regex kFraction(R"(^[+-]{0,1}[0-9]*\.[0-9]+$)");
    if (text.empty() || text.find_first_of("eE") != std::string::npos) {
        return false;
    }
    return boost::regex_match(text, kInteger) || boost::regex_match(text, kFraction);
}

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

std::optional<double> ParsePhase(const std::u16string& name, const std::u16string& open,
                                 const std::u16string& close) {
    if (open.empty() || close.empty()) {
        return std::nullopt;
    }
    const auto openAt = name.find(open);
    if (openAt == std::u16string::npos) {
        return std::nullopt;
    }
    // The number starts one character after the brace's first character.
    const auto numberAt = openAt + 1;
    const auto closeAt = name.find(close, numberAt);
    if (closeAt == std::u16string::npos) {
        return std::nullopt;
    }
    const std::string found = my::ToUtf8(name.substr(numberAt, closeAt - numberAt));
    const std::string number = TrimBlanks(found);
    if (!IsDecimal(number)) {
        throw my::CException(IDS_PHASE_NUMBER_INVALID, name, found);
    }
    // from_chars takes no "+"; the pattern allows one.
    const char* first = number.data() + (number[0] == '+' ? 1 : 0);
    const char* last = number.data() + number.size();
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) {
        throw my::CException(IDS_PHASE_NUMBER_INVALID, name, found);
    }
    return value;
}

} // namespace mrv
