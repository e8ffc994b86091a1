#include "app/color_dialog_text.h"

#include "common/message_ids.h"
#include "common/messages.h"

#include <algorithm>
#include <cmath>

namespace mrv {

namespace {

constexpr CNamedColor kNamedColors[] = {
    {IDS_COLOR_WHITE, 255, 255, 255},        {IDS_COLOR_BLACK, 0, 0, 0},
    {IDS_COLOR_GRAY_50, 127, 127, 127},      {IDS_COLOR_RED, 204, 0, 0},
    {IDS_COLOR_PINK, 239, 117, 188},         {IDS_COLOR_BLUE, 12, 0, 204},
    {IDS_COLOR_LIGHT_BLUE, 25, 135, 229},    {IDS_COLOR_YELLOW, 255, 255, 0},
    {IDS_COLOR_ORANGE, 255, 129, 25},        {IDS_COLOR_GREEN, 34, 195, 80},
    {IDS_COLOR_YELLOW_GREEN, 171, 255, 127}, {IDS_COLOR_BROWN, 107, 73, 45},
};

bool IsDigit(QChar ch) {
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

bool IsHexDigit(QChar ch) {
    return IsDigit(ch) || (ch >= QLatin1Char('a') && ch <= QLatin1Char('f')) ||
           (ch >= QLatin1Char('A') && ch <= QLatin1Char('F'));
}

} // namespace

std::span<const CNamedColor> NamedColors() {
    return kNamedColors;
}

QString NamedColorLabel(const CNamedColor& named) {
    // The dialog's texts are Japanese whatever the language of platform messages.
    return QString::fromUtf8(my::MessageText(named.label, my::Language::Japanese));
}

int ToByte(double value) {
    return static_cast<int>(std::lround(ClampUnit(value) * 255.0));
}

double ClampUnit(double value) {
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

QString NormalizedText(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).trimmed();
}

std::optional<int> ParseChannelText(const QString& text) {
    const QString t = NormalizedText(text);
    if (t.isEmpty() || t.size() > 3 || !std::all_of(t.begin(), t.end(), IsDigit)) {
        return std::nullopt;
    }
    const int value = t.toInt();
    if (value > 255) {
        return std::nullopt;
    }
    return value;
}

QString FormatColorCode(const my::colord& color, int channels) {
    QString code = QStringLiteral("#");
    for (int i = 0; i < channels; ++i) {
        code += QStringLiteral("%1").arg(ToByte(color.c[i]), 2, 16, QLatin1Char('0')).toUpper();
    }
    return code;
}

std::optional<std::array<int, 4>> ParseHexCode(const QString& text, int channels) {
    QString t = NormalizedText(text);
    if (t.startsWith(QLatin1Char('#'))) {
        t.remove(0, 1);
    }
    if (channels < 1 || channels > 4 || t.size() != 2 * channels ||
        !std::all_of(t.begin(), t.end(), IsHexDigit)) {
        return std::nullopt;
    }
    std::array<int, 4> bytes{};
    for (int i = 0; i < channels; ++i) {
        bytes[static_cast<std::size_t>(i)] = t.mid(2 * i, 2).toInt(nullptr, 16);
    }
    return bytes;
}

} // namespace mrv
