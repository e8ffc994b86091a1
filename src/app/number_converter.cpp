#include "app/number_converter.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <boost/regex.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace mrv {

namespace {

const boost::regex& NumberPattern() {
    static const boost::regex pattern(R"(^((?:\+?|-?)[0-9]+)(?:\.?|\.([0-9]+))$)");
    return pattern;
}

template <class T> void CheckRange(T value, T minimum, T maximum, std::string_view text) {
    if (value < minimum) {
        throw my::CException(IDS_NUMBER_TOO_SMALL, std::string(text));
    }
    if (value > maximum) {
        throw my::CException(IDS_NUMBER_TOO_LARGE, std::string(text));
    }
}

} // namespace

std::int32_t CIntConverterBase::FromText(std::string_view text) const {
    const std::string s(text);
    boost::smatch m;
    if (!boost::regex_match(s, m, NumberPattern())) {
        throw my::CException(IDS_NUMBER_FORMAT_INVALID, s);
    }
    const std::string whole = m[1].str();
    std::string fraction = m[2].matched ? m[2].str() : std::string();
    fraction.resize(static_cast<std::size_t>(m_decimals), '0');
    const bool negative = !whole.empty() && whole[0] == '-';

    // Accumulate in 64 bits digit by digit so that a long text cannot overflow unnoticed.
    constexpr std::int64_t kLimit = std::int64_t{1} << 40;
    std::int64_t magnitude = 0;
    for (char c : whole) {
        if (c >= '0' && c <= '9') {
            magnitude = magnitude * 10 + (c - '0');
            if (magnitude > kLimit) {
                throw my::CException(IDS_NUMBER_FORMAT_INVALID, s);
            }
        }
    }
    for (char c : fraction) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kLimit) {
            throw my::CException(IDS_NUMBER_FORMAT_INVALID, s);
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw my::CException(IDS_NUMBER_FORMAT_INVALID, s);
    }
    const auto result = static_cast<std::int32_t>(value);
    CheckRange(result, m_min, m_max, text);
    return result;
}

std::string CIntConverterBase::ToText(std::int32_t value) const {
    std::int64_t scale = 1;
    for (int i = 0; i < m_decimals; ++i) {
        scale *= 10;
    }
    const std::int64_t v = value;
    const std::int64_t magnitude = v < 0 ? -v : v;
    std::string text = (v < 0 ? "-" : "") + std::to_string(magnitude / scale);
    const std::int64_t remainder = magnitude % scale;
    if (remainder != 0) {
        std::string digits = std::to_string(remainder);
        digits.insert(0, static_cast<std::size_t>(m_decimals) - digits.size(), '0');
        while (!digits.empty() && digits.back() == '0') {
            digits.pop_back();
        }
        text += "." + digits;
    }
    return text;
}

double CFloatConverterBase::FromText(std::string_view text) const {
    const std::string s(text);
    double value = m_default;
    if (s.empty()) {
        if (!m_allowEmpty) {
            throw my::CException(IDS_NUMBER_FORMAT_INVALID, s);
        }
    } else {
        // strtod reads the leading number and gives 0 when there is none.
        value = std::strtod(s.c_str(), nullptr) / m_scale;
        if (!std::isfinite(value)) {
            throw my::CException(IDS_NUMBER_FORMAT_INVALID, s);
        }
    }
    CheckRange(value, m_min, m_max, text);
    return value;
}

std::string CFloatConverterBase::ToText(double value) const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", m_decimals, value * m_scale);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') {
            text.pop_back();
        }
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    if (text == "-0") {
        text = "0";
    }
    return text;
}

} // namespace mrv
