// stroke::CText: a text laid out along a baseline of line parts, with its font and spacing
// (stroke::CTextSetting), its outline width, fills, cap and join, and an editing selection.
#pragma once

#include "stroke/part_holder.h"
#include "stroke/text_setting.h"

#include <utility>

namespace stroke {

class CText : public CPartHolder {
public:
    CText() = default;

    FigureType GetType() const override { return FIGURE_TEXT; }
    // Deep: the text setting is cloned too.
    FigurePtr Clone() const override;
    double GetWidth() const override { return m_width; }
    void SetWidth(double width) override { m_width = width; }
    std::size_t GetDataSize() const override;
    void CheckSame(const CFigure& other) const override;
    void Dump(std::ostream& out) const override;

    // The selection as character indexes into m_text, ready for use: both 0 for an empty
    // text; otherwise an index below 0 or beyond the length becomes the length, and an end
    // below the start is swapped with it. The stored values are left as they are.
    std::pair<std::int32_t, std::int32_t> GetSelection() const;

    std::u16string m_text;
    std::int32_t m_selStart = -1; // selection start as stored
    std::int32_t m_selEnd = 0;    // selection end as stored
    TextSettingPtr m_textSetting; // may be empty
    double m_width = 0.0;         // outline width of the characters

protected:
    CText(const CText& other);
};

using TextPtr = boost::shared_ptr<CText>;

} // namespace stroke
