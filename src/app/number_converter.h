// Value <-> text conversion of the form's number boxes: integers kept in units of 10^-P
// (the frame rate in hundredths) and doubles read from their leading number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mrv {

// Integer field holding value x 10^P. Text must look like "[+|-]digits[.digits]"; extra
// decimals are cut, missing ones count as zeros. Failures raise IDS_NUMBER_FORMAT_INVALID /
// IDS_NUMBER_TOO_SMALL / IDS_NUMBER_TOO_LARGE with the text.
class CIntConverterBase {
public:
    CIntConverterBase(int decimals, std::int32_t minimum, std::int32_t maximum)
        : m_decimals(decimals), m_min(minimum), m_max(maximum) {}

    std::int32_t FromText(std::string_view text) const;
    std::string ToText(std::int32_t value) const;

    int GetDecimals() const { return m_decimals; }
    std::int32_t GetMin() const { return m_min; }
    std::int32_t GetMax() const { return m_max; }

private:
    int m_decimals;
    std::int32_t m_min;
    std::int32_t m_max;
};

template <int P> class CIntConverter : public CIntConverterBase {
public:
    using value_type = std::int32_t;
    CIntConverter(std::int32_t minimum, std::int32_t maximum)
        : CIntConverterBase(P, minimum, maximum) {}
};

// Double field: the leading number of the text divided by the scale; text that does not
// begin with a number reads as 0; an empty text gives the default unless it is forbidden.
// Shown with at most P decimals, trailing zeros removed.
class CFloatConverterBase {
public:
    CFloatConverterBase(int decimals, double minimum, double maximum, double defaultValue = 0,
                        bool allowEmpty = false, double scale = 1)
        : m_decimals(decimals), m_min(minimum), m_max(maximum), m_default(defaultValue),
          m_allowEmpty(allowEmpty), m_scale(scale) {}

    double FromText(std::string_view text) const;
    std::string ToText(double value) const;

private:
    int m_decimals;
    double m_min;
    double m_max;
    double m_default;
    bool m_allowEmpty;
    double m_scale;
};

template <int P> class CFloatConverter : public CFloatConverterBase {
public:
    using value_type = double;
    CFloatConverter(double minimum, double maximum) : CFloatConverterBase(P, minimum, maximum) {}
};

} // namespace mrv
