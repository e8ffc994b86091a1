#include "stroke/text.h"

#include <algorithm>
#include <limits>
#include <ostream>

namespace stroke {

CText::CText(const CText& other)
    : CPartHolder(other), m_text(other.m_text), m_selStart(other.m_selStart),
      m_selEnd(other.m_selEnd),
      m_textSetting(other.m_textSetting ? other.m_textSetting->Clone() : TextSettingPtr()),
      m_width(other.m_width) {}

FigurePtr CText::Clone() const {
    return FigurePtr(new CText(*this));
}

std::size_t CText::GetDataSize() const {
    const std::size_t setting = 2 + (m_textSetting ? m_textSetting->GetDataSize() : 0);
    return SharedDataSize() + 4 + 2 * m_text.size() + 8 + 4 + 4 + setting;
}

void CText::CheckSame(const CFigure& other) const {
    CFigure::CheckSame(other);
    const auto& o = static_cast<const CText&>(other);
    CheckSameName(o, "stroke::CText::");
    detail::CheckField(m_text, o.m_text, "stroke::CText::m_text");
    detail::CheckSamePtr(m_textSetting, o.m_textSetting, "stroke::CText::m_textSetting");
    detail::CheckField(m_width, o.m_width, "stroke::CText::m_width");
    CheckSameStyle(o, "stroke::CText::");
}

void CText::Dump(std::ostream& out) const {
    DumpOpen(out);
    DumpName(out, ", name: ", m_name);
    DumpName(out, ", text: ", m_text);
    out << ", width: " << m_width;
    DumpShared(out);
    out << '}';
}

std::pair<std::int32_t, std::int32_t> CText::GetSelection() const {
    if (m_text.empty()) {
        return {0, 0};
    }
    const auto length = static_cast<std::int32_t>(
        std::min<std::size_t>(m_text.size(), std::numeric_limits<std::int32_t>::max()));
    auto clamp = [length](std::int32_t index) {
        return index < 0 || index > length ? length : index;
    };
    std::int32_t start = clamp(m_selStart);
    std::int32_t end = clamp(m_selEnd);
    if (end < start) {
        std::swap(start, end);
    }
    return {start, end};
}

} // namespace stroke
